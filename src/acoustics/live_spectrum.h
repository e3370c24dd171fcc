// SPDX-License-Identifier: GPL-3.0-or-later
// The averaged spectrum of one channel of a flowing signal: frames of several channels arrive in pieces of
// any size, the chosen channel's samples go through an FftAnalyzer, and a new spectrum (levels in dB re the
// channel's reference, with its highest bin) is produced every so often rather than after every frame, so
// that a display keeps up with a fast stream.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/fft_analysis.h"
#include "base/result.h"

namespace k470::acoustics {

struct SpectrumPeak {
    size_t bin = 0;
    double frequencyHz = 0.0;
    double levelDb = 0.0;
};

class LiveSpectrum {
  public:
    // How often a new spectrum is produced, in seconds of signal: four times a second of replay is as fast
    // as the eye follows a spectrum, and few enough transforms of the largest size.
    static constexpr double kUpdateSeconds = 0.25;

    // New parameters or a new sampling rate: the average starts again. Fails (and keeps the previous set-up)
    // on parameters FftAnalyzer refuses.
    Status Configure(const FftParameters& parameters, double sampleRate);
    // The channel (from 0) of the frames that is analysed; another channel starts the average again.
    void SelectChannel(size_t channel);
    // The 0 dB reference of the levels; applies from the next spectrum.
    void SetReference(double referenceValue) { reference_ = referenceValue; }
    // Forgets the average, the partial frame and the spectrum shown.
    void Reset();

    // Frames of `channels` values each. True when a new spectrum is ready.
    bool Feed(std::span<const double> frames, size_t channels);

    bool configured() const { return analyzer_.has_value(); }
    size_t channel() const { return channel_; }
    const FftParameters& parameters() const { return parameters_; }
    double sampleRate() const { return sampleRate_; }
    double binWidth() const { return analyzer_ ? analyzer_->binWidth() : 0.0; }
    // The frames (FFT blocks) in the average of the spectrum shown.
    size_t averaged() const { return averaged_; }
    // The last spectrum produced: one level per bin from 0 Hz; empty before the first.
    const std::vector<double>& levels() const { return levels_; }
    // Its highest bin above 0 Hz and beyond the slope that falls from 0 Hz (a DC offset and its leakage
    // through the window are no peak); none before the first spectrum.
    std::optional<SpectrumPeak> peak() const { return peak_; }
    // The average of every block fed so far as the fft command prints it; empty before the first block.
    std::string csv() const;

  private:
    void produce();

    FftParameters parameters_;
    double sampleRate_ = 0.0;
    std::optional<FftAnalyzer> analyzer_;
    size_t channel_ = 0;
    double reference_ = 1.0;
    std::vector<double> samples_;  // the chosen channel of one piece of frames
    size_t sinceUpdate_ = 0;       // samples fed since the last spectrum
    size_t averaged_ = 0;
    std::vector<double> levels_;
    std::optional<SpectrumPeak> peak_;
};

}  // namespace k470::acoustics
