// SPDX-License-Identifier: GPL-3.0-or-later
// Sound levels as CSV lines: the header names the columns (start and duration of the interval, the weighted
// levels, the peaks, then the Leq of every band), each interval is one row with two decimals. A level of
// no signal is "-inf"; an absent level (A and C of a non-acoustic unit, a band above half the rate) is empty.
// The levels command prints it, and a levels page copies its figures in it.
#pragma once

#include <string>
#include <vector>

#include "acoustics/level_recorder.h"

namespace k470::acoustics {

std::string LevelsCsvHeader(const std::vector<BandId>& bands);
void AppendLevelsCsvRow(std::string& out, const IntervalLevels& levels);

}  // namespace k470::acoustics
