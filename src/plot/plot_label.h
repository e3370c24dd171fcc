// SPDX-License-Identifier: GPL-3.0-or-later
// A text field drawn in the plot.
#pragma once

#include "plot/plot_element.h"
#include "plot/plot_window.h"

namespace k470::plot {

class PlotLabel : public PlotElement {
  public:
    PlotLabel(PlotWindow& window, QRect rect, QString text, PlotFont font = PlotFont::Normal,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, QColor colour = Qt::black);

    const QString& text() const { return text_; }
    void setText(QString text);
    void DrawText(QPainter& painter) override;
    QString ClipboardText() const override { return text_; }

  private:
    QString text_;
    PlotFont font_;
    Qt::Alignment alignment_;
    QColor colour_;
};

}  // namespace k470::plot
