// SPDX-License-Identifier: GPL-3.0-or-later
// Band reverberation times of recordings built band by band: in each band, band-limited noise decays at that
// band's own rate, over a broadband noise floor.
#include "acoustics/reverberation.h"
#include "acoustics/reverberation_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace k470::acoustics {
namespace {

constexpr double kRate = 48000.0;

struct TrueBand {
    double centre, t60;
};

// Gaussian noise through a band-pass of eight resonators (0 dB at the centre, quality factor q), independent
// of the filter bank under test; steep enough that a neighbouring band's noise stays well below a band's own.
std::vector<double> bandNoise(size_t n, double centre, double q, std::mt19937& rng) {
    std::normal_distribution<double> g(0.0, 1.0);
    const double w = 2.0 * std::numbers::pi * centre / kRate, alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha, b0 = alpha / a0, a1 = -2.0 * std::cos(w) / a0, a2 = (1.0 - alpha) / a0;
    std::vector<double> x(n);
    for (double& v : x) v = g(rng);
    for (int pass = 0; pass < 8; ++pass) {
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
        for (double& v : x) {
            const double y = b0 * (v - x2) - a1 * y1 - a2 * y2;
            x2 = x1, x1 = v, y2 = y1, y1 = y;
            v = y;
        }
    }
    return x;
}

// Each band's noise holds its level for `held` seconds, then decays at the band's own rate; a broadband
// floor of the given rms lies under all of it.
std::vector<double> bandDecays(const std::vector<TrueBand>& bands, double bandsPerOctave, double held,
                               double length, double floorRms, unsigned seed) {
    const auto n = static_cast<size_t>(length * kRate);
    const auto stop = static_cast<size_t>(held * kRate);
    const double q = bandsPerOctave == 1.0 ? 1.0 : 3.0;
    std::vector<double> x(n, 0.0);
    std::mt19937 rng(seed);
    for (const TrueBand& b : bands) {
        std::vector<double> band = bandNoise(n, b.centre, q, rng);
        const double perSample = std::pow(10.0, -3.0 / (b.t60 * kRate));  // amplitude: 60 dB in t60
        double gain = 1.0;
        for (size_t i = stop; i < n; ++i, gain *= perSample) band[i] *= gain;
        for (size_t i = 0; i < n; ++i) x[i] += band[i];
    }
    std::normal_distribution<double> g(0.0, floorRms);
    for (double& v : x) v += g(rng);
    return x;
}

// A single decay of band noise scatters around its true time (more in narrow, low bands); the mean of several
// decays must lie within 2 % plus two standard deviations of that mean, from the statistical uncertainty of
// band-noise decays (ISO 3382-2: T20 0.88 T sqrt(2.9 / (B T)), T30 0.55 T sqrt(2.52 / (B T)) for one decay).
void expectBandTimes(const std::vector<ReverberationResult>& runs, const std::vector<TrueBand>& bands,
                     double bandwidthRatio) {
    const double n = static_cast<double>(runs.size());
    for (size_t i = 0; i < bands.size(); ++i) {
        double edt = 0.0, t20 = 0.0, t30 = 0.0;
        for (const ReverberationResult& r : runs) {
            ASSERT_EQ(r.bands.size(), bands.size());
            const BandDecay& b = r.bands[i];
            ASSERT_EQ(bandNote(b), "") << b.label;
            ASSERT_TRUE(b.decay.edt && b.decay.t20 && b.decay.t30) << b.label;
            EXPECT_LT(b.decay.t30->correlation, -0.95) << b.label;  // straight, if rough in narrow bands
            edt += b.decay.edt->seconds / n, t20 += b.decay.t20->seconds / n, t30 += b.decay.t30->seconds / n;
        }
        const double t = bands[i].t60, bt = bandwidthRatio * bands[i].centre * t;
        const double s20 = 0.88 * std::sqrt(2.9 / bt) / std::sqrt(n),
                     s30 = 0.55 * std::sqrt(2.52 / bt) / std::sqrt(n);
        SCOPED_TRACE(runs.front().bands[i].label);
        EXPECT_NEAR(runs.front().bands[i].midbandHz, bands[i].centre, bands[i].centre * 0.03);
        EXPECT_NEAR(t20, t, t * (0.02 + 2.0 * s20));
        EXPECT_NEAR(t30, t, t * (0.02 + 2.0 * s30));
        EXPECT_NEAR(edt, t, t * (0.04 + 4.0 * s20));
    }
}

std::vector<ReverberationResult> analyzeRuns(const std::vector<TrueBand>& bands, ReverberationBands set,
                                             double held, double length, DecayExcitation expected) {
    std::vector<ReverberationResult> runs;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const auto x =
            bandDecays(bands, set == ReverberationBands::Octave ? 1.0 : 3.0, held, length, 1e-4, seed);
        auto r = AnalyzeReverberation(x, kRate, set);
        EXPECT_TRUE(r.ok()) << r.error().message;
        if (!r.ok()) break;
        EXPECT_EQ(r->excitation, expected);
        runs.push_back(std::move(*r));
    }
    return runs;
}

const std::vector<TrueBand> kOctaves = {{63.1, 1.9}, {125.9, 1.7}, {251.2, 1.5}, {501.2, 1.3},
                                        {1000, 1.1}, {1995, 0.95}, {3981, 0.8},  {7943, 0.65}};

TEST(Reverberation, OctaveBandsOfAnImpulseResponseGiveEachBandsTime) {
    const auto runs = analyzeRuns(kOctaves, ReverberationBands::Octave, 0.0, 3.0, DecayExcitation::Impulse);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].bands.front().label, "63");
    EXPECT_EQ(runs[0].bands.back().label, "8k");
    expectBandTimes(runs, kOctaves, 0.707);
}

TEST(Reverberation, OctaveBandsOfAnInterruptedNoiseGiveEachBandsTime) {
    const auto runs =
        analyzeRuns(kOctaves, ReverberationBands::Octave, 1.5, 4.5, DecayExcitation::InterruptedNoise);
    ASSERT_EQ(runs.size(), 4u);
    expectBandTimes(runs, kOctaves, 0.707);
}

std::vector<TrueBand> thirdOctaves() {
    std::vector<TrueBand> thirds;
    for (int x = -13; x <= 10; ++x)
        thirds.push_back({1000.0 * std::pow(10.0, 0.1 * x), 2.0 - 0.05 * (x + 13)});
    return thirds;
}

TEST(Reverberation, ThirdOctaveBandsSpanFiftyHertzToTenKilohertz) {
    const auto thirds = thirdOctaves();
    const auto runs = analyzeRuns(thirds, ReverberationBands::Third, 0.0, 3.0, DecayExcitation::Impulse);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].bands[13].label, "1k");
    EXPECT_EQ(runs[0].bands[14].label, "1.25k");
    expectBandTimes(runs, thirds, 0.232);
}

// Narrow low bands smooth their envelope longest; the stop must still be found where the noise ends.
TEST(Reverberation, ThirdOctaveBandsOfAnInterruptedNoiseGiveEachBandsTime) {
    const auto thirds = thirdOctaves();
    const auto runs =
        analyzeRuns(thirds, ReverberationBands::Third, 2.0, 5.0, DecayExcitation::InterruptedNoise);
    ASSERT_EQ(runs.size(), 4u);
    expectBandTimes(runs, thirds, 0.232);
    for (const BandDecay& b : runs[0].bands) {
        EXPECT_GE(b.decay.startSeconds, 1.99) << b.label;
        EXPECT_LT(b.decay.startSeconds, 2.15) << b.label;
    }
}

// The decay curve of a band is drawn on its true time axis, also in the low bands that are analysed at a
// decimated rate. A tone at the band's centre decays exponentially by 60 dB in T: on the plot's time steps
// the curve falls at that rate, and the T30 line lies on the curve over the part it was fitted to.
TEST(Reverberation, DecayPlotRunsOnTheBandsTrueTime) {
    constexpr double kT60 = 0.9;
    const double perSample = std::pow(10.0, -3.0 / (kT60 * kRate));  // amplitude: 60 dB in kT60
    struct Band {
        size_t index;  // in the octave result, 63 Hz first
        double centre;
    };
    for (const Band band : {Band{0, 63.1}, Band{1, 125.9}, Band{2, 251.2}, Band{4, 1000.0}}) {
        std::mt19937 rng(3);
        std::normal_distribution<double> floor(0.0, 1e-4);
        std::vector<double> x(static_cast<size_t>(3.0 * kRate));
        double gain = 1.0;
        for (size_t i = 0; i < x.size(); ++i, gain *= perSample)
            x[i] = gain * std::sin(2.0 * std::numbers::pi * band.centre * static_cast<double>(i) / kRate) +
                   floor(rng);
        auto r = AnalyzeReverberation(x, kRate, ReverberationBands::Octave);
        ASSERT_TRUE(r.ok()) << r.error().message;
        const BandDecay& b = r->bands[band.index];
        SCOPED_TRACE(b.label);
        ASSERT_TRUE(b.decay.t30);
        const DecayPlot p = DecayPlotOf(b.decay);
        ASSERT_GT(p.stepSeconds, 0.0);
        // The curve's slope from -5 to -35 dB, read off the plot's own time axis.
        double st = 0.0, sl = 0.0, stt = 0.0, stl = 0.0, n = 0.0;
        for (size_t k = 0; k < p.curve.size(); ++k) {
            if (p.curve[k] > -5.0 || p.curve[k] < -35.0) continue;
            const double t = static_cast<double>(k) * p.stepSeconds;
            st += t, sl += p.curve[k], stt += t * t, stl += t * p.curve[k], n += 1.0;
        }
        ASSERT_GT(n, 10.0);
        const double slope = (n * stl - st * sl) / (n * stt - st * st);
        EXPECT_NEAR(-60.0 / slope, kT60, 0.03 * kT60);
        size_t onLine = 0;
        for (size_t k = 0; k < p.curve.size(); ++k) {
            if (std::isnan(p.t30Line[k])) continue;
            ++onLine;
            EXPECT_NEAR(p.t30Line[k], p.curve[k], 0.5)
                << "at " << static_cast<double>(k) * p.stepSeconds << " s";
        }
        EXPECT_GT(onLine, 10u);
    }
}

TEST(Reverberation, SteadyNoiseGivesNotesAndNoTimes) {
    std::mt19937 rng(2);
    std::normal_distribution<double> g(0.0, 0.1);
    std::vector<double> x(static_cast<size_t>(2 * kRate));
    for (double& v : x) v = g(rng);
    auto r = AnalyzeReverberation(x, kRate, ReverberationBands::Octave);
    ASSERT_TRUE(r.ok());
    for (const BandDecay& b : r->bands) {
        EXPECT_FALSE(b.decay.edt || b.decay.t20 || b.decay.t30) << b.label;
        EXPECT_NE(bandNote(b), "") << b.label;
    }
}

TEST(Reverberation, BadInputIsRefusedAndHighBandsAtLowRatesAreNamed) {
    std::vector<double> x = bandDecays({{1000, 0.5}}, 1.0, 0.0, 1.0, 1e-5, 1);
    EXPECT_FALSE(
        AnalyzeReverberation(std::vector<double>(1000, 0.0), kRate, ReverberationBands::Octave).ok());
    EXPECT_FALSE(AnalyzeReverberation(x, 4000.0, ReverberationBands::Octave).ok());
    auto cancelled = AnalyzeReverberation(x, kRate, ReverberationBands::Octave, [](double) { return false; });
    ASSERT_FALSE(cancelled.ok());
    x[10] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(AnalyzeReverberation(x, kRate, ReverberationBands::Octave).ok());
    // At 8 kHz the 8 kHz octave lies above half the rate.
    std::vector<double> slow(8000);
    for (size_t i = 0; i < slow.size(); ++i)
        slow[i] = std::sin(0.3 * static_cast<double>(i)) * std::exp(-0.001 * static_cast<double>(i));
    auto r = AnalyzeReverberation(slow, 8000.0, ReverberationBands::Octave);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_FALSE(r->bands.back().inRange);
    EXPECT_EQ(bandNote(r->bands.back()), "band above half the sampling rate");
}

}  // namespace
}  // namespace k470::acoustics
