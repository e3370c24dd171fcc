// SPDX-License-Identifier: GPL-3.0-or-later
// A 14 x 14 check box with a text label, drawn in the plot: the box sits in a sunken 3-D frame and is
// filled with the checked colour when checked.
#pragma once

#include <functional>

#include "plot/plot_element.h"

namespace k470::plot {

class PlotCheckBox : public PlotElement {
  public:
    PlotCheckBox(PlotWindow& window, QRect rect, QString label, bool checked = false);

    bool isChecked() const { return checked_; }
    void setChecked(bool checked);
    std::function<void(bool)> onToggled;

    QColor checkedColour = QColor(0x00, 0x80, 0x00);
    QRect boxRect() const;

    void DrawContents(QPainter& painter) override;
    void DrawText(QPainter& painter) override;
    bool MousePress(QPoint pos, Qt::MouseButton button) override;
    bool Key(QKeyEvent& event) override;

  private:
    QString label_;
    bool checked_ = false;
};

}  // namespace k470::plot
