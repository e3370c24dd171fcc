// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_element.h"

#include <QPainter>

#include "plot/plot_window.h"

namespace k470::plot {

PlotElement::PlotElement(PlotWindow& window, QRect rect) : window_(window), rect_(rect) {}

void PlotElement::setRect(QRect rect) {
    if (rect == rect_) return;
    window_.invalidateArea(rect_);
    rect_ = rect;
    RectChanged();
    markDirty();
}

void PlotElement::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    window_.invalidateArea(rect_);
    markDirty();
}

void PlotElement::markDirty() {
    dirty_ = true;
    window_.scheduleRedraw();
}

void PlotElement::DrawFrame(QPainter& painter) {
    painter.fillRect(rect_, background);
}

void PlotElement::drawBevel(QPainter& painter, QRect r, bool sunken) const {
    const QColor topLeft = sunken ? frameDark : frameLight;
    const QColor bottomRight = sunken ? frameLight : frameDark;
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace k470::plot
