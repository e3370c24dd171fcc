// SPDX-License-Identifier: GPL-3.0-or-later
// Synthetic test signals with known answers: tones, tone bursts, single cycles and pink noise.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace k470::acoustics::testing {

// amplitude * sin(2 pi f t) for `seconds`.
inline std::vector<double> tone(double f, double fs, double seconds, double amplitude = 1.0) {
    std::vector<double> x(static_cast<size_t>(std::llround(seconds * fs)));
    for (size_t n = 0; n < x.size(); ++n)
        x[n] = amplitude * std::sin(2.0 * std::numbers::pi * f * static_cast<double>(n) / fs);
    return x;
}

// Zeros, then the samples of `burst`, then zeros (lengths in seconds).
inline std::vector<double> framed(const std::vector<double>& burst, double fs, double before, double after) {
    std::vector<double> x(static_cast<size_t>(std::llround(before * fs)), 0.0);
    x.insert(x.end(), burst.begin(), burst.end());
    x.resize(x.size() + static_cast<size_t>(std::llround(after * fs)), 0.0);
    return x;
}

// Pink noise (Voss-McCartney with 16 rows), deterministic for a seed.
inline std::vector<double> pinkNoise(double fs, double seconds, uint32_t seed = 1) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> g(0.0, 1.0);
    std::vector<double> rows(16, 0.0);
    double sum = 0.0;
    std::vector<double> x(static_cast<size_t>(std::llround(seconds * fs)));
    for (size_t n = 0; n < x.size(); ++n) {
        const auto k = static_cast<size_t>(std::countr_zero(static_cast<uint32_t>(n + 1)) % 16);
        sum -= rows[k];
        rows[k] = g(rng);
        sum += rows[k];
        x[n] = (sum + g(rng)) / 4.0;
    }
    return x;
}

inline double meanSquare(const std::vector<double>& x, size_t from = 0) {
    double s = 0.0;
    for (size_t i = from; i < x.size(); ++i) s += x[i] * x[i];
    return x.size() > from ? s / static_cast<double>(x.size() - from) : 0.0;
}

inline double dB(double power) {
    return 10.0 * std::log10(power);
}

}  // namespace k470::acoustics::testing
