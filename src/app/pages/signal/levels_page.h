// SPDX-License-Identifier: GPL-3.0-or-later
// The "Levels" page of a signal source: the sound levels of the chosen channel as they flow (a large
// F-weighted level with its bar, Leq, maximum and peak since the start, and the 1/3-octave band Leq as a
// bar chart), "Reset", and for a replayed file "Make level records...", for the live stream
// "Calibrate..." against an acoustic calibrator. The levels are computed by acoustics::LiveLevels; the
// page only shows them.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "acoustics/live_levels.h"
#include "app/dialogs/calibration_dialog.h"
#include "app/pages/signal/signal_analysis.h"
#include "app/sessions/session.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace k470::plot {
class BarChart;
class PlotWindow;
}  // namespace k470::plot

namespace k470::app {

class LevelsPage : public SignalAnalysisPage {
    Q_OBJECT
  public:
    LevelsPage(const SessionEnv& env, PageContext& context, SignalSourceRef source, QWidget* parent);
    ~LevelsPage() override;

    void Restart() override;
    void Feed(std::span<const double> frames) override;
    void Refresh() override;
    QString ClipboardText() const override;

    // "Reset": the since-start values begin again.
    void Reset();
    // "Make level records..." (a replayed file only).
    void MakeLevelRecords();
    // "Calibrate..." (the live stream only).
    void Calibrate();

    const std::optional<acoustics::LiveReadout>& readout() const { return readout_; }
    // The levels since the start (or the last reset); none without an analysis.
    std::optional<acoustics::IntervalLevels> levels() const {
        return live_ ? std::optional(live_->levels()) : std::nullopt;
    }
    QLabel* levelLabel() const { return level_; }
    QLabel* noteLabel() const { return note_; }
    QLabel* calibrationLabel() const { return calibration_; }
    QPushButton* resetButton() const { return reset_; }
    QPushButton* recordsButton() const { return records_; }
    QPushButton* calibrateButton() const { return calibrate_; }
    plot::BarChart* bandChart() const { return bands_; }

  private:
    // The analysis for the chosen channel, made again when the channel or its context changed.
    void ensureAnalysis();
    void finishCalibration();
    // The checked calibration to a calibrator of `level` dB into the channel, its preset or the settings.
    void applyCalibration(const acoustics::CalibrationCheck& check, double level);
    void showCalibration();
    bool acousticChannel() const;

    SessionEnv env_;
    SignalSourceRef source_;
    std::optional<acoustics::LiveLevels> live_;
    int liveChannel_ = -1;
    std::optional<acoustics::LiveReadout> readout_;
    double top_ = 140.0;          // the top of the bar and the band chart, dB
    std::vector<double> column_;  // the chosen channel's samples of one feed
    std::optional<acoustics::CalibratorMeasurement> measurement_;
    CalibrationDialog* calibrating_ = nullptr;          // while "Calibrate..." runs
    std::optional<acoustics::CalibrationCheck> check_;  // what the last measurement found
    int calibratingChannel_ = 0;

    QLabel* level_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* leq_ = nullptr;
    QLabel* max_ = nullptr;
    QLabel* peak_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* calibration_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* records_ = nullptr;
    QPushButton* calibrate_ = nullptr;
    QPushButton* copy_ = nullptr;
    plot::PlotWindow* plot_ = nullptr;
    plot::BarChart* bands_ = nullptr;
};

}  // namespace k470::app
