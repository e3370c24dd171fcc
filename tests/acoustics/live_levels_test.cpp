// SPDX-License-Identifier: GPL-3.0-or-later
// The live levels of a flowing signal and the calibration against an acoustic calibrator, on tones whose
// levels are known: a sine of RMS p reads 20 lg(p / 20 uPa), its peak 3.01 dB above.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "acoustics/live_levels.h"
#include "acoustics/synthetic_signals.h"

namespace k470::acoustics {
namespace {

using testing::tone;

constexpr double kFs = 48000.0;
constexpr double kP0 = 2e-5;

// The amplitude of a sine that reads `db` dB re 20 uPa.
double amplitudeOf(double db) {
    return kP0 * std::pow(10.0, db / 20.0) * std::numbers::sqrt2;
}

// The context of a channel in pascals (or, not acoustic, in another unit with the same reference).
MeasurementContext contextOf(double fs, bool acoustic) {
    return MeasurementContext{fs, acoustic ? "Pa" : "m/c^2", kP0, ScaleOrigin::Source};
}

// Feeds in pieces of a 30 ms tick, as the window does.
void feedInTicks(LiveLevels& l, const std::vector<double>& x) {
    const size_t tick = static_cast<size_t>(0.03 * kFs);
    for (size_t at = 0; at < x.size(); at += tick)
        l.process(std::span(x).subspan(at, std::min(tick, x.size() - at)));
}

double bandAt(const LiveReadout& r, int index) {
    for (size_t i = 0; i < r.bands.size(); ++i)
        if (r.bands[i].index == index) return r.bandLeq[i];
    ADD_FAILURE() << "no band " << index;
    return 0.0;
}

TEST(LiveLevels, CalibratorToneReadsItsLevelOnEveryReadout) {
    auto live = LiveLevels::Create(contextOf(kFs, true));
    ASSERT_TRUE(live.ok());
    // The calibrator is on before the meter starts: the switching-on of the tone (whose transient through
    // the C weighting's low-frequency poles lifts the peak) lies before the start.
    const auto x = tone(1000.0, kFs, 3.0, amplitudeOf(94.0));
    feedInTicks(*live, std::vector<double>(x.begin(), x.begin() + 48000));
    live->reset();
    feedInTicks(*live, std::vector<double>(x.begin() + 48000, x.end()));
    const LiveReadout r = live->readout();
    EXPECT_EQ(r.main, Weighting::A);
    EXPECT_NEAR(r.fast, 94.0, 0.1);
    EXPECT_NEAR(r.leq, 94.0, 0.1);
    EXPECT_NEAR(r.fastMax, 94.0, 0.1);
    EXPECT_NEAR(r.peak, 97.0, 0.2);
    EXPECT_NEAR(bandAt(r, 0), 94.0, 0.2);
    // The neighbouring bands reject the tone.
    EXPECT_LT(bandAt(r, -2), 94.0 - 30.0);
    EXPECT_LT(bandAt(r, 2), 94.0 - 30.0);
    EXPECT_NEAR(r.seconds, 2.0, 1e-9);
    ASSERT_EQ(r.bands.size(), 30u);  // 25 Hz .. 20 kHz
}

TEST(LiveLevels, ResetStartsTheSinceStartValuesAgain) {
    auto live = LiveLevels::Create(contextOf(kFs, true));
    ASSERT_TRUE(live.ok());
    feedInTicks(*live, tone(1000.0, kFs, 1.0, amplitudeOf(100.0)));
    feedInTicks(*live, tone(1000.0, kFs, 1.0, amplitudeOf(80.0)));
    live->reset();
    feedInTicks(*live, tone(1000.0, kFs, 3.0, amplitudeOf(80.0)));
    const LiveReadout r = live->readout();
    // Without the reset Leq would stay near 90 dB and the maximum at 100 dB.
    EXPECT_NEAR(r.leq, 80.0, 0.3);
    EXPECT_NEAR(bandAt(r, 0), 80.0, 0.3);
    EXPECT_LT(r.fastMax, 85.0);
    EXPECT_NEAR(r.seconds, 3.0, 1e-9);
}

TEST(LiveLevels, WeightingFollowsTheChannelsUnit) {
    // A 100 Hz tone: A-weighting takes 19.1 dB off, Z nothing.
    struct Case {
        bool acoustic;
        Weighting main;
        double fast;
    };
    for (const Case c : {Case{true, Weighting::A, 94.0 - 19.1}, Case{false, Weighting::Z, 94.0}}) {
        auto live = LiveLevels::Create(contextOf(kFs, c.acoustic));
        ASSERT_TRUE(live.ok());
        feedInTicks(*live, tone(100.0, kFs, 2.0, amplitudeOf(94.0)));
        const LiveReadout r = live->readout();
        EXPECT_EQ(r.main, c.main);
        EXPECT_NEAR(r.fast, c.fast, 0.3) << c.acoustic;
        EXPECT_NEAR(bandAt(r, -10), 94.0, 0.3) << c.acoustic;  // bands are Z-weighted either way
    }
}

TEST(LiveLevels, BandsAboveHalfTheRateAreLeftEmpty) {
    auto live = LiveLevels::Create(contextOf(16000.0, true));
    ASSERT_TRUE(live.ok());
    live->process(tone(1000.0, 16000.0, 0.5, amplitudeOf(94.0)));
    const LiveReadout r = live->readout();
    EXPECT_TRUE(std::isnan(bandAt(r, 13)));  // 20 kHz
    EXPECT_FALSE(std::isnan(bandAt(r, 0)));
    EXPECT_FALSE(LiveLevels::Create(contextOf(4000.0, true)).ok());
}

// The display's top follows where the levels lie (sound pressure far above 0 dB, full scale below it) and
// stays put while they move within its span.
TEST(LiveLevels, DisplayTopHoldsTheLevelsWithoutJumping) {
    struct Case {
        double top, highest, expected;
    };
    for (const Case c : {Case{140, 94.0, 140},   // a calibrator in Pa: the usual scale
                         Case{140, 134.0, 140},  // still 6 dB of room
                         Case{140, 136.0, 160},  // too close to the top: up one step
                         Case{140, -13.3, 0},    // a WAV in dB re full scale
                         Case{0, -50.0, 0},      // quieter within the span
                         Case{0, -61.0, -40},    // far below: down
                         Case{0, 94.0, 100},     // a scale given later
                         Case{140, -std::numeric_limits<double>::infinity(), 140}}) {
        EXPECT_EQ(LevelDisplayTop(c.top, c.highest), c.expected) << c.top << " " << c.highest;
    }
    LiveReadout r;
    r.fast = -20.0;
    r.bandLeq = {-30.0, std::nan(""), -12.5};
    EXPECT_EQ(HighestLevel(r), -12.5);
}

// The signal measured as a calibrator, fed in ticks as the window does, and checked for a channel of
// sensitivity 0.02 against a calibrator of wantedDb.
CalibrationCheck measured(const std::vector<double>& x, CalibratorTone t, double wantedDb = 94.0) {
    auto m = CalibratorMeasurement::Create(kFs, t);
    EXPECT_TRUE(m.ok());
    const size_t tick = 1440;
    for (size_t at = 0; at < x.size() && !m->done(); at += tick) {
        m->process(std::span(x).subspan(at, std::min(tick, x.size() - at)));
        EXPECT_LE(m->fraction(), 1.0);
    }
    EXPECT_TRUE(m->done());
    return CheckCalibration(*m, 0.02, kP0, wantedDb, "channel 1");
}

std::vector<double> sum(std::vector<double> a, const std::vector<double>& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) a[i] += b[i];
    return a;
}

TEST(Calibration, CalibratorsToneGivesTheSensitivityThatReadsItsLevel) {
    struct Case {
        const char* what;
        std::vector<double> signal;
        CalibratorTone tone;
        double wanted, band, toneHz;
    };
    std::vector<double> room = testing::pinkNoise(kFs, 6.0);  // a quiet room under the calibrator
    for (double& v : room) v *= 1e-3;
    const Case cases[] = {
        // The chain reads the 94 dB calibrator 3.5 dB low: its sensitivity must rise by 3.5 dB.
        {"94 dB calibrator", sum(tone(1000.0, kFs, 6.0, amplitudeOf(90.5)), room), CalibratorTone::Hz1000, 94.0,
         90.5, 1000.0},
        {"114 dB calibrator", tone(1000.0, kFs, 6.0, amplitudeOf(113.0)), CalibratorTone::Hz1000, 114.0, 113.0,
         1000.0},
        {"124 dB pistonphone", tone(250.0, kFs, 6.0, amplitudeOf(125.0)), CalibratorTone::Hz250, 124.0, 125.0,
         250.0},
        // The room 12 dB below the tone still leaves a calibration.
        {"noisy room", sum(tone(1000.0, kFs, 6.0, amplitudeOf(94.0)), tone(125.0, kFs, 6.0, amplitudeOf(82.0))),
         CalibratorTone::Hz1000, 94.0, 94.0, 1000.0},
    };
    for (const Case& k : cases) {
        const CalibrationCheck c = measured(k.signal, k.tone, k.wanted);
        EXPECT_FALSE(c.refusal) << k.what << ": " << (c.refusal ? c.refusal->message : "");
        EXPECT_NEAR(c.bandDb, k.band, 0.1) << k.what;
        EXPECT_NEAR(c.toneHz, k.toneHz, 0.1) << k.what;
        EXPECT_LT(c.spreadDb, 0.05) << k.what;
        EXPECT_NEAR(c.changeDb, k.wanted - k.band, 0.1) << k.what;
        EXPECT_NEAR(20.0 * std::log10(c.newSensitivity / 0.02), k.wanted - k.band, 0.1) << k.what;
        EXPECT_EQ(c.oldSensitivity, 0.02);
        EXPECT_FALSE(c.needsConfirmation()) << k.what;
    }
    EXPECT_NEAR(calibrationDriftDb(0.02, 0.02 * std::pow(10.0, 3.5 / 20.0)), 3.5, 1e-9);
}

TEST(Calibration, WhatIsNoSteadyCalibratorToneIsRefusedWithTheReason) {
    // A level that steps by 0.5 dB halfway through.
    std::vector<double> stepped = tone(1000.0, kFs, 6.0, amplitudeOf(94.0));
    for (size_t i = stepped.size() / 2; i < stepped.size(); ++i) stepped[i] *= std::pow(10.0, 0.5 / 20.0);
    struct Case {
        const char* what;
        std::vector<double> signal;
        CalibratorTone tone;
        const char* reason;
    };
    const Case cases[] = {
        {"pink noise", testing::pinkNoise(kFs, 6.0), CalibratorTone::Hz1000, "No single calibrator tone"},
        {"silence", std::vector<double>(static_cast<size_t>(6 * kFs), 0.0), CalibratorTone::Hz1000,
         "No single calibrator tone"},
        // The simulator's two tones, 117 and 111 dB: the 1 kHz band holds the louder, but not alone.
        {"two tones", sum(tone(1000.0, kFs, 6.0, amplitudeOf(117.0)), tone(3000.0, kFs, 6.0, amplitudeOf(111.0))),
         CalibratorTone::Hz1000, "No single calibrator tone"},
        {"a pistonphone taken for 1 kHz", tone(250.0, kFs, 6.0, amplitudeOf(124.0)), CalibratorTone::Hz1000,
         "No single calibrator tone"},
        {"6 % off 1 kHz", tone(1060.0, kFs, 6.0, amplitudeOf(94.0)), CalibratorTone::Hz1000, "is at 1060.0 Hz"},
        {"a level that steps", stepped, CalibratorTone::Hz1000, "is not steady"},
    };
    for (const Case& k : cases) {
        const CalibrationCheck c = measured(k.signal, k.tone);
        ASSERT_TRUE(c.refusal) << k.what;
        EXPECT_NE(c.refusal->message.find(k.reason), std::string::npos) << k.what << ": " << c.refusal->message;
        EXPECT_NE(c.refusal->message.find("channel 1"), std::string::npos) << c.refusal->message;
    }
}

TEST(Calibration, ALargeChangeAsksToBeConfirmed) {
    // A 114 dB calibrator taken for 94 dB would change the sensitivity by -20 dB.
    const CalibrationCheck c = measured(tone(1000.0, kFs, 6.0, amplitudeOf(114.0)), CalibratorTone::Hz1000);
    EXPECT_FALSE(c.refusal);
    EXPECT_NEAR(c.changeDb, -20.0, 0.1);
    EXPECT_TRUE(c.needsConfirmation());
}

}  // namespace
}  // namespace k470::acoustics
