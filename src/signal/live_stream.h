// SPDX-License-Identifier: GPL-3.0-or-later
// The raw sample stream of the raw-signal instrument (device type 26): 4-byte frames carrying a signed 24-bit
// sample or a slow status value, decoded byte by byte, conditioned (scale, high-pass, calibration) and passed
// with the two latest status values through the processing chain.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "signal/processing_chain.h"

namespace k470 {

// Every frame of the stream is a marker byte and three data bytes.
constexpr size_t kStreamFrameBytes = 4;
// Frame markers of the stream (first byte of every frame).
constexpr uint8_t kSampleFrameMarker = 0xAA;
constexpr uint8_t kStatusFrameMarker = 0xBB;

// Coefficients of the second-order high-pass of the sample path.
struct HighPassCoefficients {
    double c0 = 1.0;
    double c1 = 0.0;
    double c2 = 0.0;
};

constexpr int kHighPassSteps = 14;  // 0 = off, 1..13 = 0.125 .. 512 Hz
constexpr int kSampleRateClasses = 6;

// Class 1..5 for exactly 3000, 12000, 24000, 48000 or 96000 Hz; 0 for any other rate (which uses the
// coefficients of 750 Hz).
int sampleRateClass(double sampleRate);
// The table entry for a class and step; step 0 and steps outside 1..13 give the pass-through (1, 0, 0).
HighPassCoefficients highPassCoefficients(int rateClass, int step);

// Status selectors of the stream: 0 and 1 set the two status values that go with every sample through the
// chain. A selector with bit 7 set, or any other, carries nothing for the PC.
constexpr uint8_t kStatusSelectorA = 0;
constexpr uint8_t kStatusSelectorB = 1;

// Frame decoder; its state (position in the frame, status values) lasts across reads and acquisitions.
class StreamDecoder {
  public:
    // Feeds bytes; calls onSample(s) for every complete sample frame, with s the signed 24-bit sample.
    template <class OnSample>
    void feed(std::span<const uint8_t> bytes, OnSample&& onSample) {
        for (uint8_t b : bytes) {
            if (position_ == 0) {
                if (b == kSampleFrameMarker || b == kStatusFrameMarker) {
                    sampleFrame_ = b == kSampleFrameMarker;
                    position_ = 1;
                }
                continue;
            }
            data_[position_ - 1] = b;
            if (++position_ < 4) continue;
            position_ = 0;
            if (sampleFrame_)
                onSample(sampleValue());
            else
                applyStatus();
        }
    }

    uint16_t statusA() const { return statusA_; }
    uint16_t statusB() const { return statusB_; }

  private:
    int32_t sampleValue() const {
        const uint32_t raw = data_[0] | (uint32_t{data_[1]} << 8) | (uint32_t{data_[2]} << 16);
        return static_cast<int32_t>(raw << 8) >> 8;  // sign from bit 23
    }
    void applyStatus() {
        const uint16_t value = static_cast<uint16_t>(data_[1] | (data_[2] << 8));
        switch (data_[0]) {
            case kStatusSelectorA:
                statusA_ = value;
                break;
            case kStatusSelectorB:
                statusB_ = value;
                break;
            default:
                break;
        }
    }

    int position_ = 0;  // 0 = waiting for a marker, 1..3 = data bytes received
    bool sampleFrame_ = false;
    std::array<uint8_t, 3> data_{};
    uint16_t statusA_ = 0;
    uint16_t statusB_ = 0;
};

// The live stream path: decoder, high-pass state and the chain input. The caller holds the signal lock, has
// renewed the channel set-up and called setChannels on the chain for this tick.
class LiveSignalStream {
  public:
    // Decodes the bytes of one read and passes every sample through the chain in live mode. Returns the
    // number of samples processed.
    size_t Process(std::span<const uint8_t> bytes, const SignalState& state, ProcessingChain& chain);
    // Called after every sample has passed the chain (under the signal lock), so that a view can keep the
    // processed values.
    void setSampleObserver(std::function<void(const ProcessingChain&)> observer) {
        observer_ = std::move(observer);
    }
    // Clears the high-pass state (x[n-1], x[n-2], y[n-1], y[n-2]).
    void resetHighPass() { x1_ = x2_ = y1_ = y2_ = 0.0; }
    const StreamDecoder& decoder() const { return decoder_; }
    StreamDecoder& decoder() { return decoder_; }
    // The buffer of one stream read, allocated once.
    std::vector<uint8_t>& readBuffer() { return readBuffer_; }

  private:
    StreamDecoder decoder_;
    std::vector<uint8_t> readBuffer_ = std::vector<uint8_t>(32768);
    double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
    std::function<void(const ProcessingChain&)> observer_;
};

// The device side of stream mode: how many bytes are queued, and a read of up to n bytes (returns the number
// read; less than asked only when no more were there).
class StreamByteSource {
  public:
    virtual ~StreamByteSource() = default;
    virtual size_t queued() = 0;
    virtual size_t read(uint8_t* buffer, size_t n) = 0;
};

// Largest read of one stream tick and the most reads per tick: a tick takes at most 640 KB (some 3 s of the
// stream), so that a backlog after a stall cannot hold the window for long; the rest waits for the next tick.
constexpr size_t kStreamReadBytes = 32768;
constexpr int kStreamReadsPerTick = 20;

struct StreamTickResult {
    bool data = false;  // something was queued: the views get "new data"
    size_t bytes = 0;
    size_t samples = 0;
};

// One acquisition tick in stream mode: nothing when no byte is queued; otherwise renews the channel set-up
// (renewSetup), takes the chain's channel settings, and reads pieces of at most 32768 bytes, each decoded
// and processed under the signal lock, until nothing is queued any more or 20 pieces were read. A short
// piece does not end the tick: the device hands over what it holds in small portions while more arrives.
StreamTickResult ReadStream(StreamByteSource& source, LiveSignalStream& stream, SignalState& state,
                            const FilterLibrary& library, ProcessingChain& chain, std::mutex& signalLock,
                            const std::function<void(SignalState&)>& renewSetup);

}  // namespace k470
