// SPDX-License-Identifier: GPL-3.0-or-later
// The made-up signals of the simulator and the sample files: the description's syntax, and levels, spectra
// and decays measured independently against what each item promises.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "signal/signal_synth.h"
#include "signal_measure.h"

namespace k470 {
namespace {

constexpr double kRate = 48000.0;

std::vector<double> synthesize(const std::string& list, double seconds, double rate = kRate) {
    auto items = parseSignalList(list);
    EXPECT_TRUE(items.ok()) << list;
    SignalSynth synth(*items, rate);
    std::vector<double> x(static_cast<size_t>(seconds * rate));
    synth.fill(x);
    return x;
}

TEST(SignalListTest, ReadsTheItemsAndNamesAWrongOneWithTheValidOnes) {
    auto items = parseSignalList("tone:250:80.5,pink:40,calibrator,decay:1.2,impulse:0.6,events");
    ASSERT_TRUE(items.ok());
    ASSERT_EQ(items->size(), 6u);
    using K = SynthItem::Kind;
    EXPECT_EQ((*items)[0].kind, K::Tone);
    EXPECT_EQ((*items)[0].frequency, 250.0);
    EXPECT_EQ((*items)[0].level, 80.5);
    EXPECT_EQ((*items)[1].kind, K::Pink);
    EXPECT_EQ((*items)[1].level, 40.0);
    EXPECT_EQ((*items)[2].kind, K::Calibrator);
    EXPECT_EQ((*items)[3].t60, 1.2);
    EXPECT_EQ((*items)[4].kind, K::Impulse);
    EXPECT_EQ((*items)[5].kind, K::Events);

    for (const char* bad : {"noise:40", "tone:1000", "tone:x:40", "tone:-5:40", "pink", "pink:40:1",
                            "decay:0", "calibrator:94", "", "tone:1000:94,", "events,,pink:30"}) {
        auto r = parseSignalList(bad);
        ASSERT_FALSE(r.ok()) << bad;
        const std::string& m = r.error().message;
        EXPECT_NE(m.find("unknown signal item"), std::string::npos) << bad;
        for (const char* valid : {"tone:F:DB", "pink:DB", "calibrator", "decay:T60", "impulse:T60", "events"})
            EXPECT_NE(m.find(valid), std::string::npos) << bad << ": " << valid;
    }
}

TEST(SignalSynthTest, LevelsAreWhatTheItemsSay) {
    struct Case {
        const char* list;
        double level;
        double tolerance;
    };
    const Case cases[] = {
        {"calibrator", 94.0, 0.01},
        {"tone:1000:60", 60.0, 0.01},
        {"tone:31.5:110", 110.0, 0.01},
        {"pink:80", 80.0, 0.2},
        {"pink:40", 40.0, 0.2},
        {"tone:1000:94,tone:1000:94", 100.02, 0.01},  // in phase: twice the pressure
        {"pink:70,pink:70", 73.01, 0.2},              // independent: twice the power
    };
    for (const Case& c : cases)
        EXPECT_NEAR(test::levelDb(synthesize(c.list, 10.0)), c.level, c.tolerance) << c.list;
}

TEST(SignalSynthTest, PinkNoiseHasEqualPowerInEveryOctave) {
    const std::vector<double> x = synthesize("pink:80", 10.0);
    const double reference = test::levelDb(test::octaveBand(x, 1000.0, kRate));
    for (double centre : {63.0, 125.0, 250.0, 500.0, 2000.0, 4000.0, 8000.0})
        EXPECT_NEAR(test::levelDb(test::octaveBand(x, centre, kRate)), reference, 1.0) << centre;
}

TEST(SignalSynthTest, DecaysAndImpulseResponsesFallWithTheirReverberationTime) {
    struct Case {
        const char* list;
        double t60;
        double decayStarts;  // s into the period
    };
    for (const Case c : {Case{"decay:1.0", 1.0, 1.0}, Case{"decay:0.4", 0.4, 0.4},
                         Case{"impulse:0.6", 0.6, 0.0}, Case{"impulse:2.0", 2.0, 0.0}}) {
        // Measured in the 1 kHz octave as a room's decay is, on the average of 16 decays (the energy, sample
        // by sample): a single noise decay scatters by several per cent. A lower rate keeps the work small.
        constexpr size_t kDecays = 16;
        constexpr double kLowRate = 12000.0;
        const auto period = static_cast<size_t>(std::llround(3.0 * c.t60 * kLowRate));
        const auto start = static_cast<size_t>(c.decayStarts * kLowRate);
        const std::vector<double> x =
            test::octaveBand(synthesize(c.list, 3.0 * c.t60 * kDecays, kLowRate), 1000.0, kLowRate);
        std::vector<double> rms(period - start);
        for (size_t i = 0; i < rms.size(); ++i) {
            double e = 0.0;
            for (size_t d = 0; d < kDecays; ++d) e += x[d * period + start + i] * x[d * period + start + i];
            rms[i] = std::sqrt(e / kDecays);
        }
        EXPECT_NEAR(test::reverberationTime(rms, kLowRate), c.t60, 0.03 * c.t60) << c.list;
        // The next period starts the same way again.
        const std::vector<double> twice = synthesize(c.list, 3.0 * c.t60 + 0.05);
        EXPECT_NEAR(test::levelDb(std::span<const double>(twice).last(2400)),
                    test::levelDb(std::span<const double>(twice).first(2400)), 1.5)
            << c.list;
    }
    // Interrupted noise at 90 dB while it is on.
    const std::vector<double> d = synthesize("decay:1.0", 1.0);
    EXPECT_NEAR(test::levelDb(d), 90.0, 0.3);
}

TEST(SignalSynthTest, EventsRaiseTheBackgroundForFiveSecondsEveryHalfMinute) {
    const double rate = 12000.0;
    const std::vector<double> x = synthesize("events", 61.0, rate);
    auto level = [&](double from, double to) {
        return test::levelDb(std::span<const double>(x).subspan(static_cast<size_t>(from * rate),
                                                                static_cast<size_t>((to - from) * rate)));
    };
    EXPECT_NEAR(level(0.0, 9.9), 55.0, 0.3);
    EXPECT_NEAR(level(10.0, 15.0), 75.0, 0.3);
    EXPECT_NEAR(level(15.1, 39.9), 55.0, 0.3);
    EXPECT_NEAR(level(40.0, 45.0), 75.0, 0.3);
}

TEST(SignalSynthTest, VibrationCasesGiveTheirZAxisWithTheShockEveryTwentySeconds) {
    auto items = parseSignalList("whole-body");
    ASSERT_TRUE(items.ok());
    const double fs = 2000.0;
    SignalSynth synth(*items, fs);
    std::vector<double> x(static_cast<size_t>(30.0 * fs));
    synth.fill(x);
    // 0.5 m/s^2 rms at 5 Hz over the first 9 s (whole periods), before the shock.
    double energy = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(9.0 * fs); ++i) energy += x[i] * x[i];
    EXPECT_NEAR(std::sqrt(energy / (9.0 * fs)), 0.5, 1e-3);
    // The half-sine of 10 m/s^2 lasting 50 ms: at its middle, 10.025 s, the tone adds 0.5 sqrt(2) sin.
    const double t = 10.025;
    const double tone = 0.5 * std::sqrt(2.0) * std::sin(2.0 * std::numbers::pi * 5.0 * t);
    EXPECT_NEAR(x[static_cast<size_t>(t * fs)], 10.0 + tone, 1e-6);
    EXPECT_TRUE(parseSignalList("hand-arm").ok());
    EXPECT_FALSE(parseSignalList("hand-arm:3").ok());
}

}  // namespace
}  // namespace k470
