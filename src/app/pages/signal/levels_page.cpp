// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/levels_page.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "acoustics/level_records_file.h"
#include "acoustics/sound_signal_file.h"
#include "app/dialogs/batch_progress.h"
#include "app/dialogs/user_dialogs.h"
#include "app/qt_text.h"
#include "app/sessions/sound_file_session.h"
#include "data/dos_date_time.h"
#include "frame/application_state.h"
#include "frame/calibration.h"
#include "frame/calibration_log.h"
#include "plot/bar_chart.h"
#include "plot/plot_window.h"
#include "signal/signal_synth.h"
#include "views/signal_feed.h"

namespace k470::app {

namespace {

// The level bar's scale in dB: the span of a sound level meter's display.
// The spans of the bar and the band chart below the display's top (see LevelDisplayTop).
constexpr int kBarSpanDb = 120;
constexpr double kChartSpanDb = 140.0;

QString levelText(double db) {
    return std::isfinite(db) ? QString::number(db, 'f', 1) : QStringLiteral("-");
}

}  // namespace

LevelsPage::LevelsPage(const SessionEnv& env, PageContext& context, SignalSourceRef source, QWidget* parent)
    : SignalAnalysisPage(context, views::PageKind::SignalLevels, parent),
      env_(env),
      source_(std::move(source)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);

    auto* top = new QHBoxLayout;
    level_ = new QLabel(QStringLiteral("-"), this);
    level_->setObjectName(QStringLiteral("levelReadout"));
    QFont big = level_->font();
    big.setPointSizeF(big.pointSizeF() * 3.0);
    big.setBold(true);
    level_->setFont(big);
    level_->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("LAF 188.8 dB")));
    top->addWidget(level_);
    auto* values = new QVBoxLayout;
    leq_ = new QLabel(this);
    max_ = new QLabel(this);
    peak_ = new QLabel(this);
    for (QLabel* l : {leq_, max_, peak_}) values->addWidget(l);
    top->addLayout(values);
    top->addStretch(1);
    column->addLayout(top);

    bar_ = new QProgressBar(this);
    bar_->setRange(static_cast<int>(top_) - kBarSpanDb, static_cast<int>(top_));
    bar_->setValue(static_cast<int>(top_) - kBarSpanDb);
    bar_->setTextVisible(false);
    column->addWidget(bar_);

    note_ = new QLabel(this);
    note_->setWordWrap(true);
    column->addWidget(note_);

    plot_ = new plot::PlotWindow(this);
    plot_->setMinimumSize(400, 220);
    bands_ = &plot_->Add<plot::BarChart>(QRect(0, 0, 400, 220));
    bands_->SetTitle(tr("1/3 octave LZeq"));
    bands_->SetAxisTitles(tr("Freq band [Hz] "), tr("Level [dB]"));
    bands_->SetValueRange(top_ - kChartSpanDb, top_);
    QStringList labels;
    for (const acoustics::BandId& id : acoustics::LiveLevels::bandsShown()) labels << qs(id.label());
    bands_->SetBandLabels(labels);
    plot_->Fill(*bands_, QSize(200, 120));
    column->addWidget(plot_, 1);

    auto* row = new QHBoxLayout;
    reset_ = new QPushButton(tr("Reset"), this);
    connect(reset_, &QPushButton::clicked, this, [this] { Reset(); });
    row->addWidget(reset_);
    copy_ = new QPushButton(tr("Copy"), this);
    copy_->setToolTip(tr("Copy the levels since the start as CSV (as k470-cli levels --csv --interval 0)"));
    connect(copy_, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
    row->addWidget(copy_);
    if (source_.recordings()) {
        records_ = new QPushButton(tr("Make level records..."), this);
        connect(records_, &QPushButton::clicked, this, [this] { MakeLevelRecords(); });
        row->addWidget(records_);
    }
    if (source_.calibratable()) {
        calibrate_ = new QPushButton(tr("Calibrate..."), this);
        connect(calibrate_, &QPushButton::clicked, this, [this] { Calibrate(); });
        row->addWidget(calibrate_);
    }
    calibration_ = new QLabel(this);
    row->addWidget(calibration_, 1);
    column->addLayout(row);
    showCalibration();
    Refresh();
}

LevelsPage::~LevelsPage() = default;

bool LevelsPage::acousticChannel() const {
    return source_.context(std::clamp(context_.channel, 0, 2)).acoustic();
}

void LevelsPage::ensureAnalysis() {
    const int channel = std::clamp(context_.channel, 0, 2);
    const acoustics::MeasurementContext c = source_.context(channel);
    if (live_ && channel == liveChannel_ && live_->context() == c) return;
    // Another channel or other chain settings: the since-start values start again from here.
    live_.reset();
    readout_.reset();
    liveChannel_ = channel;
    if (!(c.sampleRate > 0.0)) return;
    // A rate the analysis does not take leaves the page without values (and says why).
    if (auto l = acoustics::LiveLevels::Create(c, source_.startSeconds()); l) {
        live_.emplace(std::move(*l));
        QString note = tr("Levels in %1").arg(qs(c.levelUnit()));
        if (!c.acoustic())
            note += tr("; channel unit '%1' is not Pa: only Z-weighted levels").arg(qs(c.units));
        note_->setText(note);
    } else {
        note_->setText(qs(l.error().message));
    }
}

void LevelsPage::Restart() {
    live_.reset();
    measurement_.reset();
    ensureAnalysis();
}

void LevelsPage::Feed(std::span<const double> frames) {
    ensureAnalysis();
    const size_t n = frames.size() / views::SignalFeed::kChannels;
    const auto k = static_cast<size_t>(liveChannel_);
    column_.resize(n);
    for (size_t i = 0; i < n; ++i) column_[i] = frames[i * views::SignalFeed::kChannels + k];
    if (live_) {
        live_->process(column_);
        readout_ = live_->readout();
    }
    if (measurement_ && calibrating_) {
        // The calibrator is measured on the channel that was chosen when it started.
        const auto m = static_cast<size_t>(calibratingChannel_);
        for (size_t i = 0; i < n; ++i) column_[i] = frames[i * views::SignalFeed::kChannels + m];
        measurement_->process(column_);
        calibrating_->ShowProgress(measurement_->fraction());
        if (measurement_->done()) finishCalibration();
    }
}

void LevelsPage::Refresh() {
    ensureAnalysis();
    const bool a = acousticChannel();
    const QString main = a ? QStringLiteral("LA") : QStringLiteral("LZ");
    const QString peak = a ? QStringLiteral("LCpeak") : QStringLiteral("LZpeak");
    const acoustics::LiveReadout r = readout_.value_or(acoustics::LiveReadout{});
    const bool have = readout_.has_value();
    const double nan = std::nan("");
    level_->setText(main + QStringLiteral("F ") + levelText(have ? r.fast : nan) + tr(" dB"));
    leq_->setText(main + QStringLiteral("eq ") + levelText(have ? r.leq : nan) + tr(" dB"));
    max_->setText(main + QStringLiteral("Fmax ") + levelText(have ? r.fastMax : nan) + tr(" dB"));
    peak_->setText(peak + QLatin1Char(' ') + levelText(have ? r.peak : nan) + tr(" dB"));
    // The scale follows the levels: dB re full scale lie below 0, sound pressure levels far above.
    if (have) top_ = acoustics::LevelDisplayTop(top_, acoustics::HighestLevel(r));
    const int top = static_cast<int>(top_);
    bar_->setRange(top - kBarSpanDb, top);
    bar_->setValue(have && std::isfinite(r.fast)
                       ? std::clamp(static_cast<int>(std::lround(r.fast)), top - kBarSpanDb, top)
                       : top - kBarSpanDb);
    bands_->SetValueRange(top_ - kChartSpanDb, top_);
    const double empty = top_ - kChartSpanDb;
    std::vector<double> bands;
    if (have)
        for (double v : r.bandLeq) bands.push_back(std::isfinite(v) ? v : empty);
    else
        bands.assign(acoustics::LiveLevels::bandsShown().size(), empty);
    bands_->SetBands(std::move(bands), false);
    plot_->scheduleRedraw();
}

QString LevelsPage::ClipboardText() const {
    // The levels since the start as the levels command prints them for the same samples (one interval).
    return live_ ? qs(live_->csv()) : QString();
}

void LevelsPage::Reset() {
    if (live_) live_->reset();
    readout_.reset();
    if (live_) readout_ = live_->readout();
    Refresh();
}

void LevelsPage::MakeLevelRecords() {
    if (!source_.recordings() || source_.path.empty()) return;
    const QString proposed = qs(source_.proposedOutput(".bin", "levels.bin"));
    const QString out =
        env_.dialogs.askSavePath(tr("Make level records"), proposed,
                                 tr("Binary files (*.bin)") + QStringLiteral(";;") + tr("All Files (*)"));
    if (out.isEmpty()) return;
    acoustics::LevelRecordsJob job;
    job.input = source_.path;
    job.options = acoustics::SoundFileInputOptions(env_.frame.store(), source_.path);
    job.options.channel = std::clamp(context_.channel, 0, 2) + 1;
    job.intervalSeconds = 1.0;
    job.output = out.toStdString();
    BatchProgress progress(tr("Making level records..."), 100, env_.window, env_.dialogs.showProgress);
    const auto s = acoustics::writeLevelRecords(
        job, [&progress](const acoustics::LevelRecordsProgress& p) { return progress.Step(p.percent()); });
    progress.Finish();
    if (!s) {
        // A cancel is no failure; either way the shared output left no file.
        if (!progress.cancelled()) env_.dialogs.showError(qs(s.error().message));
        return;
    }
    // The new records are the window's source from now on (this page goes with the replay).
    env_.observer.OpenPathLater(job.output);
}

void LevelsPage::Calibrate() {
    if (!source_.calibratable() || !(source_.context(context_.channel).sampleRate > 0.0)) return;
    calibratingChannel_ = std::clamp(context_.channel, 0, 2);
    check_.reset();
    const std::optional<CalibrationEntry> last = LoadCalibration(env_.frame.store(), calibratingChannel_);
    CalibrationDialog dialog(last ? last->level : acoustics::CalibrationSource::kDefaultLevel, env_.window);
    dialog.onStart = [this, &dialog] {
        const double rate = source_.context(calibratingChannel_).sampleRate;
        if (auto m = acoustics::CalibratorMeasurement::Create(rate, dialog.tone()); m)
            measurement_.emplace(std::move(*m));
    };
    dialog.onApply = [this, &dialog] {
        if (!check_ || check_->refusal) return;
        if (check_->needsConfirmation() && env_.dialogs.askYesNo &&
            !env_.dialogs.askYesNo(tr("Calibrate"),
                                   tr("The sensitivity changes by %1 dB. A change this large is more often a "
                                      "wrong calibrator level, tone or channel than a drifted microphone. "
                                      "Apply it?")
                                       .arg(check_->changeDb, 0, 'f', 2)))
            return;
        applyCalibration(*check_, dialog.level());
        dialog.accept();
    };
    calibrating_ = &dialog;
    (void)env_.dialogs.runDialog(dialog);
    calibrating_ = nullptr;
    measurement_.reset();
    showCalibration();
}

void LevelsPage::finishCalibration() {
    check_ = CheckChannelCalibration(env_.frame, calibratingChannel_, *measurement_, calibrating_->level());
    measurement_.reset();
    calibrating_->ShowCheck(*check_, QString::fromUtf8(acoustics::kSoundPressureLevelUnit));
}

void LevelsPage::applyCalibration(const acoustics::CalibrationCheck& check, double level) {
    if (Status s = ApplyCalibration(env_.frame, calibratingChannel_, check, level, localTimeNow()); !s)
        env_.dialogs.showError(qs(s.error().message));
    // What was measured so far was at the old sensitivity: the running figures start again.
    Restart();
}

void LevelsPage::showCalibration() {
    if (!calibrate_) return;
    const std::optional<CalibrationEntry> e =
        LoadCalibration(env_.frame.store(), std::clamp(context_.channel, 0, 2));
    if (!e) {
        calibration_->setText(tr("Not calibrated"));
        return;
    }
    QString text = tr("Calibrated %1 at %2 dB").arg(qs(e->dateText()), QString::number(e->level, 'f', 1));
    if (e->driftDb)
        text += tr(", change %1 dB")
                    .arg((*e->driftDb >= 0 ? QStringLiteral("+") : QString()) +
                         QString::number(*e->driftDb, 'f', 2));
    calibration_->setText(text);
}

}  // namespace k470::app
