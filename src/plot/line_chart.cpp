// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/line_chart.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <limits>

#include "base/lexicon.h"
#include "base/safe_write.h"
#include "plot/plot_button.h"
#include "plot/plot_text.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::plot {

namespace {

constexpr int kReadoutHeight = 20;
constexpr int kButtonRowHeight = 24;
constexpr int kLeftMargin = 62;
constexpr int kRightMargin = 18;
constexpr int kAxisLabelsHeight = 36;
constexpr int kMinXTickSpacing = 70;
constexpr int kMinClockTickSpacing = 90;  // room for "dd.mm hh:mm"
constexpr int kMinLogTickSpacing = 40;    // the short labels of a logarithmic axis ("200", "5k")
constexpr int kMinYTickSpacing = 30;
constexpr int kDragThreshold = 4;

}  // namespace

LineChart::LineChart(PlotWindow& window, QRect rect, int digitBudget, unsigned options)
    : PlotElement(window, rect), digitBudget_(digitBudget), options_(options) {
    origin_ =
        &window.Add<PlotButton>(QRect(), QCoreApplication::translate("LineChart", "Set cursors to origin"));
    picture_ = &window.Add<PlotButton>(QRect(), QCoreApplication::translate("LineChart", "Save picture"));
    text_ = &window.Add<PlotButton>(QRect(), QCoreApplication::translate("LineChart", "Save text"));
    origin_->onClicked = [this] { SetCursorsToOrigin(); };
    askPicturePath = [this](const QString& title, const QString& proposed) {
        return QFileDialog::getSaveFileName(
            &this->window(), title, proposed,
            QCoreApplication::translate("LineChart",
                                        "SVG pictures (*.svg);;PNG pictures (*.png);;All files (*)"));
    };
    tell = [this](const QString& text, bool information) {
        if (information)
            QMessageBox::information(&this->window(), QStringLiteral("K470"), text);
        else
            QMessageBox::warning(&this->window(), QStringLiteral("K470"), text);
    };
    picture_->onClicked = [this] { SavePictureAsked(); };
    text_->onClicked = [this] { saveTextWithDialog(); };
    layout();
    computeTicks();
}

void LineChart::layout() {
    const QRect r = rect();
    const int y = r.bottom() - kButtonRowHeight + 2;
    const QFontMetrics fm(window().font(PlotFont::BoldSmall));
    int right = r.right() - 2;
    for (PlotButton* b : {text_, picture_, origin_}) {
        const int w = fm.horizontalAdvance(b->label()) + 16;
        b->setRect(QRect(right - w + 1, y, w, kButtonRowHeight - 4));
        right -= w + 4;
    }
}

QRect LineChart::plotArea() const {
    const QRect r = rect();
    return QRect(r.left() + kLeftMargin, r.top() + kReadoutHeight + 6, r.width() - kLeftMargin - kRightMargin,
                 r.height() - kReadoutHeight - 6 - kAxisLabelsHeight - kButtonRowHeight);
}

int64_t LineChart::sampleCount() const {
    size_t n = 0;
    for (const auto& c : curves_) n = std::max(n, c.values.size());
    return static_cast<int64_t>(n);
}

void LineChart::SetCurves(std::vector<Curve> curves) {
    curves_ = std::move(curves);
    markDirty();
}

void LineChart::SetYRange(double lo, double hi) {
    if (!std::isfinite(lo)) lo = 0.0;
    if (!(hi > lo) || !std::isfinite(hi)) hi = lo + 1.0;  // an empty or endless range still gets an axis
    yLo_ = lo;
    yHi_ = hi;
    computeTicks();
    markDirty();
}

void LineChart::SetTitles(QString xTitle, QString yTitle, QString xColumnTitle) {
    xTitle_ = std::move(xTitle);
    xColumnTitle_ = std::move(xColumnTitle);
    yTitle_ = std::move(yTitle);
    markDirty();
}

void LineChart::SetXValues(std::vector<double> xs) {
    xs_ = std::move(xs);
    computeTicks();
    markDirty();
}

void LineChart::SetClockOrigin(std::optional<int64_t> origin) {
    clockOrigin_ = origin;
    computeTicks();
    markDirty();
}

void LineChart::SetLogarithmicX(bool on) {
    logX_ = on;
    computeTicks();
    markDirty();
}

double LineChart::axisX(double x) const {
    if (!logX_) return x;
    return x > 0 ? std::log10(x) : -std::numeric_limits<double>::infinity();
}

double LineChart::shownXLow() const {
    if (!logX_) return xOf(first_);
    for (int64_t i = first_; i <= last_; ++i)
        if (xOf(i) > 0) return xOf(i);
    return 1.0;
}

void LineChart::SetMarkers(std::vector<Marker> markers) {
    markers_ = std::move(markers);
    markDirty();
}

double LineChart::xOf(int64_t sample) const {
    if (xs_.empty()) return x0_ + static_cast<double>(sample) * xStep_;
    // Beyond the given values the axis goes on at the last known spacing.
    const auto n = static_cast<int64_t>(xs_.size());
    if (sample >= 0 && sample < n) return xs_[static_cast<size_t>(sample)];
    const double step = n >= 2 ? xs_[xs_.size() - 1] - xs_[xs_.size() - 2] : 1.0;
    return sample < 0 ? xs_.front() + static_cast<double>(sample) * step
                      : xs_.back() + static_cast<double>(sample - n + 1) * step;
}

void LineChart::Render(int64_t first, int64_t last, double x0, double xStep) {
    first_ = first;
    last_ = last;
    x0_ = x0;
    xStep_ = xStep;
    computeTicks();
    markDirty();
}

void LineChart::computeTicks() {
    const QRect area = plotArea();
    const double xLo = std::min(xOf(first_), xOf(std::max(last_, first_)));
    const double xRange = std::fabs(xOf(std::max(last_, first_)) - xOf(first_));
    xTicks_ = ComputeAxisTicks(xLo, xRange, area.width(), kMinXTickSpacing, digitBudget_);
    if (clockOrigin_)
        xClock_ = ComputeClockTicks(*clockOrigin_, xLo, xRange, area.width(), kMinClockTickSpacing);
    if (logX_)
        xLog_ =
            ComputeLogAxisTicks(shownXLow(), xOf(std::max(last_, first_)), area.width(), kMinLogTickSpacing);
    yTicks_ = ComputeAxisTicks(yLo_, yHi_ - yLo_, area.height(), kMinYTickSpacing, digitBudget_);
}

int LineChart::xTickCount() const {
    if (logX_) return static_cast<int>(xLog_.values.size());
    return clockOrigin_ ? xClock_.count() : xTicks_.count();
}

double LineChart::xTick(int i) const {
    if (logX_) return xLog_.values[static_cast<size_t>(i)];
    return clockOrigin_ ? xClock_.tick(i) : xTicks_.tick(i);
}

QString LineChart::xTickLabel(double value) const {
    if (logX_) return QString::fromStdString(LogTickLabel(value));
    return QString::fromStdString(clockOrigin_ ? xClock_.label(value) : xTicks_.label(value));
}

QStringList LineChart::xTickLabels() const {
    QStringList labels;
    if (last_ <= first_) return labels;
    for (int i = 0; i < xTickCount(); ++i) labels << xTickLabel(xTick(i));
    return labels;
}

AxisMap LineChart::xMap() const {
    const QRect a = plotArea();
    return AxisMap::Spanning(axisX(shownXLow()), axisX(xOf(std::max(last_, first_))), a.left(), a.right());
}

AxisMap LineChart::yMap() const {
    const QRect a = plotArea();
    return AxisMap::Spanning(yLo_, yHi_, a.bottom(), a.top());
}

void LineChart::SetCursor(int which, int64_t sample) {
    cursors_[index(which)] = {sample, true};
    markDirty();
    if (onCursorsChanged) onCursorsChanged();
}

void LineChart::HideCursors() {
    cursors_ = {};
    markDirty();
    if (onCursorsChanged) onCursorsChanged();
}

double LineChart::cursorX(int which) const {
    const Cursor& c = cursors_[index(which)];
    return c.visible ? xOf(c.sample) : 0.0;
}

void LineChart::SetCursorsToOrigin() {
    if (last_ < first_) return;
    SetCursor(0, first_);
    SetCursor(1, last_);
}

std::string LineChart::xText(double x) const {
    return clockOrigin_ ? ClockReadout(*clockOrigin_, x) : ReadoutValue(x);
}

double LineChart::curveValue(int64_t sample) const {
    if (curves_.empty() || sample < 0 || sample >= static_cast<int64_t>(curves_.front().values.size()))
        return std::numeric_limits<double>::quiet_NaN();
    return curves_.front().values[static_cast<size_t>(sample)];
}

QString LineChart::cursorReadout(int which) const {
    const Cursor& c = cursors_[index(which)];
    if (!c.visible) return {};
    return QString::fromStdString(CursorReadout(xText(xOf(c.sample)), curveValue(c.sample), c.sample,
                                                (options_ & ShowCursorSample) != 0));
}

QString LineChart::cursorPairReadout() const {
    if (!cursors_[0].visible || !cursors_[1].visible) return {};
    const int64_t points = std::abs(cursors_[1].sample - cursors_[0].sample) + 1;
    return QString::fromStdString(CursorPairReadout(cursorX(0), cursorX(1))) + QStringLiteral("   ") +
           QString::fromStdString(PointsReadout(points));
}

int64_t LineChart::sampleAt(int px) const {
    if (last_ < first_) return first_;
    const double x = logX_ ? std::pow(10.0, xMap().valueAt(px)) : xMap().valueAt(px);
    if (!xs_.empty()) {
        // The nearest of the uneven samples shown.
        int64_t lo = first_, hi = last_;
        while (lo < hi) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (xOf(mid) < x)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo > first_ && x - xOf(lo - 1) < xOf(lo) - x ? lo - 1 : lo;
    }
    if (xStep_ == 0.0) return first_;
    const double s = std::floor((x - x0_) / xStep_ + 0.5);
    if (!std::isfinite(s)) return first_;
    return std::clamp(static_cast<int64_t>(std::clamp(s, -9e15, 9e15)), first_, last_);
}

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

bool LineChart::MousePress(QPoint pos, Qt::MouseButton button) {
    if (!plotArea().contains(pos) || last_ < first_) return false;
    if (button == Qt::RightButton) {
        SetCursor(1, sampleAt(pos.x()));
        return true;
    }
    if (button != Qt::LeftButton) return false;
    leftDown_ = true;
    dragging_ = false;
    dragStart_ = pos;
    dragFirst_ = first_;
    return true;
}

bool LineChart::MouseMove(QPoint pos, Qt::MouseButtons buttons) {
    const QRect area = plotArea();
    if (leftDown_ && (buttons & Qt::LeftButton)) {
        if (!dragging_ && (pos - dragStart_).manhattanLength() >= kDragThreshold) dragging_ = true;
        if (dragging_ && bar_ && xStep_ != 0.0 && area.width() > 1) {
            // Samples per pixel of the current window; the data follows the pointer.
            const double perPixel = static_cast<double>(last_ - first_) / (area.width() - 1);
            const auto shift = static_cast<int64_t>(std::llround((pos.x() - dragStart_.x()) * perPixel));
            bar_->SetView(dragFirst_ - shift, last_ - first_ + 1);
        }
    }
    QString readout;
    if (area.contains(pos) && last_ >= first_) {
        const double x = xOf(sampleAt(pos.x()));
        const double y = yMap().valueAt(pos.y());
        readout = QStringLiteral("x: %1   y: %2")
                      .arg(QString::fromStdString(xText(x)), QString::fromStdString(ReadoutValue(y)));
    }
    if (readout != pointerReadout_) {
        pointerReadout_ = readout;
        markDirty();
    }
    return true;
}

bool LineChart::MouseRelease(QPoint pos, Qt::MouseButton button) {
    if (button != Qt::LeftButton || !leftDown_) return false;
    leftDown_ = false;
    if (!dragging_ && plotArea().contains(pos)) SetCursor(0, sampleAt(pos.x()));
    dragging_ = false;
    return true;
}

bool LineChart::Wheel(QPoint pos, int steps) {
    if (!bar_ || !plotArea().contains(pos)) return false;
    for (int i = 0; i < std::abs(steps); ++i) steps > 0 ? bar_->ZoomIn() : bar_->ZoomOut();
    return true;
}

bool LineChart::Key(QKeyEvent& event) {
    if (!bar_) return false;
    switch (event.key()) {
        case Qt::Key_Left:
            return bar_->SmallShiftLeft(), true;
        case Qt::Key_Right:
            return bar_->SmallShiftRight(), true;
        case Qt::Key_PageUp:
            return bar_->ShiftLeft(), true;
        case Qt::Key_PageDown:
            return bar_->ShiftRight(), true;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            return bar_->ZoomIn(), true;
        case Qt::Key_Minus:
            return bar_->ZoomOut(), true;
        case Qt::Key_Home:
            return bar_->ZoomFull(), true;
        default:
            return false;
    }
}

void LineChart::MouseLeave() {
    if (pointerReadout_.isEmpty()) return;
    pointerReadout_.clear();
    markDirty();
}

QString LineChart::TextTable() const {
    if (last_ < first_) return {};
    std::vector<double> xs;
    xs.reserve(static_cast<size_t>(last_ - first_ + 1));
    for (int64_t i = first_; i <= last_; ++i) xs.push_back(xOf(i));
    std::vector<TableColumn> columns{{xs}};
    QString header = !xColumnTitle_.isEmpty() ? xColumnTitle_
                     : !xTitle_.isEmpty()     ? xTitle_
                                              : QStringLiteral("x");
    for (const Curve& c : curves_) {
        const int64_t n = static_cast<int64_t>(c.values.size());
        const int64_t from = std::clamp<int64_t>(first_, 0, n);
        const int64_t to = std::clamp<int64_t>(last_ + 1, from, n);
        columns.push_back({std::span<const double>(c.values).subspan(static_cast<size_t>(from),
                                                                     static_cast<size_t>(to - from))});
        header +=
            QLatin1Char('\t') +
            (c.name.isEmpty() ? QCoreApplication::translate("LineChart", "curve %1").arg(columns.size() - 1)
                              : c.name);
    }
    return QString::fromStdString(ChartTextTable(header.toStdString(), columns));
}

Status LineChart::SaveText(const QString& path) {
    const QByteArray bytes = TextTable().toUtf8();
    return WriteFileSafely(path.toStdString(),
                           std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

Status LineChart::SavePicture(const QString& path) {
    // Drawn into memory first, then written as one safe output.
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    const QRect r = rect();
    bool written = true;
    if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        const qreal dpr = window().devicePixelRatioF();
        QImage image((QSizeF(r.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(background);
        {
            QPainter painter(&image);
            painter.translate(-r.topLeft());
            PlotWindow::DrawElement(*this, painter);
        }
        written = image.save(&file, "PNG");
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(r.size());
        svg.setViewBox(QRect(QPoint(0, 0), r.size()));
        svg.setTitle(QCoreApplication::translate("LineChart", "Chart"));
        svg.setDescription(QStringLiteral("Description"));
        QPainter painter(&svg);
        painter.translate(-r.topLeft());
        PlotWindow::DrawElement(*this, painter);
        written = painter.end();
    }
    if (!written) return fail(lexicon().cantWriteFile(path.toStdString()));
    const QByteArray& bytes = file.data();
    return WriteFileSafely(path.toStdString(),
                           std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void LineChart::SavePictureAsked() {
    const QDateTime now = QDateTime::currentDateTime();
    const QString proposed = QDir::current().filePath(QString::fromStdString(ScreenshotFileName(
        now.date().day(), now.time().hour(), now.time().minute(), now.time().second(), "svg")));
    const QString path = askPicturePath(QCoreApplication::translate("LineChart", "Save picture"), proposed);
    if (path.isEmpty()) return;
    if (Status s = SavePicture(path); !s) {
        tell(QString::fromStdString(s.error().message), false);
        return;
    }
    tell(QCoreApplication::translate("LineChart", "Picture saved to %1").arg(QDir::toNativeSeparators(path)),
         true);
}

void LineChart::saveTextWithDialog() {
    const QString path = QFileDialog::getSaveFileName(
        &window(), QCoreApplication::translate("LineChart", "Save text"), QDir::currentPath(),
        QCoreApplication::translate("LineChart", "Text files (*.txt);;All files (*)"));
    if (path.isEmpty()) return;
    if (Status s = SaveText(path); !s)
        QMessageBox::warning(&window(), QStringLiteral("K470"), QString::fromStdString(s.error().message));
}

}  // namespace k470::plot
