// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum of a flowing signal: three-channel frames in small pieces, as the analysis pages get them.
#include "acoustics/live_spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace k470::acoustics {
namespace {

constexpr double kRate = 48000.0;
constexpr size_t kChannels = 3;
constexpr double kReference = 2e-5;

// Frames of three channels: channel 0 a loud 3 kHz tone, channel 1 the tone under test, channel 2 a DC
// offset of 1 with a quiet 500 Hz tone on top.
std::vector<double> frames(double toneHz, double toneAmplitude, double seconds) {
    const auto n = static_cast<size_t>(std::llround(seconds * kRate));
    std::vector<double> f;
    f.reserve(n * kChannels);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        f.push_back(2.0 * std::sin(2 * std::numbers::pi * 3000.0 * t));
        f.push_back(toneAmplitude * std::sin(2 * std::numbers::pi * toneHz * t));
        f.push_back(1.0 + 0.01 * std::sin(2 * std::numbers::pi * 500.0 * t));
    }
    return f;
}

// Feeds in pieces of 10 ms (one tick of the replay's pace); returns how many spectra came out.
int feedInPieces(LiveSpectrum& s, const std::vector<double>& f) {
    constexpr size_t kPiece = 480 * kChannels;
    int spectra = 0;
    for (size_t at = 0; at < f.size(); at += kPiece) {
        const size_t n = std::min(kPiece, f.size() - at);
        if (s.Feed(std::span<const double>(f).subspan(at, n), kChannels)) ++spectra;
    }
    return spectra;
}

TEST(LiveSpectrumTest, ToneBetweenBinsReadsItsLevelAndFrequencyWithFlatTop) {
    FftParameters p;
    p.size = 8192;
    p.window = FftWindow::FlatTop;
    LiveSpectrum s;
    ASSERT_TRUE(s.Configure(p, kRate));
    s.SelectChannel(1);
    s.SetReference(kReference);
    const double binWidth = kRate / 8192.0;
    for (double bins : {100.5, 417.25, 1000.0}) {
        s.Reset();
        const double f = bins * binWidth;
        const double amplitude = 0.2;  // 0.1414 Pa rms: 76.99 dB re 20 uPa
        ASSERT_GT(feedInPieces(s, frames(f, amplitude, 1.0)), 0) << bins;
        const auto peak = s.peak();
        ASSERT_TRUE(peak) << bins;
        const double expected = 20.0 * std::log10(amplitude / std::numbers::sqrt2 / kReference);
        // A flat-top window reads a tone anywhere between bins within a few hundredths of a dB.
        EXPECT_NEAR(peak->levelDb, expected, 0.1) << bins;
        EXPECT_LE(std::fabs(peak->frequencyHz - f), binWidth / 2 + 1e-9) << bins;
        EXPECT_DOUBLE_EQ(s.levels()[peak->bin], peak->levelDb);
        EXPECT_DOUBLE_EQ(peak->frequencyHz, static_cast<double>(peak->bin) * s.binWidth());
    }
}

TEST(LiveSpectrumTest, SpectraComeEveryQuarterSecondAndAverageTheBlocks) {
    FftParameters p;
    p.size = 4096;
    p.overlapPercent = 50.0;
    LiveSpectrum s;
    ASSERT_TRUE(s.Configure(p, kRate));
    EXPECT_TRUE(s.levels().empty());
    EXPECT_FALSE(s.peak());
    // 2 s in 10 ms pieces: the first spectrum with the first block, then one each 0.25 s.
    const int spectra = feedInPieces(s, frames(1000.0, 1.0, 2.0));
    EXPECT_GE(spectra, 7);
    EXPECT_LE(spectra, 9);
    // Blocks every 2048 samples: about 2 s * 48000 / 2048 = 46 of them, all in the average.
    EXPECT_GE(s.averaged(), 40u);
    EXPECT_EQ(s.levels().size(), 4096u / 2 + 1);
    // Less than one block produces nothing after a reset.
    s.Reset();
    EXPECT_EQ(feedInPieces(s, frames(1000.0, 1.0, 0.05)), 0);
    EXPECT_TRUE(s.levels().empty());
}

TEST(LiveSpectrumTest, ChannelChoiceRestartsAndDcIsNoPeak) {
    FftParameters p;
    p.size = 2048;
    LiveSpectrum s;
    ASSERT_TRUE(s.Configure(p, kRate));
    feedInPieces(s, frames(1000.0, 1.0, 0.5));
    ASSERT_TRUE(s.peak());
    EXPECT_NEAR(s.peak()->frequencyHz, 3000.0, s.binWidth());  // channel 0 by default
    s.SelectChannel(2);
    EXPECT_TRUE(s.levels().empty());
    feedInPieces(s, frames(1000.0, 1.0, 0.5));
    ASSERT_TRUE(s.peak());
    // The offset of 1 is far above the 500 Hz tone, yet the peak is the tone.
    EXPECT_GT(s.levels()[0], s.peak()->levelDb);
    EXPECT_NEAR(s.peak()->frequencyHz, 500.0, s.binWidth());
    // A channel the frames do not have gives nothing.
    s.SelectChannel(5);
    EXPECT_FALSE(s.Feed(frames(1000.0, 1.0, 0.5), kChannels));
}

TEST(LiveSpectrumTest, RefusedParametersKeepTheSetUp) {
    LiveSpectrum s;
    EXPECT_FALSE(s.Feed(frames(1000.0, 1.0, 0.1), kChannels));  // not configured yet
    FftParameters p;
    p.size = 1024;
    ASSERT_TRUE(s.Configure(p, kRate));
    for (size_t size : {size_t{1000}, size_t{128}, size_t{131072}}) {
        FftParameters bad = p;
        bad.size = size;
        EXPECT_FALSE(s.Configure(bad, kRate)) << size;
    }
    FftParameters overlap = p;
    overlap.overlapPercent = 95.0;
    EXPECT_FALSE(s.Configure(overlap, kRate));
    EXPECT_FALSE(s.Configure(p, 0.0));
    EXPECT_EQ(s.parameters().size, 1024u);
    EXPECT_DOUBLE_EQ(s.sampleRate(), kRate);
    EXPECT_TRUE(s.Feed(frames(1000.0, 1.0, 0.1), kChannels));
}

}  // namespace
}  // namespace k470::acoustics
