// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QToolTip>
#include <QWheelEvent>

#include "plot/plot_text.h"

namespace k470::plot {

PlotWindow::PlotWindow(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PlotWindow::~PlotWindow() {
    // Elements refer to the window; they go first, newest first.
    while (!elements_.empty()) elements_.pop_back();
}

QFont PlotWindow::font(PlotFont which) const {
    QFont f;
    switch (which) {
        case PlotFont::Title:
            f = QFont(QStringLiteral("Serif"));
            f.setStyleHint(QFont::Serif);
            f.setPixelSize(28);
            break;
        case PlotFont::Normal:
            f = QFont(QStringLiteral("Sans"));
            f.setStyleHint(QFont::SansSerif);
            f.setPixelSize(15);
            break;
        case PlotFont::Bold:
        case PlotFont::VerticalTitle:  // drawn turned by 90 degrees
        case PlotFont::BoldSmall:
            f = QFont(QStringLiteral("Sans"));
            f.setStyleHint(QFont::SansSerif);
            f.setPixelSize(which == PlotFont::BoldSmall ? 12 : 15);
            f.setBold(true);
            break;
    }
    return f;
}

void PlotWindow::scheduleRedraw() {
    update();
}

void PlotWindow::invalidateArea(QRect area) {
    invalid_ = invalid_.united(area);
    update();
}

void PlotWindow::DrawElement(PlotElement& element, QPainter& painter) {
    painter.save();
    element.DrawFrame(painter);
    painter.restore();
    painter.save();
    element.DrawContents(painter);
    painter.restore();
    painter.save();
    element.DrawText(painter);
    painter.restore();
}

void PlotWindow::renderDirty() {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (buffer_.size() != pixels || buffer_.devicePixelRatioF() != dpr) {
        buffer_ = QImage(pixels.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        buffer_.setDevicePixelRatio(dpr);
        fullRedraw_ = true;
    }
    QPainter painter(&buffer_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QRegion region;
    if (fullRedraw_) {
        painter.fillRect(rect(), background_);
        region = QRegion(rect());
    } else if (!invalid_.isEmpty()) {
        painter.fillRect(invalid_, background_);
        region = QRegion(invalid_);
    }
    for (auto& e : elements_)
        if (e->isDirty() && e->isVisible()) region += e->rect();
    // An element drawn again covers what lies above it: those are drawn again too, in order.
    for (auto& e : elements_) {
        if (e->isVisible() && region.intersects(e->rect())) {
            DrawElement(*e, painter);
            region += e->rect();
        }
        e->clearDirty();
    }
    fullRedraw_ = false;
    invalid_ = QRect();
}

const QImage& PlotWindow::frame() {
    renderDirty();
    return buffer_;
}

void PlotWindow::paintEvent(QPaintEvent*) {
    renderDirty();
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), buffer_);
}

void PlotWindow::resizeEvent(QResizeEvent* event) {
    fullRedraw_ = true;
    if (layout_) layout_(size());
    scheduleRedraw();
    QWidget::resizeEvent(event);
}

void PlotWindow::SetLayout(std::function<void(QSize)> layout) {
    layout_ = std::move(layout);
    if (layout_) layout_(size());
    scheduleRedraw();
}

void PlotWindow::Fill(PlotElement& element, QSize minimum) {
    SetLayout([&element, minimum](QSize size) {
        if (!size.isEmpty()) element.setRect(QRect(QPoint(0, 0), size.expandedTo(minimum)));
    });
}

PlotElement* PlotWindow::elementAt(QPoint pos) const {
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it)
        if ((*it)->isVisible() && (*it)->rect().contains(pos)) return it->get();
    return nullptr;
}

void PlotWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    lastMouse_ = pos;
    grabber_ = nullptr;
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        PlotElement& e = **it;
        if (e.isVisible() && e.rect().contains(pos) && e.MousePress(pos, event->button())) {
            grabber_ = &e;
            break;
        }
    }
}

void PlotWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    lastMouse_ = pos;
    if (grabber_ && (event->buttons() & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton))) {
        grabber_->MouseMove(pos, event->buttons());
        return;
    }
    for (auto& e : elements_)
        if (e->isVisible()) e->MouseMove(pos, event->buttons());
}

void PlotWindow::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (grabber_) {
        PlotElement* g = grabber_;
        grabber_ = nullptr;
        g->MouseRelease(pos, event->button());
    }
}

void PlotWindow::wheelEvent(QWheelEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) return;
    if (PlotElement* e = elementAt(pos); e && e->Wheel(pos, steps)) event->accept();
}

void PlotWindow::leaveEvent(QEvent* event) {
    for (auto& e : elements_) e->MouseLeave();
    QWidget::leaveEvent(event);
}

void PlotWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        return;
    }
    if (event->key() == Qt::Key_Print || (event->key() == Qt::Key_F12)) {
        SaveScreenshot(QDir::currentPath());
        return;
    }
    // Alt+1..3 choose the pointer's shape over the plot.
    if (event->modifiers() == Qt::AltModifier && event->key() >= Qt::Key_1 && event->key() <= Qt::Key_3) {
        static const Qt::CursorShape kShapes[] = {Qt::CrossCursor, Qt::ArrowCursor, Qt::PointingHandCursor};
        setCursor(kShapes[event->key() - Qt::Key_1]);
        return;
    }
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it)
        if ((*it)->isVisible() && (*it)->Key(*event)) return;
    QWidget::keyPressEvent(event);
}

bool PlotWindow::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        PlotElement* e = elementAt(help->pos());
        const QString tip = e ? e->ToolTipAt(help->pos()) : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this);
        }
        return true;
    }
    return QWidget::event(event);
}

QString PlotWindow::SaveScreenshot(const QString& directory) {
    const QDateTime now = QDateTime::currentDateTime();
    const QString name = QString::fromStdString(ScreenshotFileName(
        now.date().day(), now.time().hour(), now.time().minute(), now.time().second(), "bmp"));
    const QString path = QDir(directory).filePath(name);
    QImage image = frame().convertToFormat(QImage::Format_RGB32);
    if (!image.save(path, "BMP")) return {};
    return path;
}

bool PlotWindow::CopyToClipboard() {
    QString text;
    if (PlotElement* e = elementAt(lastMouse_)) text = e->ClipboardText();
    for (auto it = elements_.begin(); text.isEmpty() && it != elements_.end(); ++it)
        text = (*it)->ClipboardText();
    if (text.isEmpty()) return false;
    QApplication::clipboard()->setText(text);
    return true;
}

}  // namespace k470::plot
