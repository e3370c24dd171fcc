// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency weightings defined, as the vibration standards (ISO 8041-1, ISO 2631, ISO 5349-1) and the
// infrasound standard (ISO 7196) define them, by a product of analogue sections, made digital at a sampling
// rate so that their magnitude follows the analogue one.
//
// Each section goes through the bilinear transform with its poles and its zeros pre-warped apart, each at
// its own corner frequency, so that every corner lands where the analogue one lies. What the transform
// still bends (the slopes between the corners, which it squeezes towards half the rate) is taken out by a
// short linear-phase correction fitted to the remaining ratio, where the sections alone stray by more
// than kCorrectionThresholdDb within the nominal range; at rates high above the weighting there is none.
//
//     AnalogShape shape = ...;                       // sections, gain, nominal range
//     AnalogWeightingFilter w = AnalogWeightingFilter::Design(shape, 3000.0);
//     w.process(block);                              // in place, block after block
#pragma once

#include <array>
#include <complex>
#include <span>
#include <vector>

#include "acoustics/biquad.h"
#include "acoustics/block_fir.h"

namespace k470::acoustics {

// (b0 + b1 s + b2 s^2) / (a0 + a1 s + a2 s^2), s in radians per second.
struct AnalogSection {
    std::array<double, 3> b{1.0, 0.0, 0.0};
    std::array<double, 3> a{1.0, 0.0, 0.0};
};

struct AnalogShape {
    std::vector<AnalogSection> sections;
    double gain = 1.0;
    double nominalLow = 0.0, nominalHigh = 0.0;  // Hz: where the digital filter follows within 0.1 dB

    std::complex<double> response(double f) const;
    double magnitude(double f) const { return std::abs(response(f)); }
};

class AnalogWeightingFilter {
  public:
    // Where the sections alone stray by more than this within the nominal range, a correction follows.
    static constexpr double kCorrectionThresholdDb = 0.02;

    AnalogWeightingFilter() = default;
    // The caller keeps the rate above twice the nominal range's top.
    static AnalogWeightingFilter Design(const AnalogShape& shape, double sampleRate);

    const BiquadCascade& sections() const { return iir_; }
    bool corrected() const { return !taps_.empty(); }
    // Appends the corrected `iirOutput` (the sections' output) to `out`.
    void correct(std::span<const double> iirOutput, std::vector<double>& out);
    void process(std::span<double> samples);
    // The designed magnitude at f Hz (sections and correction).
    double magnitude(double f) const;
    // Samples by which the correction delays the output (0 without one).
    int delay() const { return static_cast<int>(taps_.size() / 2); }
    void reset();

  private:
    double sampleRate_ = 0.0;
    BiquadCascade iir_;
    std::vector<double> taps_;
    BlockFir correction_;
    std::vector<double> corrected_;
};

}  // namespace k470::acoustics
