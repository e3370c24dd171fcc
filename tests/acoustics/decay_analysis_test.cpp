// SPDX-License-Identifier: GPL-3.0-or-later
// Reverberation times of synthetic decays: noise whose envelope falls by 60 dB in a known time, over a
// noise floor at a known level, as an impulse response and as the decay after an interrupted noise.
#include "acoustics/decay_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace k470::acoustics {
namespace {

constexpr double kRate = 48000.0;

struct Decay {
    double t60 = 1.0;           // seconds for 60 dB
    double floorDb = -70.0;     // the noise floor relative to the level at the start of the decay
    double leadSeconds = 0.05;  // silence (or floor) before an impulse response, steady noise before a stop
    double tailSeconds = 3.0;   // from the start of the decay to the end of the recording
    bool interrupted = false;
    bool digitalSilenceAfter = false;  // no floor: the recording ends in zeros
    unsigned seed = 1;
};

std::vector<double> makeDecay(const Decay& d) {
    std::mt19937 rng(d.seed);
    std::normal_distribution<double> g(0.0, 1.0);
    const auto lead = static_cast<size_t>(d.leadSeconds * kRate);
    const auto n = lead + static_cast<size_t>(d.tailSeconds * kRate);
    const double floor = std::pow(10.0, d.floorDb / 20.0);
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i) {
        double v = 0.0;
        if (i >= lead) {
            const double t = static_cast<double>(i - lead) / kRate;
            v = g(rng) * std::pow(10.0, -3.0 * t / d.t60);  // amplitude falls 60 dB in t60
            if (d.digitalSilenceAfter && t > d.t60 * 1.2) v = 0.0;
        } else if (d.interrupted) {
            v = g(rng);
        }
        x[i] = v + (d.digitalSilenceAfter ? 0.0 : floor * g(rng));
    }
    return x;
}

DecayResult analyze(const Decay& d) {
    DecayParameters p;
    p.excitation = d.interrupted ? DecayExcitation::InterruptedNoise : DecayExcitation::Impulse;
    return AnalyzeDecay(makeDecay(d), kRate, p);
}

void expectTime(const std::optional<DecayFit>& fit, double t60, double tolerance, const char* what) {
    ASSERT_TRUE(fit.has_value()) << what;
    EXPECT_NEAR(fit->seconds, t60, t60 * tolerance) << what;
    EXPECT_LT(fit->correlation, -0.99) << what;
}

TEST(DecayAnalysis, ExponentialDecaysGiveTheirReverberationTime) {
    struct Case {
        double t60;
        bool interrupted;
    } cases[] = {{0.3, false}, {0.8, false}, {2.0, false}, {0.5, true}, {1.2, true}, {2.5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.t60) + (c.interrupted ? " interrupted" : " impulse"));
        Decay d;
        d.t60 = c.t60;
        d.interrupted = c.interrupted;
        d.leadSeconds = c.interrupted ? 2.0 : 0.05;
        d.tailSeconds = std::max(2.0, 1.5 * c.t60);
        const DecayResult r = analyze(d);
        expectTime(r.edt, c.t60, 0.05, "EDT");
        expectTime(r.t20, c.t60, 0.03, "T20");
        expectTime(r.t30, c.t60, 0.03, "T30");
        ASSERT_TRUE(r.floorDb.has_value());
        EXPECT_NEAR(*r.floorDb, d.floorDb, 3.0);
        EXPECT_EQ(decayNote(r), "");
        // The decay starts where the impulse arrives or the noise stops, never inside the steady part.
        EXPECT_GE(r.startSeconds, d.leadSeconds - 0.001);
        EXPECT_LT(r.startSeconds, d.leadSeconds + 0.05);
        // Lundeby's crosspoint lies where the decay meets the floor.
        EXPECT_NEAR(r.truncationSeconds, c.t60 * -d.floorDb / 60.0, c.t60 * 0.1);
    }
}

// Each quantity needs 10 dB below the end of its range: EDT 20, T20 35 and T30 45 dB above the floor.
TEST(DecayAnalysis, TooLittleDynamicRangeGivesNoValueAndSaysWhy) {
    struct Case {
        double floorDb;
        bool edt, t20, t30;
        const char* note;
    } cases[] = {{-55.0, true, true, true, ""},
                 {-40.0, true, true, false, "T30 needs 45 dB"},
                 {-28.0, true, false, false, "T20 needs 35 dB; T30 needs 45 dB"},
                 {-15.0, false, false, false, "EDT needs 20 dB; T20 needs 35 dB; T30 needs 45 dB"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.floorDb);
        Decay d;
        d.floorDb = c.floorDb;
        const DecayResult r = analyze(d);
        EXPECT_EQ(r.edt.has_value(), c.edt);
        EXPECT_EQ(r.t20.has_value(), c.t20);
        EXPECT_EQ(r.t30.has_value(), c.t30);
        if (c.t20) expectTime(r.t20, d.t60, 0.04, "T20");
        const std::string note = decayNote(r);
        EXPECT_NE(note.find(c.note), std::string::npos) << note;
        if (*c.note) {
            EXPECT_EQ(note.rfind("dynamic range ", 0), 0u) << note;
        }
    }
}

TEST(DecayAnalysis, SignalsWithoutADecayGiveNoTimes) {
    std::mt19937 rng(5);
    std::normal_distribution<double> g(0.0, 0.3);
    std::vector<double> steady(static_cast<size_t>(3 * kRate));
    for (double& v : steady) v = g(rng);
    std::vector<double> nan = steady;
    nan[100] = std::nan("");
    struct Case {
        const char* what;
        std::vector<double> signal;
        DecayExcitation excitation;
        const char* note;
    } cases[] = {{"steady noise as impulse", steady, DecayExcitation::Impulse, ""},
                 {"steady noise as interrupted", steady, DecayExcitation::InterruptedNoise, ""},
                 {"silence", std::vector<double>(48000, 0.0), DecayExcitation::Impulse, "no signal"},
                 {"not a number", nan, DecayExcitation::Impulse, "no signal"},
                 {"a single sample", {1.0}, DecayExcitation::Impulse, "no decay"},
                 {"empty", {}, DecayExcitation::InterruptedNoise, "no signal"}};
    for (const Case& c : cases) {
        DecayParameters p;
        p.excitation = c.excitation;
        const DecayResult r = AnalyzeDecay(c.signal, kRate, p);
        EXPECT_FALSE(r.edt || r.t20 || r.t30) << c.what;
        const std::string note = decayNote(r);
        EXPECT_FALSE(note.empty()) << c.what;
        EXPECT_NE(note.find(c.note), std::string::npos) << c.what << ": " << note;
        if (r.floorDb) {
            EXPECT_TRUE(std::isfinite(*r.floorDb)) << c.what;
        }
    }
}

TEST(DecayAnalysis, DecayEndingInDigitalSilenceHasNoFloorButAllTimes) {
    Decay d;
    d.t60 = 0.7;
    d.digitalSilenceAfter = true;
    const DecayResult r = analyze(d);
    EXPECT_FALSE(r.floorDb.has_value());
    expectTime(r.t20, d.t60, 0.03, "T20");
    expectTime(r.t30, d.t60, 0.03, "T30");
    EXPECT_EQ(decayNote(r), "");
}

TEST(DecayAnalysis, ExcitationIsToldFromTheEnvelope) {
    struct Case {
        double t60, lead;
        bool interrupted;
    } cases[] = {{0.3, 0.05, false}, {2.5, 0.0, false}, {0.5, 1.0, true}, {2.0, 2.0, true}};
    for (const Case& c : cases) {
        Decay d;
        d.t60 = c.t60;
        d.leadSeconds = c.lead;
        d.interrupted = c.interrupted;
        EXPECT_EQ(DetectExcitation(makeDecay(d), kRate),
                  c.interrupted ? DecayExcitation::InterruptedNoise : DecayExcitation::Impulse)
            << c.t60 << " " << c.lead;
    }
}

TEST(DecayAnalysis, DecayCurveStartsAtZeroAndFallsToTheTruncation) {
    const DecayResult r = analyze(Decay{});
    ASSERT_FALSE(r.curveDb.empty());
    EXPECT_DOUBLE_EQ(r.curveDb.front(), 0.0);
    for (size_t i = 1; i < r.curveDb.size(); ++i) ASSERT_LE(r.curveDb[i], r.curveDb[i - 1]) << i;
    EXPECT_NEAR(static_cast<double>(r.curveDb.size()) * r.curveStepSeconds, r.truncationSeconds, 0.002);
    // The T30 line sits on the curve at its ends.
    ASSERT_TRUE(r.t30.has_value());
    EXPECT_NEAR(r.t30->interceptDb + r.t30->slopeDbPerSecond * r.t30->fromSeconds, -5.0, 1.0);
}

}  // namespace
}  // namespace k470::acoustics
