// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/axis_ticks.h"

#include <algorithm>
#include <cmath>

#include "base/number_format.h"

namespace k470::plot {

namespace {

// The step mantissas in search order, and the decimals that each adds to the label of a power-of-ten step.
constexpr double kMantissa[4] = {1.0, 0.5, 0.25, 0.2};
constexpr int kExtraDecimals[4] = {0, 1, 2, 1};

double powerOfTen(int e) {
    return std::pow(10.0, e);
}

}  // namespace

int AxisTicks::count() const {
    if (!(step > 0) || lastTick < firstTick) return 0;
    return static_cast<int>(std::floor((lastTick - firstTick) / step + 0.5)) + 1;
}

std::string AxisTicks::labelFormat() const {
    if (decimals <= 0) return "%1.0lf";
    return "%1." + std::to_string(decimals) + "lf";
}

std::string AxisTicks::label(double value) const {
    double scaled = value / powerOfTen(exponent);
    // A tick computed as a multiple of the step may land a rounding error off zero; "-0" is no label.
    if (std::fabs(scaled) < step / powerOfTen(exponent) * 1e-9) scaled = 0.0;
    return formatFixed(scaled, std::max(decimals, 0));
}

std::string AxisTicks::exponentLabel() const {
    if (exponent == 0) return {};
    return (exponent > 0 ? "E+" : "E") + std::to_string(exponent);
}

void MakeAxisUsable(double& lo, double& range, int& pixels, int& minSpacing) {
    if (minSpacing < 1) minSpacing = 1;
    if (!std::isfinite(lo)) lo = 0.0;
    if (!(range > 0) || !std::isfinite(range) || pixels <= 0) {
        range = 1.0;
        pixels = minSpacing;
    }
}

AxisTicks ComputeAxisTicks(double lo, double range, int pixels, int minSpacing, int digitBudget) {
    MakeAxisUsable(lo, range, pixels, minSpacing);
    AxisTicks t;
    int bestLeftover = 0;
    for (int i = 0; i < 4; ++i) {
        const int e = static_cast<int>(std::ceil(std::log10(range * minSpacing / (pixels * kMantissa[i]))));
        const double step = powerOfTen(e) * kMantissa[i];
        const int leftover = static_cast<int>(pixels - minSpacing * (range / step - 1.0));
        if (i == 0 || leftover < bestLeftover) {
            bestLeftover = leftover;
            t.mantissaIndex = i;
            t.stepExponent = e;
        }
    }
    t.step = powerOfTen(t.stepExponent) * kMantissa[t.mantissaIndex];
    t.firstTick = std::ceil(lo / t.step) * t.step;
    t.lastTick = std::floor((lo + range) / t.step) * t.step;
    const double maxAbs = std::max(std::fabs(t.firstTick), std::fabs(t.lastTick));
    // With both ends at zero there is nothing to scale: log10(0) would be minus infinity.
    const int magnitude = maxAbs > 0 ? static_cast<int>(std::floor(std::log10(maxAbs))) : 0;
    t.exponent = maxAbs > 0 ? static_cast<int>(std::floor(std::log10(maxAbs) / 3.0)) * 3 : 0;
    int d = kExtraDecimals[t.mantissaIndex] - t.stepExponent + t.exponent;
    d = std::min(d, digitBudget - (magnitude - t.exponent + 1) - 1);
    t.decimals = std::max(d, 0);
    return t;
}

std::string LogTickLabel(double value) {
    if (std::fabs(value) >= 1e6) return formatGeneral(value / 1e6, 6) + "M";
    if (std::fabs(value) >= 1e3) return formatGeneral(value / 1e3, 6) + "k";
    return formatGeneral(value, 6);
}

LogAxisTicks ComputeLogAxisTicks(double lo, double hi, int pixels, int minSpacing) {
    LogAxisTicks t;
    if (!(lo > 0) || !(hi > lo) || !std::isfinite(hi) || pixels <= 0) return t;
    minSpacing = std::max(minSpacing, 1);
    const double pixelsPerDecade = pixels / std::log10(hi / lo);
    // The narrowest gaps of 1-2-5 (1 to 2 and 5 to 10) are log10(2) of a decade.
    const bool oneTwoFive = pixelsPerDecade * std::log10(2.0) >= minSpacing;
    const int decadeStep =
        oneTwoFive ? 1 : std::max(1, static_cast<int>(std::ceil(minSpacing / pixelsPerDecade - 1e-9)));
    const int first = static_cast<int>(std::floor(std::log10(lo)));
    const int last = static_cast<int>(std::ceil(std::log10(hi)));
    constexpr double kSlack = 1e-9;  // a tick at an end of the axis stays in despite rounding
    for (int e = first; e <= last; ++e) {
        if (!oneTwoFive && (e % decadeStep + decadeStep) % decadeStep != 0) continue;
        for (double m : {1.0, 2.0, 5.0}) {
            if (!oneTwoFive && m != 1.0) break;
            const double v = m * powerOfTen(e);
            if (v < lo * (1 - kSlack) || v > hi * (1 + kSlack)) continue;
            t.values.push_back(v);
            t.labels.push_back(LogTickLabel(v));
        }
    }
    return t;
}

}  // namespace k470::plot
