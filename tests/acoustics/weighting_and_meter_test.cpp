// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency weightings, time weightings and peaks against the sound level meter tables: steady tones for
// the A and C weightings with their class-1 tolerances, tone bursts for F and S, and single cycles and
// half cycles for the C-weighted peak.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "acoustics/frequency_weighting.h"
#include "acoustics/level_recorder.h"
#include "acoustics/synthetic_signals.h"
#include "views/level_views.h"

namespace k470::acoustics {
namespace {

using testing::dB;
using testing::tone;

constexpr double kInf = std::numeric_limits<double>::infinity();

// The weightings at the nominal 1/3-octave frequencies with the class-1 acceptance limits.
struct WeightingRow {
    double nominal;
    double a, c;
    double plus, minus;  // tolerance limits
};
constexpr WeightingRow kWeightingTable[] = {
    {10, -70.4, -14.3, 3.0, kInf},  {12.5, -63.4, -11.2, 2.5, kInf}, {16, -56.7, -8.5, 2.0, 4.0},
    {20, -50.5, -6.2, 2.0, 2.0},    {25, -44.7, -4.4, 2.0, 1.5},     {31.5, -39.4, -3.0, 1.5, 1.5},
    {40, -34.6, -2.0, 1.0, 1.0},    {50, -30.2, -1.3, 1.0, 1.0},     {63, -26.2, -0.8, 1.0, 1.0},
    {80, -22.5, -0.5, 1.0, 1.0},    {100, -19.1, -0.3, 1.0, 1.0},    {125, -16.1, -0.2, 1.0, 1.0},
    {160, -13.4, -0.1, 1.0, 1.0},   {200, -10.9, 0.0, 1.0, 1.0},     {250, -8.6, 0.0, 1.0, 1.0},
    {315, -6.6, 0.0, 1.0, 1.0},     {400, -4.8, 0.0, 1.0, 1.0},      {500, -3.2, 0.0, 1.0, 1.0},
    {630, -1.9, 0.0, 1.0, 1.0},     {800, -0.8, 0.0, 1.0, 1.0},      {1000, 0.0, 0.0, 0.7, 0.7},
    {1250, 0.6, 0.0, 1.0, 1.0},     {1600, 1.0, -0.1, 1.0, 1.0},     {2000, 1.2, -0.2, 1.0, 1.0},
    {2500, 1.3, -0.3, 1.0, 1.0},    {3150, 1.2, -0.5, 1.0, 1.0},     {4000, 1.0, -0.8, 1.0, 1.0},
    {5000, 0.5, -1.3, 1.5, 1.5},    {6300, -0.1, -2.0, 1.5, 2.0},    {8000, -1.1, -3.0, 1.5, 2.5},
    {10000, -2.5, -4.4, 2.0, 3.0},  {12500, -4.3, -6.2, 2.0, 5.0},   {16000, -6.6, -8.5, 2.5, 16.0},
    {20000, -9.3, -11.2, 3.0, kInf}};

// The closed-form weightings (pole frequencies 20.6, 107.7, 737.9 and 12194 Hz), written out here
// independently of the library, 0 dB at 1 kHz.
double closedForm(Weighting w, double f) {
    const double f1 = 20.598997, f2 = 107.65265, f3 = 737.86223, f4 = 12194.217;
    auto c = [&](double x) { return f4 * f4 * x * x / ((x * x + f1 * f1) * (x * x + f4 * f4)); };
    auto a = [&](double x) { return c(x) * x * x / std::sqrt((x * x + f2 * f2) * (x * x + f3 * f3)); };
    return w == Weighting::C ? 20.0 * std::log10(c(f) / c(1000.0)) : 20.0 * std::log10(a(f) / a(1000.0));
}

// The level change a weighting makes to a steady tone: measured over whole periods after it settled.
double toneResponse(Weighting w, double fs, double f) {
    auto fw = FrequencyWeighting::Create(w, fs);
    EXPECT_TRUE(fw.ok());
    const double settle = std::max(0.2, 3.0 / f);
    const double cycles = std::max(20.0, std::ceil(0.2 * f));
    const auto measure = static_cast<size_t>(std::llround(cycles * fs / f));
    auto x = tone(f, fs, settle);
    x.resize(x.size() + measure);
    for (size_t n = 0; n < x.size(); ++n)
        x[n] = std::sin(2.0 * std::numbers::pi * f * static_cast<double>(n) / fs);
    fw->process(x);
    return dB(testing::meanSquare(x, x.size() - measure) / 0.5);
}

// The spectrum page's corrections of the 1/3-octave bands 25 Hz to 20 kHz are the standard's weightings at
// the nominal frequencies: the same values as the analysers' filters meet.
TEST(FrequencyWeighting, SpectrumCorrectionsAreTheStandardsTable) {
    const auto& a = views::CorrectionTable(views::Correction::A);
    const auto& c = views::CorrectionTable(views::Correction::C);
    const auto& z = views::CorrectionTable(views::Correction::Z);
    size_t band = 0;
    for (const WeightingRow& row : kWeightingTable) {
        if (row.nominal < 25.0) continue;
        ASSERT_LT(band, a.size());
        EXPECT_EQ(a[band], row.a) << row.nominal;
        EXPECT_EQ(c[band], row.c) << row.nominal;
        EXPECT_EQ(z[band], 0.0) << row.nominal;
        ++band;
    }
    EXPECT_EQ(band, a.size());
}

class WeightingAtRate : public ::testing::TestWithParam<double> {};

TEST_P(WeightingAtRate, MeetsTheClassOneTableAndTheClosedFormUpTo10kHz) {
    const double fs = GetParam();
    for (const WeightingRow& row : kWeightingTable) {
        const double f = 1000.0 * std::pow(10.0, std::round(10.0 * std::log10(row.nominal / 1000.0)) / 10.0);
        if (f >= 0.45 * fs) break;
        for (Weighting w : {Weighting::A, Weighting::C}) {
            const double got = toneResponse(w, fs, f);
            const double table = w == Weighting::A ? row.a : row.c;
            EXPECT_LE(got, table + row.plus)
                << (w == Weighting::A ? "A" : "C") << " at " << f << " Hz, fs " << fs;
            EXPECT_GE(got, table - row.minus)
                << (w == Weighting::A ? "A" : "C") << " at " << f << " Hz, fs " << fs;
            if (f <= 10000.0 && f <= 0.4 * fs) {
                EXPECT_NEAR(got, closedForm(w, f), 0.1) << (w == Weighting::A ? "A" : "C") << " at " << f;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, WeightingAtRate,
                         ::testing::Values(8000.0, 32000.0, 44100.0, 48000.0, 96000.0, 192000.0));

TEST(FrequencyWeighting, ZLeavesTheSignalAsItIs) {
    auto z = FrequencyWeighting::Create(Weighting::Z, 48000.0);
    auto x = testing::pinkNoise(48000.0, 0.1);
    const auto before = x;
    z->process(x);
    EXPECT_EQ(x, before);
}

// The weightings run side by side give what each gives alone, whatever the pieces the signal comes in.
TEST(WeightingSet, MatchesEachWeightingAloneInAnyPieces) {
    constexpr Weighting kSet[] = {Weighting::C, Weighting::A, Weighting::Z};
    const auto x = testing::pinkNoise(44100.0, 0.2);
    auto set = WeightingSet::Create(kSet, 44100.0);
    ASSERT_TRUE(set.ok());
    std::vector<std::vector<double>> together(3);
    for (size_t at = 0; at < x.size(); at += 333) {
        set->process(std::span(x.data() + at, std::min<size_t>(333, x.size() - at)));
        for (size_t k = 0; k < 3; ++k)
            together[k].insert(together[k].end(), set->output(k).begin(), set->output(k).end());
    }
    for (size_t k = 0; k < 3; ++k) {
        auto alone = FrequencyWeighting::Create(kSet[k], 44100.0);
        auto y = x;
        alone->process(y);
        ASSERT_EQ(together[k].size(), y.size());
        for (size_t n = 0; n < y.size(); ++n) ASSERT_NEAR(together[k][n], y[n], 1e-12) << k << " at " << n;
    }
}

// The meter's readings do not depend on how the samples are split into calls.
TEST(LevelMeter, ReadsTheSameWhateverThePieces) {
    auto x = tone(1000.0, 48000.0, 3.0, 1.0);
    for (size_t n = 60000; n < 70000; ++n) x[n] *= 10.0;  // a burst, so that maxima and minima differ
    auto read = [&](size_t piece) {
        LevelMeter m(48000.0);
        auto feed = [&](size_t from, size_t to) {
            for (size_t at = from; at < to; at += piece)
                m.process(std::span(x.data() + at, std::min(piece, to - at)));
        };
        feed(0, 50000);  // the interval starts before the burst
        m.startInterval();
        feed(50000, x.size());
        return m.reading();
    };
    const LevelReading whole = read(x.size()), pieces = read(7), blocks = read(4096);
    for (const LevelReading& r : {pieces, blocks}) {
        EXPECT_NEAR(r.leq / whole.leq, 1.0, 1e-12);
        EXPECT_EQ(r.peak, whole.peak);
        for (TimeWeighting t : {TimeWeighting::Fast, TimeWeighting::Slow, TimeWeighting::Impulse}) {
            EXPECT_NEAR(r.of(t).current / whole.of(t).current, 1.0, 1e-12);
            EXPECT_NEAR(r.of(t).max / whole.of(t).max, 1.0, 1e-12);
            EXPECT_NEAR(r.of(t).min / whole.of(t).min, 1.0, 1e-12);
        }
    }
}

// Runs a signal through the analyser as one interval and gives its levels.
IntervalLevels levelsOf(const std::vector<double>& x, double fs) {
    auto a = LevelAnalyser::Create(fs, 1.0, 0.0, LevelWeightings::AcousticACZ);
    EXPECT_TRUE(a.ok());
    IntervalLevels out;
    EXPECT_TRUE(a->process(x, [&](const IntervalLevels& l) {
                     out = l;
                     return Status{};
                 }).ok());
    EXPECT_TRUE(a->finish([&](const IntervalLevels& l) {
                     out = l;
                     return Status{};
                 }).ok());
    return out;
}

// The tone-burst response of IEC 61672-1: the largest F and S reading of a burst of whole cycles of a
// 4 kHz tone lies 10 lg(1 - e^(-Tb/tau)) below the steady tone's level, within the class-1 limits; S is
// tabled down to 2 ms. A meter's detectors start from rest, so this holds wherever the burst lies in the
// record, also in its first second; the Leq over the record carries the burst's energy.
struct ToneBurst {
    double ms;
    double fast, slow;   // reference response, dB (slow NaN where the table has none)
    double plus, minus;  // class-1 acceptance limits
};
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr ToneBurst kToneBursts[] = {
    {1000, 0.0, -2.0, 0.5, 0.5},  {500, -0.1, -4.1, 0.5, 0.5},   {200, -1.0, -7.4, 0.5, 0.5},
    {100, -2.6, -10.2, 1.0, 1.0}, {50, -4.8, -13.1, 1.0, 1.0},   {20, -8.3, -17.0, 1.0, 1.0},
    {10, -11.1, -20.0, 1.0, 1.0}, {5, -14.1, -23.0, 1.0, 1.0},   {2, -18.0, -27.0, 1.0, 1.5},
    {1, -21.0, kNone, 1.0, 2.0},  {0.5, -24.0, kNone, 1.0, 2.5}, {0.25, -27.0, kNone, 1.0, 3.0}};

TEST(TimeWeighting, ToneBurstsReadAsTheTableSaysWhereverTheyStart) {
    const double fs = 48000.0, f = 4000.0;
    BandRequest noBands;
    noBands.thirds = noBands.octaves = false;
    auto levels = [&](const std::vector<double>& x) {
        auto a = LevelAnalyser::Create(fs, 1.0, 0.0, LevelWeightings::AcousticACZ, noBands);
        IntervalLevels out;
        auto take = [&](const IntervalLevels& l) {
            out = l;
            return Status{};
        };
        EXPECT_TRUE(a->process(x, take).ok());
        EXPECT_TRUE(a->finish(take).ok());
        return *out.weightedRow(Weighting::A);
    };
    const double steady = levels(tone(f, fs, 3.0)).leq;
    for (const double startSeconds : {0.0, 0.5, 0.93, 2.5}) {
        for (const ToneBurst& b : kToneBursts) {
            const auto x = testing::framed(tone(f, fs, b.ms / 1000.0), fs, startSeconds, 2.0);
            const LevelRow a = levels(x);
            const auto where = ::testing::Message() << b.ms << " ms burst at " << startSeconds << " s";
            EXPECT_LE(a.fastMax - steady, b.fast + b.plus) << where << ", F";
            EXPECT_GE(a.fastMax - steady, b.fast - b.minus) << where << ", F";
            if (!std::isnan(b.slow)) {
                EXPECT_LE(a.slowMax - steady, b.slow + b.plus) << where << ", S";
                EXPECT_GE(a.slowMax - steady, b.slow - b.minus) << where << ", S";
            }
            const double duration = static_cast<double>(x.size()) / fs;
            EXPECT_NEAR(a.leq - steady, 10.0 * std::log10(b.ms / 1000.0 / duration), 0.2) << where << ", Leq";
        }
    }
}

// A burst at the very start of a record reads the reference response closely, as one later on does: the
// detectors start from rest and are exponential from the first sample.
TEST(TimeWeighting, ABurstAtTheStartReadsTheReferenceResponse) {
    const double fs = 48000.0;
    for (double ms : {10.0, 100.0, 500.0}) {
        for (double startSeconds : {0.0, 0.5}) {
            const auto x =
                testing::framed(tone(4000.0, fs, ms / 1000.0, std::sqrt(2.0)), fs, startSeconds, 1.0);
            LevelMeter m(fs);
            m.process(x);
            const LevelReading r = m.reading();
            for (auto [t, tau] :
                 {std::pair{TimeWeighting::Fast, kFastSeconds}, {TimeWeighting::Slow, kSlowSeconds}}) {
                const double reference = dB(1.0 - std::exp(-ms / 1000.0 / tau));
                EXPECT_NEAR(dB(r.of(t).max), reference, 0.05) << ms << " ms at " << startSeconds << " s";
            }
        }
    }
}

// A steady tone from the start: the detectors rise from rest, so the maxima never read above the tone;
// the minima are taken once each detector has settled (five time constants), so they read the tone and
// not the rise. A record shorter than S needs to settle gives the S reading at its end as the minimum.
TEST(TimeWeighting, MinimaWaitForTheDetectorsToSettle) {
    const double fs = 48000.0;
    for (const double seconds : {6.0, 2.0}) {
        LevelMeter m(fs);
        m.process(tone(1000.0, fs, seconds, std::sqrt(2.0)));  // 0 dB re 1
        const LevelReading r = m.reading();
        for (TimeWeighting t : {TimeWeighting::Fast, TimeWeighting::Slow, TimeWeighting::Impulse}) {
            const auto where = ::testing::Message() << seconds << " s, weighting " << static_cast<int>(t);
            EXPECT_LT(dB(r.of(t).max), 0.05) << where;
            if (seconds >= LevelMeter::minimumSettleSeconds(t))
                EXPECT_NEAR(dB(r.of(t).min), 0.0, 0.1) << where;
            else
                EXPECT_EQ(r.of(t).min, r.of(t).current) << where;
        }
    }
}

// Short bursts anywhere in time, not only where the detectors' steps begin, read within 0.05 dB of the
// reference response 10 lg(1 - e^(-Tb/tau)) under F and S.
TEST(TimeWeighting, ShortBurstsReadTheReferenceResponseWhereverTheyStart) {
    const double fs = 48000.0;
    for (double ms : {0.25, 1.0, 10.0}) {
        for (double offsetMs : {0.0, 0.13, 0.37}) {
            std::vector<double> x(static_cast<size_t>(3.0 * fs), 0.0);
            const auto burst = tone(4000.0, fs, ms / 1000.0, std::sqrt(2.0));  // 0 dB re 1 while it lasts
            std::copy(burst.begin(), burst.end(),
                      x.begin() + static_cast<long>((1.5 + offsetMs / 1000.0) * fs));
            LevelMeter m(fs);
            m.process(std::vector<double>(static_cast<size_t>(0.3 * fs), 0.0));
            m.startInterval();
            m.process(x);
            const LevelReading r = m.reading();
            for (auto [t, tau] :
                 {std::pair{TimeWeighting::Fast, kFastSeconds}, {TimeWeighting::Slow, kSlowSeconds}}) {
                const double reference = dB(1.0 - std::exp(-ms / 1000.0 / tau));
                EXPECT_NEAR(dB(r.of(t).max), reference, 0.05) << ms << " ms at +" << offsetMs << " ms";
            }
        }
    }
}

// The F reading decays at 34.7 dB/s and S at 4.3 dB/s after a tone stops (IEC 61672-1 decay rates).
TEST(TimeWeighting, DecaysAtTheStandardRates) {
    const double fs = 48000.0;
    auto a = LevelAnalyser::Create(fs, 1.0, 0.5, LevelWeightings::AcousticACZ);
    const auto x = testing::framed(tone(1000.0, fs, 3.0), fs, 0.0, 1.0);
    std::vector<IntervalLevels> rows;
    ASSERT_TRUE(a->process(x, [&](const IntervalLevels& l) {
                     rows.push_back(l);
                     return Status{};
                 }).ok());
    ASSERT_EQ(rows.size(), 8u);
    // The interval 3.0-3.5 s ends 0.5 s after the tone stopped.
    const LevelRow& on = *rows[5].weightedRow(Weighting::Z);
    const LevelRow& off = *rows[6].weightedRow(Weighting::Z);
    EXPECT_NEAR(on.fast - off.fast, 0.5 * 34.7, 1.0);
    EXPECT_NEAR(on.slow - off.slow, 0.5 * 4.3, 0.3);
}

// One cycle and half cycles of a tone, against the C-weighted level of the steady tone they come from.
TEST(PeakLevel, SingleCyclesAndHalfCyclesReadAsTheTableSays) {
    const double fs = 48000.0;
    struct Case {
        double f;
        double cycles;  // 1 = one whole cycle, 0.5 = the positive half, -0.5 = the negative half
        double expected, tolerance;
    };
    for (const Case c : {Case{31.5, 1.0, 2.5, 2.0}, Case{500, 1.0, 3.5, 1.0}, Case{8000, 1.0, 3.4, 2.0},
                         Case{500, 0.5, 2.4, 1.0}, Case{500, -0.5, 2.4, 1.0}}) {
        const double steady = levelsOf(tone(c.f, fs, 2.0), fs).weightedRow(Weighting::C)->leq;
        const double sign = c.cycles < 0 ? -1.0 : 1.0;
        const double period = std::abs(c.cycles) / c.f;
        std::vector<double> burst;
        auto part = tone(c.f, fs, period + 0.5 / fs);  // up to the zero crossing at the end
        for (double v : part) burst.push_back(sign * v);
        const auto x = testing::framed(burst, fs, 0.5, 0.5);
        const double peak = levelsOf(x, fs).weightedRow(Weighting::C)->peak;
        EXPECT_NEAR(peak - steady, c.expected, c.tolerance) << c.cycles << " cycle of " << c.f << " Hz";
    }
}

TEST(LevelAnalyser, SplitsIntervalsAndKeepsAShorterLastOne) {
    const double fs = 8000.0;
    auto a = LevelAnalyser::Create(fs, 2e-5, 1.0, LevelWeightings::AcousticACZ);
    ASSERT_TRUE(a.ok());
    const auto x = tone(1000.0, fs, 2.5, std::sqrt(2.0));  // 1 Pa rms: 93.98 dB re 20 uPa
    std::vector<IntervalLevels> rows;
    auto take = [&](const IntervalLevels& l) {
        rows.push_back(l);
        return Status{};
    };
    // Fed in odd pieces across the interval boundaries.
    for (size_t at = 0; at < x.size(); at += 777)
        ASSERT_TRUE(a->process(std::span(x.data() + at, std::min<size_t>(777, x.size() - at)), take).ok());
    ASSERT_TRUE(a->finish(take).ok());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_DOUBLE_EQ(rows[2].startSeconds, 2.0);
    EXPECT_DOUBLE_EQ(rows[2].durationSeconds, 0.5);
    for (const auto& r : rows) {
        EXPECT_NEAR(r.weightedRow(Weighting::Z)->leq, 93.98, 0.02);
        EXPECT_NEAR(r.weightedRow(Weighting::A)->leq, 93.98, 0.05);
    }
    // 1 kHz third and octave bands hold the tone; a band two octaves away holds almost nothing.
    const auto& ids = a->bandIds();
    for (size_t i = 0; i < ids.size(); ++i) {
        if (ids[i].index == 0) {
            EXPECT_NEAR(rows[1].bands[i]->leq, 93.98, 0.2) << ids[i].label();
        }
        if (ids[i].set == BandSet::Third && ids[i].index == -6) {
            EXPECT_LT(rows[1].bands[i]->leq, 93.98 - 60.0);
        }
    }
    // Above half the rate there are no bands.
    EXPECT_FALSE(rows[0].bands.back().has_value());
}

TEST(LevelAnalyser, GivesOnlyZForNonAcousticChannels) {
    auto a = LevelAnalyser::Create(48000.0, 1e-6, 0.0, LevelWeightings::ZOnly);
    IntervalLevels out;
    ASSERT_TRUE(a->process(tone(100.0, 48000.0, 0.5), [&](const IntervalLevels& l) {
                     out = l;
                     return Status{};
                 }).ok());
    ASSERT_TRUE(a->finish([&](const IntervalLevels& l) {
                     out = l;
                     return Status{};
                 }).ok());
    EXPECT_FALSE(out.weightedRow(Weighting::A).has_value());
    EXPECT_FALSE(out.weightedRow(Weighting::C).has_value());
    ASSERT_TRUE(out.weightedRow(Weighting::Z).has_value());
}

// Pink noise has equal power per octave: the octave band levels lie within a dB of each other, and the
// bands together carry the broadband power.
TEST(LevelAnalyser, PinkNoiseSpreadsEvenlyOverTheOctaves) {
    const double fs = 48000.0;
    const auto x = testing::pinkNoise(fs, 20.0, 7);
    const IntervalLevels l = levelsOf(x, fs);
    std::vector<double> octaves;
    for (size_t i = 0; i < l.bandIds.size(); ++i)
        if (l.bandIds[i].set == BandSet::Octave && l.bandIds[i].index >= -3 && l.bandIds[i].index <= 3)
            octaves.push_back(l.bands[i]->leq);
    ASSERT_EQ(octaves.size(), 7u);
    for (double o : octaves) EXPECT_NEAR(o, octaves[3], 1.0);
}

}  // namespace
}  // namespace k470::acoustics
