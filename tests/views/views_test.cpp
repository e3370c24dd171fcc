// SPDX-License-Identifier: GPL-3.0-or-later
// The level views without widgets: pages per type, table contents against the record layout, cell and
// level texts, the selection rules, the clipboard text and the spectrum corrections.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "data/bin_file.h"
#include "data/sample_records.h"
#include "signal/signal_file_image.h"
#include "support/temp_dir.h"
#include "views/level_views.h"
#include "views/misc_views.h"
#include "views/record_commands.h"
#include "views/signal_commands.h"

namespace k470::views {
namespace {

using PK = PageKind;

TEST(LevelViews, PagesPerDeviceTypeAndRecordCount) {
    struct Case {
        DeviceType type;
        int records;
        std::vector<PK> pages;
    } cases[] = {
        {3, 1, {PK::OctaveTable, PK::ThirdTable, PK::WeightedTable, PK::Spectra}},
        {6, 2, {PK::OctaveTable, PK::ThirdTable, PK::WeightedTable, PK::Spectra, PK::Multirecords}},
        {7, 1, {PK::ThirdTable, PK::WeightedTable, PK::Spectra}},
        {22, 1, {PK::BandTable, PK::WeightedTable, PK::Spectra}},
        {1, 1, {PK::OctaveTable, PK::ThirdTable, PK::WeightedTable, PK::Spectra}},
        {24, 1, {PK::OctaveTable, PK::ThirdTable, PK::WeightedTable, PK::Spectra}},
        {0, 3, {PK::Spectra, PK::Multirecords}},
        {40, 1, {PK::Spectra}},
    };
    for (const auto& c : cases) EXPECT_EQ(PagesFor(c.type, c.records), c.pages) << c.type;
}

TEST(LevelViews, CellAndLevelValueTexts) {
    EXPECT_EQ(LevelCellText(0.0), "0.00");
    EXPECT_EQ(LevelCellText(-0.01), "");
    EXPECT_EQ(LevelCellText(93.996), "94.00");
    EXPECT_EQ(LevelValueText(93.96, false, 2e-05), "94.0");
    EXPECT_EQ(LevelValueText(94.0, true, 2e-05), "1E0");
    EXPECT_EQ(LevelValueText(0.0, true, 1e-06), "1E-6");
    EXPECT_EQ(LevelValueText(40.0, true, 1e-06), "100E-6");
    EXPECT_EQ(LevelValueText(120.0, true, 2e-05), "20E0");
    EXPECT_EQ(LevelValueText(-1.0, true, 2e-05), "");
}

TEST(LevelViews, SoundLevelTablesShowTheRecordsLevels) {
    auto sample = makeSampleRecord({3, 1, 5, 0});
    ASSERT_TRUE(sample.ok());
    // The record as read back from its bytes, whose words the cells must show.
    const RecordBytes bytes = sample->encode();
    auto rec = MeasurementRecord::decode(bytes);
    ASSERT_TRUE(rec.ok());
    const auto thirds = TablesFor(3, PK::ThirdTable, &*rec, 0);
    ASSERT_EQ(thirds.size(), 2u);
    const LevelTable& t = thirds[0];
    ASSERT_EQ(t.rows.size(), 30u);
    EXPECT_EQ(t.rows.front(), "25.0");
    EXPECT_EQ(t.rows[14], "0.63k");
    EXPECT_EQ(t.rows[16], "1k");
    EXPECT_EQ(t.rows.back(), "20k");
    ASSERT_EQ(t.columns.size(), 10u);
    EXPECT_EQ(t.columns[0], "Slow");
    EXPECT_EQ(t.columns[6], "Imp");
    // 1/3-octave band 5 (80 Hz) is row 10 + 5 of the band rows; "Imp" is word 0 and "Slow" word 2.
    auto word = [&](int offset) {
        return decodeLevel(static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8));
    };
    EXPECT_DOUBLE_EQ(t.values[5][6], word(20 + 20 * 15 + 0));
    EXPECT_DOUBLE_EQ(t.values[5][0], word(20 + 20 * 15 + 4));
    const LevelTable& w = thirds[1];
    EXPECT_EQ(w.rows, (std::vector<std::string>{"C", "A", "Z"}));
    ASSERT_EQ(w.columns.size(), 11u);
    EXPECT_EQ(w.columns[10], "Peak");
    EXPECT_DOUBLE_EQ(w.values[1][10], word(20 + 800 + 24 + 10));  // A, Peak: word 5 of weighted row 1

    const auto octaves = TablesFor(3, PK::OctaveTable, &*rec, 0);
    EXPECT_EQ(octaves[0].rows, (std::vector<std::string>{"31.5", "63.0", "125", "250", "500", "1k", "2.0k",
                                                         "4.0k", "8.0k", "16k"}));
    EXPECT_EQ(TablesFor(3, PK::WeightedTable, &*rec, 0).size(), 1u);
}

TEST(LevelViews, OtherGroupsRowsAndColumns) {
    EXPECT_EQ(BandLabels(22, PK::BandTable).size(), 30u);
    EXPECT_EQ(BandLabels(22, PK::BandTable)[0], "16.7");
    EXPECT_EQ(BandLabels(22, PK::BandTable)[2], "50");
    const auto field = TablesFor(22, PK::WeightedTable, nullptr, 0);
    EXPECT_EQ(field[0].rows, std::vector<std::string>{"10-30kHz"});
    EXPECT_EQ(field[0].columns, (std::vector<std::string>{"Fast", "Fast min", "Fast max"}));
    EXPECT_EQ(BandLabels(7, PK::ThirdTable).front(), "50.0");
    EXPECT_EQ(BandLabels(7, PK::ThirdTable).back(), "40k");
    EXPECT_EQ(BandLabels(6, PK::OctaveTable).front(), "2.0");
    // Whole-body vibration starts at 0.8 Hz, hand-arm at 6.3 Hz.
    EXPECT_EQ(BandLabels(1, PK::ThirdTable).front(), "0.8");
    EXPECT_EQ(BandLabels(2, PK::ThirdTable).front(), "6.3");
    EXPECT_EQ(BandLabels(2, PK::OctaveTable).back(), "1k");
    const auto vib = TablesFor(1, PK::WeightedTable, nullptr, 0);
    ASSERT_EQ(vib[0].columns.size(), 14u);
    EXPECT_EQ(vib[0].rows.size(), 9u);
    // Type 24 shows the sound-level shape without values.
    const auto two = TablesFor(24, PK::ThirdTable, nullptr, 0);
    EXPECT_EQ(two[0].rows.size(), 30u);
    EXPECT_LT(two[0].values[0][0], 0.0);
}

TEST(LevelViews, VibrationChannelsReadTheirOwnBlock) {
    auto sample = makeSampleRecord({2, 1, 3, 0});
    ASSERT_TRUE(sample.ok());
    const RecordBytes bytes = sample->encode();
    auto rec = MeasurementRecord::decode(bytes);
    ASSERT_TRUE(rec.ok());
    ASSERT_EQ(rec->dimensions.channels, 3);
    for (int ch = 0; ch < 3; ++ch) {
        const auto t = TablesFor(2, PK::OctaveTable, &*rec, ch);
        const int o = 20 + 2 * 446 * ch + 80 * 2 + 2 * 12;  // octave 2, Leq
        EXPECT_DOUBLE_EQ(t[0].values[2][9], decodeLevel(static_cast<uint16_t>(bytes[o] | bytes[o + 1] << 8)));
    }
}

TEST(LevelViews, SelectionClicksWithAndWithoutCtrl) {
    TableSelection s;
    s.Click(true, 0, false);
    s.Click(true, 1, true);
    s.Click(true, 2, false);
    EXPECT_EQ(s.columns, (std::set<int>{2}));
    s = {};
    s.Click(true, 0, false);
    s.Click(true, 1, true);
    s.Click(true, 2, true);
    EXPECT_EQ(s.columns, (std::set<int>{0, 1, 2}));
    s.Click(true, 1, true);
    EXPECT_EQ(s.columns, (std::set<int>{0, 2}));
    s.Click(false, 4, false);
    EXPECT_EQ(s.rows, (std::set<int>{4}));
    EXPECT_EQ(s.columns, (std::set<int>{0, 2}));
    s.Clear();
    EXPECT_TRUE(s.rows.empty() && s.columns.empty());
}

TEST(LevelViews, ToggleButtonIds) {
    struct Case {
        int id;
        int table;
        bool column;
        int index;
    } cases[] = {
        {110, 0, true, 0}, {209, 0, true, 99}, {210, 0, false, 0}, {312, 1, true, 2}, {509, 1, false, 99}};
    for (const auto& c : cases) {
        ToggleButton b;
        ASSERT_TRUE(DecodeToggleButton(c.id, b)) << c.id;
        EXPECT_EQ(b.table, c.table);
        EXPECT_EQ(b.column, c.column);
        EXPECT_EQ(b.index, c.index);
        EXPECT_EQ(ToggleButtonId(c.table, c.column, c.index), c.id);
    }
    ToggleButton b;
    EXPECT_FALSE(DecodeToggleButton(109, b));
    EXPECT_FALSE(DecodeToggleButton(510, b));
}

TEST(LevelViews, ClipboardTextOfTables) {
    LevelTable t{"1/1 octaves", {"Slow", "Leq"}, {"31.5", "63.0"}, {{94.0, -1.0}, {0.0, 40.0}}};
    EXPECT_EQ(TablesClipboardText({t}, false, 2e-05),
              "1/1 octaves\n\tSlow\tLeq\n31.5\t94.0\t\n63.0\t0.0\t40.0\n");
    LevelTable w{"Weighted levels", {"Slow"}, {"A"}, {{94.0}}};
    EXPECT_EQ(
        TablesClipboardText({t, w}, true, 2e-05),
        "1/1 octaves\n\tSlow\tLeq\n31.5\t1E0\t\n63.0\t20E-6\t2E-3\n\nWeighted levels\n\tSlow\nA\t1E0\n");
}

// The A and C corrections follow the IEC 61672-1 weighting functions at the exact base-ten band
// frequencies, to the 0.1 dB of the table.
TEST(LevelViews, CorrectionsFollowTheWeightingFunctions) {
    auto ra = [](double f) {
        const double f2 = f * f;
        return 12194.0 * 12194.0 * f2 * f2 /
               ((f2 + 20.6 * 20.6) * std::sqrt((f2 + 107.7 * 107.7) * (f2 + 737.9 * 737.9)) *
                (f2 + 12194.0 * 12194.0));
    };
    auto rc = [](double f) {
        const double f2 = f * f;
        return 12194.0 * 12194.0 * f2 / ((f2 + 20.6 * 20.6) * (f2 + 12194.0 * 12194.0));
    };
    for (int i = 0; i < 30; ++i) {
        const double f = 1000.0 * std::pow(10.0, (i - 16) / 10.0);
        EXPECT_NEAR(CorrectionTable(Correction::A)[static_cast<size_t>(i)], 20 * std::log10(ra(f)) + 2.0,
                    0.06)
            << i;
        EXPECT_NEAR(CorrectionTable(Correction::C)[static_cast<size_t>(i)], 20 * std::log10(rc(f)) + 0.062,
                    0.06)
            << i;
        EXPECT_EQ(CorrectionTable(Correction::Z)[static_cast<size_t>(i)], 0.0);
    }
}

TEST(LevelViews, SpectrumBarsWithCorrections) {
    auto rec = makeSampleRecord({3, 1, 9, 0});
    ASSERT_TRUE(rec.ok());
    const auto plain = SpectrumFor(3, &*rec, 9, 0, Correction::Z);
    const auto a = SpectrumFor(3, &*rec, 9, 0, Correction::A);
    const auto c = SpectrumFor(3, &*rec, 9, 0, Correction::C);
    ASSERT_EQ(plain.thirds.values.size(), 30u);
    ASSERT_EQ(plain.octaves.values.size(), 10u);
    EXPECT_NEAR(a.thirds.values[0] - plain.thirds.values[0], -44.7, 1e-9);
    EXPECT_NEAR(c.thirds.values[29] - plain.thirds.values[29], -11.2, 1e-9);
    // The 31.5 Hz octave takes the 31.5 Hz third's correction; 1 kHz is unchanged.
    EXPECT_NEAR(a.octaves.values[0] - plain.octaves.values[0], -39.4, 1e-9);
    EXPECT_NEAR(a.octaves.values[5] - plain.octaves.values[5], 0.0, 1e-9);
    const auto leq = TablesFor(3, PK::ThirdTable, &*rec, 0)[0];
    EXPECT_DOUBLE_EQ(plain.thirds.values[7], leq.values[7][9]);
    // Vibration and field meters get no corrections; the field meter's bands are the second chart.
    auto vib = makeSampleRecord({1, 1, 9, 0});
    EXPECT_EQ(SpectrumFor(1, &*vib, 0, 0, Correction::A).thirds.values,
              SpectrumFor(1, &*vib, 0, 0, Correction::Z).thirds.values);
    EXPECT_EQ(SpectrumFor(22, nullptr, 0, 0, Correction::Z).thirds.labels.size(), 30u);
    EXPECT_TRUE(SpectrumFor(22, nullptr, 0, 0, Correction::Z).octaves.values.empty());
}

TEST(LevelViews, PlotLimitsAndBounds) {
    EXPECT_TRUE(PlotLimits{}.valid());
    EXPECT_FALSE((PlotLimits{0, 170, 100, 170, 150}.valid()));  // threshold 2 equal to upper
    EXPECT_FALSE((PlotLimits{100, 200, 100, 170, 170}.valid()));
    EXPECT_FALSE((PlotLimits{10, 200, 100, 170, 5}.valid()));
    EXPECT_EQ(BoundText(150.0), "150");
    EXPECT_EQ(BoundText(12.345), "12.3");
    EXPECT_EQ(ParseBound("abc", 7.0), 7.0);
    EXPECT_EQ(ParseBound(" 90.5", 7.0), 90.5);
}

TEST(LevelViews, LevelSeriesOverTheRecordsOfAFile) {
    test::TempDir dir;
    const std::string path = dir.file("series.bin");
    std::vector<uint8_t> all;
    for (int i = 0; i < 3; ++i) {
        auto r = makeSampleRecord({6, 1, 2, i});
        ASSERT_TRUE(r.ok());
        // Infrasound weighted row 1 (Z), Leq (word 2): 20 + 14 * 33 + 4.
        RecordBytes b = r->encode();
        const int o = 20 + 14 * 33 + 4;
        b[o] = 0;
        b[o + 1] = static_cast<uint8_t>(60 + i);
        all.insert(all.end(), b.begin(), b.end());
    }
    all.resize(all.size() + 100);  // a partial record at the end is not counted
    test::writeBytes(path, all);
    auto file = BinFile::Open(path);
    ASSERT_TRUE(file.ok());
    auto series = LevelSeries(*file, 6, {2, 6, 1, 0});
    ASSERT_TRUE(series.ok());
    EXPECT_EQ(*series, (std::vector<double>{60.0, 61.0, 62.0}));
    EXPECT_FALSE(LevelSeries(*file, 6, {2, 6, 4, 0}).ok());
    RecordTail tail;
    EXPECT_EQ(SeriesStep(tail), 1.0);
    tail.intervalHours = 0;
    tail.intervalMinutes = 1;
    tail.intervalSeconds = 5;
    EXPECT_EQ(SeriesStep(tail), 65.0);
}

TEST(MiscViews, CommentThroughTheCharacterTables) {
    const std::array<uint8_t, 10> comment = {'N', 'o', 0xE8, ' ', 0x01, 0xFF, 'x', 'x', 'x', 'x'};
    EXPECT_EQ(CommentText(comment, 1), "No\u00E8 \u0001");
    EXPECT_EQ(CommentText(comment, 2), "No\u0438 \u0001");
    EXPECT_EQ(CommentText(comment, 3), "No. .");
    EXPECT_EQ(CommentText(comment, 7), CommentText(comment, 1));
    EXPECT_EQ(CommentText({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 1), "");
}

TEST(MiscViews, ParameterTextsOfARecord) {
    auto rec = makeSampleRecord({2, 0x00ABCDEF, 1, 0});
    ASSERT_TRUE(rec.ok());
    rec->header.date = packDosDate({2023, 4, 5, 0, 0, 0});
    rec->header.time = packDosTime({2023, 4, 5, 6, 7, 8});
    rec->tail.intervalHours = 1;
    rec->tail.intervalMinutes = 2;
    rec->tail.intervalSeconds = 3;
    rec->tail.rangeIndex = 2;
    rec->trailer.calibrationOffset = {-1.5, 0.0, 2.25};
    const RecordParameterTexts t = ParameterTexts(*rec);
    EXPECT_EQ(t.date, "05/04/2023");
    EXPECT_EQ(t.time, "06:07:08");
    EXPECT_EQ(t.interval, "1:02:03");
    EXPECT_EQ(t.vin, "00ABCDEF");
    EXPECT_EQ(t.range, 2);
    EXPECT_EQ(t.calibrationOffsets, (std::array<std::string, 3>{"-1.50", "0.00", "2.25"}));
    auto one = makeSampleRecord({3, 1, 1, 0});
    one->tail = RecordTail{};  // interval not known
    EXPECT_EQ(ParameterTexts(*one).calibrationOffsets[1], "");
    EXPECT_EQ(ParameterTexts(*one).interval, "");
}

TEST(MiscViews, ZeroDbReferenceAndNotepad) {
    EXPECT_EQ(ParseZeroDbReference("1e-5", 2e-05), 1e-05);
    for (const char* bad : {"0", "-1", "abc", "inf", ""})
        EXPECT_EQ(ParseZeroDbReference(bad, 2e-05), 2e-05) << bad;
    Notepad n;
    for (int i = 0; i < 12; ++i) n.Add(i, 10.0 * i);
    ASSERT_EQ(n.points().size(), 10u);
    EXPECT_EQ(n.points().front().x, 2.0);  // the two oldest were pushed out
    EXPECT_EQ(n.DifferenceText(0, 3), "3 ;    30");
    EXPECT_EQ(n.DifferenceText(3, 0), "-3 ;    -30");
    EXPECT_EQ(n.DifferenceText(0, 10), "");
    n.Clear();
    EXPECT_TRUE(n.points().empty());
}

TEST(SignalConversionViews, RecordRowsAndProblemText) {
    test::TempDir dir;
    test::SignalFileImage image(48000.0, 0b001);
    image.addRecord(std::vector<double>(72000, 0.0), 72000);
    image.addRecord({1.0}, 1, {}, true, (2026u << 9) | (12u << 5) | 10u, (9u << 12) | (8u << 6) | 7u);
    auto file = SdtContainer::Open(image.save(dir, "two.sdt"));
    ASSERT_TRUE(file.ok());
    const views::SignalRecordRows listed = views::ListSignalRecords(*file);
    EXPECT_FALSE(listed.problem);
    ASSERT_EQ(listed.rows.size(), 2u);
    EXPECT_EQ(listed.rows[0].length, "1.5");
    EXPECT_EQ(listed.rows[0].vin, "00C0FFEE");
    EXPECT_EQ(listed.rows[1].date, "10/12/2026");
    EXPECT_EQ(listed.rows[1].time, "09:08:07");
    EXPECT_TRUE(views::SelectionOfRows({false, true}).selected(1));
    EXPECT_FALSE(views::SelectionOfRows({false, true}).selected(0));

    ConversionReport report;
    EXPECT_EQ(views::ConversionProblemText(report), "");
    report.cancelled = true;
    EXPECT_EQ(views::ConversionProblemText(report), "");
    report.problems.push_back(fail("Record 2 is damaged"));
    report.missing.push_back("/out/a_2.wav");
    EXPECT_EQ(views::ConversionProblemText(report), "Record 2 is damaged\nNot written: /out/a_2.wav");
}

}  // namespace
}  // namespace k470::views

namespace k470 {
namespace {

// The window's text commands never write over the file they read, whatever name the save dialog returns.
TEST(RecordCommands, TextOutputsRefuseTheirOwnInput) {
    test::TempDir dir;
    const std::string bin = dir.file("one.bin");
    auto record = makeSampleRecord({});
    ASSERT_TRUE(record);
    ASSERT_TRUE(WriteSingleRecordFile(bin, *record, CalendarTime{2026, 1, 2, 3, 4, 6}));
    const std::vector<uint8_t> before = test::readBytes(bin);
    std::filesystem::create_symlink("one.bin", dir.file("link.txt"));
    for (const std::string& out : {bin, dir.file("link.txt")}) {
        SCOPED_TRACE(out);
        const Status translated = views::TranslateFileToText(bin, out);
        ASSERT_FALSE(translated);
        EXPECT_NE(translated.error().message.find("one of the input files"), std::string::npos);
        auto file = BinFile::Open(bin);
        ASSERT_TRUE(file);
        const Status saved =
            views::SaveShownRecordAsText(*file, 1, nullptr, out, false, dir.file("t.tmp"), {});
        EXPECT_FALSE(saved);
        EXPECT_EQ(test::readBytes(bin), before);
    }
    ASSERT_TRUE(views::TranslateFileToText(bin, dir.file("one.txt")));
    EXPECT_FALSE(test::readBytes(dir.file("one.txt")).empty());
}

}  // namespace
}  // namespace k470
