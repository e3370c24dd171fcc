// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_label.h"

#include <QPainter>

namespace k470::plot {

PlotLabel::PlotLabel(PlotWindow& window, QRect rect, QString text, PlotFont font, Qt::Alignment alignment,
                     QColor colour)
    : PlotElement(window, rect),
      text_(std::move(text)),
      font_(font),
      alignment_(alignment),
      colour_(colour) {}

void PlotLabel::setText(QString text) {
    if (text == text_) return;
    text_ = std::move(text);
    markDirty();
}

void PlotLabel::DrawText(QPainter& painter) {
    painter.setFont(window().font(font_));
    painter.setPen(colour_);
    painter.drawText(rect(), static_cast<int>(alignment_), text_);
}

}  // namespace k470::plot
