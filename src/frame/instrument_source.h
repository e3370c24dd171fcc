// SPDX-License-Identifier: GPL-3.0-or-later
// The connected instrument as a source of the main window, without widgets: which commands it allows, and
// the values of the autorecording dialog as the user typed them.
#pragma once

#include <optional>
#include <string_view>

#include "base/result.h"
#include "frame/commands.h"
#include "link/acquisition_controller.h"

namespace k470::app {

// Whether a command is allowed while the instrument is the source: the operation commands as the
// acquisition reported them; "Misc..." and "Copy to clipboard" once its pages show; the global commands
// except "Signal filtration", whose settings the running acquisition uses.
bool InstrumentAllows(const AcquisitionCommands& reported, bool pagesShown, Command command);

// The recording commands of the raw-signal instrument's stream, which the window records itself: "Start
// recording" while the stream runs and nothing is recorded, "Stop recording" and "Set marker" while it
// records. Nothing for the commands it leaves to InstrumentAllows.
std::optional<bool> StreamAllows(bool streaming, bool recording, Command command);

// The longest saving period: the period is kept in milliseconds in 32 bits.
constexpr long long kMaxSavingPeriodSeconds = 0xFFFFFFFFLL / 1000;

// The texts of "Saving period [sec]" and "Number of records" as whole numbers (spaces around them are
// allowed). "Error in parameters" for anything else, for 0 or more than 300,000 records, for a period
// below 1 s, and for a period too long to count in milliseconds.
Result<AcquisitionController::RecordingParameters> ParseRecordingParameters(std::string_view periodText,
                                                                            std::string_view countText,
                                                                            bool externalTrigger);

}  // namespace k470::app
