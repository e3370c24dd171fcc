// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/analog_weighting.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustics/magnitude_fit.h"

namespace k470::acoustics {

namespace {

// The correction is fitted from below the nominal range up to this share of half the rate, and has 2M+1
// taps; the points above the nominal range count less, where only the tolerances of ISO 8041-1 apply.
constexpr double kFitTopFraction = 0.8;
constexpr int kFitHalfLength = 8;
constexpr int kCheckPoints = 240;

double radians(double f) {
    return 2.0 * std::numbers::pi * f;
}

std::complex<double> polynomial(const std::array<double, 3>& c, std::complex<double> s) {
    return c[0] + s * (c[1] + s * c[2]);
}

// The corner of a polynomial in s (rad/s), or 0 for a plain power of s or a constant.
double corner(const std::array<double, 3>& c) {
    if (c[0] == 0.0) return 0.0;
    if (c[2] != 0.0) return std::sqrt(c[0] / c[2]);
    if (c[1] != 0.0) return c[0] / c[1];
    return 0.0;
}

// The factor r by which s is scaled so that the bilinear transform maps the corner w exactly:
// s = k (z - 1)/(z + 1) with k = w / tan(w T / 2), that is 2 fs r.
double prewarp(double w, double fs) {
    const double half = w / (2.0 * fs);
    if (!(w > 0.0) || half >= 0.45 * std::numbers::pi) return 1.0;
    return half / std::tan(half);
}

std::array<double, 3> scaled(std::array<double, 3> c, double r) {
    c[1] *= r;
    c[2] *= r * r;
    return c;
}

Biquad digitalSection(const AnalogSection& s, double fs) {
    const double wa = corner(s.a);
    const double wb = corner(s.b);
    const double ra = prewarp(wa, fs);
    const double rb = wb > 0.0 ? prewarp(wb, fs) : ra;
    const auto b = scaled(s.b, rb);
    const auto a = scaled(s.a, ra);
    return bilinear({b[0], b[1], b[2]}, {a[0], a[1], a[2]}, fs);
}

double worstErrorDb(const AnalogShape& shape, const AnalogWeightingFilter& f) {
    double worst = 0.0;
    for (int i = 0; i <= kCheckPoints; ++i) {
        const double freq = shape.nominalLow * std::pow(shape.nominalHigh / shape.nominalLow,
                                                        static_cast<double>(i) / kCheckPoints);
        worst = std::max(worst, std::abs(20.0 * std::log10(f.magnitude(freq) / shape.magnitude(freq))));
    }
    return worst;
}

}  // namespace

std::complex<double> AnalogShape::response(double f) const {
    const std::complex<double> s(0.0, radians(f));
    std::complex<double> h = gain;
    for (const AnalogSection& k : sections) h *= polynomial(k.b, s) / polynomial(k.a, s);
    return h;
}

AnalogWeightingFilter AnalogWeightingFilter::Design(const AnalogShape& shape, double sampleRate) {
    AnalogWeightingFilter w;
    w.sampleRate_ = sampleRate;
    std::vector<Biquad> sections;
    for (const AnalogSection& s : shape.sections) sections.push_back(digitalSection(s, sampleRate));
    if (!sections.empty()) {
        sections.front().b0 *= shape.gain;
        sections.front().b1 *= shape.gain;
        sections.front().b2 *= shape.gain;
    }
    w.iir_ = BiquadCascade(std::move(sections));
    if (worstErrorDb(shape, w) > kCorrectionThresholdDb) {
        MagnitudeFitRange range;
        range.low = shape.nominalLow;
        range.top = kFitTopFraction * 0.5 * sampleRate;
        range.halfLength = kFitHalfLength;
        w.taps_ = fitMagnitudeCorrection([&shape](double f) { return shape.magnitude(f); }, w.iir_,
                                         sampleRate, range);
        w.correction_ = BlockFir(w.taps_);
    }
    return w;
}

void AnalogWeightingFilter::correct(std::span<const double> iirOutput, std::vector<double>& out) {
    if (taps_.empty())
        out.insert(out.end(), iirOutput.begin(), iirOutput.end());
    else
        correction_.process(iirOutput, out);
}

void AnalogWeightingFilter::process(std::span<double> samples) {
    iir_.processBlock(samples);
    if (taps_.empty()) return;
    corrected_.clear();
    correction_.process(samples, corrected_);
    std::copy(corrected_.begin(), corrected_.end(), samples.begin());
}

double AnalogWeightingFilter::magnitude(double f) const {
    const double h = iir_.magnitude(f, sampleRate_);
    return taps_.empty() ? h : h * correctionMagnitude(taps_, f, sampleRate_);
}

void AnalogWeightingFilter::reset() {
    iir_.reset();
    correction_.reset();
}

}  // namespace k470::acoustics
