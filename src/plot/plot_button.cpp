// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_button.h"

#include <QPainter>

#include "plot/plot_window.h"

namespace k470::plot {

PlotButton::PlotButton(PlotWindow& window, QRect rect, QString label, QString toolTip)
    : PlotElement(window, rect), label_(std::move(label)), toolTip_(std::move(toolTip)) {}

void PlotButton::setLabel(QString label) {
    label_ = std::move(label);
    markDirty();
}

bool PlotButton::Clicked() {
    return std::exchange(clicked_, false);
}

void PlotButton::DrawContents(QPainter& painter) {
    drawBevel(painter, rect().adjusted(0, 0, -1, -1), pressed_);
}

void PlotButton::DrawText(QPainter& painter) {
    painter.setFont(window().font(PlotFont::BoldSmall));
    painter.setPen(Qt::black);
    const QRect r = pressed_ ? rect().translated(1, 1) : rect();
    // Two vertical bars stand for "zoom into the span between the cursors".
    if (label_ == QStringLiteral("||")) {
        const QPoint c = r.center();
        painter.fillRect(QRect(c.x() - 4, c.y() - 5, 2, 11), Qt::black);
        painter.fillRect(QRect(c.x() + 2, c.y() - 5, 2, 11), Qt::black);
        return;
    }
    painter.drawText(r, Qt::AlignCenter, label_);
}

bool PlotButton::MousePress(QPoint, Qt::MouseButton button) {
    if (button != Qt::LeftButton) return false;
    pressed_ = true;
    markDirty();
    return true;
}

bool PlotButton::MouseMove(QPoint pos, Qt::MouseButtons buttons) {
    const bool down = (buttons & Qt::LeftButton) && rect().contains(pos);
    if (down == pressed_) return false;
    pressed_ = down;
    markDirty();
    return true;
}

bool PlotButton::MouseRelease(QPoint pos, Qt::MouseButton button) {
    if (button != Qt::LeftButton) return false;
    const bool wasPressed = pressed_;
    pressed_ = false;
    markDirty();
    if (wasPressed && rect().contains(pos)) {
        clicked_ = true;
        if (onClicked) onClicked();
    }
    return true;
}

}  // namespace k470::plot
