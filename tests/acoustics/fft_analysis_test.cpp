// SPDX-License-Identifier: GPL-3.0-or-later
// Welch spectra checked on tones and noises whose true spectrum is known, against the published scalloping
// losses of the windows (Harris 1978) and the one-sided density of white noise.
#include "acoustics/fft_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace k470::acoustics {
namespace {

constexpr double kRate = 48000.0;

std::vector<double> tone(size_t n, double frequency, double rms, double phase = 0.3) {
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = rms * std::numbers::sqrt2 *
               std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kRate + phase);
    return x;
}

FftParameters params(size_t size, FftWindow window, double overlap = 50.0) {
    FftParameters p;
    p.size = size;
    p.window = window;
    p.overlapPercent = overlap;
    return p;
}

double peakLevel(const FftAnalyzer& a, double reference = 1.0) {
    const auto levels = a.levels(reference);
    return *std::max_element(levels.begin(), levels.end());
}

// A tone of rms X reads X dB at a bin centre with every window; half a bin off, each window reads low by its
// scalloping loss.
TEST(FftAnalysis, ToneReadsItsRmsAtBinCentreAndScallopsByTheWindowsLoss) {
    struct Case {
        FftWindow window;
        double halfBinLossDb;
        double tolerance;
    } cases[] = {{FftWindow::Rectangular, 3.92, 0.02},
                 {FftWindow::Hann, 1.42, 0.02},
                 {FftWindow::BlackmanHarris, 0.83, 0.02},
                 {FftWindow::FlatTop, 0.0, 0.05}};
    const size_t n = 4096;
    const double bin = kRate / static_cast<double>(n);
    const double rms = 0.25;  // -12.04 dB re 1
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.window));
        auto centre = AnalyzeSpectrum(tone(8 * n, 100 * bin, rms), kRate, params(n, c.window));
        ASSERT_TRUE(centre.ok());
        EXPECT_NEAR(centre->levels(1.0)[100], 20.0 * std::log10(rms), 0.01);
        auto between = AnalyzeSpectrum(tone(8 * n, 100.5 * bin, rms), kRate, params(n, c.window));
        ASSERT_TRUE(between.ok());
        EXPECT_NEAR(peakLevel(*between), 20.0 * std::log10(rms) - c.halfBinLossDb, c.tolerance);
    }
}

TEST(FftAnalysis, FlatTopReadsWithinFiveHundredthsOfADecibelAnywhereBetweenBins) {
    const size_t n = 1024;
    const double bin = kRate / static_cast<double>(n);
    for (double offset = 0.0; offset <= 1.0; offset += 0.0625) {
        auto a =
            AnalyzeSpectrum(tone(6 * n, (50.0 + offset) * bin, 2.0), kRate, params(n, FftWindow::FlatTop));
        ASSERT_TRUE(a.ok());
        EXPECT_NEAR(peakLevel(*a, 0.5), 20.0 * std::log10(4.0), 0.05) << "offset " << offset;
    }
}

TEST(FftAnalysis, WeakToneSixtyDecibelsBelowAStrongOneIsReadCorrectly) {
    const size_t n = 8192;
    const double bin = kRate / static_cast<double>(n);
    auto x = tone(16 * n, 1000.0, 1.0);
    const auto weak = tone(16 * n, 1500.0, 0.001, 1.1);
    for (size_t i = 0; i < x.size(); ++i) x[i] += weak[i];
    for (FftWindow w : {FftWindow::Hann, FftWindow::BlackmanHarris, FftWindow::FlatTop}) {
        auto a = AnalyzeSpectrum(x, kRate, params(n, w));
        ASSERT_TRUE(a.ok());
        if (w == FftWindow::FlatTop) {
            EXPECT_NEAR(peakLevel(*a), 0.0, 0.05);  // 1000 Hz lies between bins
        }
        const auto levels = a->levels(1.0);
        // 1500 Hz is the centre of bin 256; the strong tone's leakage there must not bias it.
        EXPECT_NEAR(levels[256], -60.0, 0.05) << static_cast<int>(w);
        EXPECT_NEAR(1500.0 / bin, 256.0, 1e-12);
        // Between the tones the spectrum stays far below the weak tone.
        EXPECT_LT(levels[static_cast<size_t>(1250.0 / bin)], -85.0) << static_cast<int>(w);
    }
}

std::vector<double> whiteNoise(size_t n, double sigma, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> g(0.0, sigma);
    std::vector<double> x(n);
    for (double& v : x) v = g(rng);
    return x;
}

// White noise of variance s^2 has the one-sided density 2 s^2 / fs in every bin, whatever the window.
TEST(FftAnalysis, WhiteNoiseDensityIsTwoVarianceOverRate) {
    const double sigma = 0.1;
    const double expectedDb = 10.0 * std::log10(2.0 * sigma * sigma / kRate);
    const auto x = whiteNoise(static_cast<size_t>(kRate) * 10, sigma, 7);
    for (FftWindow w :
         {FftWindow::Rectangular, FftWindow::Hann, FftWindow::FlatTop, FftWindow::BlackmanHarris}) {
        FftParameters p = params(2048, w);
        p.scaling = SpectrumScaling::PowerDensity;
        auto a = AnalyzeSpectrum(x, kRate, p);
        ASSERT_TRUE(a.ok());
        double sum = 0.0;
        for (size_t k = 10; k < a->bins() - 10; ++k) sum += a->power()[k];
        const double meanDb = 10.0 * std::log10(sum / static_cast<double>(a->bins() - 20));
        EXPECT_NEAR(meanDb, expectedDb, 0.1) << static_cast<int>(w);
    }
}

// Pink noise built from a dense set of components of power proportional to 1/f falls 3 dB per octave.
TEST(FftAnalysis, PinkNoiseDensityFallsThreeDecibelsPerOctave) {
    const size_t length = static_cast<size_t>(kRate) * 4;
    const double spacing = 4.0;  // Hz between components, well inside one bin of 2048 points
    std::vector<double> x(length, 0.0);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> phase(0.0, 2.0 * std::numbers::pi);
    for (double f = 100.0; f < 6000.0; f += spacing) {
        // Each component turns a phasor by a fixed step per sample.
        const double w = 2.0 * std::numbers::pi * f / kRate, a = std::sqrt(2.0 / f);
        const std::complex<double> step = std::polar(1.0, w);
        std::complex<double> z = std::polar(a, phase(rng));
        for (size_t i = 0; i < length; ++i, z *= step) x[i] += z.imag();
    }
    FftParameters p = params(2048, FftWindow::Hann);
    p.scaling = SpectrumScaling::PowerDensity;
    auto a = AnalyzeSpectrum(x, kRate, p);
    ASSERT_TRUE(a.ok());
    const auto bandDensity = [&](double lo, double hi) {
        double sum = 0.0;
        int count = 0;
        for (size_t k = 0; k < a->bins(); ++k) {
            const double f = static_cast<double>(k) * a->binWidth();
            if (f >= lo && f < hi) sum += a->power()[k], ++count;
        }
        return 10.0 * std::log10(sum / count);
    };
    // Each component has power 1/f over a spacing of 4 Hz: density 1/(4 f).
    for (double f : {250.0, 500.0, 1000.0, 2000.0, 4000.0}) {
        EXPECT_NEAR(bandDensity(f * 0.9, f * 1.1), 10.0 * std::log10(1.0 / (spacing * f)), 0.15) << f;
    }
}

TEST(FftAnalysis, AveragingModesCombineFramesAsNamed) {
    const size_t n = 1024;
    const double bin = kRate / static_cast<double>(n);
    auto x = tone(20 * n, 64 * bin, 1.0);
    for (size_t i = 10 * n; i < x.size(); ++i) x[i] *= 2.0;  // second half 6 dB louder
    struct Case {
        SpectrumAveraging averaging;
        double expectedDb;
    } cases[] = {{SpectrumAveraging::Linear, 10.0 * std::log10(2.5)},  // mean of 1 and 4
                 {SpectrumAveraging::MaxHold, 10.0 * std::log10(4.0)},
                 // ten frames of 4 after ten of 1, newest weighing 1/8: 4 - 3 (7/8)^10
                 {SpectrumAveraging::Exponential, 10.0 * std::log10(4.0 - 3.0 * std::pow(7.0 / 8.0, 10))}};
    for (const Case& c : cases) {
        FftParameters p = params(n, FftWindow::Hann, 0.0);
        p.averaging = c.averaging;
        auto a = AnalyzeSpectrum(x, kRate, p);
        ASSERT_TRUE(a.ok());
        EXPECT_EQ(a->frames(), 20u);
        EXPECT_NEAR(a->levels(1.0)[64], c.expectedDb, 0.01) << static_cast<int>(c.averaging);
    }
}

TEST(FftAnalysis, FramesAreCountedAtTheHopWhateverTheBlocksPushed) {
    const size_t n = 256;
    const auto x = whiteNoise(n * 5 + 100, 1.0, 11);
    FftParameters p = params(n, FftWindow::Hann, 75.0);  // hop 64
    auto whole = FftAnalyzer::create(p, kRate);
    auto pieces = FftAnalyzer::create(p, kRate);
    ASSERT_TRUE(whole.ok() && pieces.ok());
    whole->push(x);
    for (size_t i = 0, step = 1; i < x.size(); i += step, step = step * 3 % 97 + 1)
        pieces->push(std::span(x).subspan(i, std::min(step, x.size() - i)));
    EXPECT_EQ(whole->frames(), (x.size() - n) / 64 + 1);
    EXPECT_EQ(pieces->frames(), whole->frames());
    for (size_t k = 0; k < whole->bins(); ++k) EXPECT_DOUBLE_EQ(pieces->power()[k], whole->power()[k]);
    whole->reset();
    EXPECT_EQ(whole->frames(), 0u);
    whole->push(std::span(x).first(n - 1));
    EXPECT_EQ(whole->frames(), 0u);
}

TEST(FftAnalysis, BadParametersAndSignalsAreRefusedWithAMessage) {
    const auto x = tone(4096, 1000.0, 1.0);
    std::vector<double> withNan = x;
    withNan[77] = std::nan("");
    const std::vector<double> silence(4096, 0.0);
    struct Case {
        const char* what;
        size_t size;
        double overlap;
        const std::vector<double>* signal;
        const char* message;
    } cases[] = {{"not a power of two", 1000, 50.0, &x, "power of two"},
                 {"below the smallest size", 128, 50.0, &x, "power of two"},
                 {"above the largest size", 131072, 50.0, &x, "power of two"},
                 {"overlap of 100 %", 1024, 100.0, &x, "overlap"},
                 {"overlap above 90 %", 1024, 90.5, &x, "overlap"},
                 {"negative overlap", 1024, -1.0, &x, "overlap"},
                 {"size above the signal", 8192, 50.0, &x, "larger than the signal"},
                 {"not a number", 1024, 50.0, &withNan, "Sample 78"},
                 {"silence", 1024, 50.0, &silence, "silent"}};
    for (const Case& c : cases) {
        auto a = AnalyzeSpectrum(*c.signal, kRate, params(c.size, FftWindow::Hann, c.overlap));
        ASSERT_FALSE(a.ok()) << c.what;
        EXPECT_NE(a.error().message.find(c.message), std::string::npos)
            << c.what << ": " << a.error().message;
    }
    EXPECT_TRUE(AnalyzeSpectrum(x, kRate, params(4096, FftWindow::Hann, 90.0)).ok());
    EXPECT_FALSE(FftAnalyzer::create(params(1024, FftWindow::Hann), 0.0).ok());
}

TEST(FftAnalysis, BinsWithoutPowerReadTheFloorNotMinusInfinity) {
    auto a = AnalyzeSpectrum(std::vector<double>(1024, 1.0), kRate, params(1024, FftWindow::Rectangular));
    ASSERT_TRUE(a.ok());
    const auto levels = a->levels(1.0);
    EXPECT_NEAR(levels[0], 0.0, 1e-9);  // a constant reads its value at 0 Hz
    for (size_t k = 1; k < levels.size(); ++k) ASSERT_TRUE(std::isfinite(levels[k])) << k;
    EXPECT_EQ(*std::min_element(levels.begin(), levels.end()), kSpectrumFloorDb);
}

}  // namespace
}  // namespace k470::acoustics
