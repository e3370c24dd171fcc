// SPDX-License-Identifier: GPL-3.0-or-later
// The sample signal files: each opens, holds several records with markers inside them, and measures as
// its description says (levels, reverberation times per octave over the noise floor, vibration axes).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "signal/sample_signals.h"
#include "signal_file_reader.h"
#include "signal_measure.h"
#include "support/file_size_cap.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

test::ReadBackFile writeSample(SampleSignalKind kind, const test::TempDir& dir) {
    const std::string path = dir.file("sample.sdt");
    EXPECT_TRUE(WriteSampleSignalFile(kind, path).ok());
    return test::readBack(path);
}

std::vector<double> channel(const test::ReadBackRecord& r, size_t k, size_t channels) {
    std::vector<double> x;
    for (size_t i = k; i < r.values.size(); i += channels) x.push_back(r.values[i]);
    return x;
}

TEST(SampleSignalsTest, EveryKindIsAValidMultiRecordFileWithMarkersInsideItsRecords) {
    struct Case {
        const char* name;
        uint16_t mask;
        const char16_t* units;
        uint16_t type;
        double minRate = 12000.0;
    };
    for (const Case c :
         {Case{"calibrator", 1, u"Pa", 26}, Case{"pink", 1, u"Pa", 26}, Case{"events", 1, u"Pa", 26},
          Case{"room", 1, u"Pa", 26}, Case{"vibration", 7, u"m/c^2", 1},
          Case{"whole-body", 7, u"m/c^2", 1, 2000.0}, Case{"hand-arm", 7, u"m/c^2", 2}}) {
        test::TempDir dir;
        auto kind = sampleSignalKindNamed(c.name);
        ASSERT_TRUE(kind) << c.name;
        const test::ReadBackFile f = writeSample(*kind, dir);
        ASSERT_EQ(f.problem, "") << c.name;
        EXPECT_EQ(f.mask, c.mask) << c.name;
        EXPECT_EQ(f.units[0], c.units) << c.name;
        EXPECT_GE(f.rate, c.minRate) << c.name;
        ASSERT_GE(f.records.size(), 2u) << c.name;
        for (const test::ReadBackRecord& r : f.records) {
            EXPECT_EQ(r.deviceType, c.type) << c.name;
            EXPECT_GE(r.frames, static_cast<uint32_t>(3 * f.rate)) << c.name;
            ASSERT_FALSE(r.markers.empty()) << c.name;
            for (const auto& [frame, name] : r.markers) {
                EXPECT_LT(frame, r.frames) << c.name;
                EXPECT_FALSE(name.empty()) << c.name;
            }
        }
    }
    EXPECT_FALSE(sampleSignalKindNamed("noise"));
}

TEST(SampleSignalsTest, CalibratorAndPinkRecordsHaveTheirLevels) {
    test::TempDir dir;
    const test::ReadBackFile cal = writeSample(SampleSignalKind::Calibrator, dir);
    ASSERT_EQ(cal.records.size(), 2u);
    EXPECT_NEAR(test::levelDb(cal.records[0].values), 94.0, 0.05);
    EXPECT_NEAR(test::levelDb(cal.records[1].values), 114.0, 0.05);
    const test::ReadBackFile pink = writeSample(SampleSignalKind::Pink, dir);
    ASSERT_EQ(pink.records.size(), 2u);
    EXPECT_NEAR(test::levelDb(pink.records[0].values), 80.0, 0.3);
    EXPECT_NEAR(test::levelDb(pink.records[1].values), 60.0, 0.3);
}

TEST(SampleSignalsTest, RoomDecaysWithEachOctavesReverberationTimeOverItsFloor) {
    test::TempDir dir;
    const test::ReadBackFile f = writeSample(SampleSignalKind::Room, dir);
    ASSERT_EQ(f.problem, "");
    for (const test::ReadBackRecord& r : f.records) {
        ASSERT_EQ(r.markers.size(), 1u);
        const size_t shot = r.markers[0].first;
        for (size_t b = 0; b < 6; ++b) {
            const std::vector<double> band = test::octaveBand(r.values, kRoomOctaveCentres[b], f.rate);
            const std::span<const double> decay = std::span<const double>(band).subspan(shot);
            EXPECT_NEAR(test::reverberationTime(decay, f.rate), kRoomReverberationTimes[b],
                        0.05 * kRoomReverberationTimes[b])
                << kRoomOctaveCentres[b];
            // The floor before the shot, against the power at the start of the decay: the decay's energy
            // above the floor times its rate of fall.
            const double floorPower = std::pow(
                10.0, test::levelDb(std::span<const double>(band).subspan(shot / 4, shot / 2)) / 10.0);
            const double decayEnergy =
                std::pow(10.0, test::levelDb(decay) / 10.0) * static_cast<double>(decay.size());
            const double startPower = (decayEnergy - floorPower * static_cast<double>(decay.size())) *
                                      std::log(1e6) / kRoomReverberationTimes[b] / f.rate;
            EXPECT_NEAR(10.0 * std::log10(floorPower / startPower), kRoomFloorDb, 3.0)
                << kRoomOctaveCentres[b];
        }
    }
}

TEST(SampleSignalsTest, VibrationRunsOnThreeAxesAndRisesWhenTheMotorStarts) {
    test::TempDir dir;
    const test::ReadBackFile f = writeSample(SampleSignalKind::Vibration, dir);
    ASSERT_EQ(f.records.size(), 2u);
    const test::ReadBackRecord& r = f.records[0];
    const size_t start = r.markers[0].first;
    for (size_t k = 0; k < 3; ++k) {
        const std::vector<double> x = channel(r, k, 3);
        const double before = test::levelDb(std::span<const double>(x).first(start), 1.0);
        const double after = test::levelDb(std::span<const double>(x).subspan(start), 1.0);
        EXPECT_GT(after - before, 15.0) << k;
        EXPECT_GT(after, -6.0) << k;  // about 0.5 to 2 m/s^2 rms
        EXPECT_LT(after, 6.0) << k;
    }
}

TEST(SampleSignalsTest, AFileThatCannotBeWrittenIsNotLeftBehind) {
    test::TempDir dir;
    EXPECT_FALSE(WriteSampleSignalFile(SampleSignalKind::Pink, dir.file("missing/p.sdt")).ok());
    EXPECT_FALSE(WriteSampleSignalFile(SampleSignalKind::Pink, "/dev/full").ok());
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

// The file is made in one go: cut short (a full disk; here a file size limit) it leaves an earlier file of
// that name exactly as it was, and another name of it too, and says why it failed.
TEST(SampleSignalsTest, AFileCutShortLeavesTheEarlierFileAsItWas) {
    test::TempDir dir;
    const std::string path = dir.file("pink.sdt");
    const std::vector<uint8_t> earlier(5000, 0x5A);
    test::writeBytes(path, earlier);
    std::filesystem::create_hard_link(path, dir.file("link.sdt"));
    Status s;
    {
        test::FileSizeCap cap(200'000);
        s = WriteSampleSignalFile(SampleSignalKind::Pink, path);
    }
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().message, "Can't write file '" + path + "'");
    EXPECT_EQ(s.error().reason, "File too large");
    EXPECT_EQ(test::readBytes(path), earlier);
    EXPECT_EQ(test::readBytes(dir.file("link.sdt")), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace k470
