// SPDX-License-Identifier: GPL-3.0-or-later
// Second-order IIR sections in transposed direct form II, cascades of them, and the design of the
// Butterworth band-pass and first/second-order analogue prototypes through the bilinear transform.
#pragma once

#include <complex>
#include <span>
#include <vector>

namespace k470::acoustics {

struct Biquad {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0;  // numerator
    double a1 = 0.0, a2 = 0.0;            // denominator, a0 = 1
    double z1 = 0.0, z2 = 0.0;            // state

    double process(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
    // The complex response at omega radians per sample.
    std::complex<double> response(double omega) const;
    void reset() { z1 = z2 = 0.0; }
};

// Sections applied one after the other.
class BiquadCascade {
  public:
    BiquadCascade() = default;
    explicit BiquadCascade(std::vector<Biquad> sections) : sections_(std::move(sections)) {}

    double process(double x) {
        for (Biquad& s : sections_) x = s.process(x);
        return x;
    }
    // Filters in place, section by section over the block.
    void processBlock(std::span<double> samples);
    // |H| at the frequency f (Hz) for the sampling rate fs.
    double magnitude(double f, double fs) const;
    std::complex<double> response(double omega) const;
    void reset();
    std::vector<Biquad>& sections() { return sections_; }
    const std::vector<Biquad>& sections() const { return sections_; }

  private:
    std::vector<Biquad> sections_;
};

// A digital Butterworth band-pass of the given prototype order (2*order poles) whose -3 dB points are f1 and
// f2 exactly (pre-warped), with unit gain at the geometric mean of f1 and f2. One section per pole pair.
std::vector<Biquad> designButterworthBandPass(int order, double f1, double f2, double fs);

// The bilinear image of an analogue section (b0 + b1 s + b2 s^2) / (a0 + a1 s + a2 s^2) at rate fs, without
// pre-warping (the weightings are corrected separately).
Biquad bilinear(const double (&b)[3], const double (&a)[3], double fs);

}  // namespace k470::acoustics
