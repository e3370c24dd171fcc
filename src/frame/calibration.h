// SPDX-License-Identifier: GPL-3.0-or-later
// Calibrating a channel of the live input against an acoustic calibrator: what the measured tone says
// about the channel's sensitivity, and applying the new sensitivity where the channel set-up keeps it.
#pragma once

#include "acoustics/live_levels.h"
#include "base/result.h"
#include "data/dos_date_time.h"

namespace k470::app {

class ApplicationState;

// The check of channel 0..2's calibration: the measured tone at the channel's present sensitivity against
// the calibrator's level (a sound pressure level, whatever the channel read in before).
acoustics::CalibrationCheck CheckChannelCalibration(const ApplicationState& frame, int channel,
                                                    const acoustics::CalibratorMeasurement& measurement,
                                                    double calibratorLevelDb);

// Applies an accepted check to channel 0..2: the new sensitivity goes into the channel set-up (under the
// signal lock), and is kept by the active preset (in the presets file) or, without one, as the channel's
// stream sensitivity in the settings; the calibration log gets the entry with the drift since the previous
// calibration. A presets file that cannot be written is reported; the rest is applied all the same.
Status ApplyCalibration(ApplicationState& frame, int channel, const acoustics::CalibrationCheck& check,
                        double calibratorLevelDb, CalendarTime when);

}  // namespace k470::app
