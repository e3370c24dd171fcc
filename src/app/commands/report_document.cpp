// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands/report_document.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "app/qt_text.h"
#include "base/lexicon.h"
#include "base/safe_write.h"
#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "plot/plot_window.h"

namespace k470::app {

namespace {

// The page is laid out in units of a 96 dpi screen pixel on a page this wide, whatever the device's
// resolution, so that the plot controls draw with the proportions they have on screen.
constexpr double kPageUnits = 720.0;
constexpr int kTitlePixels = 22;
constexpr int kHeadingPixels = 15;
constexpr int kTextPixels = 11;
constexpr int kFooterHeight = 24;

QFont sans(int pixels, bool bold = false) {
    QFont f(QStringLiteral("Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(bold);
    // Without ligatures, so that names copied or searched in the PDF keep their letters ("fi" stays two).
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

QString dateTimeText(const CalendarTime& t) {
    std::string s;
    appendDate(s, t);
    s += ' ';
    appendTime(s, t);
    return qs(s);
}

QString levelText(double level) {
    return QString::number(level, 'f', 1) + QStringLiteral(" dB");
}

// Axis bounds on multiples of 5 dB around the values, with some room above and below.
std::pair<double, double> decadeBounds(double lo, double hi) {
    return {std::floor((lo - 3.0) / 5.0) * 5.0, std::ceil((hi + 3.0) / 5.0) * 5.0};
}

// Paper colours for a plot control made for the screen.
void onPaper(plot::PlotElement& e) {
    e.background = Qt::white;
    e.frameLight = Qt::white;
    e.frameDark = QColor(0xA0, 0xA0, 0xA0);
}

void drawAt(plot::PlotElement& e, QPainter& painter, QPoint at) {
    painter.save();
    painter.translate(at);
    plot::PlotWindow::DrawElement(e, painter);
    painter.restore();
}

}  // namespace

ReportDocument::ReportDocument(const views::ReportDocumentData& data, ReportFields fields)
    : data_(data), fields_(std::move(fields)) {}

QString ReportDocument::pageFooter(int page) {
    return tr("Page %1 of %2").arg(page).arg(kPageCount);
}

QList<QStringList> ReportDocument::titleRows() const {
    QStringList files;
    for (const std::string& f : data_.fileNames) files << qs(f);
    QStringList vins;
    for (uint32_t v : data_.vins) vins << QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
    QString period;
    if (data_.firstTime && data_.lastTime)
        period = dateTimeText(*data_.firstTime) + QStringLiteral(" - ") + dateTimeText(*data_.lastTime);
    return {
        {tr("Files"), files.join(QStringLiteral(", "))},
        {tr("Instrument"), qs(data_.typeName)},
        {tr("VIN"), vins.join(QStringLiteral(", "))},
        {tr("Period"), period},
        {tr("Records"), QString::number(data_.summary.recordCount)},
        {tr("Operator"), fields_.operatorName},
        {tr("Project"), fields_.project},
    };
}

QList<QStringList> ReportDocument::summaryRows() const {
    const views::ReportSummary& s = data_.summary;
    QList<QStringList> rows;
    if (s.laeq) rows.append({tr("LAeq (energy average)"), levelText(*s.laeq)});
    if (s.lafmax) rows.append({tr("LAFmax"), levelText(*s.lafmax)});
    if (s.lcpeak) rows.append({tr("LCpeak"), levelText(*s.lcpeak)});
    const QString level = qs(data_.levelName);
    rows.append({tr("%1: energy average").arg(level), levelText(s.levelAverage)});
    rows.append({tr("%1: minimum").arg(level), levelText(s.levelMinimum)});
    rows.append({tr("%1: maximum").arg(level), levelText(s.levelMaximum)});
    for (const views::ReportPercentile& p : s.percentiles)
        rows.append({tr("%1: L%2").arg(level).arg(p.percent), levelText(p.level)});
    return rows;
}

bool ReportDocument::Paint(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const double scale = device.width() / kPageUnits;
    const double height = device.height() / scale;
    for (int page = 1; page <= kPageCount; ++page) {
        if (page > 1 && !device.newPage()) return false;
        painter.save();
        painter.scale(scale, scale);
        paintPage(painter, page, kPageUnits, height);
        painter.restore();
    }
    return painter.end();
}

void ReportDocument::paintPage(QPainter& painter, int page, double width, double height) const {
    const int w = static_cast<int>(width);
    double y = 0.0;
    if (page == 1) {
        painter.setFont(sans(kTitlePixels, true));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y, width, 34), Qt::AlignLeft | Qt::AlignVCenter, tr("Measurement report"));
        y += 42;
        y = paintTable(painter, y, width, QString(), titleRows());
        y = paintTable(painter, y + 10, width, tr("Summary"), summaryRows());
        const int chartHeight = std::max(160, static_cast<int>(height - kFooterHeight - y - 40));
        painter.setFont(sans(kHeadingPixels, true));
        painter.drawText(QRectF(0, y + 8, width, 22), Qt::AlignLeft | Qt::AlignVCenter,
                         tr("Time history: %1").arg(qs(data_.levelName)));
        paintTimeHistory(painter, QRect(0, static_cast<int>(y) + 34, w, chartHeight));
    } else {
        const int half = static_cast<int>((height - kFooterHeight - 2 * 34) / 2);
        painter.setFont(sans(kHeadingPixels, true));
        painter.setPen(Qt::black);
        QString spectrumTitle = tr("Spectrum");
        if (data_.spectrum)
            spectrumTitle = tr("Spectrum: %1, %2, energy average over the records")
                                .arg(qs(data_.spectrum->tableName), qs(data_.spectrum->parameterName));
        painter.drawText(QRectF(0, 0, width, 26), Qt::AlignLeft | Qt::AlignVCenter, spectrumTitle);
        paintSpectrum(painter, QRect(0, 30, w, half - 8));
        y = 34 + half;
        painter.setFont(sans(kHeadingPixels, true));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y, width, 26), Qt::AlignLeft | Qt::AlignVCenter,
                         tr("Distribution: %1").arg(qs(data_.levelName)));
        paintHistogram(painter, QRect(0, static_cast<int>(y) + 30, w, half - 8));
    }
    // The footer: program and version at the left, the page number at the right.
    const double top = height - kFooterHeight;
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.5));
    painter.drawLine(QPointF(0, top), QPointF(width, top));
    painter.setPen(Qt::black);
    painter.setFont(sans(kTextPixels));
    const QRectF footer(0, top + 2, width, kFooterHeight - 2);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("k470 %1").arg(QStringLiteral(K470_VERSION)));
    painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, pageFooter(page));
}

double ReportDocument::paintTable(QPainter& painter, double top, double width, const QString& heading,
                                  const QList<QStringList>& rows) const {
    double y = top;
    painter.setPen(Qt::black);
    if (!heading.isEmpty()) {
        painter.setFont(sans(kHeadingPixels, true));
        painter.drawText(QRectF(0, y, width, 22), Qt::AlignLeft | Qt::AlignVCenter, heading);
        y += 24;
    }
    const QFont label = sans(kTextPixels, true);
    const QFont value = sans(kTextPixels);
    double labelWidth = 0;
    for (const QStringList& row : rows)
        labelWidth = std::max<double>(labelWidth, QFontMetricsF(label).horizontalAdvance(row.value(0)));
    labelWidth += 16;
    for (const QStringList& row : rows) {
        const QRectF valueRect(labelWidth, y, width - labelWidth, 1000);
        // A long value (many file names) wraps onto further lines.
        const QRectF needed = QFontMetricsF(value).boundingRect(valueRect, Qt::TextWordWrap, row.value(1));
        const double rowHeight = std::max(17.0, needed.height() + 3);
        painter.setPen(QPen(QColor(0xD0, 0xD0, 0xD0), 0.5));
        painter.drawLine(QPointF(0, y + rowHeight), QPointF(width, y + rowHeight));
        painter.setPen(Qt::black);
        painter.setFont(label);
        painter.drawText(QRectF(0, y, labelWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, row.value(0));
        painter.setFont(value);
        painter.drawText(QRectF(labelWidth, y, width - labelWidth, rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, row.value(1));
        y += rowHeight;
    }
    return y;
}

void ReportDocument::paintTimeHistory(QPainter& painter, QRect place) const {
    const views::ReportTimeHistory& h = data_.history;
    plot::PlotWindow window;
    auto& chart = window.Add<plot::LineChart>(QRect(QPoint(0, 0), place.size()));
    onPaper(chart);
    chart.SetCurves({plot::Curve{h.levels, QColor(0x20, 0x40, 0xC0), qs(data_.levelName)}});
    chart.SetXValues(h.seconds);
    chart.SetClockOrigin(h.clockOrigin);
    chart.SetTitles(h.clockOrigin ? tr("Time of day") : tr("T[sec]"), tr("L[dB]"));
    const auto [lo, hi] = decadeBounds(data_.summary.levelMinimum, data_.summary.levelMaximum);
    chart.SetYRange(lo, hi);
    chart.Render(0, static_cast<int64_t>(h.levels.size()) - 1, 0.0, 1.0);
    drawAt(chart, painter, place.topLeft());
}

void ReportDocument::paintSpectrum(QPainter& painter, QRect place) const {
    plot::PlotWindow window;
    auto& chart = window.Add<plot::BarChart>(QRect(QPoint(0, 0), place.size()));
    onPaper(chart);
    if (data_.spectrum) {
        QStringList labels;
        for (const std::string& l : data_.spectrum->bandLabels) labels << qs(l);
        chart.SetBandLabels(labels);
        chart.SetBands(data_.spectrum->levels, false);
        const auto [lo, hi] =
            std::minmax_element(data_.spectrum->levels.begin(), data_.spectrum->levels.end());
        if (lo != data_.spectrum->levels.end()) {
            const auto bounds = decadeBounds(*lo, *hi);
            chart.SetValueRange(std::max(0.0, bounds.first - 10.0), bounds.second);
        }
    }
    chart.SetAxisTitles(tr("f[Hz]"), tr("L[dB]"));
    drawAt(chart, painter, place.topLeft());
}

void ReportDocument::paintHistogram(QPainter& painter, QRect place) const {
    const views::ReportHistogram& h = data_.histogram;
    plot::PlotWindow window;
    auto& chart = window.Add<plot::BarChart>(QRect(QPoint(0, 0), place.size()));
    onPaper(chart);
    // Lower class edges, thinned out so that neighbouring labels keep apart.
    const int count = static_cast<int>(h.percents.size());
    const int every = std::max(1, (count * 44 + place.width() - 1) / std::max(place.width(), 1));
    QStringList labels;
    for (int i = 0; i < count; ++i)
        labels << (i % every == 0 ? QString::number(h.firstEdge + i * h.classWidth, 'g', 4) : QString());
    chart.SetBandLabels(labels);
    chart.SetBands(h.percents, false);
    const double top = h.percents.empty() ? 100.0 : *std::max_element(h.percents.begin(), h.percents.end());
    chart.SetValueRange(0.0, std::min(100.0, std::ceil(top / 10.0 + 0.5) * 10.0));
    chart.SetAxisTitles(tr("L[dB], classes of %1 dB").arg(h.classWidth), tr("Records [%]"));
    drawAt(chart, painter, place.topLeft());
}

Status WriteReportPdf(const std::string& path, const std::vector<std::string>& inputs,
                      const views::ReportDocumentData& data, const ReportFields& fields) {
    if (Status s = refuseOutputOverInput(path, inputs); !s) return s;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(ReportDocument::tr("Measurement report"));
        writer.setCreator(QStringLiteral("k470 %1").arg(QStringLiteral(K470_VERSION)));
        if (!ReportDocument(data, fields).Paint(writer)) return fail(lexicon().cantWriteFile(path));
    }
    const QByteArray& pdf = buffer.data();
    return WriteFileSafely(path, std::string_view(pdf.constData(), static_cast<size_t>(pdf.size())));
}

}  // namespace k470::app
