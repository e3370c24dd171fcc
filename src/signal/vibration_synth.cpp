// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/vibration_synth.h"

#include <array>
#include <cmath>
#include <numbers>

namespace k470 {

namespace {

constexpr std::array<VibrationTone, 3> kWholeBody = {{{0, 2.0, 0.3}, {1, 1.25, 0.2}, {2, 5.0, 0.5}}};
constexpr std::array<VibrationTone, 9> kHandArm = {{{0, 125.0, 4.0},
                                                    {0, 250.0, 2.0},
                                                    {0, 375.0, 1.0},
                                                    {1, 125.0, 2.0},
                                                    {1, 250.0, 1.0},
                                                    {1, 375.0, 0.5},
                                                    {2, 125.0, 3.0},
                                                    {2, 250.0, 1.5},
                                                    {2, 375.0, 0.75}}};

}  // namespace

std::span<const VibrationTone> vibrationCaseTones(VibrationCase c) {
    if (c == VibrationCase::WholeBody) return kWholeBody;
    return kHandArm;
}

VibrationShock vibrationCaseShock(VibrationCase c) {
    if (c == VibrationCase::WholeBody) return {2, 10.0, 0.05};
    return {2, 0.0, 0.0};
}

VibrationCaseSynth::VibrationCaseSynth(VibrationCase c, double rate, double shockAt)
    : case_(c), rate_(rate), shockAt_(shockAt) {}

void VibrationCaseSynth::next(std::span<double> frame) {
    const double t = static_cast<double>(n_++) / rate_;
    for (double& v : frame) v = 0.0;
    for (const VibrationTone& tone : vibrationCaseTones(case_))
        frame[static_cast<size_t>(tone.axis)] +=
            tone.rms * std::numbers::sqrt2 * std::sin(2.0 * std::numbers::pi * tone.frequency * t);
    const VibrationShock s = vibrationCaseShock(case_);
    if (shockAt_ >= 0.0 && s.duration > 0.0 && t >= shockAt_ && t <= shockAt_ + s.duration)
        frame[static_cast<size_t>(s.axis)] +=
            s.peak * std::sin(std::numbers::pi * (t - shockAt_) / s.duration);
}

}  // namespace k470
