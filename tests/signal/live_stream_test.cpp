// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/live_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace k470 {
namespace {

std::vector<int32_t> samplesOf(StreamDecoder& d, const std::vector<uint8_t>& bytes) {
    std::vector<int32_t> out;
    d.feed(bytes, [&](int32_t s) { out.push_back(s); });
    return out;
}

TEST(StreamDecoder, SampleFramesAreSigned24BitLittleEndian) {
    StreamDecoder d;
    EXPECT_EQ(samplesOf(d, {0xAA, 0x00, 0x00, 0x80, 0xAA, 0xFF, 0xFF, 0x7F, 0xAA, 0xFF, 0xFF, 0xFF, 0xAA,
                            0x01, 0x02, 0x03}),
              (std::vector<int32_t>{-8388608, 8388607, -1, 0x030201}));
}

TEST(StreamDecoder, StatusFramesSetTheirValueOnlyForSelectorsZeroAndOne) {
    StreamDecoder d;
    EXPECT_TRUE(samplesOf(d, {0xBB, 0x01, 0x34, 0x12, 0xBB, 0x00, 0xCD, 0xAB}).empty());
    EXPECT_EQ(d.statusB(), 0x1234);
    EXPECT_EQ(d.statusA(), 0xABCD);
    samplesOf(d, {0xBB, 0x81, 0x00, 0x00, 0xBB, 0x80, 0x00, 0x00, 0xBB, 0x02, 0x11, 0x11});
    EXPECT_EQ(d.statusB(), 0x1234);
    EXPECT_EQ(d.statusA(), 0xABCD);
}

TEST(StreamDecoder, StrayBytesAndSplitReads) {
    StreamDecoder d;
    // A stray byte between frames is skipped without losing the next frame.
    EXPECT_EQ(samplesOf(d, {0xAA, 1, 0, 0, 0x17, 0xAA, 2, 0, 0}), (std::vector<int32_t>{1, 2}));
    // A frame split over reads completes in the next one; data bytes may equal the markers.
    EXPECT_TRUE(samplesOf(d, {0xAA, 0xAA}).empty());
    EXPECT_EQ(samplesOf(d, {0xBB, 0x00, 0x00}), (std::vector<int32_t>{0xBBAA}));
}

TEST(HighPassTable, WorkedExamples) {
    struct Case {
        int rateClass;
        int step;
        HighPassCoefficients c;
    };
    const Case cases[] = {
        {1, 1, {0.999814897, 1.999629760, 0.999629828}},
        {4, 13, {0.953730988, 1.905320007, 0.909603944}},
        {0, 12, {0.272747384, -0.081765442, 0.172754978}},
    };
    for (const Case& c : cases) {
        const HighPassCoefficients h = highPassCoefficients(c.rateClass, c.step);
        EXPECT_NEAR(h.c0, c.c.c0, 5e-9);
        EXPECT_NEAR(h.c1, c.c.c1, 5e-9);
        EXPECT_NEAR(h.c2, c.c.c2, 5e-9);
    }
    for (int cls = 0; cls < kSampleRateClasses; ++cls) {
        const HighPassCoefficients off = highPassCoefficients(cls, 0);
        EXPECT_EQ(off.c0, 1.0);
        EXPECT_EQ(off.c1, 0.0);
        EXPECT_EQ(off.c2, 0.0);
    }
}

TEST(HighPassTable, RateClasses) {
    EXPECT_EQ(sampleRateClass(3000), 1);
    EXPECT_EQ(sampleRateClass(12000), 2);
    EXPECT_EQ(sampleRateClass(24000), 3);
    EXPECT_EQ(sampleRateClass(48000), 4);
    EXPECT_EQ(sampleRateClass(96000), 5);
    EXPECT_EQ(sampleRateClass(44100), 0);
    EXPECT_EQ(sampleRateClass(48000.5), 0);
}

// Feeds sample frames of a constant through the live path and reads the newest chain output.
TEST(LiveSignalStream, ScalesFiltersAndCalibratesTheSamples) {
    SignalState state;
    state.sampleRate = 48000;
    state.sampleScale = 0.5;
    state.channels[0].calibrationFactor = 2.0;
    state.channels[1].matrixRow = {0, 1, 0};
    state.channels[2].matrixRow = {0, 0, 1};
    state.highPassStep = 0;
    FilterLibrary library;
    ProcessingChain chain;
    chain.sizeRings({nullptr, nullptr, nullptr});
    chain.setChannels(state, library);
    LiveSignalStream stream;
    EXPECT_EQ(stream.Process(std::vector<uint8_t>{0xBB, 0x00, 7, 0, 0xAA, 100, 0, 0, 0xBB, 0x01, 9, 0}, state,
                             chain),
              1u);
    EXPECT_EQ(chain.outputRing(0)[chain.newestIndex(0)], 100 * 0.5 * 2.0);
    EXPECT_EQ(chain.outputRing(1)[chain.newestIndex(1)], 7.0);  // status A at the time of the sample
    EXPECT_EQ(chain.outputRing(2)[chain.newestIndex(2)], 0.0);

    // With the high-pass on, a constant input decays towards 0 (the corner of 512 Hz settles quickly).
    state.highPassStep = 13;
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 2000; ++i) bytes.insert(bytes.end(), {0xAA, 100, 0, 0});
    stream.Process(bytes, state, chain);
    EXPECT_NEAR(chain.outputRing(0)[chain.newestIndex(0)], 0.0, 1e-6);
}

}  // namespace
}  // namespace k470

namespace k470 {
namespace {

// A device with a fixed amount of queued stream bytes: sample frames of the value 1.
struct QueuedBytes : StreamByteSource {
    size_t left;
    std::vector<size_t> reads;
    explicit QueuedBytes(size_t n) : left(n) {}
    size_t queued() override { return left; }
    size_t read(uint8_t* buffer, size_t n) override {
        for (size_t i = 0; i < n; ++i) buffer[i] = (sent + i) % 4 == 0 ? 0xAA : (sent + i) % 4 == 1 ? 1 : 0;
        sent += n;
        left -= n;
        reads.push_back(n);
        return n;
    }
    size_t sent = 0;
};

TEST(ReadStream, ReadsUpToTwentyFullPiecesPerTick) {
    SignalState state;
    FilterLibrary lib;
    ProcessingChain chain;
    LiveSignalStream stream;
    std::mutex lock;
    int renewals = 0;
    const auto renew = [&](SignalState&) { ++renewals; };

    QueuedBytes none(0);
    EXPECT_FALSE(ReadStream(none, stream, state, lib, chain, lock, renew).data);
    EXPECT_EQ(renewals, 0);

    QueuedBytes some(3 * kStreamReadBytes + 100);
    StreamTickResult r = ReadStream(some, stream, state, lib, chain, lock, renew);
    EXPECT_TRUE(r.data);
    EXPECT_EQ(renewals, 1);
    EXPECT_EQ(some.reads, (std::vector<size_t>{kStreamReadBytes, kStreamReadBytes, kStreamReadBytes, 100}));
    EXPECT_EQ(r.samples, r.bytes / 4);

    QueuedBytes flood(30 * kStreamReadBytes);
    r = ReadStream(flood, stream, state, lib, chain, lock, renew);
    EXPECT_EQ(flood.reads.size(), 20u);
    EXPECT_EQ(r.bytes, 20 * kStreamReadBytes);
}

// A terminal shows at most its line buffer (4 KB) as queued, and refills it from the driver while it is
// read: a tick that stopped at the first short read would take 4 KB per 30 ms, 137 kB/s, less than the
// instrument's 195 kB/s. The tick goes on until nothing is queued, also when a frame is split between
// portions, and stops at its cap when the device keeps refilling.
struct TerminalBytes : QueuedBytes {
    size_t shown;
    TerminalBytes(size_t total, size_t portion) : QueuedBytes(total), shown(portion) {}
    size_t queued() override { return std::min(left, shown); }
};

TEST(ReadStream, DrainsADeviceThatShowsItsBytesInSmallPortions) {
    SignalState state;
    FilterLibrary lib;
    ProcessingChain chain;
    std::mutex lock;
    struct Case {
        size_t total, portion, reads, bytes;
    };
    const Case cases[] = {
        {6000, 4095, 2, 6000},                  // one tick's worth (30 ms), frames split between portions
        {3 * 4096 + 4, 4096, 4, 3 * 4096 + 4},  // a last portion of one frame
        {30 * 4096, 4096, 20, 20 * 4096},       // a backlog: the tick's cap, the rest for the next tick
    };
    for (const Case& c : cases) {
        LiveSignalStream stream;
        TerminalBytes device(c.total, c.portion);
        const StreamTickResult r = ReadStream(device, stream, state, lib, chain, lock, {});
        EXPECT_EQ(r.bytes, c.bytes) << c.total;
        EXPECT_EQ(r.samples, c.bytes / 4) << c.total;
        EXPECT_EQ(device.reads.size(), c.reads) << c.total;
    }
}

}  // namespace
}  // namespace k470
