// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_export.h"

#include <gtest/gtest.h>

#include <sstream>

#include "analysis_fixtures.h"
#include "base/lexicon.h"

namespace k470 {
namespace {

using test::RecordImage;
using test::TempDir;

std::vector<std::string> split(const std::string& line, char by) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, by);) fields.push_back(f);
    if (!line.empty() && line.back() == by) fields.emplace_back();
    return fields;
}

Result<std::string> csvOf(const std::vector<std::string>& paths, bool fileColumn, const TempDir& dir) {
    auto out = File::Open(dir.file("out.csv"), File::Mode::Create);
    if (!out) return out.error();
    {
        TextWriter w(*out);
        if (auto s = WriteRecordsAsCsv(paths, w, fileColumn); !s) return s.error();
    }
    (void)out->close();
    return test::readText(dir.file("out.csv"));
}

// Sound level records: every level 10 dB, the weighted Slow minimum of A (word 412 + 10) at 60 dB, and a
// known interval of 1 h 2 min 3 s.
RecordImage soundRecord() {
    const int words = lookupRecordDimensions(3)->wordCount;
    return RecordImage(3)
        .fill(words - 4, 10 * 256)
        .at(20 + 2 * (412 + 10), 60 * 256)
        .interval(words, 1, 2, 3);
}

TEST(CsvExport, OneRowPerRecordUnderAHeaderWithUnits) {
    TempDir dir;
    test::writeRecords(dir.file("a.bin"), {soundRecord(), soundRecord()});
    auto csv = csvOf({dir.file("a.bin")}, false, dir);
    ASSERT_TRUE(csv) << csv.error().message;
    EXPECT_EQ(csv->find('\r'), std::string::npos);
    EXPECT_EQ(csv->find(';'), std::string::npos);
    const auto lines = split(*csv, '\n');
    ASSERT_EQ(lines.size(), 4u);  // header, two records, and the empty rest after the last LF
    EXPECT_EQ(lines.back(), "");
    const auto header = split(lines[0], ',');
    const auto row = split(lines[1], ',');
    ASSERT_EQ(header.size(), row.size());
    EXPECT_EQ(std::vector<std::string>(header.begin(), header.begin() + 4),
              (std::vector<std::string>{"date", "time", "vin", "interval_s"}));
    EXPECT_EQ(std::vector<std::string>(row.begin(), row.begin() + 4),
              (std::vector<std::string>{"2026-12-10", "14:11:16", "12AB34CD", "3723"}));
    EXPECT_EQ(lines[2], lines[1]);
    int sixty = 0;
    for (size_t i = 4; i < header.size(); ++i) {
        SCOPED_TRACE(header[i]);
        EXPECT_TRUE(header[i].ends_with("_dB"));
        EXPECT_EQ(header[i].find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_dB"), std::string::npos);
        EXPECT_TRUE(row[i] == "10.00" || row[i] == "60.00") << row[i];
        sixty += row[i] == "60.00";
    }
    EXPECT_EQ(sixty, 1);
}

TEST(CsvExport, MergedFilesShareOneTableOfOneType) {
    TempDir dir;
    test::writeRecords(dir.file("a.bin"), {soundRecord()});
    test::writeRecords(dir.file("b.bin"), {soundRecord(), soundRecord()});
    test::writeRecords(dir.file("infra.bin"), {RecordImage(6)});
    auto csv = csvOf({dir.file("a.bin"), dir.file("b.bin")}, true, dir);
    ASSERT_TRUE(csv) << csv.error().message;
    const auto lines = split(*csv, '\n');
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[0].starts_with("file,date,time,vin,interval_s,"));
    EXPECT_TRUE(lines[1].starts_with(dir.file("a.bin") + ",2026-12-10,"));
    EXPECT_TRUE(lines[3].starts_with(dir.file("b.bin") + ",2026-12-10,"));

    auto mixed = csvOf({dir.file("a.bin"), dir.file("infra.bin")}, true, dir);
    ASSERT_FALSE(mixed);
    EXPECT_NE(mixed.error().message.find("Different file types"), std::string::npos);
}

TEST(CsvExport, ColumnNamesAreWordsOfTheChoices) {
    EXPECT_EQ(csvName("1/3 octaves"), "1_3_octaves");
    EXPECT_EQ(csvName("  Leq, A (Slow) "), "leq_a_slow");
    EXPECT_EQ(csvName(""), "");
}

}  // namespace
}  // namespace k470
