// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder of the live signal: what it writes (read back byte by byte), when the directory on disk
// catches up, markers beyond the 15 slots of a record, the frames it takes from the chain, and failures that
// must keep what was written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "base/lexicon.h"
#include "data/dos_date_time.h"
#include "signal/signal_recorder.h"
#include "signal_file_reader.h"
#include "support/file_size_cap.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

SdtHeader header(uint16_t mask, double rate = 48000.0) {
    SdtHeader h;
    h.sampleRate = rate;
    h.channelMask = mask;
    h.processor = u"Hall";
    h.units = {u"Pa", u"m/c^2", u"mV"};
    h.referenceValue = {2e-5, 1e-6, 1e-3};
    return h;
}

std::vector<double> ramp(size_t n, double from) {
    std::vector<double> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = from + static_cast<double>(i);
    return v;
}

class RecorderTest : public ::testing::Test {
  protected:
    SignalRecorder make() {
        return SignalRecorder({clock, [this] { return CalendarTime{2026, 12, 10, 9, 30, starts++}; },
                               [this](const std::string& m) { stopped.push_back(m); }});
    }
    // Appends ramps of 1000 frames, 100 ms apart, until a write fails (or 100 of them went in); the frames
    // that went in.
    uint64_t appendUntilFailure(SignalRecorder& r, Status& s) {
        uint64_t written = 0;
        for (int i = 0; i < 100 && s.ok(); ++i) {
            s = r.Append(ramp(1000, static_cast<double>(written)));
            if (s.ok()) written += 1000;
            clock.advance(100);
        }
        return written;
    }
    ManualClock clock{1000};
    int starts = 0;
    std::vector<std::string> stopped;
    test::TempDir dir;
};

TEST(RecordingHeaderTest, TakesTheDecimatedRateTheEnabledOutputsAndThePreset) {
    SignalState s;
    s.sampleRate = 48000.0;
    s.decimation = 3;
    s.channels[1].matrixRow = {0.0, 0.0, 0.0};  // output 2 off
    s.channels[0].units = "Pa";
    s.channels[2].units = "mV";
    s.channels[2].referenceValue = 0.001;
    s.presetActive = true;
    s.presetName = "Road";
    SdtHeader h = recordingHeader(s);
    EXPECT_EQ(h.sampleRate, 16000.0);
    EXPECT_EQ(h.channelMask, 0b101);
    EXPECT_EQ(h.channelCount, 2);
    EXPECT_EQ(h.units[0], u"Pa");
    EXPECT_EQ(h.units[2], u"mV");
    EXPECT_EQ(h.referenceValue[2], 0.001);
    EXPECT_EQ(h.processor, u"Road");
    s.presetActive = false;  // a name left from an earlier preset is not the profile in use
    EXPECT_EQ(recordingHeader(s).processor, u"");
}

TEST_F(RecorderTest, WritesTheFramesAndMarkersOfARecordDatedAtItsStart) {
    SignalRecorder r = make();
    ASSERT_TRUE(r.Start(dir.file("r.sdt"), header(0b101), {26, 0x00C0FFEE}).ok());
    // Pieces of any size, an empty one among them; two channels per frame.
    std::vector<double> all;
    size_t frames = 0;
    for (size_t n : {1u, 0u, 1000u, 4096u, 3u}) {
        const std::vector<double> piece = ramp(2 * n, static_cast<double>(all.size()));
        {
            auto s = r.Append(piece);
            ASSERT_TRUE(s.ok()) << s.error().message;
        }
        all.insert(all.end(), piece.begin(), piece.end());
        frames += n;
        if (n == 1000) {
            ASSERT_TRUE(r.AddMarker(u"Door closed").ok());
        }
    }
    ASSERT_TRUE(r.AddMarker(u"End").ok());
    EXPECT_EQ(r.recordFrames(), frames);
    ASSERT_TRUE(r.Stop().ok());
    EXPECT_FALSE(r.active());

    const test::ReadBackFile f = test::readBack(dir.file("r.sdt"));
    ASSERT_EQ(f.problem, "");
    EXPECT_EQ(f.rate, 48000.0);
    EXPECT_EQ(f.processor, u"Hall");
    EXPECT_EQ(f.channelCount, 2);
    EXPECT_EQ(f.mask, 0b101);
    EXPECT_EQ(f.units[2], u"mV");
    EXPECT_EQ(f.reference[1], 1e-6);
    ASSERT_EQ(f.records.size(), 1u);
    const test::ReadBackRecord& rec = f.records[0];
    EXPECT_EQ(rec.frames, frames);
    EXPECT_EQ(rec.values, all);
    EXPECT_EQ(rec.deviceType, 26);
    EXPECT_EQ(rec.vin, 0x00C0FFEEu);
    const CalendarTime t = unpackEntry(rec.date, rec.time);
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.hours, 9);
    EXPECT_EQ(t.minutes, 30);
    using M = std::vector<std::pair<uint32_t, std::u16string>>;
    EXPECT_EQ(rec.markers, (M{{1001, u"Door closed"}, {static_cast<uint32_t>(frames), u"End"}}));
}

TEST_F(RecorderTest, TheDirectoryOnDiskCatchesUpWithinTheRefreshTime) {
    SignalRecorder r = make();
    const std::string path = dir.file("r.sdt");
    ASSERT_TRUE(r.Start(path, header(1), {}).ok());
    // The record is on disk from the start, with no frames yet.
    ASSERT_EQ(test::readBack(path).records.size(), 1u);
    EXPECT_EQ(test::readBack(path).records[0].frames, 0u);
    ASSERT_TRUE(r.Append(ramp(100, 0)).ok());
    clock.advance(kRecordingDirectoryRefreshMs - 1);
    ASSERT_TRUE(r.Append(ramp(100, 100)).ok());
    ASSERT_TRUE(r.Tick().ok());
    EXPECT_EQ(test::readBack(path).records[0].frames, 0u);
    // A marker is on disk at once.
    ASSERT_TRUE(r.AddMarker(u"M").ok());
    EXPECT_EQ(test::readBack(path).records[0].markers.size(), 1u);
    // Without new data, the tick brings the directory up to date (a stream that stopped loses nothing).
    clock.advance(1);
    ASSERT_TRUE(r.Tick().ok());
    const test::ReadBackFile f = test::readBack(path);
    ASSERT_EQ(f.problem, "");
    EXPECT_EQ(f.records[0].frames, 200u);
    EXPECT_EQ(f.records[0].values, ramp(200, 0));
    // Abandoned without Stop (as a killed process leaves it): the file is valid as it is.
    ASSERT_TRUE(r.Append(ramp(50, 200)).ok());
}

TEST_F(RecorderTest, AMarkerBeyondTheFifteenSlotsGoesOnInANewRecord) {
    SignalRecorder r = make();
    ASSERT_TRUE(r.Start(dir.file("r.sdt"), header(1), {}).ok());
    for (int i = 1; i <= 16; ++i) {
        ASSERT_TRUE(r.Append(ramp(10, 0)).ok());
        ASSERT_TRUE(r.AddMarker(u"Marker " + std::u16string(1, static_cast<char16_t>(u'A' + i - 1))).ok());
    }
    ASSERT_TRUE(r.AddMarker(std::u16string(100, u'x')).ok());  // a long name keeps 79 units and a 0
    ASSERT_TRUE(r.Append(ramp(5, 0)).ok());
    EXPECT_EQ(r.recordCount(), 2u);
    EXPECT_EQ(r.totalFrames(), 165u);
    ASSERT_TRUE(r.Stop().ok());
    const test::ReadBackFile f = test::readBack(dir.file("r.sdt"));
    ASSERT_EQ(f.records.size(), 2u);
    ASSERT_EQ(f.records[0].markers.size(), 15u);
    EXPECT_EQ(f.records[0].markers[14], (std::pair<uint32_t, std::u16string>{150, u"Marker O"}));
    EXPECT_EQ(f.records[0].frames, 160u);
    EXPECT_EQ(f.records[1].frames, 5u);
    // The new record continues the signal, dated when it began; its first marker is the one that did not fit.
    EXPECT_NE(f.records[1].time, f.records[0].time);
    ASSERT_EQ(f.records[1].markers.size(), 2u);
    EXPECT_EQ(f.records[1].markers[0], (std::pair<uint32_t, std::u16string>{0, u"Marker P"}));
    EXPECT_EQ(f.records[1].markers[1], (std::pair<uint32_t, std::u16string>{0, std::u16string(79, u'x')}));
}

TEST_F(RecorderTest, ARecordingThatCannotStartLeavesNoFile) {
    struct Case {
        const char* name;
        std::string path;
        uint16_t mask;
    };
    const Case cases[] = {
        {"missing directory", dir.file("missing/r.sdt"), 1},
        {"no channel", dir.file("none.sdt"), 0},
        {"full device", "/dev/full", 1},
        // A recording grows in a file on disk, which a device or pipe is not.
        {"null device", "/dev/null", 1},
        {"standard output", "-", 1},
    };
    for (const Case& c : cases) {
        SignalRecorder r = make();
        Status s = r.Start(c.path, header(c.mask), {});
        EXPECT_FALSE(s.ok()) << c.name;
        EXPECT_FALSE(r.active()) << c.name;
        if (!c.path.starts_with("/dev/") && c.path != "-") {
            EXPECT_FALSE(std::filesystem::exists(c.path)) << c.name;
        }
        if (c.path == "/dev/null" || c.path == "-") {
            EXPECT_EQ(s.error().message,
                      "A recording needs a file on disk, not a device, a pipe or standard output: '" +
                          c.path + "'");
        }
    }
    EXPECT_FALSE(std::filesystem::exists("-"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));  // a device is never removed
}

TEST_F(RecorderTest, AFailedWriteStopsTheRecordingAndKeepsEveryFrameWrittenBefore) {
    SignalRecorder r = make();
    const std::string path = dir.file("r.sdt");
    ASSERT_TRUE(r.Start(path, header(1), {}).ok());
    ASSERT_TRUE(r.AddMarker(u"Start").ok());
    Status s;
    uint64_t written = 0;
    {
        test::FileSizeCap cap(200'000);
        written = appendUntilFailure(r, s);
    }
    ASSERT_FALSE(s.ok());
    EXPECT_FALSE(r.active());
    EXPECT_GT(written, 10'000u);
    EXPECT_EQ(r.totalFrames(), written);
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0], s.error().message);
    EXPECT_NE(s.error().message.find("Recording stopped"), std::string::npos) << s.error().message;
    EXPECT_NE(s.error().message.find("keeps the " + std::to_string(written) + " frames"), std::string::npos)
        << s.error().message;
    const test::ReadBackFile f = test::readBack(path);
    ASSERT_EQ(f.problem, "");
    ASSERT_EQ(f.records.size(), 1u);
    EXPECT_EQ(f.records[0].frames, written);
    EXPECT_EQ(f.records[0].values, ramp(written, 0));
    EXPECT_EQ(f.records[0].markers.size(), 1u);
    // Nothing half-written after the last whole piece.
    EXPECT_EQ(std::filesystem::file_size(path), 680 + 8212 + 15 * 164 + 120 + 8 * written);
    EXPECT_FALSE(r.Append(ramp(1, 0)).ok());
}

// Over an earlier file the recording grows beside it, readable on disk as a killed program leaves it, and
// takes the earlier file's name only when it ends; another name of the earlier file keeps it.
TEST_F(RecorderTest, ARecordingOverAnEarlierFileGrowsBesideItUntilItEnds) {
    const std::string path = dir.file("r.sdt");
    const std::vector<uint8_t> earlier(3000, 0x11);
    test::writeBytes(path, earlier);
    std::filesystem::create_hard_link(path, dir.file("other.sdt"));
    SignalRecorder r = make();
    ASSERT_TRUE(r.Start(path, header(1), {}).ok());
    EXPECT_TRUE(r.replacesEarlierFile());
    const std::string growing = r.growingAt();
    EXPECT_EQ(std::filesystem::path(growing).parent_path(), std::filesystem::path(path).parent_path());
    EXPECT_TRUE(std::filesystem::path(growing).filename().string().starts_with("r.partial-")) << growing;
    ASSERT_TRUE(r.Append(ramp(300, 0)).ok());
    clock.advance(kRecordingDirectoryRefreshMs);
    ASSERT_TRUE(r.Tick().ok());
    EXPECT_EQ(test::readBytes(path), earlier);
    EXPECT_EQ(test::readBack(growing).records.at(0).frames, 300u);
    ASSERT_TRUE(r.Stop().ok());
    EXPECT_EQ(test::readBack(path).records.at(0).values, ramp(300, 0));
    EXPECT_EQ(test::readBytes(dir.file("other.sdt")), earlier);
    EXPECT_FALSE(std::filesystem::exists(growing));
}

// A write that fails ends the recording, and the message tells truly what the name holds afterwards: what
// was recorded (in place of an earlier file, if there was one), or, when not one frame had been recorded,
// nothing new (an earlier file stays as it was).
TEST_F(RecorderTest, AFailedWriteSaysWhatTheFileHoldsAfterIt) {
    struct Case {
        const char* name;
        bool earlierFile;
        rlim_t cap;  // the file size that the disk allows
        const char* says;
    };
    const Case cases[] = {
        {"new file, frames recorded", false, 200'000,
         "Recording stopped: the file has reached the largest size allowed. The file '%s' keeps the %s "
         "frames recorded before."},
        {"earlier file, frames recorded", true, 200'000,
         "Recording stopped: the file has reached the largest size allowed. The file '%s' now holds the %s "
         "frames recorded before, in place of the earlier file."},
        {"new file, nothing recorded", false, 12'000,
         "Recording stopped: the file has reached the largest size allowed. No frame had been recorded: no "
         "file was made."},
        {"earlier file, nothing recorded", true, 12'000,
         "Recording stopped: the file has reached the largest size allowed. No frame had been recorded: the "
         "file '%s' is as it was."},
    };
    const std::vector<uint8_t> earlier(3000, 0x22);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir here;
        const std::string path = here.file("r.sdt");
        if (c.earlierFile) test::writeBytes(path, earlier);
        SignalRecorder r = make();
        stopped.clear();
        Status s;
        uint64_t written = 0;
        {
            test::FileSizeCap cap(c.cap);
            ASSERT_TRUE(r.Start(path, header(1), {}).ok());
            written = appendUntilFailure(r, s);
        }
        ASSERT_FALSE(s.ok());
        EXPECT_FALSE(r.active());
        EXPECT_EQ(s.error().message, substitute(c.says, {path, std::to_string(written)}));
        ASSERT_EQ(stopped.size(), 1u);
        EXPECT_EQ(stopped[0], s.error().message);
        if (written > 0) {
            const test::ReadBackFile f = test::readBack(path);
            ASSERT_EQ(f.problem, "");
            EXPECT_EQ(f.records.at(0).values, ramp(written, 0));
        } else if (c.earlierFile) {
            EXPECT_EQ(test::readBytes(path), earlier);
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
        }
        // Nothing else is left: no recording under a name of its own.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(here.path()), {}),
                  written > 0 || c.earlierFile ? 1 : 0);
    }
}

// A serial number the acquisition learns while recording goes into the record being written, on disk at
// the next refresh, and into the records after it.
TEST_F(RecorderTest, TheInstrumentsSerialNumberGoesIntoTheRecordsOnceKnown) {
    const std::string path = dir.file("r.sdt");
    SignalRecorder r = make();
    ASSERT_TRUE(r.Start(path, header(1), {26, 0}).ok());
    ASSERT_TRUE(r.Append(ramp(10, 0)).ok());
    r.setVin(0x00A1B2C3);
    EXPECT_EQ(r.vin(), 0x00A1B2C3u);
    clock.advance(kRecordingDirectoryRefreshMs);
    ASSERT_TRUE(r.Tick().ok());
    EXPECT_EQ(test::readBack(path).records.at(0).vin, 0x00A1B2C3u);
    ASSERT_TRUE(r.NextRecord().ok());
    ASSERT_TRUE(r.Stop().ok());
    const test::ReadBackFile f = test::readBack(path);
    ASSERT_EQ(f.records.size(), 2u);
    EXPECT_EQ(f.records[1].vin, 0x00A1B2C3u);
}

TEST(RecordingTapTest, TakesWhatFileModeWouldWriteAtEveryDecimation) {
    for (int decimation : {1, 2, 3, 4}) {
        SignalState s;
        s.decimation = decimation;
        s.channels[1].matrixRow = {0.0, 0.0, 0.0};
        FilterLibrary lib;
        ProcessingChain live, file;
        for (ProcessingChain* c : {&live, &file}) {
            c->sizeRings({});
            c->setChannels(s, lib);
        }
        std::vector<double> tapped;
        for (int i = 0; i < 2000; ++i) {
            const std::array<double, 3> in = {std::sin(0.01 * i), 2.0, 3.0 * std::cos(0.003 * i)};
            live.ProcessSample(in, ChainMode::RingsOnly);
            takeDecimatedFrame(live, 0b101, tapped);
            file.ProcessSample(in, ChainMode::File);
        }
        EXPECT_EQ(tapped.size(), 2 * static_cast<size_t>(2000 / decimation)) << decimation;
        EXPECT_EQ(tapped, file.output()) << decimation;
    }
}

}  // namespace
}  // namespace k470
