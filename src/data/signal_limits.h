// SPDX-License-Identifier: GPL-3.0-or-later
// The ranges within which a recorded signal makes sense as a measurement, so that every level, spectrum,
// decay and converted sample computed from it is a finite number. Every path that reads a signal applies
// these same checks: the command line's analyses and conversions, the calibration, and the window's replay
// (a signal file's references are checked when it is opened, its samples as they are read).
//
//   sampling rate           8 kHz .. 192 kHz (the analyses' filters are designed over this range)
//   0 dB reference          1e-12 .. 1e6 in the channel's unit (20 uPa for sound, 1e-6 m/s^2, 1 count, ...),
//                           or 0 for one never set
//   sample                  finite and at most 1e15 times the reference (300 dB above it): no instrument
//                           measures more, and the squares of a day of such samples still add up to a
//                           finite number
//   scale                   1e-9 .. 1e9 (physical units per stored unit, e.g. pascals per full scale)
//   calibrator level        40 .. 160 dB (calibrators give 94, 114 or 124 dB; pistonphones up to 134 dB)
#pragma once

#include <cmath>
#include <cstdint>

#include "base/result.h"
#include "data/reference_values.h"

namespace k470 {

inline constexpr double kMinReferenceValue = 1e-12;
inline constexpr double kMaxReferenceValue = 1e6;
inline constexpr double kMaxSampleLevelDb = 300.0;
inline constexpr double kMaxSampleRatio = 1e15;  // 10^(kMaxSampleLevelDb / 20)
inline constexpr double kMinScale = 1e-9;
inline constexpr double kMaxScale = 1e9;
inline constexpr double kMinCalibrationLevelDb = 40.0;
inline constexpr double kMaxCalibrationLevelDb = 160.0;

// The lowest level any analysis gives (dB): the level of a silent stretch within a signal, and of a
// spectrum's empty bins. Far below anything a sample within the ranges above can carry.
inline constexpr double kLevelFloorDb = -300.0;

// The reference taken for one never set (0): that of sound pressure, 20 uPa.
inline constexpr double kUnsetReferenceValue = kReferenceSoundPressure;
inline double referenceInEffect(double referenceValue) {
    return referenceValue == 0.0 ? kUnsetReferenceValue : referenceValue;
}

// Whether a sample is finite and within kMaxSampleRatio of the reference in effect (false for NaN).
inline bool sampleInRange(double value, double referenceValue) {
    return std::fabs(value) <= referenceInEffect(referenceValue) * kMaxSampleRatio;
}

// Fails with "The 0 dB reference ... of channel N is not between 1e-12 and 1e6" (channel from 1). A reference
// of 0 is one that was never set: it passes, and the analyses take 20 uPa for it.
Status checkReferenceValue(double referenceValue, int channel);
// Fails with "Scale '...' is not a number between 1e-09 and 1e+09".
Status checkScale(double scale);
// Fails with "Calibrator level ... dB is not between 40 and 160 dB".
Status checkCalibrationLevel(double levelDb);
// Why a sample failed sampleInRange: "Sample N of record K is not a finite number" or "... lies more than
// 300 dB above the 0 dB reference" (sample and record numbered from 1).
Error sampleOutOfRange(double value, uint64_t sample, int record);

}  // namespace k470
