// SPDX-License-Identifier: GPL-3.0-or-later
// The last calibration of each channel against an acoustic calibrator, kept in the settings so that the
// drift of a microphone can be followed from one calibration to the next: when, at which calibrator level,
// the sensitivity it gave and how far that moved from the one before. Section "Calibration", keys
// "Date1".."Date3" (YYYY-MM-DD HH:MM:SS), "Level1".., "Drift1".., "Sensitivity1"..; a channel calibrated
// while no processing preset is active also gets "StreamSensitivity1".., which the raw-signal
// instrument's channel set-up takes instead of its default sensitivity.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "base/settings_store.h"
#include "data/dos_date_time.h"
#include "signal/signal_state.h"

namespace k470::app {

namespace keys {
inline constexpr const char* kCalibration = "Calibration";
}

struct CalibrationEntry {
    CalendarTime date;
    double level = 94.0;            // dB, the calibrator's level
    double sensitivity = 1.0;       // the channel's sensitivity it gave
    std::optional<double> driftDb;  // change from the previous calibration; none for the first one

    // "2024-05-17 10:20:30".
    std::string dateText() const;
};

// The entry of channel 0..2; none when the channel was never calibrated (or the keys do not read).
std::optional<CalibrationEntry> LoadCalibration(const SettingsStore& store, int channel);
// Writes the entry; false when the settings could not be written.
bool SaveCalibration(SettingsStore& store, int channel, const CalibrationEntry& entry);

// The sensitivities "Calibrate..." set while no preset was active, per channel; 0 where none was set.
using StreamSensitivities = std::array<double, 3>;
StreamSensitivities LoadStreamSensitivities(const SettingsStore& store);
bool SaveStreamSensitivity(SettingsStore& store, int channel, double sensitivity);
// Puts the calibrated sensitivities into a channel set-up that no preset governs.
void ApplyStreamSensitivities(SignalState& state, const StreamSensitivities& sensitivities);

}  // namespace k470::app
