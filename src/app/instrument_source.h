// The connected instrument as a source of the main window, without widgets: which commands the
// acquisition leaves enabled, and the values of the autorecording dialog as the user typed them.
#pragma once

#include <string_view>

#include "app/command_state.h"
#include "base/result.h"
#include "link/acquisition_controller.h"

namespace k470::app {

// Enables or disables the commands whose state the acquisition decides, as it reported them.
void ApplyAcquisitionCommands(CommandState& commands, const AcquisitionCommands& reported);

// The longest saving period: the period is kept in milliseconds in 32 bits.
constexpr long long kMaxSavingPeriodSeconds = 0xFFFFFFFFLL / 1000;

// The texts of "Saving period [sec]" and "Number of records" as whole numbers (spaces around them are
// allowed). "Error in parameters" for anything else, for 0 or more than 300,000 records, for a period
// below 1 s, and for a period too long to count in milliseconds.
Result<AcquisitionController::RecordingParameters> ParseRecordingParameters(std::string_view periodText,
                                                                            std::string_view countText,
                                                                            bool externalTrigger);

}  // namespace k470::app
