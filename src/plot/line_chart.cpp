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
#include "plot/line_chart_layout.h"
#include "plot/plot_button.h"
#include "plot/plot_text.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::plot {

using namespace line_chart_layout;

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
