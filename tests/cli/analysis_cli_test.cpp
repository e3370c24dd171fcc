// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli merge, percentiles and report, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "export/analysis_fixtures.h"

namespace k470 {
namespace {

using test::RecordImage;
using test::TempDir;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class AnalysisCli : public ::testing::Test {
  protected:
    CliRun run(const std::string& args) {
        const std::string command =
            std::string(K470_CLI) + " " + args + " >" + dir.file("stdout") + " 2>" + dir.file("stderr");
        const int status = std::system(command.c_str());
        CliRun r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = test::readText(dir.file("stdout"));
        r.err = test::readText(dir.file("stderr"));
        return r;
    }
    // Sound level records whose weighted Slow min of A (row 1 of the weighted rows at word 400, word 10 of
    // the row) carries the level; every other level word 10 dB.
    static RecordImage sound(uint16_t level, uint32_t vin = 0x12AB34CD) {
        return RecordImage(3, vin).fill(436, 10 * 256).at(20 + 2 * (412 + 10), level);
    }
    TempDir dir;
};

TEST_F(AnalysisCli, PercentilesPrintsAscendingPercentagesMinMaxAndClasses) {
    test::writeRecords(dir.file("a.bin"), {sound(60 * 256), sound(61 * 256)});
    test::writeRecords(dir.file("b.bin"), {sound(62 * 256), sound(63 * 256 + 1)});
    const CliRun r =
        run("percentiles --level 2,1,1 --percent 80 --percent 25 --percent 50 --percent 50.0 --histogram " +
            dir.file("a.bin") + " " + dir.file("b.bin"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "L25;63.50\nL50;62.50\nL80;60.50\nmin;60.00\nmax;63.00\n"
              "class;60.0;1\nclass;61.0;1\nclass;62.0;1\nclass;63.0;1\n");
    EXPECT_EQ(run("percentiles --level 2,1,1 " + dir.file("a.bin")).out, "min;60.00\nmax;61.00\n");
}

TEST_F(AnalysisCli, PercentilesRefusals) {
    test::writeRecords(dir.file("a.bin"), {sound(60 * 256)});
    test::writeRecords(dir.file("infra.bin"), {RecordImage(6)});
    test::writeBytes(dir.file("empty.bin"), {});
    struct Case {
        std::string args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"--level 0,0,0 " + dir.file("a.bin") + " " + dir.file("infra.bin"), 1,
         "Different file types: Sound level and spectrum meter and Infrasound meter:\n" +
             dir.file("infra.bin")},
        {"--level 0,0,0 " + dir.file("empty.bin"), 1, "No source data"},
        {"--level 0,0,0 " + dir.file("none.bin"), 1, "Can't open file '" + dir.file("none.bin") + "'"},
        {"--level 0,0,0 --percent 1O " + dir.file("a.bin"), 2,
         "--percent takes a number from 0 to 100, not '1O'"},
        {"--level 0,0,0 --percent -5 " + dir.file("a.bin"), 2,
         "--percent takes a number from 0 to 100, not '-5'"},
        {"--level 0,0,0 --percent 1e3 " + dir.file("a.bin"), 2, "from 0 to 100, not '1e3'"},
        {"--level 0,0,0 --percent 100.001 " + dir.file("a.bin"), 2, "from 0 to 100, not '100.001'"},
        {"--level 0,0,10 " + dir.file("a.bin"), 2, "bands of table 0 are 0..9"},
        {"--level 0,0 " + dir.file("a.bin"), 2, "--level takes T,P,B or T,P,B,C"},
        {dir.file("a.bin"), 2, "give the level with --level"},
    };
    for (const auto& c : cases) {
        const CliRun r = run("percentiles " + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(r.out, "") << c.args;
    }
}

TEST_F(AnalysisCli, MergeWritesEveryFileIntoOneText) {
    test::writeRecords(dir.file("a.bin"), {sound(60 * 256)});
    test::writeRecords(dir.file("b.bin"), {sound(61 * 256), sound(62 * 256)});
    CliRun r = run("merge -o " + dir.file("m.txt") + " " + dir.file("a.bin") + " " + dir.file("b.bin"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string text = test::readText(dir.file("m.txt"));
    EXPECT_EQ(text.rfind("\r\n    File " + dir.file("a.bin") + "\r\nVIN:; 12AB34CD;\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\n    File " + dir.file("b.bin") + "\r\n\r\nRecord; 1;\r\nVIN:; "),
              std::string::npos);
    EXPECT_NE(text.find("\r\nRecord; 2;\r\n"), std::string::npos);

    r = run("merge -o " + dir.file("m2.txt") + " " + dir.file("a.bin") + " " + dir.file("none.bin"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Can't open file '" + dir.file("none.bin") + "'"), std::string::npos);
    EXPECT_EQ(run("merge " + dir.file("a.bin")).exitCode, 2);
}

TEST_F(AnalysisCli, ReportKeepsItsColumnsInTheConfiguration) {
    test::writeRecords(dir.file("a.bin"), {sound(60 * 256), sound(61 * 256, 5)});
    const std::string cfg = dir.file("report.cfg");
    CliRun r = run("report --column 2,1,1 --column 0,9,9 --column 2,1,1 --config " + cfg +
                   " --no-time --no-interval -o " + dir.file("r.txt") + " " + dir.file("a.bin"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string expected =
        "Date; 10/12/2026;\r\n"
        "VIN; 12AB34CD;\r\n"
        "Filename; a.bin; a.bin; \r\n"
        "Weighted levels, Slow min, A; 60.00; 61.00; \r\n"
        "1/1 octaves, Leq, 16k Hz; 10.00; 10.00; \r\n";
    EXPECT_EQ(test::readText(dir.file("r.txt")), expected);
    // The stored list gives the same report without naming the columns again.
    r = run("report --config " + cfg + " --no-time --no-interval -o - " + dir.file("a.bin"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    r = run("report --frequency-names --no-date --no-vin --no-time --no-interval --column 1,0,16 -o - " +
            dir.file("a.bin"));
    EXPECT_EQ(r.out, "Filename; a.bin; a.bin; \r\n1000; 10.00; 10.00; \r\n");
    EXPECT_EQ(run("report --column 3,0,0 -o - " + dir.file("a.bin")).exitCode, 2);
}

}  // namespace
}  // namespace k470
