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
constexpr int kMinYTickSpacing = 30;
constexpr int kDragThreshold = 4;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

LineChart::LineChart(PlotWindow& window, QRect rect, int digitBudget, unsigned options)
    : PlotElement(window, rect), digitBudget_(digitBudget), options_(options) {
    origin_ =
        &window.Add<PlotButton>(QRect(), QCoreApplication::translate("LineChart", "Set cursors to origin"));
    picture_ = &window.Add<PlotButton>(QRect(), QCoreApplication::translate("LineChart", "Save picture"));
    text_ = &window.Add<PlotButton>(QRect(), QCoreApplication::translate("LineChart", "Save text"));
    origin_->onClicked = [this] { SetCursorsToOrigin(); };
    picture_->onClicked = [this] { saveWithDialog(); };
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

void LineChart::SetTitles(QString xTitle, QString yTitle) {
    xTitle_ = std::move(xTitle);
    yTitle_ = std::move(yTitle);
    markDirty();
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
    yTicks_ = ComputeAxisTicks(yLo_, yHi_ - yLo_, area.height(), kMinYTickSpacing, digitBudget_);
}

AxisMap LineChart::xMap() const {
    const QRect a = plotArea();
    return AxisMap::Spanning(xOf(first_), xOf(std::max(last_, first_)), a.left(), a.right());
}

AxisMap LineChart::yMap() const {
    const QRect a = plotArea();
    return AxisMap::Spanning(yLo_, yHi_, a.bottom(), a.top());
}

void LineChart::SetCursor(int which, int64_t sample) {
    cursors_[index(which)] = {sample, true};
    markDirty();
}

void LineChart::HideCursors() {
    cursors_ = {};
    markDirty();
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

QString LineChart::cursorReadout(int which) const {
    const Cursor& c = cursors_[index(which)];
    if (!c.visible) return {};
    return qs(CursorReadout(xOf(c.sample), c.sample, (options_ & ShowCursorSample) != 0));
}

QString LineChart::cursorPairReadout() const {
    if (!cursors_[0].visible || !cursors_[1].visible) return {};
    const int64_t points = std::abs(cursors_[1].sample - cursors_[0].sample) + 1;
    return qs(CursorPairReadout(cursorX(0), cursorX(1))) + QStringLiteral("   ") + qs(PointsReadout(points));
}

int64_t LineChart::sampleAt(int px) const {
    if (last_ < first_ || xStep_ == 0.0) return first_;
    const double x = xMap().valueAt(px);
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
        double lo = 0, hi = 0, prevEnd = 0;
        bool havePrev = false;
        auto flush = [&] {
            if (column == std::numeric_limits<int>::min()) return;
            const double top = yPixel(hi), bottom = yPixel(lo);
            if (havePrev) painter.drawLine(QPointF(column - 1, prevEnd), QPointF(column, (top + bottom) / 2));
            painter.drawLine(QPointF(column, top), QPointF(column, bottom));
            prevEnd = (top + bottom) / 2;
            havePrev = true;
        };
        for (int64_t i = first; i <= last; ++i) {
            const double v = curve.values[static_cast<size_t>(i)];
            if (!std::isfinite(v)) continue;
            const int c = xm.pixelOf(xOf(i));
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
        if (!std::isfinite(v)) {
            open = false;
            continue;
        }
        const QPointF p(xm.exactPixelOf(xOf(i)), yPixel(v));
        if (open) {
            path.lineTo(p);
        } else {
            path.moveTo(p);
            open = true;
        }
    }
    painter.drawPath(path);
}

void LineChart::DrawContents(QPainter& painter) {
    const QRect area = plotArea();
    if (area.width() < 2 || area.height() < 2) return;
    painter.fillRect(area, plotBackground);
    const AxisMap xm = xMap();
    const AxisMap ym = yMap();
    painter.setPen(QPen(gridColour, 1.0, Qt::DotLine));
    if (last_ > first_)
        for (int i = 0; i < xTicks_.count(); ++i) {
            const int px = xm.pixelOf(xTicks_.tick(i));
            painter.drawLine(px, area.top(), px, area.bottom());
        }
    for (int i = 0; i < yTicks_.count(); ++i) {
        const int py = ym.pixelOf(yTicks_.tick(i));
        painter.drawLine(area.left(), py, area.right(), py);
    }
    painter.save();
    painter.setClipRect(area);
    if (last_ >= first_)
        for (const Curve& c : curves_) drawCurve(painter, c, xm, ym);
    for (size_t k = 0; k < cursors_.size(); ++k) {
        const Cursor& c = cursors_[k];
        if (!c.visible || c.sample < first_ || c.sample > last_) continue;
        const int px = xm.pixelOf(xOf(c.sample));
        painter.setPen(QPen(cursorColours[k], 1.0, Qt::DashLine));
        painter.drawLine(px, area.top(), px, area.bottom());
        if (!curves_.empty() && c.sample >= 0 &&
            c.sample < static_cast<int64_t>(curves_.front().values.size())) {
            const double v = curves_.front().values[static_cast<size_t>(c.sample)];
            if (std::isfinite(v)) {
                painter.setPen(QPen(cursorColours[k], 1.5));
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(QPointF(px, ym.exactPixelOf(v)), 4.0, 4.0);
            }
        }
    }
    painter.restore();
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void LineChart::DrawText(QPainter& painter) {
    const QRect area = plotArea();
    if (area.width() < 2 || area.height() < 2) return;
    const AxisMap xm = xMap();
    const AxisMap ym = yMap();
    const QFont normal = window().font(PlotFont::BoldSmall);
    painter.setFont(normal);
    painter.setPen(Qt::black);
    const QFontMetrics fm(normal);
    for (int i = 0; i < yTicks_.count(); ++i) {
        const double v = yTicks_.tick(i);
        const int py = ym.pixelOf(v);
        painter.drawLine(area.left() - 4, py, area.left(), py);
        painter.drawText(QRect(rect().left() + 18, py - 8, area.left() - rect().left() - 24, 16),
                         Qt::AlignRight | Qt::AlignVCenter, qs(yTicks_.label(v)));
    }
    if (!yTicks_.exponentLabel().empty())
        painter.drawText(QRect(rect().left() + 4, area.top() - 18, kLeftMargin, 16), Qt::AlignLeft,
                         qs(yTicks_.exponentLabel()));
    if (last_ > first_) {
        for (int i = 0; i < xTicks_.count(); ++i) {
            const double v = xTicks_.tick(i);
            const int px = xm.pixelOf(v);
            painter.drawLine(px, area.bottom(), px, area.bottom() + 4);
            painter.drawText(QRect(px - 40, area.bottom() + 5, 80, 16), Qt::AlignHCenter | Qt::AlignTop,
                             qs(xTicks_.label(v)));
        }
        if (!xTicks_.exponentLabel().empty())
            painter.drawText(QRect(area.right() - 60, area.bottom() + 20, 60, 16), Qt::AlignRight,
                             qs(xTicks_.exponentLabel()));
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
    // Readouts: the pointer above the plot, the cursors beside it, the cursor pair beside the buttons.
    painter.setFont(normal);
    const QRect top(rect().left() + 6, rect().top() + 3, rect().width() - 12, kReadoutHeight - 2);
    painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, pointerReadout_);
    QString cursorsText;
    for (int k = 0; k < 2; ++k) {
        const QString t = cursorReadout(k);
        if (t.isEmpty()) continue;
        painter.setPen(cursorColours[static_cast<size_t>(k)]);
        const QString shown = QStringLiteral("%1: %2").arg(k + 1).arg(t);
        const int w = fm.horizontalAdvance(shown) + 12;
        const int x = k == 0 ? top.right() - 2 * std::max(w, 150) : top.right() - std::max(w, 150);
        painter.drawText(QRect(x, top.top(), std::max(w, 150), top.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
    painter.setPen(Qt::black);
    const QString pair = cursorPairReadout();
    if (!pair.isEmpty())
        painter.drawText(QRect(rect().left() + 6, rect().bottom() - kButtonRowHeight + 2,
                               origin_->rect().left() - rect().left() - 10, kButtonRowHeight - 4),
                         Qt::AlignLeft | Qt::AlignVCenter, pair);
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
        readout = QStringLiteral("x: %1   y: %2").arg(qs(ReadoutValue(x)), qs(ReadoutValue(y)));
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
    QString header = QStringLiteral("x");
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
    return qs(ChartTextTable(header.toStdString(), columns));
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

void LineChart::saveWithDialog() {
    QString path;
    if (options_ & AskPictureName) {
        path = QFileDialog::getSaveFileName(
            &window(), QCoreApplication::translate("LineChart", "Save picture"), QDir::currentPath(),
            QCoreApplication::translate("LineChart",
                                        "SVG pictures (*.svg);;PNG pictures (*.png);;All files (*)"));
        if (path.isEmpty()) return;
    } else {
        const QDateTime now = QDateTime::currentDateTime();
        path = QDir::current().filePath(qs(ScreenshotFileName(
            now.date().day(), now.time().hour(), now.time().minute(), now.time().second(), "svg")));
    }
    if (Status s = SavePicture(path); !s)
        QMessageBox::warning(&window(), QStringLiteral("K470"), qs(s.error().message));
}

void LineChart::saveTextWithDialog() {
    const QString path = QFileDialog::getSaveFileName(
        &window(), QCoreApplication::translate("LineChart", "Save text"), QDir::currentPath(),
        QCoreApplication::translate("LineChart", "Text files (*.txt);;All files (*)"));
    if (path.isEmpty()) return;
    if (Status s = SaveText(path); !s)
        QMessageBox::warning(&window(), QStringLiteral("K470"), qs(s.error().message));
}

}  // namespace k470::plot
