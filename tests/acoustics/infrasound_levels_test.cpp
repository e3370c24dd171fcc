// SPDX-License-Identifier: GPL-3.0-or-later
// Infrasound levels: tones through the G weighting read its ISO 7196 values, the time weightings Slow and
// ESlow rise from rest as exponential averages of their time constants, and the record holds each value
// where the infrasound layout puts it.
#include <gtest/gtest.h>

#include <cmath>

#include "acoustics/infrasound_levels.h"
#include "acoustics/synthetic_signals.h"
#include "data/record_layout.h"

namespace k470::acoustics {
namespace {

constexpr double kOnePascal = 93.979;  // dB re 20 uPa

std::vector<InfrasoundInterval> analyse(double fs, const std::vector<double>& x, double interval) {
    auto a = InfrasoundAnalyser::Create({fs, "Pa", 2e-5, ScaleOrigin::Source}, interval);
    EXPECT_TRUE(a.ok());
    std::vector<InfrasoundInterval> got;
    auto keep = [&](const InfrasoundInterval& v) -> Status {
        got.push_back(v);
        return {};
    };
    EXPECT_TRUE(a->process(x, keep).ok());
    EXPECT_TRUE(a->finish(keep).ok());
    return got;
}

TEST(InfrasoundLevels, TonesReadTheGWeightingOfIso7196) {
    // ISO 7196: 0 dB at 10 Hz, +9.0 dB at 20 Hz, -43.0 dB at 1 Hz (each tone 1 Pa rms, whole periods).
    for (auto [f, g] : {std::pair{10.0, 0.0}, {20.0, 9.0}, {1.0, -43.0}}) {
        for (double fs : {2000.0, 48000.0}) {
            const auto got = analyse(fs, testing::tone(f, fs, 40.0, std::sqrt(2.0)), 20.0);
            ASSERT_EQ(got.size(), 2u);
            EXPECT_NEAR(got[1].weighted[2]->leq, kOnePascal + g, 0.15) << f << " at " << fs;
            EXPECT_NEAR(got[1].weighted[1]->leq, kOnePascal, 0.02) << f;  // Z
            EXPECT_EQ(got[1].weighted[0].has_value(), fs >= 8000.0);      // A from 8 kHz
        }
    }
}

TEST(InfrasoundLevels, SlowAndExtraSlowRiseFromRest) {
    // A 40 Hz tone: its mean square's ripple (at 80 Hz) moves Slow by less than 0.01 dB.
    const double fs = 2000.0;
    const auto got = analyse(fs, testing::tone(40.0, fs, 30.0, std::sqrt(2.0)), 0.0);
    ASSERT_EQ(got.size(), 1u);
    const InfrasoundRow& z = *got[0].weighted[1];
    EXPECT_NEAR(z.slow, kOnePascal, 0.02);
    EXPECT_NEAR(z.eslow, kOnePascal + 10.0 * std::log10(1.0 - std::exp(-30.0 / kExtraSlowSeconds)), 0.02);
    EXPECT_NEAR(z.eslowMax, z.eslow, 0.01);
    // Slow has run 5 s before its minimum counts: by then it reads within 0.03 dB.
    EXPECT_NEAR(z.slowMin, kOnePascal, 0.05);
    EXPECT_NEAR(z.leq, kOnePascal, 0.02);
    // The tone lies in the 1/3-octave 40 Hz and the octave 31.5 Hz, and 40 dB down and more in the
    // 1/3-octaves an octave away.
    auto a = InfrasoundAnalyser::Create({fs, "Pa", 2e-5, ScaleOrigin::Source}, 0.0);
    const auto& ids = a->bandIds();
    for (size_t i = 0; i < ids.size(); ++i) {
        const double f = ids[i].midband();
        const bool third = ids[i].set == BandSet::Third;
        if ((third && std::abs(f / 39.81 - 1.0) < 0.01) || (!third && std::abs(f / 31.62 - 1.0) < 0.01)) {
            EXPECT_NEAR(got[0].bands[i].leq, kOnePascal, 0.5) << f;
        }
        if (third && (std::abs(f / 19.95 - 1.0) < 0.01 || std::abs(f / 79.43 - 1.0) < 0.01)) {
            EXPECT_LT(got[0].bands[i].leq, kOnePascal - 40.5) << f;
        }
    }
}

TEST(InfrasoundLevels, RecordHoldsTheLevelsInTheInfrasoundLayout) {
    InfrasoundInterval v;
    v.durationSeconds = 61.0;
    v.weighted[2] = InfrasoundRow{80.0, 81.0, 79.0, 82.0, 70.0, 69.0, 71.0};
    v.bands.assign(32, InfrasoundRow{});
    v.bands[31] = InfrasoundRow{60.0, 61.0, 59.0, 62.0, 50.0, 49.0, 51.0};
    const MeasurementRecord r = infrasoundRecord(v, 0x1234);
    EXPECT_EQ(r.header.deviceType, 6);
    EXPECT_EQ(r.tail.intervalMinutes, 1);
    EXPECT_EQ(r.tail.intervalSeconds, 1);
    // Row G (third weighted row) starts at word 7 * (8 + 24 + 2): Slow, ESlow, Leq, Slow min, Slow max,
    // ESlow min, ESlow max.
    const int g = 7 * 34;
    const double expected[7] = {81.0, 70.0, 80.0, 79.0, 82.0, 69.0, 71.0};
    for (int k = 0; k < 7; ++k) EXPECT_NEAR(r.levels[static_cast<size_t>(g + k)], expected[k], 1e-9) << k;
    // The last octave row (250 Hz) is row 7; its Leq is word 7 * 7 + 2.
    EXPECT_NEAR(r.levels[51], 60.0, 1e-9);
}

}  // namespace
}  // namespace k470::acoustics
