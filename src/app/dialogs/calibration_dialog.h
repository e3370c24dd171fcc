// SPDX-License-Identifier: GPL-3.0-or-later
// "Calibrate...": asks the calibrator's level and tone, shows how far the measurement has come, then what it
// found; only "Apply" changes the channel.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "acoustics/live_levels.h"

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

}  // namespace k470::app
