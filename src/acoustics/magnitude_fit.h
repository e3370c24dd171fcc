// SPDX-License-Identifier: GPL-3.0-or-later
// A short linear-phase correction filter that brings an IIR filter's magnitude to a target magnitude: the
// least-squares fit of a zero-phase cosine series c0 + 2 sum ck cos(k omega) to the ratio of the target to
// the IIR's response, in relative terms, at points spread evenly in log frequency. The weightings made from
// analogue definitions use it where the bilinear transform alone strays from the analogue response.
#pragma once

#include <functional>
#include <vector>

#include "acoustics/biquad.h"

namespace k470::acoustics {

struct MagnitudeFitRange {
    double low = 10.0;     // Hz, the lowest fitted point
    double top = 10000.0;  // Hz, the highest fitted point (below half the rate)
    int points = 400;      // fitted points, spread evenly in log frequency
    int halfLength = 8;    // M: the filter has 2M+1 taps
};

// The 2M+1 symmetric taps; `target` gives the wanted linear magnitude at f Hz.
std::vector<double> fitMagnitudeCorrection(const std::function<double(double)>& target,
                                           const BiquadCascade& iir, double sampleRate,
                                           const MagnitudeFitRange& range);

// |sum of taps[k] e^(-j omega k)| of a correction filter at f Hz.
double correctionMagnitude(const std::vector<double>& taps, double f, double sampleRate);

}  // namespace k470::acoustics
