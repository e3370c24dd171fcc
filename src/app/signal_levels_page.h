// SPDX-License-Identifier: GPL-3.0-or-later
// The "Levels" page of a signal source: the sound levels of the chosen channel as they flow (a large
// F-weighted level with its bar, Leq, maximum and peak since the start, and the 1/3-octave band Leq as a
// bar chart), "Reset", and for a replayed file "Make level records...", for the live stream
// "Calibrate..." against an acoustic calibrator. The levels are computed by acoustics::LiveLevels; the
// page only shows them.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "acoustics/live_levels.h"
#include "app/session.h"
#include "app/signal_analysis.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace k470::app {

// "Calibrate...": asks the calibrator's level (94, 114 or 124 dB, or any other) and tone (1 kHz, or 250 Hz
// for a pistonphone), shows how far the measurement has come, then what it found: the band and broadband
// levels, the tone's frequency, how steady it was, and the old and new sensitivity with the change. Only
// "Apply" changes the channel; a measurement that is no calibrator's tone says why and cannot be applied.
class CalibrationDialog : public QDialog {
    Q_OBJECT
  public:
    CalibrationDialog(double level, QWidget* parent);
    double level() const;
    void setLevel(double level);
    acoustics::CalibratorTone tone() const;
    void setTone(acoustics::CalibratorTone tone);
    // Starts as the "Start" button does.
    void Start();
    bool started() const { return started_; }
    void ShowProgress(double fraction);
    // The measurement is over: what it found, and whether it can be applied.
    void ShowCheck(const acoustics::CalibrationCheck& check, const QString& unit);
    // "Apply", as the button does (nothing before a check that can be applied).
    void Apply();
    QPushButton* startButton() const { return start_; }
    QPushButton* applyButton() const { return apply_; }
    QString resultText() const;

    // Called when "Start" is pressed, and when "Apply" is pressed on a check that can be applied.
    std::function<void()> onStart;
    std::function<void()> onApply;

  private:
    QDoubleSpinBox* level_ = nullptr;
    QComboBox* tone_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* result_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* apply_ = nullptr;
    bool started_ = false;
};

class SignalLevelsPage : public SignalAnalysisPage {
    Q_OBJECT
  public:
    SignalLevelsPage(const SessionEnv& env, PageContext& context, SignalSourceRef source, QWidget* parent);
    ~SignalLevelsPage() override;

    void Restart() override;
    void Feed(std::span<const double> frames) override;
    Command command() const override { return Command::Signal; }
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

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    CalibrationDialog* calibrating_ = nullptr;  // while "Calibrate..." runs
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
