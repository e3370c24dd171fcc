// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement report's figures on small record files whose answers are known: constant levels, two
// halves at different levels, planted maxima and peaks, stamped and unstamped records, several files; and
// where the records lie on a time axis.
#include "views/report_document_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "data/dos_date_time.h"
#include "export/analysis_fixtures.h"
#include "views/level_views.h"

namespace k470::views {
namespace {

using test::RecordImage;
using test::TempDir;

// Sound level meter (type 3): 440 result words; the weighted table starts at word 400, a row of 12 words
// per weighting in the order C, A, Z, with Fast at word 1, Fast max at 9, Leq at 3 and Peak at 5 of a row.
constexpr DeviceType kSound = 3;
constexpr int kSoundWords = 440;
constexpr size_t wordByte(int word) {
    return 20 + 2 * static_cast<size_t>(word);
}
constexpr size_t kLafByte = wordByte(400 + 12 + 1);
constexpr size_t kLaeqByte = wordByte(400 + 12 + 3);
constexpr size_t kLafmaxByte = wordByte(400 + 12 + 9);
constexpr size_t kLcpeakByte = wordByte(400 + 5);
constexpr LevelSelection kLaf{2, 3, 1, 0};

uint16_t dB(double level) {
    return static_cast<uint16_t>(std::lround(level * 256.0));
}

// A sound record stamped 5 March 2026 at 10:00:00 plus seconds (even: DOS keeps two-second steps), every
// level word at level.
RecordImage soundRecord(double level, int seconds, uint32_t vin = 1234) {
    const CalendarTime t = shiftedBy(CalendarTime{2026, 3, 5, 10, 0, 0}, seconds);
    return RecordImage(kSound, vin, packDosDate(t), packDosTime(t)).fill(kSoundWords - 4, dB(level));
}

TEST(ReportDocumentData, ConstantLevelsAnswerThatLevelEverywhere) {
    TempDir dir;
    std::vector<RecordImage> records;
    for (int i = 0; i < 5; ++i) records.push_back(soundRecord(72.0, 2 * i));
    const std::vector<std::string> paths = {dir.file("steady.bin")};
    test::writeRecords(paths[0], records);

    auto r = BuildReportDocumentData(paths, kLaf);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->fileNames, std::vector<std::string>{"steady.bin"});
    EXPECT_EQ(r->type, kSound);
    EXPECT_FALSE(r->typeName.empty());
    EXPECT_EQ(r->vins, std::vector<uint32_t>{1234});
    EXPECT_EQ(r->summary.recordCount, 5);
    ASSERT_TRUE(r->summary.laeq && r->summary.lafmax && r->summary.lcpeak);
    EXPECT_NEAR(*r->summary.laeq, 72.0, 1e-9);
    EXPECT_NEAR(*r->summary.lafmax, 72.0, 1e-9);
    EXPECT_NEAR(r->summary.levelAverage, 72.0, 1e-9);
    EXPECT_EQ(r->summary.levelMinimum, 72.0);
    EXPECT_EQ(r->summary.levelMaximum, 72.0);
    // Every percentile lies in the 0.5 dB class of 72 dB.
    ASSERT_EQ(r->summary.percentiles.size(), 4u);
    for (const auto& p : r->summary.percentiles) {
        EXPECT_GE(p.level, 72.0) << p.percent;
        EXPECT_LE(p.level, 72.5) << p.percent;
    }
    // The spectrum: every band at the level, one label per band.
    ASSERT_TRUE(r->spectrum);
    EXPECT_FALSE(r->spectrum->levels.empty());
    EXPECT_EQ(r->spectrum->bandLabels.size(), r->spectrum->levels.size());
    for (double l : r->spectrum->levels) EXPECT_NEAR(l, 72.0, 1e-9);
    // One class holds every record.
    EXPECT_EQ(r->histogram.percents, std::vector<double>{100.0});
    EXPECT_EQ(r->histogram.firstEdge, 72.0);
    EXPECT_EQ(r->histogram.classWidth, 0.5);
}

TEST(ReportDocumentData, EnergyAverageOfTwoHalvesAndPlantedMaxima) {
    TempDir dir;
    std::vector<RecordImage> records;
    for (int i = 0; i < 4; ++i) records.push_back(soundRecord(60.0, 2 * i));
    for (int i = 4; i < 8; ++i) records.push_back(soundRecord(70.0, 2 * i));
    // The largest fast maximum and C peak stand in single records; neither is the chosen level.
    records[2].at(kLafmaxByte, dB(88.25));
    records[6].at(kLcpeakByte, dB(101.5));
    const std::vector<std::string> paths = {dir.file("halves.bin")};
    test::writeRecords(paths[0], records);

    auto r = BuildReportDocumentData(paths, kLaf);
    ASSERT_TRUE(r) << r.error().message;
    // 10 lg((10^6 + 10^7) / 2) = 67.40 dB
    ASSERT_TRUE(r->summary.laeq);
    EXPECT_NEAR(*r->summary.laeq, 67.40, 0.005);
    EXPECT_NEAR(r->summary.levelAverage, 67.40, 0.005);
    EXPECT_EQ(r->summary.lafmax, 88.25);
    EXPECT_EQ(r->summary.lcpeak, 101.5);
    EXPECT_EQ(r->summary.levelMinimum, 60.0);
    EXPECT_EQ(r->summary.levelMaximum, 70.0);
    // L10 in the upper half's class, L90 and L95 in the lower half's.
    std::vector<int> percents;
    for (const auto& p : r->summary.percentiles) percents.push_back(p.percent);
    EXPECT_EQ(percents, (std::vector<int>{10, 50, 90, 95}));
    EXPECT_GE(r->summary.percentiles[0].level, 70.0);
    EXPECT_LE(r->summary.percentiles[0].level, 70.5);
    EXPECT_GE(r->summary.percentiles[2].level, 60.0);
    EXPECT_LE(r->summary.percentiles[2].level, 60.5);
    EXPECT_GE(r->summary.percentiles[3].level, 60.0);
    EXPECT_LE(r->summary.percentiles[3].level, 60.5);
    for (double l : r->spectrum->levels) EXPECT_NEAR(l, 67.40, 0.005);
    // Half the records in the class of 60 dB, half in that of 70 dB, nothing between.
    const auto& h = r->histogram;
    const auto share = [&](double level) {
        const auto i = static_cast<size_t>(std::floor((level - h.firstEdge) / h.classWidth));
        return i < h.percents.size() ? h.percents[i] : -1.0;
    };
    EXPECT_EQ(share(60.0), 50.0);
    EXPECT_EQ(share(70.0), 50.0);
    EXPECT_EQ(std::accumulate(h.percents.begin(), h.percents.end(), 0.0), 100.0);
}

TEST(ReportDocumentData, TimeHistoryFollowsTheStampsThroughSeveralFiles) {
    TempDir dir;
    const std::vector<std::string> paths = {dir.file("morning.bin"), dir.file("later.bin")};
    test::writeRecords(paths[0], {soundRecord(50, 0), soundRecord(51, 2), soundRecord(52, 4)});
    // The second file starts an hour later, on another instrument of the same type.
    test::writeRecords(paths[1], {soundRecord(53, 3600, 99), soundRecord(54, 3610, 99)});

    auto r = BuildReportDocumentData(paths, kLaf);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->fileNames, (std::vector<std::string>{"morning.bin", "later.bin"}));
    EXPECT_EQ(r->vins, (std::vector<uint32_t>{1234, 99}));
    EXPECT_EQ(r->history.levels, (std::vector<double>{50, 51, 52, 53, 54}));
    EXPECT_EQ(r->history.seconds, (std::vector<double>{0, 2, 4, 3600, 3610}));
    EXPECT_EQ(r->history.clockOrigin, LocalSeconds(CalendarTime{2026, 3, 5, 10, 0, 0}));
    ASSERT_TRUE(r->firstTime && r->lastTime);
    EXPECT_EQ(r->firstTime->hours, 10);
    EXPECT_EQ(r->lastTime->hours, 11);
    EXPECT_EQ(r->lastTime->seconds, 10);
}

// Two runs of one-second records, the second a minute after the first, as the level records of a signal
// file of two records: the stamps keep two-second steps, so two records share each stamp.
std::vector<RecordImage> twoRunsOfSeconds() {
    std::vector<RecordImage> records;
    for (int start : {0, 60})
        for (int i = 0; i < 4; ++i)
            records.push_back(
                soundRecord(50.0 + start / 60 * 20.0 + i, start + i / 2 * 2).interval(kSoundWords, 0, 0, 1));
    return records;
}
const std::vector<double> kTwoRunsSeconds = {0, 1, 2, 3, 60, 61, 62, 63};

// A time-of-day axis places every record at its own start: the second run at its minute, not straight
// after the first run's last record. The report's history and the Multirecords series agree.
TEST(ReportDocumentData, TimeHistoryTakesEachRecordsOwnStart) {
    TempDir dir;
    const std::vector<std::string> paths = {dir.file("two_runs.bin")};
    test::writeRecords(paths[0], twoRunsOfSeconds());
    auto r = BuildReportDocumentData(paths, kLaf);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->history.seconds, kTwoRunsSeconds);
    EXPECT_EQ(r->history.clockOrigin, LocalSeconds(CalendarTime{2026, 3, 5, 10, 0, 0}));

    auto file = BinFile::Open(paths[0]);
    ASSERT_TRUE(file);
    auto series = ReadLevelSeries(BinFileRecords(*file), kSound, kLaf);
    ASSERT_TRUE(series) << series.error().message;
    EXPECT_EQ(series->seconds, kTwoRunsSeconds);
    EXPECT_EQ(series->levels, (std::vector<double>{50, 51, 52, 53, 70, 71, 72, 73}));
    ASSERT_TRUE(series->start);
    EXPECT_EQ(series->start->minutes, 0);
}

// Where each record starts: at its stamp, or where the record before it ends when that lies within the
// stamp's two seconds; after the record before when the stamp says nothing more.
TEST(RecordStartSeconds, StampOrTheEndOfTheRecordBefore) {
    constexpr std::optional<int64_t> kNo;
    struct Case {
        const char* what;
        std::vector<RecordTiming> records;
        std::vector<double> starts;
    };
    const Case cases[] = {
        {"none", {}, {}},
        {"one", {{1000, 5.0}}, {0}},
        {"a gap between runs", {{1000, 10.0}, {1010, 10.0}, {1500, 10.0}}, {0, 10, 500}},
        {"shared stamps",
         {{1000, 0.5}, {1000, 0.5}, {1000, 0.5}, {1000, 0.5}, {1002, 0.5}},
         {0, 0.5, 1, 1.5, 2}},
        {"a stamp before the end of the record before", {{1000, 60.0}, {1030, 60.0}}, {0, 30}},
        {"a stamp that does not rise", {{1000, 5.0}, {1020, 5.0}, {1010, 5.0}}, {0, 20, 25}},
        {"an end within the stamp's two seconds", {{1000, 1.5}, {1000, 1.5}, {1002, 1.5}}, {0, 1.5, 3}},
        {"an undated record follows", {{1000, 2.0}, {kNo, 2.0}, {1010, 2.0}}, {0, 2, 10}},
        {"an undated first record: intervals only", {{kNo, 3.0}, {5000, 4.0}, {9000, 1.0}}, {0, 3, 7}},
    };
    for (const Case& c : cases) EXPECT_EQ(RecordStartSeconds(c.records), c.starts) << c.what;
}

TEST(ReportDocumentData, RecordsWithoutUsableStampsStandTheirIntervalApart) {
    TempDir dir;
    // The first file's records carry a 10 s interval and no real date; the second repeats one stamp.
    std::vector<RecordImage> undated;
    for (int i = 0; i < 3; ++i)
        undated.push_back(
            RecordImage(kSound, 1, 0, 0).fill(kSoundWords - 4, dB(40)).interval(kSoundWords, 0, 0, 10));
    const std::vector<std::string> paths = {dir.file("undated.bin"), dir.file("repeated.bin")};
    test::writeRecords(paths[0], undated);
    test::writeRecords(paths[1], {soundRecord(41, 0).interval(kSoundWords, 0, 1, 0),
                                  soundRecord(42, 0).interval(kSoundWords, 0, 1, 0)});

    auto r = BuildReportDocumentData(paths, kLaf);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->history.seconds, (std::vector<double>{0, 10, 20, 30, 90}));
    EXPECT_FALSE(r->history.clockOrigin);
    // Only the real dates count for the period.
    ASSERT_TRUE(r->firstTime);
    EXPECT_EQ(r->firstTime->year, 2026);
}

TEST(ReportDocumentData, HistogramWidensItsClassesForAWideSpread) {
    TempDir dir;
    std::vector<RecordImage> records;
    for (int i = 0; i <= 60; ++i) records.push_back(soundRecord(40.0 + i, 2 * i));  // 40 ... 100 dB
    const std::vector<std::string> paths = {dir.file("sweep.bin")};
    test::writeRecords(paths[0], records);

    auto r = BuildReportDocumentData(paths, kLaf);
    ASSERT_TRUE(r) << r.error().message;
    const auto& h = r->histogram;
    EXPECT_LE(h.percents.size(), 40u);
    EXPECT_GT(h.classWidth, 0.5);
    EXPECT_LE(h.firstEdge, 40.0);
    EXPECT_GE(h.firstEdge + h.classWidth * static_cast<double>(h.percents.size()), 100.0);
    EXPECT_NEAR(std::accumulate(h.percents.begin(), h.percents.end(), 0.0), 100.0, 1e-9);
}

TEST(ReportDocumentData, Failures) {
    TempDir dir;
    const std::string sound = dir.file("sound.bin");
    const std::string vibration = dir.file("vibration.bin");
    const std::string empty = dir.file("empty.bin");
    test::writeRecords(sound, {soundRecord(60, 0)});
    test::writeRecords(vibration, {RecordImage(1).fill(100, dB(60))});
    test::writeRecords(empty, {});
    struct Case {
        const char* name;
        std::vector<std::string> paths;
        LevelSelection level;
        std::string message;
    } cases[] = {
        {"missing file", {dir.file("none.bin")}, kLaf, "Can't open file"},
        {"different types", {sound, vibration}, kLaf, "Different file types"},
        {"no records", {empty}, kLaf, "No source data"},
        {"band beyond the table", {sound}, {2, 3, 7, 0}, "Error in parameters"},
        {"second channel of a one-channel type", {sound}, {2, 3, 1, 1}, "Error in parameters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = BuildReportDocumentData(c.paths, c.level);
        ASSERT_FALSE(r);
        EXPECT_NE(r.error().message.find(c.message), std::string::npos) << r.error().message;
    }
    int calls = 0;
    auto cancelled = BuildReportDocumentData(std::vector<std::string>{sound}, kLaf, [&](int) {
        ++calls;
        return false;
    });
    ASSERT_FALSE(cancelled);
    EXPECT_EQ(calls, 1);
}

TEST(ReportDocumentData, DefaultLevelIsTheAWeightedFastLevelWhereTheTypeHasIt) {
    EXPECT_EQ(DefaultReportLevel(kSound), kLaf);
    // A vibration meter has no A weighting: its first level.
    EXPECT_EQ(DefaultReportLevel(1), (LevelSelection{0, 0, 0, 0}));
    // The chosen level is what the chart plots: LAF read from its own word.
    TempDir dir;
    const std::vector<std::string> paths = {dir.file("laf.bin")};
    test::writeRecords(paths[0], {soundRecord(60, 0).at(kLafByte, dB(77.5)).at(kLaeqByte, dB(61))});
    auto r = BuildReportDocumentData(paths, DefaultReportLevel(kSound));
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->history.levels, std::vector<double>{77.5});
    EXPECT_NEAR(*r->summary.laeq, 61.0, 1e-9);
}

}  // namespace
}  // namespace k470::views
