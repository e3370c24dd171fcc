// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/signal_limits.h"

#include <string>

#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470 {

namespace {

std::string number(double v) {
    return formatGeneral(v, 10);
}

}  // namespace

Status checkReferenceValue(double referenceValue, int channel) {
    if (referenceValue == 0.0 ||
        (referenceValue >= kMinReferenceValue && referenceValue <= kMaxReferenceValue))
        return {};
    return fail(Word::ReferenceOutOfRange, {number(referenceValue), std::to_string(channel),
                                            number(kMinReferenceValue), number(kMaxReferenceValue)});
}

Status checkScale(double scale) {
    if (scale >= kMinScale && scale <= kMaxScale) return {};
    return fail(Word::InvalidScale, {number(scale), number(kMinScale), number(kMaxScale)});
}

Status checkCalibrationLevel(double levelDb) {
    if (levelDb >= kMinCalibrationLevelDb && levelDb <= kMaxCalibrationLevelDb) return {};
    return fail(Word::CalibrationLevelOutOfRange,
                {number(levelDb), number(kMinCalibrationLevelDb), number(kMaxCalibrationLevelDb)});
}

Error sampleOutOfRange(double value, uint64_t sample, int record) {
    const Word why = std::isfinite(value) ? Word::SampleOutOfRange : Word::SampleNotFinite;
    return fail(why, {std::to_string(sample), std::to_string(record), number(kMaxSampleLevelDb)});
}

}  // namespace k470
