// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/biquad.h"

#include <cmath>
#include <numbers>

namespace k470::acoustics {

using Complex = std::complex<double>;

Complex Biquad::response(double omega) const {
    const Complex z1inv = std::polar(1.0, -omega);
    const Complex z2inv = z1inv * z1inv;
    return (b0 + b1 * z1inv + b2 * z2inv) / (1.0 + a1 * z1inv + a2 * z2inv);
}

namespace {

// All N sections sample by sample, with their coefficients and states in locals: each section's recurrence
// only waits for its own previous sample, so the sections of successive samples overlap in the processor.
template <size_t N>
void runSections(std::vector<Biquad>& sections, std::span<double> samples) {
    double b0[N], b1[N], b2[N], a1[N], a2[N], z1[N], z2[N];
    for (size_t k = 0; k < N; ++k) {
        const Biquad& s = sections[k];
        b0[k] = s.b0, b1[k] = s.b1, b2[k] = s.b2, a1[k] = s.a1, a2[k] = s.a2, z1[k] = s.z1, z2[k] = s.z2;
    }
    for (double& x : samples) {
        double v = x;
        for (size_t k = 0; k < N; ++k) {
            const double y = b0[k] * v + z1[k];
            z1[k] = b1[k] * v - a1[k] * y + z2[k];
            z2[k] = b2[k] * v - a2[k] * y;
            v = y;
        }
        x = v;
    }
    for (size_t k = 0; k < N; ++k) {
        sections[k].z1 = z1[k];
        sections[k].z2 = z2[k];
    }
}

}  // namespace

void BiquadCascade::processBlock(std::span<double> samples) {
    switch (sections_.size()) {
        case 2:
            return runSections<2>(sections_, samples);
        case 3:
            return runSections<3>(sections_, samples);
        case 4:
            return runSections<4>(sections_, samples);
        default:
            break;
    }
    for (Biquad& s : sections_) {
        double z1 = s.z1, z2 = s.z2;
        const double b0 = s.b0, b1 = s.b1, b2 = s.b2, a1 = s.a1, a2 = s.a2;
        for (double& x : samples) {
            const double in = x;
            const double y = b0 * in + z1;
            z1 = b1 * in - a1 * y + z2;
            z2 = b2 * in - a2 * y;
            x = y;
        }
        s.z1 = z1;
        s.z2 = z2;
    }
}

Complex BiquadCascade::response(double omega) const {
    Complex h = 1.0;
    for (const Biquad& s : sections_) h *= s.response(omega);
    return h;
}

double BiquadCascade::magnitude(double f, double fs) const {
    return std::abs(response(2.0 * std::numbers::pi * f / fs));
}

void BiquadCascade::reset() {
    for (Biquad& s : sections_) s.reset();
}

std::vector<Biquad> designButterworthBandPass(int order, double f1, double f2, double fs) {
    const double k = 2.0 * fs;
    const double w1 = k * std::tan(std::numbers::pi * f1 / fs);
    const double w2 = k * std::tan(std::numbers::pi * f2 / fs);
    const double w0 = std::sqrt(w1 * w2);
    const double bw = w2 - w1;
    auto toZ = [k](Complex s) { return (1.0 + s / k) / (1.0 - s / k); };
    auto section = [](Complex za, Complex zb) {
        Biquad b;
        b.a1 = -(za + zb).real();
        b.a2 = (za * zb).real();
        b.b0 = 1.0;
        b.b2 = -1.0;  // zeros at z = 1 and z = -1
        return b;
    };
    std::vector<Biquad> sections;
    // Each low-pass prototype pole p gives two band-pass poles, the roots of s^2 - p*bw*s + w0^2. A real p
    // gives a conjugate pair (or two real poles for a wide band): one section. A complex p in the upper half
    // plane gives two poles, each of which forms a section with its conjugate (from the conjugate of p).
    for (int i = 0; i < order; ++i) {
        const double theta = std::numbers::pi * (2.0 * i + order + 1) / (2.0 * order);
        const Complex p = std::polar(1.0, theta);
        if (p.imag() < -1e-9) continue;
        const Complex root = std::sqrt(p * p * bw * bw - 4.0 * w0 * w0);
        const Complex s1 = (p * bw + root) / 2.0, s2 = (p * bw - root) / 2.0;
        if (std::abs(p.imag()) <= 1e-9) {
            sections.push_back(section(toZ(s1), toZ(s2)));
        } else {
            sections.push_back(section(toZ(s1), std::conj(toZ(s1))));
            sections.push_back(section(toZ(s2), std::conj(toZ(s2))));
        }
    }
    // Unit gain at the geometric mean of the edges; spread over the sections.
    const double omegaM = 2.0 * std::numbers::pi * std::sqrt(f1 * f2) / fs;
    for (Biquad& b : sections) {
        const double g = 1.0 / std::abs(b.response(omegaM));
        b.b0 = g;
        b.b2 = -g;
    }
    return sections;
}

Biquad bilinear(const double (&b)[3], const double (&a)[3], double fs) {
    const double k = 2.0 * fs;
    const double k2 = k * k;
    const double B0 = b[0] + b[1] * k + b[2] * k2;
    const double B1 = 2.0 * b[0] - 2.0 * b[2] * k2;
    const double B2 = b[0] - b[1] * k + b[2] * k2;
    const double A0 = a[0] + a[1] * k + a[2] * k2;
    const double A1 = 2.0 * a[0] - 2.0 * a[2] * k2;
    const double A2 = a[0] - a[1] * k + a[2] * k2;
    Biquad q;
    q.b0 = B0 / A0;
    q.b1 = B1 / A0;
    q.b2 = B2 / A0;
    q.a1 = A1 / A0;
    q.a2 = A2 / A0;
    return q;
}

}  // namespace k470::acoustics
