// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/live_spectrum.h"

#include <cmath>

namespace k470::acoustics {

Status LiveSpectrum::Configure(const FftParameters& parameters, double sampleRate) {
    auto analyzer = FftAnalyzer::create(parameters, sampleRate);
    if (!analyzer) return analyzer.error();
    analyzer_.emplace(std::move(*analyzer));
    parameters_ = parameters;
    sampleRate_ = sampleRate;
    Reset();
    return {};
}

void LiveSpectrum::SelectChannel(size_t channel) {
    if (channel == channel_) return;
    channel_ = channel;
    Reset();
}

void LiveSpectrum::Reset() {
    if (analyzer_) analyzer_->reset();
    sinceUpdate_ = 0;
    averaged_ = 0;
    levels_.clear();
    peak_.reset();
}

bool LiveSpectrum::Feed(std::span<const double> frames, size_t channels) {
    if (!analyzer_ || channels == 0 || channel_ >= channels) return false;
    const size_t count = frames.size() / channels;
    samples_.resize(count);
    for (size_t i = 0; i < count; ++i) samples_[i] = frames[i * channels + channel_];
    analyzer_->push(samples_);
    sinceUpdate_ += count;
    // The first spectrum as soon as one block is in; then one per update period while blocks come in.
    const auto period = static_cast<size_t>(std::ceil(kUpdateSeconds * sampleRate_));
    const bool due = levels_.empty() || sinceUpdate_ >= period;
    if (!due || analyzer_->frames() == 0 || analyzer_->frames() == averaged_) return false;
    produce();
    return true;
}

std::string LiveSpectrum::csv() const {
    if (!analyzer_ || analyzer_->frames() == 0) return {};
    return SpectrumCsv(*analyzer_, reference_);
}

void LiveSpectrum::produce() {
    levels_ = analyzer_->levels(reference_);
    averaged_ = analyzer_->frames();
    sinceUpdate_ = 0;
    peak_.reset();
    // The search starts where the slope falling from 0 Hz ends: a DC offset leaks into the first bins
    // through the window, and that is no peak either.
    size_t from = 1;
    while (from < levels_.size() && levels_[from] < levels_[from - 1]) ++from;
    if (from == levels_.size()) from = 1;
    for (size_t k = from; k < levels_.size(); ++k)
        if (!peak_ || levels_[k] > peak_->levelDb)
            peak_ = SpectrumPeak{k, static_cast<double>(k) * analyzer_->binWidth(), levels_[k]};
}

}  // namespace k470::acoustics
