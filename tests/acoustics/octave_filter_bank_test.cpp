// SPDX-License-Identifier: GPL-3.0-or-later
// The band filters against the class-1 acceptance limits on relative attenuation: tones at the
// standard's normalized frequencies around each band, measured through the whole multirate path.
#include "acoustics/octave_filter_bank.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "acoustics/synthetic_signals.h"

namespace k470::acoustics {
namespace {

using testing::dB;
using testing::tone;

constexpr double kG = 1.9952623149688795;
constexpr double kInf = std::numeric_limits<double>::infinity();

// Class-1 acceptance limits of the relative attenuation (dB) at the octave-band breakpoints G^e.
struct Limit {
    double exponent;  // e of the octave-band breakpoint G^e
    double min, max;
};
constexpr Limit kClass1[] = {{0.0, -0.4, 0.4},  {0.125, -0.4, 0.5}, {0.25, -0.4, 0.7}, {0.375, -0.4, 1.4},
                             {0.5, -0.4, 5.3},  {1.0, 16.6, kInf},  {2.0, 40.5, kInf}, {3.0, 60.0, kInf},
                             {4.0, 70.0, kInf}, {5.0, 70.0, kInf}};

// The breakpoint above the midband for a 1/b-octave filter, from the octave breakpoint G^e.
double breakpoint(double e, double b) {
    const double octave = std::pow(kG, e);
    return 1.0 + (std::pow(kG, 1.0 / (2.0 * b)) - 1.0) / (std::pow(kG, 0.5) - 1.0) * (octave - 1.0);
}

// Relative attenuation (dB) of a band for a steady tone at f: the band's output power against that of the
// tone.
double attenuation(double fs, BandId id, double f) {
    BandRequest r;
    r.thirds = id.set == BandSet::Third;
    r.octaves = !r.thirds;
    r.firstThird = r.lastThird = r.firstOctave = r.lastOctave = id.index;
    auto bank = OctaveFilterBank::Create(fs, r);
    EXPECT_TRUE(bank.ok());
    // Long enough for the narrowest band to settle: six times its reciprocal bandwidth, then measured over
    // as long again.
    const double settle = std::max(0.2, 6.0 / (id.upperEdge() - id.lowerEdge()));
    const auto x = tone(f, fs, 2.0 * settle);
    std::vector<double> y;
    bank->process(x, [&](size_t, std::span<const double> s) { y.insert(y.end(), s.begin(), s.end()); });
    return dB(0.5) - dB(testing::meanSquare(y, y.size() / 2));
}

struct BankCase {
    double fs;
    BandId band;
};

class BandAttenuation : public ::testing::TestWithParam<BankCase> {};

TEST_P(BandAttenuation, StaysWithinClassOneLimits) {
    const BankCase c = GetParam();
    const double fm = c.band.midband();
    for (const Limit& l : kClass1) {
        const double above = breakpoint(l.exponent, c.band.bandsPerOctave());
        for (double omega : {above, 1.0 / above}) {
            const double f = fm * omega;
            if (f >= 0.5 * c.fs || f < 1.0) continue;
            const double a = attenuation(c.fs, c.band, f);
            EXPECT_GE(a, l.min) << c.band.label() << " at " << f << " Hz, fs " << c.fs;
            EXPECT_LE(a, l.max) << c.band.label() << " at " << f << " Hz, fs " << c.fs;
        }
    }
}

// The least attenuation allowed at a normalized frequency outside the band: that of the nearest breakpoint
// between it and the band.
double leastAttenuation(double omega, double b) {
    const double above = omega >= 1.0 ? omega : 1.0 / omega;
    double least = -kInf;
    for (const Limit& l : kClass1)
        if (l.exponent >= 1.0 && above >= breakpoint(l.exponent, b)) least = l.min;
    return least;
}

// A dense sweep outside the band, through every folding of the rate halvings in front of it: no tone may
// come through stronger than the limits allow, wherever its alias falls.
TEST_P(BandAttenuation, RejectsTonesOutsideTheBandWhereverTheyFold) {
    const BankCase c = GetParam();
    if (c.fs > 96000.0)
        GTEST_SKIP() << "the sweep at the highest rate takes too long; its breakpoints are checked";
    const double b = c.band.bandsPerOctave();
    const double fm = c.band.midband();
    for (double f = fm * breakpoint(1.0, b); f < 0.495 * c.fs; f *= 1.04) {
        EXPECT_GE(attenuation(c.fs, c.band, f), leastAttenuation(f / fm, b))
            << c.band.label() << " at " << f << " Hz";
    }
    for (double f = fm / breakpoint(1.0, b); f > 2.0; f /= 1.04) {
        EXPECT_GE(attenuation(c.fs, c.band, f), leastAttenuation(f / fm, b))
            << c.band.label() << " at " << f << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bands, BandAttenuation,
    ::testing::Values(BankCase{48000, {BandSet::Third, -16}}, BankCase{48000, {BandSet::Third, 0}},
                      BankCase{48000, {BandSet::Third, 13}}, BankCase{48000, {BandSet::Octave, -5}},
                      BankCase{48000, {BandSet::Octave, 4}}, BankCase{44100, {BandSet::Third, 12}},
                      BankCase{8000, {BandSet::Third, 5}}, BankCase{8000, {BandSet::Octave, 1}},
                      BankCase{192000, {BandSet::Third, -16}}, BankCase{192000, {BandSet::Third, 13}},
                      BankCase{96000, {BandSet::Octave, 0}}));

TEST(OctaveFilterBank, HoldsTheSoundLevelBandsWithTheirLabels) {
    auto bank = OctaveFilterBank::Create(48000.0);
    ASSERT_TRUE(bank.ok());
    ASSERT_EQ(bank->bandCount(), 40u);
    EXPECT_TRUE(bank->missingBands().empty());
    EXPECT_EQ(bank->band(0).id.label(), "25.0");
    EXPECT_EQ(bank->band(14).id.label(), "0.63k");
    EXPECT_EQ(bank->band(16).id.label(), "1k");
    EXPECT_NEAR(bank->band(16).id.midband(), 1000.0, 1e-9);
    EXPECT_EQ(bank->band(27).id.label(), "12.5k");
    EXPECT_EQ(bank->band(30).id.label(), "31.5");
    EXPECT_EQ(bank->band(39).id.label(), "16k");
    EXPECT_NEAR(bank->band(0).id.midband(), 25.1189, 1e-3);
    // The lowest bands run at a rate far below the input's.
    EXPECT_LE(bank->band(0).sampleRate, 400.0);
}

TEST(OctaveFilterBank, LeavesOutBandsAboveHalfTheRate) {
    auto bank = OctaveFilterBank::Create(8000.0);
    ASSERT_TRUE(bank.ok());
    ASSERT_FALSE(bank->missingBands().empty());
    EXPECT_EQ(bank->missingBands().front().label(), "4.0k");
    EXPECT_EQ(bank->indexOf({BandSet::Third, 5}), 21);  // 3.15k is the highest third kept
}

TEST(OctaveFilterBank, RefusesRatesOutsideTheRange) {
    for (double fs : {0.0, -48000.0, 7999.0, 192001.0, std::nan("")})
        EXPECT_FALSE(OctaveFilterBank::Create(fs).ok()) << fs;
}

// Block boundaries do not change the output: the same signal fed at once and in odd pieces.
TEST(OctaveFilterBank, GivesTheSameSamplesWhateverTheBlockSize) {
    const auto x = testing::pinkNoise(48000, 0.5);
    auto collect = [&](size_t piece) {
        auto bank = OctaveFilterBank::Create(48000.0);
        std::vector<std::vector<double>> out(bank->bandCount());
        for (size_t at = 0; at < x.size(); at += piece) {
            const size_t n = std::min(piece, x.size() - at);
            bank->process(std::span(x.data() + at, n), [&](size_t b, std::span<const double> s) {
                out[b].insert(out[b].end(), s.begin(), s.end());
            });
        }
        return out;
    };
    const auto whole = collect(x.size());
    const auto pieces = collect(97);
    ASSERT_EQ(whole.size(), pieces.size());
    for (size_t b = 0; b < whole.size(); ++b) {
        ASSERT_EQ(whole[b].size(), pieces[b].size()) << b;
        for (size_t i = 0; i < whole[b].size(); ++i) ASSERT_NEAR(whole[b][i], pieces[b][i], 1e-12) << b;
    }
}

}  // namespace
}  // namespace k470::acoustics
