// SPDX-License-Identifier: GPL-3.0-or-later
// Energy average of a range of records of an open .bin file.
#pragma once

#include "base/result.h"
#include "data/bin_file.h"

namespace k470 {

// Averages the levels of records first..last (1-based, 1 <= first < last <= count, otherwise "Error in
// parameters") as 10*log10(mean of 10^(L/10)) slot by slot, in the layout of the current record. Header,
// trailer and tail are those of the current record. For the field meters only the Fast, Fast min and Fast
// max words take part; their Slow words keep the values of the last record of the range.
Result<MeasurementRecord> RecordRangeAverage(const BinFile& file, int first, int last, int current);

}  // namespace k470
