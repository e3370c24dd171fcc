// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/replay_controller.h"

#include <gtest/gtest.h>

#include <cmath>

#include "signal_file_image.h"

namespace k470 {
namespace {

using test::SignalFileImage;
using test::TempDir;

struct RecordingSink : ReplaySink {
    std::vector<std::array<double, 3>> frames;
    std::vector<ReplayEvent> events;
    int ticks = 0, resets = 0;
    void BeginTick() override { ++ticks; }
    void Frames(std::span<const std::array<double, 3>> f) override {
        frames.insert(frames.end(), f.begin(), f.end());
    }
    void ResetHistories() override { ++resets; }
    void Post(ReplayEvent e) override { events.push_back(e); }
};

struct ReplayFile {
    TempDir dir;
    std::string path;
    ReplayFile(double rate, uint32_t frames) {
        SignalFileImage img(rate, 0b011);
        std::vector<double> v;
        for (uint32_t i = 0; i < frames; ++i) {
            v.push_back(i);
            v.push_back(-1.0 * i);
        }
        img.addRecord(v, frames, {{300, u"mark A"}, {100, u"mark B"}});
        img.addRecord({1, 2}, 1, {}, false);
        path = img.save(dir, "replay.sdt");
    }
};

TEST(ReplayController, PacesFramesByTheClockAndTheSpeedFactor) {
    ReplayFile f(24000.0, 20000);
    ManualClock clock(1000);
    ReplayController r(clock);
    RecordingSink sink;
    ASSERT_TRUE(r.Open(f.path, sink));
    EXPECT_EQ(r.state(), ReplayState::Replaying);
    EXPECT_EQ(r.counterText(), "1/2");
    EXPECT_EQ(sink.events, std::vector<ReplayEvent>{ReplayEvent::RecordChanged});
    EXPECT_EQ(r.Tick(sink), 0u);  // no time has passed
    r.setSpeedFactor(10);
    clock.advance(30);
    EXPECT_EQ(r.Tick(sink), 7200u);
    ASSERT_EQ(sink.frames.size(), 7200u);
    EXPECT_EQ(sink.frames[7199], (std::array<double, 3>{7199, -7199, 0}));
    EXPECT_EQ(r.lastTick(), 1030u);
    EXPECT_EQ(sink.events.back(), ReplayEvent::NewData);
    // The rest of the record, then the end: stopped.
    clock.advance(1000);
    EXPECT_EQ(r.Tick(sink), 20000u - 7200u);
    EXPECT_EQ(r.Tick(sink), 0u);
    EXPECT_EQ(r.state(), ReplayState::Stopped);
    EXPECT_EQ(r.Tick(sink), 0u);
}

// A stall of two seconds is not owed as frames: one tick delivers at most a quarter second, and the pace
// goes on from the stall's end.
TEST(ReplayController, AStalledMachineDoesNotOweTheFramesOfTheStall) {
    ReplayFile f(24000.0, 200000);
    ManualClock clock(1000);
    ReplayController r(clock);
    RecordingSink sink;
    ASSERT_TRUE(r.Open(f.path, sink));
    clock.advance(2000);
    EXPECT_EQ(r.Tick(sink), 6000u);
    EXPECT_EQ(r.lastTick(), 3000u);
    clock.advance(30);
    EXPECT_EQ(r.Tick(sink), 720u);
}

TEST(ReplayController, FractionsOfAFrameCarryOverToTheNextTick) {
    ReplayFile f(300.0, 1000);       // 0.3 frames per millisecond
    ManualClock clock(0xFFFFFFF0u);  // near the wrap of the tick counter
    ReplayController r(clock);
    RecordingSink sink;
    ASSERT_TRUE(r.Open(f.path, sink));
    clock.advance(1);  // 0.3 frames: nothing, and the time is not lost
    EXPECT_EQ(r.Tick(sink), 0u);
    EXPECT_EQ(r.lastTick(), 0xFFFFFFF0u);
    clock.advance(1);  // 0.6 frames: one frame, worth 3 ms, so lastTick runs ahead of the clock
    EXPECT_EQ(r.Tick(sink), 1u);
    EXPECT_EQ(r.lastTick(), 0xFFFFFFF3u);
    clock.advance(1);  // the clock is behind lastTick: nothing
    EXPECT_EQ(r.Tick(sink), 0u);
    uint32_t total = 1;
    for (int i = 0; i < 100; ++i) {  // across the wrap of the counter
        clock.advance(30);
        total += r.Tick(sink);
    }
    EXPECT_NEAR(total, 3003 * 0.3, 1.0);
}

TEST(ReplayController, PlayPauseRangeAndRecordChanges) {
    ReplayFile f(1000.0, 1000);
    ManualClock clock;
    ReplayController r(clock);
    RecordingSink sink;
    ASSERT_TRUE(r.Open(f.path, sink));
    // Range by markers: the boundary first, then the markers of the record.
    const std::vector<ReplayMark> starts = r.startChoices();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_TRUE(starts[0].boundary);
    EXPECT_EQ(starts[1].name, u"mark A");
    EXPECT_EQ(r.endChoices()[0].frame, 1000u);
    r.setReplayStart(starts[2].frame);
    r.setReplayEnd(starts[1].frame);
    r.Play(sink);
    EXPECT_EQ(sink.resets, 1);
    EXPECT_EQ(sink.events.back(), ReplayEvent::ReplayStarted);
    EXPECT_EQ(r.position(), 100u);
    clock.advance(150);
    EXPECT_EQ(r.Tick(sink), 150u);
    EXPECT_EQ(sink.frames.front()[0], 100.0);
    // Paused: nothing, and resuming owes nothing for the pause.
    r.Pause();
    clock.advance(1000);
    EXPECT_EQ(r.Tick(sink), 0u);
    r.Pause();
    clock.advance(10);
    EXPECT_EQ(r.Tick(sink), 10u);
    clock.advance(1000);
    EXPECT_EQ(r.Tick(sink), 40u);  // up to the end of the range
    EXPECT_EQ(r.position(), 300u);

    // An end before the start ends at once.
    r.setReplayStart(500);
    r.setReplayEnd(400);
    r.Play(sink);
    clock.advance(30);
    EXPECT_EQ(r.Tick(sink), 0u);
    EXPECT_EQ(r.state(), ReplayState::Stopped);

    // Spin control: negative = next record; at the last record nothing changes.
    EXPECT_FALSE(r.StepRecord(1, sink));
    EXPECT_TRUE(r.StepRecord(-1, sink));
    EXPECT_EQ(r.currentRecord(), 1);
    EXPECT_EQ(r.recordLength(), 1u);
    EXPECT_EQ(r.replayEnd(), 1u);
    EXPECT_EQ(r.state(), ReplayState::Stopped);
    EXPECT_FALSE(r.StepRecord(-1, sink));
    EXPECT_EQ(r.startChoices().size(), 1u);  // no marker table
    EXPECT_FALSE(r.SelectRecord(3, sink));
    EXPECT_FALSE(r.SelectRecord(0, sink));
    EXPECT_TRUE(r.SelectRecord(1, sink));
    EXPECT_EQ(r.counterText(), "1/2");
    EXPECT_EQ(sink.events.back(), ReplayEvent::RecordChanged);
}

TEST(ReplayController, AccumulationRequestAndChainSink) {
    ReplayFile f(1000.0, 1000);
    ManualClock clock;
    ReplayController r(clock);
    SignalState state;
    FilterLibrary lib;
    ProcessingChain chain;
    std::mutex lock;
    ChainReplaySink sink(state, lib, chain, lock, {});
    ASSERT_TRUE(r.Open(f.path, sink));
    sink.setFile(&r.file()->header());
    r.requestAccumulation(50);
    clock.advance(30);
    EXPECT_EQ(r.Tick(sink), 30u);
    EXPECT_EQ(chain.outputRing(0)[chain.newestIndex(0)], 29.0);
    EXPECT_EQ(chain.outputRing(1)[chain.newestIndex(1)], -29.0);
    EXPECT_EQ(state.channels[1].units, "m/c^2");  // from the file's header

    RecordingSink rec;
    clock.advance(30);
    r.Tick(rec);
    EXPECT_EQ(rec.events, (std::vector<ReplayEvent>{ReplayEvent::AccumulationReached, ReplayEvent::NewData}));
}

TEST(ReplayController, FilesThatCannotBeReplayed) {
    TempDir dir;
    ManualClock clock;
    ReplayController r(clock);
    RecordingSink sink;
    EXPECT_FALSE(r.Open(dir.file("missing.sdt"), sink));
    SignalFileImage empty(1000.0, 1);
    EXPECT_FALSE(r.Open(empty.save(dir, "empty.sdt"), sink));
    SignalFileImage noRate(0.0, 1);
    noRate.addRecord({1}, 1);
    EXPECT_FALSE(r.Open(noRate.save(dir, "norate.sdt"), sink));
    // A rate no instrument has (one tick would owe billions of frames), and a mask without a present
    // channel (any frame count passes a size check of zero bytes per frame).
    SignalFileImage hugeRate(1e12, 1);
    hugeRate.addRecord({1}, 1);
    EXPECT_FALSE(r.Open(hugeRate.save(dir, "hugerate.sdt"), sink));
    SignalFileImage noChannel(24000.0, 0b1000);
    noChannel.addRecord({}, 0);
    EXPECT_FALSE(r.Open(noChannel.save(dir, "nochannel.sdt"), sink));
    EXPECT_EQ(r.state(), ReplayState::NoFile);
}

// A sample no analysis would take stops the replay there, with the reason, as the analyses refuse the file;
// the frames before it are replayed.
TEST(ReplayController, StopsAtASampleOutOfRangeAndSaysWhy) {
    struct Case {
        double bad;
        const char* problem;
    } cases[] = {
        {std::nan(""), "Sample 5001 of record 1 is not a finite number"},
        {-1e300, "Sample 5001 of record 1 lies more than 300 dB above the 0 dB reference"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        TempDir dir;
        SignalFileImage img(24000.0, 0b011);
        std::vector<double> v(2 * 8000, 0.5);
        v[2 * 5000 + 1] = c.bad;
        img.addRecord(v, 8000, {});
        ManualClock clock(1000);
        ReplayController r(clock);
        RecordingSink sink;
        ASSERT_TRUE(r.Open(img.save(dir, "bad.sdt"), sink));
        clock.advance(1000);
        EXPECT_EQ(r.Tick(sink), 5000u);
        EXPECT_EQ(sink.frames.size(), 5000u);
        EXPECT_EQ(r.state(), ReplayState::Stopped);
        ASSERT_TRUE(r.problem());
        EXPECT_EQ(r.problem()->message, c.problem);
    }
}

}  // namespace
}  // namespace k470
