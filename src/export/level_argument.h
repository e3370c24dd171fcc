// SPDX-License-Identifier: GPL-3.0-or-later
// A chosen level as a command line names it ("T,P,B" or "T,P,B,C"), shared by the merge, percentiles and
// report commands of k470-cli and the report document of k470.
#pragma once

#include <string>
#include <string_view>

#include "data/device_type.h"
#include "export/level_locator.h"

namespace k470 {

// Reads "T,P,B" or "T,P,B,C" (decimal numbers; channel 0 when left out). False when the text is not of
// that form.
bool parseLevelArgument(std::string_view text, LevelSelection& level);

// "" when the level is one of the type's choices, otherwise a message naming what is out of range. A type
// without decoded levels accepts any level: its level locator points at the first result word.
std::string checkLevelArgument(DeviceType type, const LevelSelection& level, std::string_view text);

}  // namespace k470
