// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "data/bin_file.h"
#include "data/sample_records.h"
#include "data/sdt_container.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using test::runCommand;
using test::TempDir;

test::CommandResult cli(const std::vector<std::string>& args) {
    return runCommand(K470_CLI, args);
}

std::string makeSample(const TempDir& dir, const std::string& name, int type, int records) {
    const std::string path = dir.file(name);
    auto r =
        cli({"sample", "--type", std::to_string(type), "--records", std::to_string(records), "-o", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return path;
}

TEST(CliExport, WritesBesideTheInputOrToTheGivenOutput) {
    TempDir dir;
    const std::string in = makeSample(dir, "run.1.bin", 3, 3);
    auto r = cli({"export", in});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string text = test::readText(dir.file("run.1.txt"));
    EXPECT_EQ(text.substr(0, 14), "\r\nRecord; 1;\r\n");

    auto toStdout = cli({"export", "-o", "-", in});
    ASSERT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out, text);

    auto linear = cli({"export", "--linear", "-o", dir.file("lin.txt"), in});
    ASSERT_EQ(linear.exitCode, 0);
    EXPECT_NE(test::readText(dir.file("lin.txt")).find("E-3;"), std::string::npos);
}

TEST(CliExport, CsvBesideTheInputAndMergedWithAFileColumn) {
    TempDir dir;
    const std::string a = makeSample(dir, "a.bin", 3, 2);
    const std::string b = makeSample(dir, "b.bin", 3, 1);
    auto r = cli({"export", "--csv", a});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string csv = test::readText(dir.file("a.csv"));
    EXPECT_TRUE(csv.starts_with("date,time,vin,interval_s,")) << csv.substr(0, 80);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.txt")));

    auto merged = cli({"merge", "--csv", "-o", "-", a, b});
    ASSERT_EQ(merged.exitCode, 0) << merged.err;
    EXPECT_TRUE(merged.out.starts_with("file,date,time,vin,interval_s,"));
    EXPECT_EQ(std::count(merged.out.begin(), merged.out.end(), '\n'), 4);
    EXPECT_NE(merged.out.find("\n" + b + ","), std::string::npos);
    EXPECT_EQ(cli({"export", "--csv", "--linear", a}).exitCode, 2);
}

TEST(Cli, VersionOfEveryProgram) {
    auto v = cli({"--version"});
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_TRUE(v.out.starts_with("k470-cli ")) << v.out;
    auto sim = runCommand(K470_SIM, {"--version"});
    EXPECT_EQ(sim.exitCode, 0);
    EXPECT_TRUE(sim.out.starts_with("k470-sim ")) << sim.out;
}

TEST(CliExport, FailuresPrintTheMessageAndExitNonZero) {
    TempDir dir;
    const std::string good = makeSample(dir, "good.bin", 22, 1);
    auto missing = cli({"export", dir.file("x.bin")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_EQ(missing.err,
              "k470-cli: Can't open file '" + dir.file("x.bin") + "': No such file or directory\n");

    auto badTarget = cli({"export", "-o", dir.file("no/such/dir.txt"), good});
    EXPECT_NE(badTarget.exitCode, 0);
    EXPECT_EQ(badTarget.err, "k470-cli: Can't write file '" + dir.file("no/such/dir.txt") +
                                 "': No such file or directory\n");

    auto twoWithOutput = cli({"export", "-o", dir.file("o.txt"), good, good});
    EXPECT_EQ(twoWithOutput.exitCode, 2);

    test::writeBytes(dir.file("empty.bin"), {});
    auto empty = cli({"export", dir.file("empty.bin")});
    EXPECT_NE(empty.exitCode, 0);
    EXPECT_NE(empty.err.find("No source data"), std::string::npos);

    std::vector<uint8_t> unknown(kRecordSize, 0);
    unknown[18] = 27;
    test::writeBytes(dir.file("unknown.bin"), unknown);
    auto u = cli({"export", dir.file("unknown.bin")});
    EXPECT_NE(u.exitCode, 0);
    EXPECT_NE(u.err.find("Unknown file format"), std::string::npos);
}

TEST(CliSample, RefusesTypesWithoutARecordLayoutAndBadSignalKindsWithoutWritingAFile) {
    TempDir dir;
    const std::string out = dir.file("s.bin");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"sample", "--type", "13", "-o", out}, 1, "device type 13 has no record layout"},
        {{"sample", "--type", "27", "-o", out}, 1, "device type 27 has no record layout"},
        {{"sample", "--sdt", "noise", "-o", out}, 2, "calibrator, pink, events, room, vibration"},
        {{"sample", "--sdt", "pink", "--type", "3", "-o", out}, 2, "--type does not go with --sdt"},
        {{"sample", "--sdt", "pink", "-o", dir.file("no/such/dir.sdt")}, 1, "Can't write file"},
    };
    for (const Case& c : cases) {
        auto r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[2];
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args[2] << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.args[2];
    }
}

TEST(CliSample, SignalFilesOpenInTheSignalCommands) {
    TempDir dir;
    const std::string out = dir.file("cal.sdt");
    auto made = cli({"sample", "--sdt", "calibrator", "-o", out});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto info = cli({"info", out});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("Records: 2"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("192000 frames (4.0 s)"), std::string::npos) << info.out;
    auto text = cli({"sdt2txt", "--records", "2", out});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(test::readText(dir.file("cal_1.txt")).find("ch1[Pa]"), std::string::npos);
}

TEST(CliInfo, ListsRecordsAndSignalEntries) {
    TempDir dir;
    const std::string bin = makeSample(dir, "two.BIN", 1, 2);
    auto r = cli({"info", bin});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Records: 2\n"), std::string::npos);
    EXPECT_NE(r.out.find("2: 01/12/2026 09:01:02; Three-channel whole-body vibration meter; VIN: 00A1B2C3\n"),
              std::string::npos)
        << r.out;

    SdtHeader h;
    h.sampleRate = 24000;
    h.channelCount = 1;
    h.channelMask = 1;
    h.units[0] = u"Pa";
    auto w = SdtWriter::Create(dir.file("sig.sdt"), h);
    ASSERT_TRUE(w);
    std::array<uint8_t, kMarkerTableSize> table{};
    ASSERT_TRUE(w->BeginRecord(26, 0xBEEF, {2026, 5, 6, 7, 8, 9}, table));
    const double samples[] = {0.1, 0.2, 0.3};
    ASSERT_TRUE(w->AppendFrames(samples, 3));
    ASSERT_TRUE(w->Finish());
    auto s = cli({"info", dir.file("sig.sdt")});
    ASSERT_EQ(s.exitCode, 0) << s.err;
    EXPECT_NE(
        s.out.find(
            "Records: 1\n1: entry 0; 06/05/2026 07:08:09; 3 frames (0.0 s); Pulse source; VIN: 0000BEEF\n"),
        std::string::npos)
        << s.out;

    test::writeBytes(dir.file("bad.sdt"), std::vector<uint8_t>(1000, 0));
    auto bad = cli({"info", dir.file("bad.sdt")});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_EQ(bad.err, "k470-cli: Unknown file format\n");
}

TEST(Cli, HelpAndUnknownCommands) {
    auto help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("export"), std::string::npos);
    auto exportHelp = cli({"export", "--help"});
    EXPECT_EQ(exportHelp.exitCode, 0);
    EXPECT_NE(exportHelp.out.find("--linear"), std::string::npos);
    EXPECT_EQ(cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(cli({"export", "--bogus", "x.bin"}).exitCode, 2);
}

}  // namespace
}  // namespace k470
