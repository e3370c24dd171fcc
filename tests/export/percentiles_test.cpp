// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/percentiles.h"

#include <gtest/gtest.h>

#include <cmath>

#include "export/analysis_fixtures.h"
#include "export/file_set.h"
#include "export/level_locator.h"

namespace k470 {
namespace {

using test::RecordImage;
using test::TempDir;

// Records of one type whose chosen word carries the given levels (in 1/256 dB words) while every other
// result word holds 10 dB, so a wrong offset shows up as a 10.00 minimum.
std::vector<RecordImage> recordsWith(DeviceType type, size_t byteOffset,
                                     std::initializer_list<uint16_t> words) {
    std::vector<RecordImage> records;
    for (uint16_t w : words) records.push_back(RecordImage(type).fill(1338, 10 * 256).at(byteOffset, w));
    return records;
}

TEST(Percentiles, ReadsTheWordOfTheSelectionInEveryRecordOfEveryFile) {
    TempDir dir;
    // Three-channel whole-body meter, channel 3, weighted table, Pk of Wm: word 892 + 320 + 14*8 + 7.
    const size_t planted = 20 + 2 * (892 + 320 + 112 + 7);
    const std::vector<std::string> paths = {dir.file("a.bin"), dir.file("b.bin")};
    test::writeRecords(paths[0], recordsWith(1, planted, {60 * 256, 61 * 256}));
    test::writeRecords(paths[1], recordsWith(1, planted, {62 * 256, 63 * 256}));
    const int offset = levelWordOffset(1, LevelSelection{2, 13, 8, 2});
    ASSERT_EQ(offset, static_cast<int>(planted));

    auto r = CalculatePercentiles(paths, offset, fractionsOfPercents({80, 25, 50}));
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->recordCount, 4);
    EXPECT_EQ(r->minimum, 60.0);
    EXPECT_EQ(r->maximum, 63.0);
    // Classes 121, 123, 125, 127 (upper edges 60.5 ... 63.5), one record each.
    EXPECT_EQ(r->fractions, (std::vector<double>{0.25, 0.5, 0.8}));
    EXPECT_EQ(r->answers, (std::vector<double>{63.5, 62.5, 60.5}));
    EXPECT_EQ(r->classCounts[121], 1u);
    EXPECT_EQ(r->classCounts[127], 1u);
}

TEST(Percentiles, AnswerWalkEdges) {
    ClassCounts counts{};
    counts[101] = 7;  // every record at 50.00 dB: class [50.0, 50.5)
    EXPECT_EQ(answerFractions(counts, 7, std::vector<double>{0.0, 0.001, 0.5, 1.0}),
              (std::vector<double>{0.0, 50.5, 50.5, 50.5}));

    ClassCounts spread{};
    spread[3] = 1;
    spread[40] = 2;
    spread[512] = 1;
    // Percentile 100 answers the upper edge of the lowest occupied class; 0 is never answered.
    EXPECT_EQ(answerFractions(spread, 4, std::vector<double>{0.0, 0.2, 1.0}),
              (std::vector<double>{0.0, 256.0, 1.5}));
    EXPECT_EQ(answerFractions(spread, 0, std::vector<double>{0.5}), (std::vector<double>{0.0}));
}

TEST(Percentiles, ClassesOfTheExtremeWords) {
    EXPECT_EQ(levelClass(0), 1);         // a level word 0 falls into class 1
    EXPECT_EQ(levelClass(127), 1);       // 0.496 dB
    EXPECT_EQ(levelClass(128), 2);       // 0.5 dB
    EXPECT_EQ(levelClass(0xFFFF), 512);  // 255.996 dB
    EXPECT_EQ(classLowerEdge(101), 50.0);
}

TEST(Percentiles, FormWritesBackSortedDistinctPercentages) {
    TempDir dir;
    const std::vector<std::string> paths = {dir.file("flat.bin")};
    test::writeRecords(paths[0], recordsWith(3, 20, {50 * 256, 50 * 256, 50 * 256}));
    PercentileForm form;
    form.percentTexts = {"90", "10", "abc", "50", "10.0", ""};
    form.resultTexts = {"x", "x", "x", "x", "x", "x"};
    ASSERT_TRUE(CalculateForm(form, paths, 20));
    EXPECT_EQ(form.percentTexts, (std::array<std::string, 6>{"10", "50", "90", "", "", ""}));
    EXPECT_EQ(form.resultTexts, (std::array<std::string, 6>{"50.50", "50.50", "50.50", "", "", ""}));
    EXPECT_EQ(form.minimumText, "50.00");
    EXPECT_EQ(form.maximumText, "50.00");

    form.percentTexts = {"0", "100", "12.345", "", "", ""};
    ASSERT_TRUE(CalculateForm(form, paths, 20));
    EXPECT_EQ(form.percentTexts, (std::array<std::string, 6>{"0", "12.3", "100", "", "", ""}));
    EXPECT_EQ(form.resultTexts, (std::array<std::string, 6>{"0.00", "50.50", "50.50", "", "", ""}));
}

TEST(Percentiles, FailuresLeaveTheFormAsItWas) {
    TempDir dir;
    test::writeBytes(dir.file("empty.bin"), {});
    test::writeBytes(dir.file("short.bin"), std::vector<uint8_t>(3071, 0));
    PercentileForm form;
    form.percentTexts[0] = "50";
    form.minimumText = "keep";
    const std::vector<std::string> empty = {dir.file("empty.bin"), dir.file("short.bin")};
    Status s = CalculateForm(form, empty, 20);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().message, "No source data");
    const std::vector<std::string> missing = {dir.file("nothing.bin")};
    s = CalculateForm(form, missing, 20);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().message, "Can't open file '" + dir.file("nothing.bin") + "'");
    EXPECT_EQ(form.minimumText, "keep");
    EXPECT_EQ(form.percentTexts[0], "50");
}

TEST(Percentiles, ProgressOverTheFilesAndCancel) {
    TempDir dir;
    test::writeRecords(dir.file("a.bin"), recordsWith(3, 20, {256, 512}));
    test::writeRecords(dir.file("b.bin"), recordsWith(3, 20, {768}));
    const std::vector<std::string> paths = {dir.file("a.bin"), dir.file("b.bin")};
    const std::vector<double> fractions = {0.5};
    std::vector<int> heard;
    auto done = CalculatePercentiles(paths, 20, fractions, [&](int p) {
        heard.push_back(p);
        return true;
    });
    ASSERT_TRUE(done);
    EXPECT_EQ(done->recordCount, 3);
    EXPECT_EQ(heard, (std::vector<int>{0, 50}));
    PercentileForm form;
    form.percentTexts[0] = "50";
    Status s = CalculateForm(form, paths, 20, [](int) { return false; });
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().message, "The calculation was cancelled");
    EXPECT_EQ(form.resultTexts[0], "");
}

TEST(Percentiles, ReadsPercentTextsAsNumbers) {
    struct Case {
        const char* text;
        bool number;
        double value;
    };
    const Case cases[] = {
        {"10", true, 10},  {" 12.5", true, 12.5}, {"10%", true, 10}, {"+7", true, 7},   {"-5", true, -5},
        {"1e1", true, 10}, {".5", true, 0.5},     {"", false, 0},    {"abc", false, 0}, {"%10", false, 0},
        {"inf", false, 0}, {"nan", false, 0},     {"+-1", false, 0}, {" ", false, 0},
    };
    for (const auto& c : cases) {
        double v = -1;
        EXPECT_EQ(readPercentText(c.text, v), c.number) << c.text;
        if (c.number) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    EXPECT_EQ(fractionsOfPercents({-0.0, 0.0}), (std::vector<double>{0.0}));
    EXPECT_FALSE(std::signbit(fractionsOfPercents({-0.0})[0]));
}

TEST(Percentiles, ClipboardText) {
    PercentileForm form;
    form.percentTexts = {"10", "50", "", "", "", ""};
    form.resultTexts = {"61.50", "60.00", "", "", "", ""};
    form.minimumText = "55.25";
    form.maximumText = "70.00";
    EXPECT_EQ(percentileClipboardText(form, 3, "1/1 octaves", "Slow", "31.5 Hz", "channel 1"),
              "'1/1 octaves\tSlow\t31.5 Hz\t\n10\t50\t\t\t\t\n61.50\t60.00\t\t\t\t\n55.25\t70.00\t");
    EXPECT_EQ(percentileClipboardText(form, 20, "Weighted levels", "Pk", "Wh", "channel 2"),
              "'Weighted levels\tPk\tWh\tchannel 2\n10\t50\t\t\t\t\n61.50\t60.00\t\t\t\t\n55.25\t70.00\t");
}

TEST(FileSet, OneDeviceTypeAcrossTheFiles) {
    TempDir dir;
    test::writeRecords(dir.file("sound.bin"), {RecordImage(3, 1, 0x5D8A), RecordImage(6)});
    test::writeRecords(dir.file("sound2.bin"), {RecordImage(3, 2, 0x5D8B)});
    test::writeBytes(dir.file("empty.bin"), {});
    test::writeRecords(dir.file("infra.bin"), {RecordImage(6)});

    const std::vector<std::string> same = {dir.file("empty.bin"), dir.file("sound.bin"),
                                           dir.file("sound2.bin")};
    auto set = ScanFileSet(same);
    ASSERT_TRUE(set) << set.error().message;
    EXPECT_EQ(set->type, 3);
    EXPECT_EQ(set->recordTotal, 3);
    EXPECT_TRUE(set->datesDiffer);
    EXPECT_TRUE(set->vinsDiffer);
    EXPECT_EQ(set->referenceVin, 1u);

    const std::vector<std::string> mixed = {dir.file("sound.bin"), dir.file("infra.bin")};
    set = ScanFileSet(mixed);
    ASSERT_FALSE(set);
    EXPECT_EQ(set.error().message,
              "Different file types: Sound level and spectrum meter and Infrasound meter:\n" +
                  dir.file("infra.bin"));
}

}  // namespace
}  // namespace k470
