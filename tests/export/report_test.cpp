// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "export/analysis_fixtures.h"
#include "export/report_config.h"

namespace k470 {
namespace {

using test::RecordImage;
using test::TempDir;

TEST(ReportColumn, CodeAndName) {
    EXPECT_EQ(reportColumnCode({2, 13, 8, 2}), 0x02080D02u);
    EXPECT_EQ(reportColumnSelection(0x02080D02u), (LevelSelection{2, 13, 8, 2}));
    EXPECT_EQ(reportColumnName(1, {2, 13, 8, 2}), "Weighted levels, Pk, Wm, channel 3");
    EXPECT_EQ(reportColumnName(3, {1, 9, 0, 0}), "1/3 octaves, Leq, 25.0 Hz");
    EXPECT_EQ(reportColumnName(22, {1, 0, 0, 0}), "Weighted levels, Fast, 10-30 kHz");
}

TEST(ReportColumn, FrequencyLabels) {
    struct Case {
        DeviceType type;
        LevelSelection level;
        const char* label;
    };
    const Case cases[] = {
        {3, {0, 0, 0, 0}, "31.5"},  {3, {0, 0, 5, 0}, "1000"},  {3, {1, 0, 16, 0}, "1000"},
        {3, {1, 0, 14, 0}, "630"},  {3, {2, 10, 1, 0}, "A"},    {1, {0, 0, 0, 0}, "1"},
        {1, {1, 0, 0, 1}, "0.8"},   {1, {2, 0, 8, 2}, "Wm"},    {12, {0, 0, 29, 0}, "40000"},
        {22, {0, 0, 0, 0}, "16.7"}, {22, {0, 0, 29, 0}, "725"}, {22, {1, 2, 0, 0}, "10-30 kHz"},
    };
    for (const auto& c : cases) {
        const ReportColumn column = makeReportColumn(c.type, c.level);
        EXPECT_EQ(reportColumnLabel(c.type, column, true), c.label) << column.name;
        EXPECT_EQ(reportColumnLabel(c.type, column, false), column.name);
    }
}

TEST(ReportColumnList, AddAllDeleteAndMove) {
    ReportColumnList list;
    EXPECT_TRUE(list.Add(makeReportColumn(3, {0, 0, 0, 0})));
    EXPECT_FALSE(list.Add(makeReportColumn(3, {0, 0, 0, 0})));  // chosen twice, stored once
    EXPECT_EQ(list.All(3, 1, 9, 0), 30);                        // every 1/3-octave band of Leq
    EXPECT_EQ(list.All(3, 1, 9, 0), 0);
    ASSERT_EQ(list.size(), 31u);
    EXPECT_EQ(list.columns()[1].name, "1/3 octaves, Leq, 25.0 Hz");
    EXPECT_EQ(list.columns()[30].name, "1/3 octaves, Leq, 20k Hz");

    // Moving stops at the ends; the selection follows the entry.
    EXPECT_EQ(list.MoveUp(0), 0);
    EXPECT_EQ(list.MoveDown(30), 30);
    EXPECT_EQ(list.MoveUp(1), 0);
    EXPECT_EQ(list.columns()[0].name, "1/3 octaves, Leq, 25.0 Hz");
    EXPECT_EQ(list.MoveDown(0), 1);
    EXPECT_EQ(list.columns()[1].name, "1/3 octaves, Leq, 25.0 Hz");

    // Deleting keeps the selection at its position, or on the new last entry.
    EXPECT_EQ(list.Delete(1), 1);
    EXPECT_EQ(list.columns()[1].name, "1/3 octaves, Leq, 31.5 Hz");
    EXPECT_EQ(list.Delete(29), 28);
    EXPECT_EQ(list.size(), 29u);
    ReportColumnList one;
    one.Add(makeReportColumn(3, {0, 0, 0, 0}));
    EXPECT_EQ(one.Delete(0), -1);
    EXPECT_EQ(one.Delete(0), -1);
}

// report.cfg bytes built field by field.
struct CfgBytes {
    std::vector<uint8_t> bytes;
    CfgBytes& u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    CfgBytes& name(std::u16string_view s) {
        u32(static_cast<uint32_t>(s.size()));
        for (char16_t c : s) {
            bytes.push_back(static_cast<uint8_t>(c & 0xFF));
            bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
        return *this;
    }
    CfgBytes& append(const CfgBytes& other) {
        bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
        return *this;
    }
};

// Entry of type 3: Slow of the 125 Hz octave, then Fast of A; entry of type 6 with a name that is not valid
// UTF-16 (a lone surrogate), which must come back byte for byte.
CfgBytes soundEntry() {
    return CfgBytes{}.u32(3).u32(2).u32(0x00020000).name(u"Octave 125").u32(0x00010302).name(u"Fast A");
}
CfgBytes infraEntry() {
    return CfgBytes{}.u32(6).u32(1).u32(0x00000001).name(u"x\xD800");
}

TEST(ReportConfig, KeepsOtherTypesAsRead) {
    const auto bytes = CfgBytes{}.u32(2).append(soundEntry()).append(infraEntry()).bytes;
    ReportConfig config = ReportConfig::Parse(bytes);
    EXPECT_FALSE(config.damaged());
    ReportColumnList list = config.columnsFor(3);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.columns()[0], (ReportColumn{0x00020000, "Octave 125"}));
    EXPECT_EQ(list.columns()[1], (ReportColumn{0x00010302, "Fast A"}));
    EXPECT_EQ(config.Serialize(), bytes);

    list.Delete(0);
    list.Add(makeReportColumn(3, {2, 10, 2, 0}));
    config.setColumns(3, list);
    const auto expected = CfgBytes{}
                              .u32(2)
                              .u32(3)
                              .u32(2)
                              .u32(0x00010302)
                              .name(u"Fast A")
                              .u32(0x00020A02)
                              .name(u"Weighted levels, Peak, Z")
                              .append(infraEntry())
                              .bytes;
    EXPECT_EQ(config.Serialize(), expected);

    config.setColumns(11, ReportColumnList{});
    EXPECT_EQ(config.entries().size(), 3u);
    EXPECT_EQ(config.entries()[2], (ReportConfigEntry{11, {}}));
}

TEST(ReportConfig, DamagedFilesKeepWhatCouldBeReadAndAreWrittenSound) {
    const auto whole = CfgBytes{}.u32(2).append(soundEntry()).append(infraEntry()).bytes;
    const size_t secondName = 4 + 8 + 8 + 4 + 2 * 10 + 8;  // where the name "Fast A" starts
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<size_t> columnsPerEntry;
    };
    auto cut = [&](size_t n) {
        return std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(n));
    };
    std::vector<Case> cases = {
        {"cut inside a name", cut(secondName + 5), {1}},
        {"cut inside a count", cut(2), {}},
        {"cut between entries", cut(whole.size() - infraEntry().bytes.size() + 2), {2}},
        {"entry count too large", CfgBytes{}.u32(5).append(soundEntry()).append(infraEntry()).bytes, {2, 1}},
        {"entry count 4 billion", CfgBytes{}.u32(0xFFFFFFFF).append(soundEntry()).bytes, {2}},
        {"column count too large", CfgBytes{}.u32(1).u32(3).u32(1000).u32(0).name(u"a").bytes, {1}},
        {"name length too large",
         CfgBytes{}.u32(1).u32(3).u32(2).u32(0).name(u"a").u32(1).u32(0x7FFFFFFF).bytes,
         {1}},
        {"bytes behind the last entry", CfgBytes{}.u32(1).append(soundEntry()).u32(7).bytes, {2}},
        {"entry count too small", CfgBytes{}.u32(1).append(soundEntry()).append(infraEntry()).bytes, {2}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const ReportConfig config = ReportConfig::Parse(c.bytes);
        EXPECT_TRUE(config.damaged()) << c.what;
        std::vector<size_t> counts;
        for (const auto& e : config.entries()) counts.push_back(e.columns.size());
        EXPECT_EQ(counts, c.columnsPerEntry) << c.what;

        const std::string path = dir.file("report.cfg");
        test::writeBytes(path, c.bytes);
        ReportConfig read = ReportConfig::Read(path);
        ASSERT_TRUE(read.Write(path)) << c.what;
        const ReportConfig again = ReportConfig::Read(path);
        EXPECT_FALSE(again.damaged()) << c.what;
        EXPECT_EQ(again.entries(), config.entries()) << c.what;
    }
}

TEST(ReportConfig, MissingOrUnreadableFilesAndUnofferedCodes) {
    TempDir dir;
    const ReportConfig none = ReportConfig::Read(dir.file("report.cfg"));
    EXPECT_TRUE(none.entries().empty());
    EXPECT_FALSE(none.damaged());
    EXPECT_TRUE(none.Write(dir.file("report.cfg")));

    // A configuration that cannot be read is not written over.
    std::filesystem::create_directory(dir.file("dir.cfg"));
    const ReportConfig unreadable = ReportConfig::Read(dir.file("dir.cfg"));
    EXPECT_TRUE(unreadable.unreadable());
    EXPECT_FALSE(unreadable.Write(dir.file("dir.cfg")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("dir.cfg")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("dir.cfg.new")));
    // A band beyond the octave table and a repeated code are not offered to the dialog.
    const auto bytes = CfgBytes{}
                           .u32(1)
                           .u32(3)
                           .u32(3)
                           .u32(0x000A0000)
                           .name(u"bad")
                           .u32(0x00000000)
                           .name(u"ok")
                           .u32(0x00000000)
                           .name(u"again")
                           .bytes;
    const ReportColumnList list = ReportConfig::Parse(bytes).columnsFor(3);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.columns()[0].name, "ok");
}

class ReportText : public ::testing::Test {
  protected:
    std::string write(const std::vector<std::string>& paths, const std::vector<ReportColumn>& chosen,
                      const ReportSwitches& switches) {
        auto set = ScanFileSet(paths);
        EXPECT_TRUE(set) << set.error().message;
        const std::string out = dir.file("report.txt");
        {
            auto file = File::Open(out, File::Mode::Create);
            TextWriter writer(*file);
            EXPECT_TRUE(WriteReport(*set, chosen, switches, writer));
        }
        return test::readText(out);
    }
    // Sound level record: Slow of the 31.5 Hz octave is word 2, Peak of Z word 400 + 24 + 5.
    static RecordImage sound(uint16_t slow, uint16_t peakZ, uint32_t vin = 0x12AB34CD,
                             uint16_t date = 0x5D8A) {
        RecordImage r(3, vin, date);
        r.at(20 + 2 * 2, slow).at(20 + 2 * 429, peakZ);
        return r;
    }
    const std::vector<ReportColumn> columns = {makeReportColumn(3, {0, 0, 0, 0}),
                                               makeReportColumn(3, {2, 10, 2, 0})};
    TempDir dir;
};

TEST_F(ReportText, TwoFilesOfOneDateAndSerialNumber) {
    test::writeRecords(dir.file("a.bin"), {sound(60 * 256 + 128, 70 * 256).interval(440, 1, 2, 3)});
    test::writeRecords(dir.file("b.bin"), {sound(1, 0xFFFF)});
    EXPECT_EQ(write({dir.file("a.bin"), dir.file("b.bin")}, columns, {}),
              "Date; 10/12/2026;\r\n"
              "VIN; 12AB34CD;\r\n"
              "Filename; a.bin; b.bin; \r\n"
              "Time; 14:11:16; 14:11:16; \r\n"
              "Interval; 1:02:03; 0:00:00; \r\n"
              "1/1 octaves, Slow, 31.5 Hz; 60.50; 0.00; \r\n"
              "Weighted levels, Peak, Z; 70.00; 256.00; \r\n");
}

TEST_F(ReportText, DifferingDatesAndSerialNumbersGoIntoTheFieldLines) {
    test::writeRecords(dir.file("a.bin"), {sound(256, 512)});
    test::writeRecords(dir.file("c.bin"),
                       {sound(768, 1024, 7, 0x5D8B), sound(0, 0, 8, 0x5D8A), sound(0, 0, 9)});
    ReportSwitches s;
    s.time = false;
    s.interval = false;
    s.frequencyNamesOnly = true;
    EXPECT_EQ(write({dir.file("a.bin"), dir.file("c.bin")}, columns, s),
              "Filename; a.bin; c.bin; c.bin; c.bin; \r\n"
              "Date; 10/12/2026; 11/12/2026; 10/12/2026; 10/12/2026; \r\n"
              "VIN; 12AB34CD; 00000007; 00000008; 00000009; \r\n"
              "31.5; 1.00; 3.00; 0.00; 0.00; \r\n"
              "Z; 2.00; 4.00; 0.00; 0.00; \r\n");

    s = ReportSwitches{};
    s.date = false;
    s.vin = false;
    EXPECT_EQ(write({dir.file("a.bin"), dir.file("c.bin")}, {}, s),
              "Filename; a.bin; c.bin; c.bin; c.bin; \r\n"
              "Time; 14:11:16; 14:11:16; 14:11:16; 14:11:16; \r\n"
              "Interval; 0:00:00; 0:00:00; 0:00:00; 0:00:00; \r\n");
}

// The progress goes up to 100 over the records; a cancel stops the report before anything is written.
TEST_F(ReportText, ProgressAndCancel) {
    test::writeRecords(dir.file("a.bin"), {sound(256, 512), sound(256, 512)});
    test::writeRecords(dir.file("b.bin"), {sound(256, 512)});
    auto set = ScanFileSet(std::vector<std::string>{dir.file("a.bin"), dir.file("b.bin")});
    ASSERT_TRUE(set);
    for (bool cancel : {false, true}) {
        std::vector<int> heard;
        const std::string out = dir.file("progress.txt");
        {
            auto file = File::Open(out, File::Mode::Create);
            TextWriter writer(*file);
            Status s = WriteReport(*set, columns, {}, writer, [&](int percent) {
                heard.push_back(percent);
                return !cancel;
            });
            EXPECT_EQ(bool(s), !cancel);
            if (cancel) {
                EXPECT_EQ(s.error().message, "The report was cancelled");
            }
        }
        ASSERT_FALSE(heard.empty());
        EXPECT_EQ(heard.front(), 0);
        if (cancel) {
            EXPECT_EQ(heard.size(), 1u);
            EXPECT_EQ(test::readText(out), "");
        } else {
            EXPECT_EQ(heard.back(), 100);
            EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
        }
    }
}

}  // namespace
}  // namespace k470
