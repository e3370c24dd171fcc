// SPDX-License-Identifier: GPL-3.0-or-later
// A push button drawn in the plot: raised, sunken while the mouse holds it, clicked when released over it.
#pragma once

#include <functional>

#include "plot/plot_element.h"

namespace k470::plot {

class PlotButton : public PlotElement {
  public:
    PlotButton(PlotWindow& window, QRect rect, QString label, QString toolTip = {});

    const QString& label() const { return label_; }
    void setLabel(QString label);
    bool isPressed() const { return pressed_; }
    // True once per click since the last call.
    bool Clicked();
    // Called on every click.
    std::function<void()> onClicked;

    void DrawContents(QPainter& painter) override;
    void DrawText(QPainter& painter) override;
    bool MousePress(QPoint pos, Qt::MouseButton button) override;
    bool MouseMove(QPoint pos, Qt::MouseButtons buttons) override;
    bool MouseRelease(QPoint pos, Qt::MouseButton button) override;
    QString ToolTipAt(QPoint) const override { return toolTip_; }

  private:
    QString label_;
    QString toolTip_;
    bool pressed_ = false;
    bool clicked_ = false;
};

}  // namespace k470::plot
