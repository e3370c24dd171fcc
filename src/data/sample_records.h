// Plausible records of any device type with a layout, made up from a seed: the sample files of the
// README, the tests and the benchmarks, and the instrument simulator's starting values.
#pragma once

#include <cstdint>

#include "base/result.h"
#include "data/measurement_record.h"

namespace k470 {

struct SampleRecordOptions {
    DeviceType type = 3;
    uint32_t vin = 0x00A1B2C3;
    uint32_t seed = 1;
    int index = 0;  // position in a series: levels drift slowly from record to record
};

// Fails with "Unknown file format" for a type without a layout.
Result<MeasurementRecord> makeSampleRecord(const SampleRecordOptions& options);

}  // namespace k470
