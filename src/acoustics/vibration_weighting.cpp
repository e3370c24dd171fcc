// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/vibration_weighting.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace k470::acoustics {

namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();
constexpr double kButterworthQ = std::numbers::sqrt2 / 2.0;

// One row of the ISO 8041-1 table of weighting parameters (Hz; Q without unit).
struct WeightingParameters {
    VibrationWeighting weighting;
    const char* name;
    double f1, f2;          // band-limiting high- and low-pass corners
    double f3, f4, q4;      // a-v transition
    double f5, q5, f6, q6;  // upward step
    double k;               // gain
    double low, high;       // nominal frequency range
};

// f1 and f2 of Wh and Fh are 10^0.8 and 10^3.1 Hz, f1 of Wm and Fm 10^-0.1 Hz, f3 = f4 of Wh 100/(2 pi) Hz
// and of Wm 1/(0.028 * 2 pi) Hz: the exact values the table gives as expressions.
const double kHandLow = std::pow(10.0, 0.8), kHandHigh = std::pow(10.0, 3.1);
const double kWmLow = std::pow(10.0, -0.1);
const double kWhTransition = 100.0 / (2.0 * std::numbers::pi);
const double kWmTransition = 1.0 / (0.028 * 2.0 * std::numbers::pi);

const std::array<WeightingParameters, 12>& table() {
    using W = VibrationWeighting;
    static const std::array<WeightingParameters, 12> rows = {{
        {W::Fk, "Fk", 0.4, 100.0, kNone, kNone, 1.0, kNone, 1.0, kNone, 1.0, 1.0, 0.5, 80.0},
        {W::Fm, "Fm", kWmLow, 100.0, kNone, kNone, 1.0, kNone, 1.0, kNone, 1.0, 1.0, 0.5, 80.0},
        {W::Wb, "Wb", 0.4, 100.0, 16.0, 16.0, 0.55, 2.5, 0.9, 4.0, 0.95, 1.024, 0.5, 80.0},
        {W::Wc, "Wc", 0.4, 100.0, 8.0, 8.0, 0.63, kNone, 1.0, kNone, 1.0, 1.0, 0.5, 80.0},
        {W::Wd, "Wd", 0.4, 100.0, 2.0, 2.0, 0.63, kNone, 1.0, kNone, 1.0, 1.0, 0.5, 80.0},
        {W::We, "We", 0.4, 100.0, 1.0, 1.0, 0.63, kNone, 1.0, kNone, 1.0, 1.0, 0.5, 80.0},
        {W::Wf, "Wf", 0.08, 0.63, kNone, 0.25, 0.86, 0.0625, 0.80, 0.10, 0.80, 1.0, 0.1, 0.5},
        {W::Wj, "Wj", 0.4, 100.0, kNone, kNone, 1.0, 3.75, 0.91, 5.32, 0.91, 1.0, 0.5, 80.0},
        {W::Wk, "Wk", 0.4, 100.0, 12.5, 12.5, 0.63, 2.37, 0.91, 3.35, 0.91, 1.0, 0.5, 80.0},
        {W::Wm, "Wm", kWmLow, 100.0, kWmTransition, kWmTransition, 0.5, kNone, 1.0, kNone, 1.0, 1.0, 0.5,
         80.0},
        {W::Fh, "Fh", kHandLow, kHandHigh, kNone, kNone, 1.0, kNone, 1.0, kNone, 1.0, 1.0, 8.0, 1000.0},
        {W::Wh, "Wh", kHandLow, kHandHigh, kWhTransition, kWhTransition, 0.64, kNone, 1.0, kNone, 1.0, 1.0,
         8.0, 1000.0},
    }};
    return rows;
}

double radians(double f) {
    return 2.0 * std::numbers::pi * f;
}

// A second-order pole pair of the given (complex, Hz) pole: s^2 - 2 Re(p) s + |p|^2.
std::array<double, 3> polePair(std::complex<double> poleHz) {
    const std::complex<double> p = radians(1.0) * poleHz;
    return {std::norm(p), -2.0 * p.real(), 1.0};
}

}  // namespace

std::string_view weightingName(VibrationWeighting w) {
    return table()[static_cast<size_t>(w)].name;
}

std::optional<VibrationWeighting> vibrationWeightingNamed(std::string_view name) {
    for (const WeightingParameters& p : table())
        if (name == p.name) return p.weighting;
    return std::nullopt;
}

AnalogShape vibrationWeightingShape(VibrationWeighting weighting) {
    const WeightingParameters& p = table()[static_cast<size_t>(weighting)];
    AnalogShape shape;
    const double w1 = radians(p.f1), w2 = radians(p.f2);
    shape.sections.push_back({{0.0, 0.0, 1.0}, {w1 * w1, w1 / kButterworthQ, 1.0}});
    shape.sections.push_back({{w2 * w2, 0.0, 0.0}, {w2 * w2, w2 / kButterworthQ, 1.0}});
    if (std::isfinite(p.f4)) {
        const double w3 = radians(p.f3), w4 = radians(p.f4);
        shape.sections.push_back(
            {{1.0, std::isfinite(p.f3) ? 1.0 / w3 : 0.0, 0.0}, {1.0, 1.0 / (p.q4 * w4), 1.0 / (w4 * w4)}});
    }
    if (std::isfinite(p.f5)) {
        const double w5 = radians(p.f5), w6 = radians(p.f6);
        const double g = (w5 / w6) * (w5 / w6);
        shape.sections.push_back(
            {{g, g / (p.q5 * w5), g / (w5 * w5)}, {1.0, 1.0 / (p.q6 * w6), 1.0 / (w6 * w6)}});
    }
    shape.gain = p.k;
    shape.nominalLow = p.low;
    shape.nominalHigh = p.high;
    return shape;
}

AnalogShape gWeightingShape() {
    AnalogShape shape;
    shape.sections.push_back({{0.0, 0.0, 1.0}, polePair({-0.707, 0.707})});
    shape.sections.push_back({{0.0, 0.0, 1.0}, polePair({-19.27, 5.16})});
    shape.sections.push_back({{1.0, 0.0, 0.0}, polePair({-14.11, 14.11})});
    shape.sections.push_back({{1.0, 0.0, 0.0}, polePair({-5.16, 19.27})});
    shape.nominalLow = 0.25;
    shape.nominalHigh = 315.0;
    shape.gain = 1.0 / shape.magnitude(10.0);
    return shape;
}

}  // namespace k470::acoustics
