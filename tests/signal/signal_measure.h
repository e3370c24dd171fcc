// SPDX-License-Identifier: GPL-3.0-or-later
// Independent measurements for checking made-up signals: rms level, an octave band-pass made of three
// band-pass sections (the audio cookbook's constant-peak form), and the reverberation time from the
// backward-integrated energy decay between -5 and -25 dB (ISO 3382's T20, scaled to 60 dB).
#pragma once

#include <cmath>
#include <numbers>
#include <span>
#include <vector>

namespace k470::test {

inline double levelDb(std::span<const double> x, double reference = 2e-5) {
    double sum = 0.0;
    for (double v : x) sum += v * v;
    return 10.0 * std::log10(sum / static_cast<double>(x.size()) / (reference * reference));
}

// One octave around centre (three identical sections of a one-octave band-pass).
inline std::vector<double> octaveBand(std::span<const double> x, double centre, double rate) {
    const double w0 = 2.0 * std::numbers::pi * centre / rate;
    const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2.0 * 1.0 * w0 / std::sin(w0));
    const double a0 = 1.0 + alpha;
    const double b0 = alpha / a0, b2 = -alpha / a0, a1 = -2.0 * std::cos(w0) / a0, a2 = (1.0 - alpha) / a0;
    std::vector<double> y(x.begin(), x.end());
    for (int section = 0; section < 3; ++section) {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& v : y) {
            const double out = b0 * v + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = v;
            y2 = y1;
            y1 = out;
            v = out;
        }
    }
    return y;
}

// Reverberation time of the decay that starts at the first sample of x.
inline double reverberationTime(std::span<const double> x, double rate) {
    std::vector<double> curve(x.size());
    double sum = 0.0;
    for (size_t i = x.size(); i-- > 0;) {
        sum += x[i] * x[i];
        curve[i] = sum;
    }
    double st = 0, sd = 0, stt = 0, std_ = 0;
    int n = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double db = 10.0 * std::log10(curve[i] / curve[0]);
        if (db > -5.0) continue;
        if (db < -25.0) break;
        const double t = static_cast<double>(i) / rate;
        st += t;
        sd += db;
        stt += t * t;
        std_ += t * db;
        ++n;
    }
    const double slope = (n * std_ - st * sd) / (n * stt - st * st);  // dB per second
    return -60.0 / slope;
}

}  // namespace k470::test
