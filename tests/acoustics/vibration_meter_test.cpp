// SPDX-License-Identifier: GPL-3.0-or-later
// The vibration meter on signals whose answer is known in closed form (tones, tone bursts, half-sine
// shocks), the bands of the vibration groups against the attenuation limits of IEC 61260-1, and the
// summary's arithmetic of ISO 2631-1 and ISO 5349-1.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "acoustics/synthetic_signals.h"
#include "acoustics/vibration_analyser.h"
#include "acoustics/vibration_meter.h"
#include "acoustics/vibration_records.h"

namespace k470::acoustics {
namespace {

// A half-sine shock of peak `a` and duration `d` seconds, at `at` seconds within `seconds` of silence.
std::vector<double> halfSine(double fs, double a, double d, double at, double seconds) {
    std::vector<double> x(static_cast<size_t>(std::llround(seconds * fs)), 0.0);
    const auto first = static_cast<size_t>(std::llround(at * fs));
    const auto n = static_cast<size_t>(std::llround(d * fs));
    for (size_t i = 0; i <= n; ++i)
        x[first + i] = a * std::sin(std::numbers::pi * static_cast<double>(i) / static_cast<double>(n));
    return x;
}

VibrationReading measure(double fs, const std::vector<double>& x) {
    VibrationMeter m(fs);
    // In uneven pieces, so that steps and blocks straddle the calls.
    for (size_t at = 0; at < x.size();) {
        const size_t n = std::min<size_t>(x.size() - at, 777);
        m.process(std::span(x).subspan(at, n));
        at += n;
    }
    return m.reading();
}

TEST(VibrationMeter, HalfSineShockGivesItsVdvPeakAndMtvv) {
    for (double fs : {1000.0, 3000.0, 48000.0}) {
        for (auto [a, d] : {std::pair{10.0, 0.05}, {3.0, 0.4}}) {
            const VibrationReading r = measure(fs, halfSine(fs, a, d, 2.0, 12.0));
            // VDV^4 = integral of (a sin(pi t/d))^4 dt = a^4 * 3d/8.
            EXPECT_NEAR(r.vdv / (a * std::pow(3.0 * d / 8.0, 0.25)), 1.0, 0.002) << fs << " " << d;
            EXPECT_NEAR(r.peak / a, 1.0, 1e-3);
            // MTVV: the largest running mean square with exponential averaging, y' = (a^2 - y) / tau (ISO
            // 2631-1), which peaks where a^2 falls back to y, before the shock's end; integrated here finely.
            double y = 0.0, top = 0.0;
            const int steps = 100000;
            const double dt = d / steps, keep = std::exp(-dt / kMtvvTimeConstant);
            for (int i = 0; i < steps; ++i) {
                const double v = a * std::sin(std::numbers::pi * (i + 0.5) * dt / d);
                y = y * keep + v * v * (1.0 - keep);
                top = std::max(top, y);
            }
            EXPECT_NEAR(r.mtvv / std::sqrt(top), 1.0, 0.005) << fs << " " << d;
            // The 1 s linear running mean square holds the whole shock at its largest: a^2 d / 2 over 1 s.
            EXPECT_NEAR(r.running[0].max / std::sqrt(a * a * d / 2.0), 1.0, 0.01) << fs << " " << d;
            EXPECT_NEAR(r.running[2].max / std::sqrt(a * a * d / 2.0 / 10.0), 1.0, 0.01) << fs << " " << d;
            // The rms of the whole 12 s, and its crest factor.
            EXPECT_NEAR(r.rms / std::sqrt(a * a * d / 2.0 / 12.0), 1.0, 0.01);
            EXPECT_NEAR(r.crestFactor(), a / r.rms, 1e-9);
        }
    }
}

TEST(VibrationMeter, ToneBurstGivesEachSpansRunningValues) {
    // 2 s of a tone of 1 m/s^2 rms after 1 s of silence, then 9 s of silence: each span's largest running
    // r.m.s. is the tone's energy over the span, the smallest (once the span has filled) what is left.
    const double fs = 3000.0;
    const auto x = testing::framed(testing::tone(20.0, fs, 2.0, std::sqrt(2.0)), fs, 1.0, 9.0);
    const VibrationReading r = measure(fs, x);
    EXPECT_NEAR(r.running[0].max, 1.0, 0.005);
    EXPECT_NEAR(r.running[1].max, std::sqrt(2.0 / 5.0), 0.005);
    EXPECT_NEAR(r.running[2].max, std::sqrt(2.0 / 10.0), 0.005);
    EXPECT_NEAR(r.running[0].min, 0.0, 1e-9);  // silent seconds after the burst
    // The 10 s span has filled at 10 s, when it held the whole burst; at the end (2-12 s) it holds half.
    EXPECT_NEAR(r.running[2].min, std::sqrt(1.0 / 10.0), 0.005);
    EXPECT_NEAR(r.running[2].current, std::sqrt(1.0 / 10.0), 0.005);
    EXPECT_NEAR(r.running[0].current, 0.0, 1e-9);
    EXPECT_NEAR(r.running[2].peak, std::sqrt(2.0), 0.001);  // the burst lies within the last 10 s
    EXPECT_NEAR(r.running[1].peak, 0.0, 1e-9);              // but not within the last 5 s
    EXPECT_NEAR(r.rms, std::sqrt(2.0 / 12.0), 0.001);
}

TEST(VibrationMeter, IntervalsStartAgainWhileTheRunningValuesRunOn) {
    const double fs = 1000.0;
    VibrationMeter m(fs);
    const auto x = testing::tone(10.0, fs, 3.0, std::sqrt(2.0));
    m.process(x);
    m.startInterval();
    const std::vector<double> quiet(static_cast<size_t>(fs), 0.0);
    m.process(quiet);
    const VibrationReading r = m.reading();
    EXPECT_EQ(r.samples, 1000u);
    EXPECT_EQ(r.rms, 0.0);
    EXPECT_EQ(r.peak, 0.0);
    EXPECT_EQ(r.vdv, 0.0);
    // The 5 s span still holds the tone's 3 s: its running value at the end, and its maximum at the
    // interval's start.
    EXPECT_NEAR(r.running[1].current, std::sqrt(3.0 / 5.0), 0.005);
    EXPECT_NEAR(r.running[1].max, std::sqrt(3.0 / 5.0), 0.005);
    // MTVV of the interval: the exponential average as it stood at the start, 1 - e^-3 of the tone's.
    EXPECT_NEAR(r.mtvv, std::sqrt(1.0 - std::exp(-3.0)), 0.005);
}

// The band rows of the vibration groups keep to the class-1 attenuation limits of IEC 61260-1: a tone at
// a band's midband reads its level there, and at least 40.5 dB less in the 1/3-octave an octave away (the
// limit at 2 octave-band widths) and 16.6 dB less in the neighbouring octave band.
TEST(VibrationBands, MidbandToneReadsInItsBandAndIsAttenuatedAnOctaveAway) {
    for (auto [kind, fs] : {std::pair{VibrationKind::WholeBody, 1000.0},
                            {VibrationKind::WholeBody, 48000.0},
                            {VibrationKind::HandArm, 5000.0}}) {
        auto a = VibrationAnalyser::Create(kind, {fs, "m/s^2", 1e-6, ScaleOrigin::Source}, {1}, 0.0);
        ASSERT_TRUE(a.ok());
        const auto& ids = a->bandIds();
        for (size_t probe : {size_t{4}, size_t{13}, size_t{19}}) {
            auto b = VibrationAnalyser::Create(kind, {fs, "m/s^2", 1e-6, ScaleOrigin::Source}, {1}, 0.0);
            const double f = ids[probe].midband();
            const auto x = testing::tone(f, fs, std::max(30.0 / f, 12.0), std::sqrt(2.0));
            const std::array<std::span<const double>, 1> blocks = {x};
            VibrationInterval got;
            ASSERT_TRUE(b->process(blocks, [](const VibrationInterval&) { return Status{}; }).ok());
            ASSERT_TRUE(b->finish([&](const VibrationInterval& v) -> Status {
                             got = v;
                             return {};
                         }).ok());
            const auto& bands = got.channels[0].bands;
            EXPECT_NEAR(20.0 * std::log10(bands[probe].running[0].current), 0.0, 0.4) << f;
            EXPECT_LT(20.0 * std::log10(bands[probe - 3].running[0].current), -40.5) << f;
            EXPECT_LT(20.0 * std::log10(bands[probe + 3].running[0].current), -40.5) << f;
            // The 1/3-octave is the middle one of its octave band: the octave reads it, the octaves next to
            // it (an octave away) hold it 16.6 dB down at least.
            const size_t octave = 24 + probe / 3;
            EXPECT_NEAR(20.0 * std::log10(bands[octave].running[0].current), 0.0, 0.4) << f;
            for (size_t next : {octave - 1, octave + 1}) {
                if (next >= 24 && next < bands.size()) {
                    EXPECT_LT(20.0 * std::log10(bands[next].running[0].current), -16.6) << f;
                }
            }
        }
    }
}

VibrationInterval axes(VibrationKind kind, std::array<double, 3> health) {
    const VibrationKindInfo& info = vibrationKindInfo(kind);
    VibrationInterval v;
    for (int c = 1; c <= 3; ++c) {
        ChannelVibration ch;
        ch.channel = c;
        ch.weighted.resize(info.weightings.size());
        for (size_t w = 0; w < info.weightings.size(); ++w)
            if (info.weightings[w] == info.health[static_cast<size_t>(c - 1)]) {
                ch.weighted[w].rms = health[static_cast<size_t>(c - 1)];
                ch.weighted[w].peak = 3.0 * health[static_cast<size_t>(c - 1)];
                ch.weighted[w].vdv = 7.0;
                ch.weighted[w].mtvv = 2.0;
            }
        v.channels.push_back(ch);
    }
    return v;
}

double value(const std::vector<SummaryRow>& rows, const std::string& quantity) {
    for (const SummaryRow& r : rows)
        if (r.quantity == quantity) return r.value;
    ADD_FAILURE() << "no " << quantity;
    return 0.0;
}

TEST(VibrationSummary, CombinesTheAxesAndGivesTheDailyExposure) {
    // Whole-body, ISO 2631-1: x and y weighted Wd with the factor 1.4, z Wk. 0.3, 0.2, 0.5 m/s^2:
    // combined sqrt(0.42^2 + 0.28^2 + 0.5^2) = sqrt(0.5048) = 0.710493; over 2 h a day A(8) = a / 2.
    auto rows =
        vibrationSummary(axes(VibrationKind::WholeBody, {0.3, 0.2, 0.5}), VibrationKind::WholeBody, 2.0);
    EXPECT_NEAR(value(rows, "rms_x_Wd"), 0.3, 1e-12);
    EXPECT_NEAR(value(rows, "rms_z_Wk"), 0.5, 1e-12);
    EXPECT_NEAR(value(rows, "combined"), 0.710493, 1e-6);
    EXPECT_NEAR(value(rows, "a8_x"), 0.21, 1e-12);
    EXPECT_NEAR(value(rows, "a8_z"), 0.25, 1e-12);
    EXPECT_NEAR(value(rows, "a8_highest_axis"), 0.25, 1e-12);
    EXPECT_NEAR(value(rows, "a8_combined"), 0.355246, 1e-6);
    EXPECT_NEAR(value(rows, "crest_factor_y"), 3.0, 1e-12);
    EXPECT_NEAR(value(rows, "vdv_z"), 7.0, 1e-12);
    // Hand-arm, ISO 5349-1: ahv = sqrt(2^2 + 3^2 + 6^2) = 7; 4 h a day: A(8) = 7 sqrt(0.5) = 4.9497.
    rows = vibrationSummary(axes(VibrationKind::HandArm, {2.0, 3.0, 6.0}), VibrationKind::HandArm, 4.0);
    EXPECT_NEAR(value(rows, "ahv"), 7.0, 1e-12);
    EXPECT_NEAR(value(rows, "a8"), 4.949747, 1e-6);
    EXPECT_NEAR(value(rows, "rms_y_Wh"), 3.0, 1e-12);
    // Without an exposure time there is no A(8).
    rows =
        vibrationSummary(axes(VibrationKind::HandArm, {2.0, 3.0, 6.0}), VibrationKind::HandArm, std::nullopt);
    for (const SummaryRow& r : rows) EXPECT_EQ(r.quantity.find("a8"), std::string::npos) << r.quantity;
    EXPECT_EQ(SummaryCsv(rows).substr(0, 37), "quantity,value,unit\nrms_x_Wh,2,m/s^2\n");
}

}  // namespace
}  // namespace k470::acoustics
