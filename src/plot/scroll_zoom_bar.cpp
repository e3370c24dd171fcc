// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/scroll_zoom_bar.h"

#include <QCoreApplication>
#include <QPainter>

#include "plot/line_chart.h"
#include "plot/plot_button.h"
#include "plot/plot_window.h"

namespace k470::plot {

ScrollZoomBar::ScrollZoomBar(PlotWindow& window, QRect rect) : PlotElement(window, rect) {
    struct Spec {
        const char* label;
        const char* toolTip;
        bool (ScrollZoomBar::*move)();
    };
    static const Spec kButtons[kButtonCount] = {
        {"<", QT_TRANSLATE_NOOP("ScrollZoomBar", "Small shift left"), &ScrollZoomBar::SmallShiftLeft},
        {">", QT_TRANSLATE_NOOP("ScrollZoomBar", "Small shift right"), &ScrollZoomBar::SmallShiftRight},
        {"<<", QT_TRANSLATE_NOOP("ScrollZoomBar", "Shift left"), &ScrollZoomBar::ShiftLeft},
        {">>", QT_TRANSLATE_NOOP("ScrollZoomBar", "Shift right"), &ScrollZoomBar::ShiftRight},
        {"+", QT_TRANSLATE_NOOP("ScrollZoomBar", "Zoom in"), &ScrollZoomBar::ZoomIn},
        {"||", QT_TRANSLATE_NOOP("ScrollZoomBar", "Zoom into hole"), &ScrollZoomBar::ZoomIntoHole},
        {"-", QT_TRANSLATE_NOOP("ScrollZoomBar", "Zoom out"), &ScrollZoomBar::ZoomOut},
        {"F", QT_TRANSLATE_NOOP("ScrollZoomBar", "Zoom to full scale"), &ScrollZoomBar::ZoomFull},
    };
    for (int i = 0; i < kButtonCount; ++i) {
        const Spec& s = kButtons[i];
        PlotButton& b = window.Add<PlotButton>(QRect(), QString::fromLatin1(s.label),
                                               QCoreApplication::translate("ScrollZoomBar", s.toolTip));
        auto move = s.move;
        b.onClicked = [this, move] { (this->*move)(); };
        buttons_[static_cast<size_t>(i)] = &b;
    }
    layoutButtons();
}

void ScrollZoomBar::layoutButtons() {
    const QRect r = rect();
    const int w = r.width() / kButtonCount;
    for (int i = 0; i < kButtonCount; ++i) {
        const int left = r.left() + i * w;
        const int right = i == kButtonCount - 1 ? r.right() : left + w - 1;
        buttons_[static_cast<size_t>(i)]->setRect(QRect(QPoint(left, r.top()), QPoint(right, r.bottom())));
    }
}

void ScrollZoomBar::Attach(LineChart& chart) {
    charts_.push_back(&chart);
    chart.setScrollZoomBar(this);
}

void ScrollZoomBar::SetDataRange(int64_t dataFirst, int64_t dataLast, double x0, double xStep) {
    view_.SetDataRange(dataFirst, dataLast, x0, xStep);
}

bool ScrollZoomBar::SetView(int64_t first, int64_t count) {
    return apply(!charts_.empty() && view_.SetView(first, count));
}

bool ScrollZoomBar::ZoomIntoHole() {
    if (charts_.empty()) return false;
    // The cursors' samples on the bar's own even axis, so that a chart with uneven x values zooms the same.
    const LineChart& c = *charts_.front();
    auto x = [&](int k) { return c.cursorVisible(k) ? view_.xOf(c.cursorSample(k)) : 0.0; };
    return apply(view_.ZoomIntoHole(x(0), x(1)));
}

bool ScrollZoomBar::apply(bool changed) {
    if (!changed) return false;
    for (LineChart* c : charts_) c->Render(view_.first(), view_.last(), view_.x0(), view_.xStep());
    return true;
}

void ScrollZoomBar::DrawFrame(QPainter& painter) {
    painter.fillRect(rect(), background);
}

}  // namespace k470::plot
