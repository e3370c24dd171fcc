// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/live_stream.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace k470 {

namespace {

// The rate of each class; class 0 stands for any other rate and uses 750 Hz.
constexpr double kClassRates[kSampleRateClasses] = {750.0, 3000.0, 12000.0, 24000.0, 48000.0, 96000.0};

using HighPassTable = std::array<std::array<HighPassCoefficients, kHighPassSteps>, kSampleRateClasses>;

// Second-order Butterworth high-pass by the bilinear rule without pre-warping: K = pi * fc / fs,
// D0 = 1 + sqrt(2) K + K^2, c0 = 1 / D0, c1 = 2 (1 - K^2) / D0, c2 = (1 - sqrt(2) K + K^2) / D0.
HighPassTable makeTable() {
    HighPassTable t{};
    for (int c = 0; c < kSampleRateClasses; ++c) {
        for (int step = 1; step < kHighPassSteps; ++step) {
            const double fc = 0.125 * std::ldexp(1.0, step - 1);
            const double k = std::numbers::pi * fc / kClassRates[c];
            const double d0 = 1.0 + std::numbers::sqrt2 * k + k * k;
            t[c][step] = {1.0 / d0, 2.0 * (1.0 - k * k) / d0, (1.0 - std::numbers::sqrt2 * k + k * k) / d0};
        }
    }
    return t;
}

const HighPassTable& table() {
    static const HighPassTable t = makeTable();
    return t;
}

}  // namespace

int sampleRateClass(double fs) {
    for (int c = 1; c < kSampleRateClasses; ++c)
        if (fs == kClassRates[c]) return c;
    return 0;
}

HighPassCoefficients highPassCoefficients(int rateClass, int step) {
    if (rateClass < 0 || rateClass >= kSampleRateClasses || step < 1 || step >= kHighPassSteps) return {};
    return table()[static_cast<size_t>(rateClass)][static_cast<size_t>(step)];
}

size_t LiveSignalStream::Process(std::span<const uint8_t> bytes, const SignalState& state,
                                 ProcessingChain& chain) {
    const bool highPass = state.highPassStep >= 1 && state.highPassStep < kHighPassSteps;
    const HighPassCoefficients h =
        highPassCoefficients(sampleRateClass(state.sampleRate), state.highPassStep);
    const double scale = state.sampleScale;
    const double calibration = state.channels[0].calibrationFactor;
    size_t samples = 0;
    decoder_.feed(bytes, [&](int32_t s) {
        const double x = s * scale;
        double y = x;
        if (highPass) {
            y = h.c0 * (x - 2.0 * x1_ + x2_) + h.c1 * y1_ - h.c2 * y2_;
            x2_ = x1_;
            x1_ = x;
            y2_ = y1_;
            y1_ = y;
        } else {
            y1_ = x;
        }
        chain.ProcessSample({y * calibration, static_cast<double>(decoder_.statusA()),
                             static_cast<double>(decoder_.statusB())},
                            ChainMode::RingsOnly);
        if (observer_) observer_(chain);
        ++samples;
    });
    return samples;
}

StreamTickResult ReadStream(StreamByteSource& source, LiveSignalStream& stream, SignalState& state,
                            const FilterLibrary& library, ProcessingChain& chain, std::mutex& signalLock,
                            const std::function<void(SignalState&)>& renewSetup) {
    StreamTickResult result;
    if (source.queued() == 0) return result;
    result.data = true;
    {
        std::lock_guard<std::mutex> guard(signalLock);
        if (renewSetup) renewSetup(state);
        chain.setChannels(state, library);
    }
    std::vector<uint8_t>& buffer = stream.readBuffer();
    buffer.resize(kStreamReadBytes);
    for (int i = 0; i < kStreamReadsPerTick; ++i) {
        const size_t want = std::min(source.queued(), kStreamReadBytes);
        const size_t got = want == 0 ? 0 : source.read(buffer.data(), want);
        if (got == 0) break;
        {
            std::lock_guard<std::mutex> guard(signalLock);
            result.samples += stream.Process(std::span<const uint8_t>(buffer.data(), got), state, chain);
        }
        result.bytes += got;
    }
    return result;
}

}  // namespace k470
