// SPDX-License-Identifier: GPL-3.0-or-later
// Plausible records of any device type with a layout, made up from a seed: the sample files of the
// README, the tests and the benchmarks, and the instrument simulator's starting values.
#pragma once

#include <cstdint>
#include <vector>

#include "base/result.h"
#include "data/measurement_record.h"

namespace k470 {

struct SampleRecordOptions {
    DeviceType type = 3;
    uint32_t vin = 0x00A1B2C3;
    uint32_t seed = 1;
    int index = 0;  // position in a series: levels drift slowly from record to record
};

// What a level word of a record shows, and which instantaneous word of the same record it is taken from:
// the instantaneous value itself, the Leq, minimum or maximum of that word over the interval, or the peak
// (above the maximum by at least a sine's crest factor).
struct WordRole {
    enum Kind { Instant, Leq, Min, Max, Peak } kind = Instant;
    int source = 0;
};

// The roles of the level words of a type, in the order of its record layout.
std::vector<WordRole> levelWordRoles(const RecordDimensions& dimensions);

// A peak lies this much above the maximum of its rms value: the crest factor of a sine.
constexpr double kPeakAboveMaxDb = 3.0;

// Fails with "Unknown file format" for a type without a layout. The levels are consistent with each other:
// every minimum <= its value <= its maximum <= its peak, every Leq within its minimum and maximum; sound
// level meters get a spectrum falling towards high and low frequencies, octaves that are the energy sums of
// their thirds, and C, A and Z levels summed from the thirds with their weightings.
Result<MeasurementRecord> makeSampleRecord(const SampleRecordOptions& options);

}  // namespace k470
