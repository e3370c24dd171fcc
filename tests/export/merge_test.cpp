// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/merge.h"

#include <gtest/gtest.h>

#include "export/analysis_fixtures.h"

namespace k470 {
namespace {

using test::RecordImage;
using test::TempDir;

class Merge : public ::testing::Test {
  protected:
    // Runs the merge into a file and gives its bytes and the status.
    std::string merge(const std::vector<std::string>& paths, Status* status = nullptr) {
        const std::string out = dir.file("merged.txt");
        {
            auto file = File::Open(out, File::Mode::Create);
            TextWriter writer(*file);
            Status s = MergeToText(paths, writer, exporter);
            if (status)
                *status = s;
            else
                EXPECT_TRUE(s) << s.error().message;
        }
        return test::readText(out);
    }
    std::string body(const RecordImage& r) const {
        std::string text;
        exporter.exportRecord(r.bytes, text, false, 0.0);
        return text;
    }
    static std::string fileLine(const std::string& path) { return "\r\n    File " + path + "\r\n"; }

    TempDir dir;
    TextExporter exporter;
    RecordImage sound = RecordImage(3).fill(436, 60 * 256);
    RecordImage infra = RecordImage(6, 0x00000042).fill(252, 70 * 256 + 3);
};

TEST_F(Merge, OneRecordFilesOfDifferentTypes) {
    test::writeRecords(dir.file("a.bin"), {sound});
    test::writeRecords(dir.file("b.bin"), {infra});
    const std::string text = merge({dir.file("a.bin"), dir.file("b.bin")});
    // Each "File" line is followed directly by the record's "VIN" line; no "Record" lines.
    EXPECT_EQ(text, fileLine(dir.file("a.bin")) + body(sound) + fileLine(dir.file("b.bin")) + body(infra));
    EXPECT_NE(text.find("File " + dir.file("b.bin") + "\r\nVIN:; 00000042;\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Record"), std::string::npos);
}

TEST_F(Merge, RecordLinesEmptyFilesAndRecordsWithoutLayout) {
    RecordImage unknown(13);
    test::writeRecords(dir.file("three.bin"), {sound, unknown, infra});
    test::writeBytes(dir.file("empty.bin"), {});
    const std::string text = merge({dir.file("empty.bin"), dir.file("three.bin")});
    EXPECT_EQ(text, fileLine(dir.file("empty.bin")) + fileLine(dir.file("three.bin")) + "\r\nRecord; 1;\r\n" +
                        body(sound) + "\r\nRecord; 2;\r\n" + "\r\nRecord; 3;\r\n" + body(infra));
}

TEST_F(Merge, AnInputThatCannotBeOpenedEndsTheMergeKeepingWhatWasWritten) {
    test::writeRecords(dir.file("a.bin"), {sound});
    Status s;
    const std::string text = merge({dir.file("a.bin"), dir.file("missing.bin"), dir.file("a.bin")}, &s);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().message, "Can't open file '" + dir.file("missing.bin") + "'");
    EXPECT_EQ(text, fileLine(dir.file("a.bin")) + body(sound) + fileLine(dir.file("missing.bin")));
}

}  // namespace
}  // namespace k470
