// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in low-pass filters for decimation by 2, 3 and 4 (201, 301 and 401 taps) and the frequency
// response of a filter given by its numerator and denominator arrays.
#pragma once

#include <span>

namespace k470 {

// Number of taps of the built-in low-pass for decimation r (2, 3 or 4); 0 for any other r.
int builtInLowPassLength(int r);
// The linear-phase low-pass for decimation r: unity gain at 0 Hz, its -3 dB point just below half the
// decimated rate, a stop band below -90 dB. Empty for a decimation without a built-in filter.
std::span<const double> builtInLowPass(int r);
// The -3 dB frequency the built-in filter for r is designed to, as a fraction of the input rate.
double builtInLowPassCorner(int r);

// |B(z) / A(z)| at z = e^(-j omega), omega in radians per sample, with B = sum b[k] z^k and
// A = 1 + sum a[k] z^(k+1): the denominator carries no leading 1 and a[0] belongs to z^1, as in the filter
// stage of the processing chain. Without a denominator A = 1.
double filterResponse(double omega, std::span<const double> b, std::span<const double> a = {});

}  // namespace k470
