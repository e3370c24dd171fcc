// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_check_box.h"

#include <QPainter>

#include "plot/plot_window.h"

namespace k470::plot {

PlotCheckBox::PlotCheckBox(PlotWindow& window, QRect rect, QString label, bool checked)
    : PlotElement(window, rect), label_(std::move(label)), checked_(checked) {}

void PlotCheckBox::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    markDirty();
    if (onToggled) onToggled(checked_);
}

QRect PlotCheckBox::boxRect() const {
    return QRect(rect().left() + 2, rect().top() + (rect().height() - 14) / 2, 14, 14);
}

void PlotCheckBox::DrawContents(QPainter& painter) {
    const QRect box = boxRect();
    painter.fillRect(box.adjusted(1, 1, -1, -1), checked_ ? checkedColour : background);
    drawBevel(painter, box, true);
}

void PlotCheckBox::DrawText(QPainter& painter) {
    painter.setFont(window().font(PlotFont::Normal));
    painter.setPen(Qt::black);
    const QRect text(boxRect().right() + 6, rect().top(), rect().right() - boxRect().right() - 6,
                     rect().height());
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, label_);
}

bool PlotCheckBox::MousePress(QPoint, Qt::MouseButton button) {
    if (button != Qt::LeftButton) return false;
    setChecked(!checked_);
    return true;
}

bool PlotCheckBox::Key(QKeyEvent&) {
    return false;
}

}  // namespace k470::plot
