// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/bar_chart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "plot/plot_window.h"

namespace k470::plot {

namespace {
constexpr int kTitleHeight = 18;
constexpr int kLeftMargin = 56 + kTitleHeight;
constexpr int kRightMargin = 10;
constexpr int kTopMargin = 22;
constexpr int kBottomMargin = 24 + kTitleHeight;
constexpr int kMinTickSpacing = 30;
}  // namespace

BarChart::BarChart(PlotWindow& window, QRect rect, int digitBudget)
    : PlotElement(window, rect), digitBudget_(digitBudget) {
    computeTicks();
}

QRect BarChart::plotArea() const {
    const QRect r = rect();
    return QRect(r.left() + kLeftMargin, r.top() + kTopMargin, r.width() - kLeftMargin - kRightMargin,
                 r.height() - kTopMargin - kBottomMargin);
}

AxisMap BarChart::valueMap() const {
    const QRect a = plotArea();
    return AxisMap::Spanning(lo_, hi_, a.bottom(), a.top());
}

void BarChart::computeTicks() {
    ticks_ = ComputeAxisTicks(lo_, hi_ - lo_, plotArea().height(), kMinTickSpacing, digitBudget_);
}

void BarChart::SetBands(std::vector<double> values, bool recomputeRange) {
    values_ = std::move(values);
    if (recomputeRange) {
        double lo = 0.0, hi = 0.0;
        bool any = false;
        for (double v : values_) {
            if (!std::isfinite(v)) continue;
            lo = any ? std::min(lo, v) : v;
            hi = any ? std::max(hi, v) : v;
            any = true;
        }
        if (any) {
            // A little room above the highest bar for its value; bars start from zero when all are positive.
            const double span = std::max(hi - std::min(lo, 0.0), 1e-12);
            SetValueRange(std::min(lo, 0.0), hi + span * 0.1);
        }
    }
    markDirty();
}

void BarChart::SetBandLabels(QStringList labels) {
    labels_ = std::move(labels);
    markDirty();
}

void BarChart::SetBandColours(std::vector<QColor> colours) {
    colours_ = std::move(colours);
    markDirty();
}

void BarChart::SetValueRange(double lo, double hi) {
    if (!std::isfinite(lo)) lo = 0.0;
    if (!(hi > lo) || !std::isfinite(hi)) hi = lo + 1.0;
    lo_ = lo;
    hi_ = hi;
    computeTicks();
    markDirty();
}

void BarChart::SetTitle(QString valueTitle) {
    title_ = std::move(valueTitle);
    markDirty();
}

void BarChart::SetAxisTitles(QString bandTitle, QString valueTitle) {
    bandTitle_ = std::move(bandTitle);
    valueTitle_ = std::move(valueTitle);
    markDirty();
}

void BarChart::drawAxisTitles(QPainter& painter) const {
    const QRect a = plotArea();
    painter.save();
    painter.setFont(window().font(PlotFont::Bold));
    painter.setPen(Qt::black);
    if (!bandTitle_.isEmpty())
        painter.drawText(QRect(a.left(), a.bottom() + 20, a.width(), kTitleHeight), Qt::AlignHCenter,
                         bandTitle_);
    if (!valueTitle_.isEmpty()) {
        // Upright along the whole chart's height, so that it fits also beside a low plot.
        const int h = rect().height() - 4;
        painter.translate(rect().left() + 2, rect().center().y());
        painter.rotate(-90);
        painter.drawText(QRect(-h / 2, 0, h, kTitleHeight), Qt::AlignHCenter | Qt::AlignTop, valueTitle_);
    }
    painter.restore();
}

QRect BarChart::barRect(int i) const {
    const QRect a = plotArea();
    const int n = static_cast<int>(values_.size());
    if (i < 0 || i >= n || a.width() < n) return {};
    const double v = values_[static_cast<size_t>(i)];
    if (!std::isfinite(v) || v <= lo_) return {};
    const double slot = static_cast<double>(a.width()) / n;
    const int gap = slot >= 6 ? static_cast<int>(slot / 6) : 0;
    const int left = a.left() + static_cast<int>(std::floor(i * slot)) + gap;
    const int right = a.left() + static_cast<int>(std::floor((i + 1) * slot)) - 1 - gap;
    const int top = std::clamp(valueMap().pixelOf(v), a.top(), a.bottom());
    return QRect(QPoint(left, top), QPoint(std::max(left, right), a.bottom()));
}

void BarChart::DrawFrame(QPainter& painter) {
    painter.fillRect(rect(), background);
    drawBevel(painter, rect().adjusted(0, 0, -1, -1), false);
}

void BarChart::DrawContents(QPainter& painter) {
    const QRect a = plotArea();
    if (a.width() < 2 || a.height() < 2) return;
    painter.fillRect(a, plotBackground);
    const AxisMap m = valueMap();
    painter.setPen(QPen(QColor(0xD0, 0xD0, 0xD0), 1.0, Qt::DotLine));
    for (int i = 0; i < ticks_.count(); ++i) {
        const int py = m.pixelOf(ticks_.tick(i));
        painter.drawLine(a.left(), py, a.right(), py);
    }
    for (int i = 0; i < static_cast<int>(values_.size()); ++i) {
        const QRect b = barRect(i);
        if (b.isEmpty()) continue;
        const QColor c =
            static_cast<size_t>(i) < colours_.size() ? colours_[static_cast<size_t>(i)] : barColour;
        painter.fillRect(b, c);
        painter.setPen(c.darker(140));
        painter.drawRect(b.adjusted(0, 0, -1, -1));
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(a.adjusted(0, 0, -1, -1));
}

void BarChart::DrawText(QPainter& painter) {
    const QRect a = plotArea();
    if (a.width() < 2 || a.height() < 2) return;
    const AxisMap m = valueMap();
    const QFont font = window().font(PlotFont::BoldSmall);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics fm(font);
    for (int i = 0; i < ticks_.count(); ++i) {
        const double v = ticks_.tick(i);
        const int py = m.pixelOf(v);
        painter.drawLine(a.left() - 4, py, a.left(), py);
        painter.drawText(QRect(rect().left() + kTitleHeight, py - 8, kLeftMargin - kTitleHeight - 8, 16),
                         Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(ticks_.label(v)));
    }
    if (!ticks_.exponentLabel().empty())
        painter.drawText(QRect(rect().left() + kTitleHeight, rect().top() + 2, kLeftMargin, 16),
                         Qt::AlignLeft, QString::fromStdString(ticks_.exponentLabel()));
    if (!title_.isEmpty())
        painter.drawText(QRect(a.left(), rect().top() + 2, a.width(), 16), Qt::AlignHCenter, title_);
    drawAxisTitles(painter);
    const int n = static_cast<int>(values_.size());
    if (n == 0) return;
    const double slot = static_cast<double>(a.width()) / n;
    // Band labels at an even step that keeps them apart: every k-th band, the middle one of each group,
    // so that on a 1/3-octave chart the octave centres are the ones named.
    int widest = 0;
    for (const QString& l : labels_) widest = std::max(widest, fm.horizontalAdvance(l));
    const int k = slot > 0 ? std::max(1, static_cast<int>(std::ceil((widest + 6) / slot))) : n;
    for (int i = 0; i < n; ++i) {
        const int left = a.left() + static_cast<int>(std::floor(i * slot));
        const QRect column(left, a.top(), static_cast<int>(slot), a.height());
        const QString value = QString::fromStdString(formatFixed(values_[static_cast<size_t>(i)], 2));
        if (std::isfinite(values_[static_cast<size_t>(i)]) &&
            fm.horizontalAdvance(value) + 2 <= column.width()) {
            const QRect b = barRect(i);
            const int top = b.isEmpty() ? a.bottom() : b.top();
            painter.drawText(QRect(column.left(), top - 16, column.width(), 15),
                             Qt::AlignHCenter | Qt::AlignBottom, value);
        }
        if (i < labels_.size() && (i - (k - 1) / 2) % k == 0) {
            const int centre = column.left() + column.width() / 2;
            painter.drawText(QRect(centre - widest / 2 - 3, a.bottom() + 3, widest + 6, 16), Qt::AlignHCenter,
                             labels_[i]);
        }
    }
}

QString BarChart::ClipboardText() const {
    QString text;
    for (size_t i = 0; i < values_.size(); ++i) {
        const QString label = static_cast<qsizetype>(i) < labels_.size() ? labels_[static_cast<qsizetype>(i)]
                                                                         : QString::number(i + 1);
        text += label + QLatin1Char('\t') + QString::fromStdString(formatFixed(values_[i], 2)) +
                QLatin1Char('\n');
    }
    return text;
}

}  // namespace k470::plot
