// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/magnitude_fit.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace k470::acoustics {

namespace {

// Solves the system a x = b (Gaussian elimination with partial pivoting).
std::vector<double> solve(std::vector<std::vector<double>> a, std::vector<double> b) {
    const size_t n = b.size();
    for (size_t c = 0; c < n; ++c) {
        size_t p = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::abs(a[r][c]) > std::abs(a[p][c])) p = r;
        std::swap(a[c], a[p]);
        std::swap(b[c], b[p]);
        for (size_t r = c + 1; r < n; ++r) {
            const double m = a[r][c] / a[c][c];
            for (size_t k = c; k < n; ++k) a[r][k] -= m * a[c][k];
            b[r] -= m * b[c];
        }
    }
    std::vector<double> x(n);
    for (size_t i = n; i-- > 0;) {
        double s = b[i];
        for (size_t k = i + 1; k < n; ++k) s -= a[i][k] * x[k];
        x[i] = s / a[i][i];
    }
    return x;
}

}  // namespace

std::vector<double> fitMagnitudeCorrection(const std::function<double(double)>& target,
                                           const BiquadCascade& iir, double sampleRate,
                                           const MagnitudeFitRange& range) {
    const int m = range.halfLength;
    std::vector<std::vector<double>> a(m + 1, std::vector<double>(m + 1, 0.0));
    std::vector<double> b(m + 1, 0.0);
    std::vector<double> basis(m + 1);
    for (int i = 0; i <= range.points; ++i) {
        const double f = range.low * std::pow(range.top / range.low, static_cast<double>(i) / range.points);
        const double omega = 2.0 * std::numbers::pi * f / sampleRate;
        const double ratio = target(f) / std::abs(iir.response(omega));
        const double weight = 1.0 / (ratio * ratio);
        for (int k = 0; k <= m; ++k) basis[k] = (k == 0 ? 1.0 : 2.0) * std::cos(k * omega);
        for (int r = 0; r <= m; ++r) {
            for (int c = 0; c <= m; ++c) a[r][c] += weight * basis[r] * basis[c];
            b[r] += weight * basis[r] * ratio;
        }
    }
    const std::vector<double> c = solve(a, b);
    std::vector<double> taps(2 * m + 1);
    for (int k = 0; k <= m; ++k) taps[m + k] = taps[m - k] = c[k];
    return taps;
}

double correctionMagnitude(const std::vector<double>& taps, double f, double sampleRate) {
    const double omega = 2.0 * std::numbers::pi * f / sampleRate;
    std::complex<double> c = 0.0;
    for (size_t k = 0; k < taps.size(); ++k) c += taps[k] * std::polar(1.0, -omega * static_cast<double>(k));
    return std::abs(c);
}

}  // namespace k470::acoustics
