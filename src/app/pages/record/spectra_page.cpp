// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/record/spectra_page.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/bounds_dialog.h"
#include "app/dialogs/plot_limits_dialog.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "frame/frame_settings.h"
#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "plot/plot_button.h"
#include "plot/plot_check_box.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::app {

namespace {

// The correction boxes from left to right.
constexpr views::Correction kBoxCorrections[] = {views::Correction::C, views::Correction::A,
                                                 views::Correction::Z};

// The time-weighting names of the spectrum page's radio buttons, for the translations.
[[maybe_unused]] const char* const kWeightingNames[] = {
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Impulse"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Fast"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Slow"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Leq"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "ESlow"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Fast min"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Fast max")};
}  // namespace

SpectraPage::SpectraPage(PageContext& context, QWidget* parent)
    : SourcePage(context, views::PageKind::Spectra, parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    weightings_ = views::TimeWeightingChoicesFor(context_.type);
    for (size_t i = 0; i < weightings_.size(); ++i) {
        auto* radio = new QRadioButton(tr(weightings_[i].name.c_str()), this);
        radio->setChecked(i == 0);
        const int index = static_cast<int>(i);
        connect(radio, &QRadioButton::clicked, this, [this, index] { SelectWeighting(index); });
        radios_.push_back(radio);
        row->addWidget(radio);
    }
    row->addStretch(1);
    auto* plotButton = new QPushButton(tr("Plot"), this);
    connect(plotButton, &QPushButton::clicked, this, [this] {
        PlotLimitsDialog d(SpectrumPlotLimits(), this);
        if (d.exec() == QDialog::Accepted) ApplyLimits(d.limits());
    });
    row->addWidget(plotButton);
    column->addLayout(row);

    plot_ = new plot::PlotWindow(this);
    plot_->setObjectName(QStringLiteral("Privet"));
    plot_->setMinimumSize(400, 300);
    column->addWidget(plot_, 1);
    // The check boxes sit side by side, each as wide as its text.
    const QFontMetrics metrics(plot_->font(plot::PlotFont::Normal));
    int left = 8;
    auto addBox = [&](const QString& text, bool checked) {
        const int width = metrics.horizontalAdvance(text) + 30;
        auto* box = &plot_->Add<plot::PlotCheckBox>(QRect(left, 4, width, 18), text, checked);
        left += width + 12;
        return box;
    };
    onLine_ = addBox(tr("On line"), false);
    if (views::HasCorrections(context_.type)) {
        const QString names[] = {tr("C correction"), tr("A correction"), tr("Z correction")};
        for (size_t i = 0; i < 3; ++i) {
            boxes_[i] = addBox(names[i], i == 2);
            const views::Correction c = kBoxCorrections[i];
            boxes_[i]->onToggled = [this, c](bool) { SelectCorrection(c); };
        }
    }
    const auto probe = views::SpectrumFor(context_.type, nullptr, 0, 0, views::Correction::Z);
    if (!probe.octaves.labels.empty()) octaves_ = &plot_->Add<plot::BarChart>(QRect(0, 26, 400, 130));
    thirds_ = &plot_->Add<plot::BarChart>(QRect(0, 160, 400, 130));
    layoutCharts();
    // The bar charts share the plot's height and take its width.
    plot_->SetLayout([this](QSize) { layoutCharts(); });
    Refresh();
}

void SpectraPage::layoutCharts() {
    const int w = std::max(plot_->width(), 200);
    const int h = std::max(plot_->height(), 200) - 26;
    if (octaves_) {
        octaves_->setRect(QRect(0, 26, w, h / 2 - 2));
        thirds_->setRect(QRect(0, 26 + h / 2, w, h - h / 2));
    } else {
        thirds_->setRect(QRect(0, 26, w, h));
    }
}

void SpectraPage::SelectWeighting(int index) {
    if (index < 0 || index >= static_cast<int>(weightings_.size())) return;
    weighting_ = index;
    radios_[static_cast<size_t>(index)]->setChecked(true);
    Refresh();
}

void SpectraPage::SelectCorrection(views::Correction c) {
    if (!boxes_[0]) return;
    if (settingCorrection_) return;
    settingCorrection_ = true;
    // One radio group: the clicked box is checked (a click on the checked box changes nothing), the
    // others cleared.
    correction_ = c;
    for (size_t i = 0; i < 3; ++i) boxes_[i]->setChecked(kBoxCorrections[i] == c);
    settingCorrection_ = false;
    Refresh();
}

bool SpectraPage::ApplyLimits(const views::PlotLimits& limits) {
    if (!limits.valid()) return false;
    SpectrumPlotLimits() = limits;
    Refresh();
    return true;
}

bool SpectraPage::onLineState() const {
    return onLine_->isChecked();
}

void SpectraPage::Refresh() {
    if (!plot_) return;
    layoutCharts();
    const int parameter = weightings_.empty() ? 0 : weightings_[static_cast<size_t>(weighting_)].parameter;
    spectrum_ = views::SpectrumFor(context_.type, context_.record, parameter, context_.channel, correction_);
    const views::PlotLimits& l = SpectrumPlotLimits();
    const QString name =
        weightings_.empty() ? QString() : tr(weightings_[static_cast<size_t>(weighting_)].name.c_str());
    auto show = [&](plot::BarChart* chart, const views::SpectrumBars& bars, const QString& title) {
        if (!chart) return;
        chart->SetBandLabels(qs(bars.labels));
        chart->SetBands(bars.values, false);
        chart->SetValueRange(l.lower, l.upper);
        chart->SetTitle(title);
        chart->SetAxisTitles(tr("Freq band [Hz] "), tr("Level [dB]"));
        // Bars at or above a threshold are coloured: threshold 1 yellow, 2 red, 3 (an alarm level) purple.
        std::vector<QColor> colours;
        for (double v : bars.values)
            colours.push_back(v >= l.threshold3 && l.threshold3 >= l.threshold2 ? QColor(0xA0, 0x30, 0xA0)
                              : v >= l.threshold2                               ? QColor(0xD0, 0x30, 0x30)
                              : v >= l.threshold1                               ? QColor(0xE0, 0xB0, 0x20)
                                                                                : chart->barColour);
        chart->SetBandColours(colours);
    };
    const bool field = resultGroup(context_.type) == ResultGroup::FieldStrength;
    show(octaves_, spectrum_.octaves, tr("1/1 %1").arg(name));
    show(thirds_, spectrum_.thirds, field ? name : tr("1/3 %1").arg(name));
    // "On line" blinks once per recomputation.
    onLine_->setChecked(!onLine_->isChecked());
    plot_->scheduleRedraw();
}

QString SpectraPage::ClipboardText() const {
    QString s;
    auto add = [&](const views::SpectrumBars& bars) {
        for (size_t i = 0; i < bars.values.size(); ++i)
            s += qs(bars.labels[i]) + QLatin1Char('\t') +
                 qs(views::LevelValueText(bars.values[i], context_.linear, context_.zeroDbReference)) +
                 QLatin1Char('\n');
    };
    if (!spectrum_.octaves.values.empty()) {
        add(spectrum_.octaves);
        s += QLatin1Char('\n');
    }
    add(spectrum_.thirds);
    return s;
}

}  // namespace k470::app
