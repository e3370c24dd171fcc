// SPDX-License-Identifier: GPL-3.0-or-later
// The line chart's drawing: frame, curves, grid, cursors and markers, axis texts, readouts and legend.
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

#include "plot/line_chart.h"
#include "plot/line_chart_layout.h"
#include "plot/plot_button.h"
#include "plot/plot_text.h"
#include "plot/plot_window.h"

namespace k470::plot {

using namespace line_chart_layout;

void LineChart::DrawFrame(QPainter& painter) {
    painter.fillRect(rect(), background);
    drawBevel(painter, rect().adjusted(0, 0, -1, -1), false);
}

void LineChart::drawCurve(QPainter& painter, const Curve& curve, const AxisMap& xm, const AxisMap& ym) const {
    const int64_t n = static_cast<int64_t>(curve.values.size());
    const int64_t first = std::max<int64_t>(first_, 0);
    const int64_t last = std::min(last_, n - 1);
    if (last < first) return;
    painter.setPen(QPen(curve.colour, 1.0));
    const QRect area = plotArea();
    const int64_t count = last - first + 1;
    auto yPixel = [&](double v) {
        // Values far outside the axis are drawn at its edge rather than at a pixel beyond int range.
        const double p = ym.exactPixelOf(v);
        return std::clamp(p, double(area.top() - 2), double(area.bottom() + 2));
    };
    if (count > 2 * static_cast<int64_t>(area.width())) {
        // More samples than pixels: one vertical stroke per pixel column from its lowest to its highest
        // value, joined to the next column, which looks like the full polyline at a fraction of the cost.
        int column = std::numeric_limits<int>::min();
        int prevColumn = 0;
        double lo = 0, hi = 0, prevEnd = 0;
        bool havePrev = false;
        auto flush = [&] {
            if (column == std::numeric_limits<int>::min()) return;
            const double top = yPixel(hi), bottom = yPixel(lo);
            // Joined to the column drawn before, which on a logarithmic axis may lie several pixels away.
            if (havePrev) painter.drawLine(QPointF(prevColumn, prevEnd), QPointF(column, (top + bottom) / 2));
            painter.drawLine(QPointF(column, top), QPointF(column, bottom));
            prevEnd = (top + bottom) / 2;
            prevColumn = column;
            havePrev = true;
        };
        for (int64_t i = first; i <= last; ++i) {
            const double v = curve.values[static_cast<size_t>(i)];
            const double ax = axisX(xOf(i));
            if (!std::isfinite(v) || !std::isfinite(ax)) continue;
            const int c = xm.pixelOf(ax);
            if (c != column) {
                flush();
                column = c;
                lo = hi = v;
            } else {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
        flush();
        return;
    }
    QPainterPath path;
    bool open = false;
    for (int64_t i = first; i <= last; ++i) {
        const double v = curve.values[static_cast<size_t>(i)];
        const double ax = axisX(xOf(i));
        if (!std::isfinite(v) || !std::isfinite(ax)) {
            open = false;
            continue;
        }
        const QPointF p(xm.exactPixelOf(ax), yPixel(v));
        if (open) {
            path.lineTo(p);
        } else {
            path.moveTo(p);
            open = true;
        }
    }
    painter.drawPath(path);
}

void LineChart::drawGrid(QPainter& painter, const AxisMap& xm, const AxisMap& ym) const {
    const QRect area = plotArea();
    painter.setPen(QPen(gridColour, 1.0, Qt::DotLine));
    if (last_ > first_)
        for (int i = 0; i < xTickCount(); ++i) {
            const int px = xm.pixelOf(axisX(xTick(i)));
            painter.drawLine(px, area.top(), px, area.bottom());
        }
    for (int i = 0; i < yTicks_.count(); ++i) {
        const int py = ym.pixelOf(yTicks_.tick(i));
        painter.drawLine(area.left(), py, area.right(), py);
    }
}

void LineChart::drawCursorsAndMarkers(QPainter& painter, const AxisMap& xm, const AxisMap& ym) const {
    const QRect area = plotArea();
    const double xLo = xOf(first_), xHi = xOf(std::max(last_, first_));
    painter.setFont(window().font(PlotFont::BoldSmall));
    for (const Marker& m : markers_) {
        if (m.x < std::min(xLo, xHi) || m.x > std::max(xLo, xHi)) continue;
        if (!std::isfinite(axisX(m.x))) continue;
        const int px = xm.pixelOf(axisX(m.x));
        painter.setPen(QPen(markerColour, 1.0));
        painter.drawLine(px, area.top(), px, area.bottom());
        painter.drawText(QRect(px + 3, area.top() + 2, 160, 16), Qt::AlignLeft | Qt::AlignTop, m.name);
    }
    for (size_t k = 0; k < cursors_.size(); ++k) {
        const Cursor& c = cursors_[k];
        if (!c.visible || c.sample < first_ || c.sample > last_ || !std::isfinite(axisX(xOf(c.sample))))
            continue;
        const int px = xm.pixelOf(axisX(xOf(c.sample)));
        painter.setPen(QPen(cursorColours[k], 1.0, Qt::DashLine));
        painter.drawLine(px, area.top(), px, area.bottom());
        const double v = curveValue(c.sample);
        if (std::isfinite(v)) {
            painter.setPen(QPen(cursorColours[k], 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QPointF(px, ym.exactPixelOf(v)), 4.0, 4.0);
        }
    }
}

void LineChart::DrawContents(QPainter& painter) {
    const QRect area = plotArea();
    if (area.width() < 2 || area.height() < 2) return;
    painter.fillRect(area, plotBackground);
    const AxisMap xm = xMap();
    const AxisMap ym = yMap();
    drawGrid(painter, xm, ym);
    painter.save();
    painter.setClipRect(area);
    if (last_ >= first_)
        for (const Curve& c : curves_) drawCurve(painter, c, xm, ym);
    drawCursorsAndMarkers(painter, xm, ym);
    painter.restore();
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void LineChart::drawAxisTexts(QPainter& painter, const AxisMap& xm, const AxisMap& ym) const {
    const QRect area = plotArea();
    for (int i = 0; i < yTicks_.count(); ++i) {
        const double v = yTicks_.tick(i);
        const int py = ym.pixelOf(v);
        painter.drawLine(area.left() - 4, py, area.left(), py);
        painter.drawText(QRect(rect().left() + 18, py - 8, area.left() - rect().left() - 24, 16),
                         Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(yTicks_.label(v)));
    }
    if (!yTicks_.exponentLabel().empty())
        painter.drawText(QRect(rect().left() + 4, area.top() - 18, kLeftMargin, 16), Qt::AlignLeft,
                         QString::fromStdString(yTicks_.exponentLabel()));
    if (last_ > first_) {
        for (int i = 0; i < xTickCount(); ++i) {
            const double v = xTick(i);
            const int px = xm.pixelOf(axisX(v));
            painter.drawLine(px, area.bottom(), px, area.bottom() + 4);
            painter.drawText(QRect(px - 50, area.bottom() + 5, 100, 16), Qt::AlignHCenter | Qt::AlignTop,
                             xTickLabel(v));
        }
        if (!clockOrigin_ && !logX_ && !xTicks_.exponentLabel().empty())
            painter.drawText(QRect(area.right() - 60, area.bottom() + 20, 60, 16), Qt::AlignRight,
                             QString::fromStdString(xTicks_.exponentLabel()));
    }
    painter.setFont(window().font(PlotFont::Bold));
    if (!xTitle_.isEmpty())
        painter.drawText(QRect(area.left(), area.bottom() + 18, area.width(), 18), Qt::AlignHCenter, xTitle_);
    if (!yTitle_.isEmpty()) {
        painter.save();
        painter.translate(rect().left() + 2, area.center().y());
        painter.rotate(-90);
        painter.drawText(QRect(-area.height() / 2, 0, area.height(), 18), Qt::AlignHCenter | Qt::AlignTop,
                         yTitle_);
        painter.restore();
    }
}

void LineChart::drawReadouts(QPainter& painter) const {
    // The pointer above the plot, the cursors beside it, the cursor pair beside the buttons.
    const QFont normal = window().font(PlotFont::BoldSmall);
    painter.setFont(normal);
    painter.setPen(Qt::black);
    const QFontMetrics fm(normal);
    const QRect top(rect().left() + 6, rect().top() + 3, rect().width() - 12, kReadoutHeight - 2);
    painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, pointerReadout_);
    for (int k = 0; k < 2; ++k) {
        const QString t = cursorReadout(k);
        if (t.isEmpty()) continue;
        painter.setPen(cursorColours[static_cast<size_t>(k)]);
        const QString shown = QStringLiteral("%1: %2").arg(k + 1).arg(t);
        const int w = std::max(fm.horizontalAdvance(shown) + 12, 220);
        const int x = k == 0 ? top.right() - 2 * w : top.right() - w;
        painter.drawText(QRect(x, top.top(), w, top.height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
    painter.setPen(Qt::black);
    const QString pair = cursorPairReadout();
    if (!pair.isEmpty())
        painter.drawText(QRect(rect().left() + 6, rect().bottom() - kButtonRowHeight + 2,
                               origin_->rect().left() - rect().left() - 10, kButtonRowHeight - 4),
                         Qt::AlignLeft | Qt::AlignVCenter, pair);
}

std::vector<const Curve*> LineChart::legendCurves() const {
    std::vector<const Curve*> shown;
    if (!(options_ & ShowLegend)) return shown;
    for (const Curve& c : curves_)
        if (!c.name.isEmpty() &&
            std::any_of(c.values.begin(), c.values.end(), [](double v) { return std::isfinite(v); }))
            shown.push_back(&c);
    return shown;
}

QStringList LineChart::legendEntries() const {
    QStringList names;
    for (const Curve* c : legendCurves()) names << c->name;
    return names;
}

void LineChart::drawLegend(QPainter& painter) const {
    const std::vector<const Curve*> shown = legendCurves();
    if (shown.empty()) return;
    const QFontMetrics fm(painter.font());
    constexpr int kSwatch = 18, kPad = 4;
    int textWidth = 0;
    for (const Curve* c : shown) textWidth = std::max(textWidth, fm.horizontalAdvance(c->name));
    const int lineHeight = fm.height();
    const QRect area = plotArea();
    const int width = textWidth + kSwatch + 3 * kPad;
    const QRect box(area.right() - width - 4, area.top() + 4, width,
                    static_cast<int>(shown.size()) * lineHeight + 2 * kPad);
    painter.fillRect(box, QColor(255, 255, 255, 220));
    painter.setPen(Qt::gray);
    painter.drawRect(box);
    for (size_t row = 0; row < shown.size(); ++row) {
        const int y = box.top() + kPad + static_cast<int>(row) * lineHeight;
        painter.setPen(QPen(shown[row]->colour, 2));
        painter.drawLine(box.left() + kPad, y + lineHeight / 2, box.left() + kPad + kSwatch,
                         y + lineHeight / 2);
        painter.setPen(Qt::black);
        painter.drawText(QRect(box.left() + 2 * kPad + kSwatch, y, textWidth, lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, shown[row]->name);
    }
}

void LineChart::DrawText(QPainter& painter) {
    const QRect area = plotArea();
    if (area.width() < 2 || area.height() < 2) return;
    painter.setFont(window().font(PlotFont::BoldSmall));
    painter.setPen(Qt::black);
    drawAxisTexts(painter, xMap(), yMap());
    drawReadouts(painter);
    drawLegend(painter);
}

}  // namespace k470::plot
