// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/fft_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "acoustics/fft_settings.h"
#include "app/qt_text.h"
#include "base/number_format.h"
#include "plot/line_chart.h"
#include "plot/plot_window.h"

namespace k470::app {

namespace {

// The level axis spans at most this much below the highest level: further down lie only the window's
// leakage and the numbers' rounding noise.
constexpr double kLevelSpanDb = 140.0;

}  // namespace

FftPage::FftPage(PageContext& context, SignalSourceRef source, QWidget* parent)
    : SignalAnalysisPage(context, views::PageKind::Fft, parent), source_(source) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("fftSize"));
    size_->setToolTip(tr("FFT size: samples per transform"));
    for (size_t n = acoustics::kMinFftSize; n <= acoustics::kMaxFftSize; n *= 2)
        size_->addItem(QString::number(n), static_cast<qulonglong>(n));
    window_ = new QComboBox(this);
    window_->setObjectName(QStringLiteral("fftWindow"));
    window_->setToolTip(tr("Window"));
    window_->addItem(tr("Rectangular"), static_cast<int>(acoustics::FftWindow::Rectangular));
    window_->addItem(tr("Hann"), static_cast<int>(acoustics::FftWindow::Hann));
    window_->addItem(tr("Flat top"), static_cast<int>(acoustics::FftWindow::FlatTop));
    window_->addItem(tr("Blackman-Harris"), static_cast<int>(acoustics::FftWindow::BlackmanHarris));
    overlap_ = new QComboBox(this);
    overlap_->setObjectName(QStringLiteral("fftOverlap"));
    overlap_->setToolTip(tr("Overlap of successive transforms"));
    for (double o : acoustics::kFftOverlapChoices) overlap_->addItem(tr("%1 % overlap").arg(o), o);
    averaging_ = new QComboBox(this);
    averaging_->setObjectName(QStringLiteral("fftAveraging"));
    averaging_->setToolTip(tr("Averaging"));
    averaging_->addItem(tr("Linear"), static_cast<int>(acoustics::SpectrumAveraging::Linear));
    averaging_->addItem(tr("Exponential"), static_cast<int>(acoustics::SpectrumAveraging::Exponential));
    averaging_->addItem(tr("Max hold"), static_cast<int>(acoustics::SpectrumAveraging::MaxHold));
    for (QComboBox* c : {size_, window_, overlap_, averaging_}) {
        row->addWidget(c);
        connect(c, &QComboBox::currentIndexChanged, this, [this] {
            saveChoices();
            configure();
        });
    }
    log_ = new QCheckBox(tr("Log frequency"), this);
    log_->setToolTip(tr("Logarithmic frequency axis"));
    log_->setChecked(true);
    connect(log_, &QCheckBox::toggled, this, [this] {
        saveChoices();
        showAxis();
    });
    row->addWidget(log_);
    auto* reset = new QPushButton(tr("Reset"), this);
    reset->setObjectName(QStringLiteral("fftReset"));
    reset->setToolTip(tr("Start the average again"));
    connect(reset, &QPushButton::clicked, this, [this] { Reset(); });
    row->addWidget(reset);
    auto* copy = new QPushButton(tr("Copy"), this);
    copy->setObjectName(QStringLiteral("fftCopy"));
    copy->setToolTip(tr("Copy the averaged spectrum as CSV (as k470-cli fft)"));
    connect(copy, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
    row->addWidget(copy);
    row->addStretch(1);
    column->addLayout(row);
    auto* readouts = new QHBoxLayout;
    peak_ = new QLabel(this);
    peak_->setObjectName(QStringLiteral("fftPeak"));
    cursor_ = new QLabel(this);
    cursor_->setObjectName(QStringLiteral("fftCursor"));
    readouts->addWidget(peak_);
    readouts->addSpacing(24);
    readouts->addWidget(cursor_);
    readouts->addStretch(1);
    column->addLayout(readouts);
    plot_ = new plot::PlotWindow(this);
    plot_->setMinimumSize(400, 240);
    column->addWidget(plot_, 1);
    chart_ = &plot_->Add<plot::LineChart>(QRect(0, 0, 600, 300), 6, 0u);
    plot_->Fill(*chart_, QSize(0, 100));
    chart_->SetTitles(tr("f [Hz]"), tr("L [dB]"));
    chart_->onCursorsChanged = [this] { showCursor(); };
    restoreChoices();
    configure();
}

void FftPage::restoreChoices() {
    // Without settings the page starts from the defaults.
    const acoustics::FftChoices c =
        context_.store ? acoustics::ReadFftChoices(*context_.store) : acoustics::FftChoices{};
    const auto pick = [](QComboBox* list, const QVariant& value) {
        if (const int i = list->findData(value); i >= 0) list->setCurrentIndex(i);
    };
    // The controls stay quiet: nothing is saved while the page is made, and configure() follows.
    const QSignalBlocker blocks[] = {QSignalBlocker(size_), QSignalBlocker(window_), QSignalBlocker(overlap_),
                                     QSignalBlocker(averaging_), QSignalBlocker(log_)};
    pick(size_, static_cast<qulonglong>(c.parameters.size));
    pick(window_, static_cast<int>(c.parameters.window));
    pick(overlap_, c.parameters.overlapPercent);
    pick(averaging_, static_cast<int>(c.parameters.averaging));
    log_->setChecked(c.logFrequency);
    showAxis();
}

void FftPage::saveChoices() {
    if (!context_.store) return;
    acoustics::FftChoices c;
    c.parameters.size = static_cast<size_t>(size_->currentData().toULongLong());
    c.parameters.window = static_cast<acoustics::FftWindow>(window_->currentData().toInt());
    c.parameters.overlapPercent = overlap_->currentData().toDouble();
    c.parameters.averaging = static_cast<acoustics::SpectrumAveraging>(averaging_->currentData().toInt());
    c.logFrequency = log_->isChecked();
    acoustics::WriteFftChoices(*context_.store, c);
}

int FftPage::channel() const {
    return std::clamp(context_.channel, 0, 2);
}

void FftPage::Restart() {
    configure();
}

void FftPage::configure() {
    acoustics::FftParameters p;
    p.size = static_cast<size_t>(size_->currentData().toULongLong());
    p.window = static_cast<acoustics::FftWindow>(window_->currentData().toInt());
    p.overlapPercent = overlap_->currentData().toDouble();
    p.averaging = static_cast<acoustics::SpectrumAveraging>(averaging_->currentData().toInt());
    problem_.clear();
    const double rate = source_.context(channel()).sampleRate;
    if (rate > 0) {
        if (Status s = spectrum_.Configure(p, rate); !s) problem_ = qs(s.error().message);
    } else {
        problem_ = tr("No signal");
    }
    Reset();
}

void FftPage::Reset() {
    spectrum_.Reset();
    fresh_ = true;
    showSpectrum();
}

void FftPage::Feed(std::span<const double> frames) {
    const int k = channel();
    spectrum_.SelectChannel(static_cast<size_t>(k));
    spectrum_.SetReference(source_.context(k).referenceValue);
    if (spectrum_.Feed(frames, views::SignalFeed::kChannels)) fresh_ = true;
}

void FftPage::Refresh() {
    // Another channel chosen: its spectrum starts from nothing.
    if (spectrum_.channel() != static_cast<size_t>(channel())) {
        spectrum_.SelectChannel(static_cast<size_t>(channel()));
        fresh_ = true;
    }
    if (fresh_) showSpectrum();
}

void FftPage::showSpectrum() {
    fresh_ = false;
    std::vector<double> levels = spectrum_.levels();
    const int k = channel();
    if (levels.empty()) {
        chart_->SetCurves({});
        chart_->HideCursors();
        chart_->Render(0, -1, 0.0, 1.0);
        peak_->setText(problem_.isEmpty() ? tr("Peak: -") : problem_);
        showCursor();
        plot_->scheduleRedraw();
        return;
    }
    double top = acoustics::kSpectrumFloorDb;
    for (double v : levels) top = std::max(top, v);
    double bottom = top;
    for (double v : levels)
        if (v > acoustics::kSpectrumFloorDb) bottom = std::min(bottom, v);
    const double hi = std::ceil(top / 10.0) * 10.0 + 10.0;
    const double lo = std::max(std::floor(bottom / 10.0) * 10.0, hi - kLevelSpanDb);
    chart_->SetYRange(lo, hi);
    chart_->SetCurves({plot::Curve{std::move(levels), QColor(0x20, 0x50, 0xB0),
                                   tr("ch%1 L [%2]").arg(k + 1).arg(qs(source_.context(k).levelUnit()))}});
    showAxis();
    if (const auto peak = spectrum_.peak())
        peak_->setText(tr("Peak: %1 Hz, %2 dB")
                           .arg(qs(formatFixed(peak->frequencyHz, 1)), qs(formatFixed(peak->levelDb, 2))));
    showCursor();
}

void FftPage::showAxis() {
    // On a logarithmic axis the 0 Hz bin has no place: the chart starts at the first bin above it.
    const auto n = static_cast<int64_t>(spectrum_.levels().size());
    chart_->SetLogarithmicX(log_->isChecked());
    if (n >= 2) chart_->Render(log_->isChecked() ? 1 : 0, n - 1, 0.0, spectrum_.binWidth());
    plot_->scheduleRedraw();
}

void FftPage::showCursor() {
    const std::vector<double>& levels = spectrum_.levels();
    if (!chart_->cursorVisible(0) || chart_->cursorSample(0) < 0 ||
        chart_->cursorSample(0) >= static_cast<int64_t>(levels.size())) {
        cursor_->clear();
        return;
    }
    const auto bin = static_cast<size_t>(chart_->cursorSample(0));
    cursor_->setText(tr("Cursor: %1 Hz, %2 dB")
                         .arg(qs(formatFixed(static_cast<double>(bin) * spectrum_.binWidth(), 1)),
                              qs(formatFixed(levels[bin], 2))));
}

QString FftPage::ClipboardText() const {
    // The average of every block so far, as the fft command prints it for the same samples.
    return qs(spectrum_.csv());
}

}  // namespace k470::app
