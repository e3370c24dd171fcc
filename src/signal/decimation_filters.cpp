// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/decimation_filters.h"

#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace k470 {

namespace {

// Modified Bessel function of the first kind, order 0, by its power series (converges quickly for the
// window parameters used here).
double besselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    const double q = x * x / 4.0;
    for (int k = 1; k < 200; ++k) {
        term *= q / (static_cast<double>(k) * static_cast<double>(k));
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

// Windowed-sinc low-pass of `taps` taps with its 6 dB point at `cutoff` (fraction of the sample rate),
// Kaiser window of parameter beta, scaled so that the taps sum to 1.
std::vector<double> windowedSinc(int taps, double cutoff, double beta) {
    std::vector<double> h(static_cast<size_t>(taps));
    const double middle = (taps - 1) / 2.0;
    const double i0Beta = besselI0(beta);
    double sum = 0.0;
    for (int n = 0; n < taps; ++n) {
        const double t = n - middle;
        const double arg = 2.0 * std::numbers::pi * cutoff * t;
        const double sinc = t == 0.0 ? 2.0 * cutoff : std::sin(arg) / (std::numbers::pi * t);
        const double r = t / middle;
        const double window = besselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / i0Beta;
        h[static_cast<size_t>(n)] = sinc * window;
        sum += h[static_cast<size_t>(n)];
    }
    for (double& v : h) v /= sum;
    return h;
}

// Window parameter for about 100 dB of stop-band attenuation (Kaiser's rule 0.1102 * (A - 8.7)), which keeps
// the stop band below -90 dB with a margin.
constexpr double kBeta = 0.1102 * (100.0 - 8.7);

struct Design {
    int taps;
    double corner;  // -3 dB point, fraction of the input rate
};
// Corners just below half the decimated rate, leaving room for the transition band of each length.
constexpr std::array<Design, 3> kDesigns{{{201, 0.236}, {301, 0.157}, {401, 0.118}}};

// Places the 6 dB point so that the response passes -3 dB at the wanted corner (bisection: the response at
// a fixed frequency rises with the cutoff).
std::vector<double> design(const Design& d) {
    const double target = 1.0 / std::sqrt(2.0);
    const double omega = 2.0 * std::numbers::pi * d.corner;
    double lo = d.corner;
    double hi = d.corner + 0.05;
    std::vector<double> h;
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        h = windowedSinc(d.taps, mid, kBeta);
        if (filterResponse(omega, h) < target)
            lo = mid;
        else
            hi = mid;
    }
    return windowedSinc(d.taps, 0.5 * (lo + hi), kBeta);
}

const std::array<std::vector<double>, 3>& designs() {
    static const std::array<std::vector<double>, 3> filters{design(kDesigns[0]), design(kDesigns[1]),
                                                            design(kDesigns[2])};
    return filters;
}

}  // namespace

int builtInLowPassLength(int r) {
    return r >= 2 && r <= 4 ? kDesigns[static_cast<size_t>(r - 2)].taps : 0;
}

double builtInLowPassCorner(int r) {
    return r >= 2 && r <= 4 ? kDesigns[static_cast<size_t>(r - 2)].corner : 0.0;
}

std::span<const double> builtInLowPass(int r) {
    if (r < 2 || r > 4) return {};
    return designs()[static_cast<size_t>(r - 2)];
}

double filterResponse(double omega, std::span<const double> b, std::span<const double> a) {
    const std::complex<double> z = std::polar(1.0, -omega);
    std::complex<double> num = 0.0;
    std::complex<double> power = 1.0;
    for (double c : b) {
        num += c * power;
        power *= z;
    }
    std::complex<double> den = 1.0;
    power = z;
    for (double c : a) {
        den += c * power;
        power *= z;
    }
    return std::abs(num / den);
}

}  // namespace k470
