// SPDX-License-Identifier: GPL-3.0-or-later
// The weightings of human vibration (ISO 8041-1) and the G weighting of infrasound (ISO 7196) as digital
// filters: their magnitude against the standards' definitions, written out here on their own from the
// parameter table and anchored to the reference values the standard tabulates, at the lowest, a middle and
// the highest rate each takes; and a steady tone through the whole analyser.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "acoustics/analog_weighting.h"
#include "acoustics/synthetic_signals.h"
#include "acoustics/vibration_analyser.h"
#include "acoustics/vibration_weighting.h"

namespace k470::acoustics {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// ISO 8041-1 table of frequency-weighting parameters (Hz), with its nominal ranges.
struct Definition {
    VibrationWeighting w;
    double f1, f2, f3, f4, q4, f5, q5, f6, q6, k;
    double low, high;
};
const Definition kDefinitions[] = {
    {VibrationWeighting::Fk, 0.4, 100, kInf, kInf, 1, kInf, 1, kInf, 1, 1, 0.5, 80},
    {VibrationWeighting::Fm, 0.794328, 100, kInf, kInf, 1, kInf, 1, kInf, 1, 1, 0.5, 80},
    {VibrationWeighting::Wb, 0.4, 100, 16, 16, 0.55, 2.5, 0.9, 4, 0.95, 1.024, 0.5, 80},
    {VibrationWeighting::Wc, 0.4, 100, 8, 8, 0.63, kInf, 1, kInf, 1, 1, 0.5, 80},
    {VibrationWeighting::Wd, 0.4, 100, 2, 2, 0.63, kInf, 1, kInf, 1, 1, 0.5, 80},
    {VibrationWeighting::We, 0.4, 100, 1, 1, 0.63, kInf, 1, kInf, 1, 1, 0.5, 80},
    {VibrationWeighting::Wf, 0.08, 0.63, kInf, 0.25, 0.86, 0.0625, 0.8, 0.1, 0.8, 1, 0.1, 0.5},
    {VibrationWeighting::Wj, 0.4, 100, kInf, kInf, 1, 3.75, 0.91, 5.32, 0.91, 1, 0.5, 80},
    {VibrationWeighting::Wk, 0.4, 100, 12.5, 12.5, 0.63, 2.37, 0.91, 3.35, 0.91, 1, 0.5, 80},
    {VibrationWeighting::Wm, 0.794328, 100, 5.684105, 5.684105, 0.5, kInf, 1, kInf, 1, 1, 0.5, 80},
    {VibrationWeighting::Fh, 6.309573, 1258.925, kInf, kInf, 1, kInf, 1, kInf, 1, 1, 8, 1000},
    {VibrationWeighting::Wh, 6.309573, 1258.925, 15.915494, 15.915494, 0.64, kInf, 1, kInf, 1, 1, 8, 1000},
};

// |H(j 2 pi f)| of the product of band-limiting, a-v transition and upward step.
double definedFactor(const Definition& d, double f) {
    using C = std::complex<double>;
    const double tau = 2.0 * std::numbers::pi;
    const C s(0.0, tau * f);
    const double w1 = tau * d.f1, w2 = tau * d.f2;
    const double q = 1.0 / std::sqrt(2.0);
    C h = s * s / (s * s + s * w1 / q + w1 * w1) * (w2 * w2) / (s * s + s * w2 / q + w2 * w2);
    if (std::isfinite(d.f4)) {
        const double w3 = tau * d.f3, w4 = tau * d.f4;
        h *= (1.0 + (std::isfinite(d.f3) ? s / w3 : C(0.0))) / (1.0 + s / (d.q4 * w4) + s * s / (w4 * w4));
    }
    if (std::isfinite(d.f5)) {
        const double w5 = tau * d.f5, w6 = tau * d.f6;
        h *= (w5 / w6) * (w5 / w6) * (1.0 + s / (d.q5 * w5) + s * s / (w5 * w5)) /
             (1.0 + s / (d.q6 * w6) + s * s / (w6 * w6));
    }
    return d.k * std::abs(h);
}

const Definition& definitionOf(VibrationWeighting w) {
    for (const Definition& d : kDefinitions)
        if (d.w == w) return d;
    return kDefinitions[0];
}

double dB(double ratio) {
    return 20.0 * std::log10(ratio);
}

// The 1/3-octave midband frequencies (base 10) from lo to hi.
std::vector<double> thirdOctaves(double lo, double hi) {
    std::vector<double> f;
    for (int x = -40; x <= 10; ++x) {
        const double fm = 1000.0 * std::pow(10.0, x / 10.0);
        if (fm >= lo * 0.99 && fm <= hi * 1.01) f.push_back(fm);
    }
    return f;
}

TEST(VibrationWeighting, DefinitionsReadTheStandardsReferenceValues) {
    // ISO 8041-1: the weighting factors at the reference frequency, 100 rad/s (hand-arm: 500 rad/s).
    const double f100 = 100.0 / (2.0 * std::numbers::pi), f500 = 500.0 / (2.0 * std::numbers::pi);
    struct Case {
        VibrationWeighting w;
        double f, factor;
    };
    for (const Case c : {Case{VibrationWeighting::Wb, f100, 0.8126},
                         {VibrationWeighting::Wc, f100, 0.5145},
                         {VibrationWeighting::Wd, f100, 0.1261},
                         {VibrationWeighting::We, f100, 0.06287},
                         {VibrationWeighting::Wj, f100, 1.019},
                         {VibrationWeighting::Wh, f500, 0.2020}}) {
        EXPECT_NEAR(definedFactor(definitionOf(c.w), c.f) / c.factor, 1.0, 0.001) << weightingName(c.w);
        EXPECT_NEAR(vibrationWeightingShape(c.w).magnitude(c.f) / c.factor, 1.0, 0.001) << weightingName(c.w);
    }
}

TEST(VibrationWeighting, DigitalFiltersFollowTheDefinitionAtEveryRateTheyTake) {
    for (const Definition& d : kDefinitions) {
        const bool hand = d.high > 100.0;
        for (double fs : hand ? std::vector<double>{5000.0, 12000.0, 48000.0}
                              : std::vector<double>{1000.0, 3000.0, 48000.0}) {
            const AnalogWeightingFilter f = AnalogWeightingFilter::Design(vibrationWeightingShape(d.w), fs);
            const std::string what = std::string(weightingName(d.w)) + " at " + std::to_string(fs);
            // Within 0.1 dB at every 1/3-octave of the nominal range and between them.
            for (double fm : thirdOctaves(d.low, d.high)) {
                EXPECT_NEAR(dB(f.magnitude(fm) / definedFactor(d, fm)), 0.0, 0.1) << what << " " << fm;
                const double between = fm * std::pow(10.0, 0.05);
                if (between < d.high) {
                    EXPECT_NEAR(dB(f.magnitude(between) / definedFactor(d, between)), 0.0, 0.1) << what;
                }
            }
            // Beyond: ISO 8041-1 allows +26 %/-21 % (about +2/-2 dB) up to an octave above the range and
            // below it, and above that no more than +26 %.
            for (double x = d.high; x < 0.45 * fs; x *= 1.05) {
                const double e = dB(f.magnitude(x) / definedFactor(d, x));
                EXPECT_LT(e, 2.0) << what << " " << x;
                if (x < 2.0 * d.high) {
                    EXPECT_GT(e, -2.0) << what << " " << x;
                }
            }
            for (double x = d.low / 4.0; x < d.low; x *= 1.05)
                EXPECT_NEAR(dB(f.magnitude(x) / definedFactor(d, x)), 0.0, 2.0) << what << " " << x;
        }
    }
}

TEST(VibrationWeighting, GWeightingFollowsIso7196) {
    // Four zeros at 0 Hz and the poles (Hz) of ISO 7196, scaled to 0 dB at 10 Hz.
    auto defined = [](double f) {
        using C = std::complex<double>;
        const C s(0.0, f);
        C h = s * s * s * s;
        for (C p : {C(-0.707, 0.707), C(-19.27, 5.16), C(-14.11, 14.11), C(-5.16, 19.27)})
            h /= (s - p) * (s - std::conj(p));
        return std::abs(h);
    };
    const double at10 = defined(10.0);
    // The table of ISO 7196: +9.0 dB at 20 Hz, -43.0 dB at 1 Hz, 0 dB at 10 Hz.
    EXPECT_NEAR(dB(defined(20.0) / at10), 9.0, 0.1);
    EXPECT_NEAR(dB(defined(1.0) / at10), -43.0, 0.1);
    const AnalogShape g = gWeightingShape();
    for (double fs : {2000.0, 8000.0, 48000.0}) {
        const AnalogWeightingFilter f = AnalogWeightingFilter::Design(g, fs);
        for (double fm : thirdOctaves(0.25, 315.0))
            EXPECT_NEAR(dB(f.magnitude(fm)), dB(defined(fm) / at10), 0.1) << fm << " at " << fs;
    }
}

TEST(VibrationWeighting, ToneThroughTheAnalyserReadsItsWeightedRms) {
    // The time-domain filters, not only their coefficients: a tone of 1 m/s^2 rms on each axis, measured
    // once the band-limiting high-pass has settled.
    struct Case {
        VibrationKind kind;
        double fs;
        std::array<double, 3> tones;
    };
    for (const Case c : {Case{VibrationKind::WholeBody, 1000.0, {0.5, 6.3, 80.0}},
                         Case{VibrationKind::HandArm, 5000.0, {8.0, 125.0, 1000.0}}}) {
        MeasurementContext context{c.fs, "m/s^2", 1e-6, ScaleOrigin::Source};
        auto a = VibrationAnalyser::Create(c.kind, context, {1, 2, 3}, 10.0);
        ASSERT_TRUE(a.ok());
        std::vector<std::vector<double>> x;
        for (double f : c.tones) x.push_back(testing::tone(f, c.fs, 20.0, std::sqrt(2.0)));
        std::vector<VibrationInterval> got;
        const std::vector<std::span<const double>> blocks(x.begin(), x.end());
        ASSERT_TRUE(a->process(blocks, [&](const VibrationInterval& v) -> Status {
                         got.push_back(v);
                         return {};
                     }).ok());
        ASSERT_EQ(got.size(), 2u);
        const VibrationKindInfo& info = vibrationKindInfo(c.kind);
        for (size_t axis = 0; axis < 3; ++axis)
            for (size_t w = 0; w < info.weightings.size(); ++w) {
                const double expected = definedFactor(definitionOf(info.weightings[w]), c.tones[axis]);
                EXPECT_NEAR(dB(got[1].channels[axis].weighted[w].rms / expected), 0.0, 0.1)
                    << weightingName(info.weightings[w]) << " " << c.tones[axis];
            }
    }
}

TEST(VibrationWeighting, RatesOutsideTheKindsRangeAreRefused) {
    for (auto [kind, fs] : {std::pair{VibrationKind::WholeBody, 999.0},
                            {VibrationKind::HandArm, 4999.0},
                            {VibrationKind::WholeBody, 96000.0}}) {
        auto a = VibrationAnalyser::Create(kind, {fs, "m/s^2", 1e-6, ScaleOrigin::Source}, {1}, 1.0);
        ASSERT_FALSE(a.ok());
        EXPECT_NE(a.error().message.find("is not supported for"), std::string::npos) << a.error().message;
    }
}

}  // namespace
}  // namespace k470::acoustics
