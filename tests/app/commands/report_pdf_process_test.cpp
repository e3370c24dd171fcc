// SPDX-License-Identifier: GPL-3.0-or-later
// k470 --report-pdf as a user runs it on a machine without a display: the report of generated record
// files, looked into with poppler's tools, and the failures that leave no file behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/commands/pdf_checks.h"
#include "data/dos_date_time.h"
#include "export/analysis_fixtures.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using test::RecordImage;

// Sound level meter records (type 3, 440 result words) with every level at the given value, two seconds
// apart from 8 June 2026 08:15:00.
void writeSoundFile(const std::string& path, const std::vector<double>& levels) {
    std::vector<RecordImage> records;
    for (size_t i = 0; i < levels.size(); ++i) {
        const CalendarTime t = shiftedBy(CalendarTime{2026, 6, 8, 8, 15, 0}, 2 * static_cast<int64_t>(i));
        records.push_back(RecordImage(3, 0x00C0FFEE, packDosDate(t), packDosTime(t))
                              .fill(436, static_cast<uint16_t>(levels[i] * 256)));
    }
    test::writeRecords(path, records);
}

// Runs k470 with the arguments where no display exists and the X11 platform is asked for, so only the
// program's own choice of the off-screen platform lets it draw; settings go to dir.
test::CommandResult runK470(const test::TempDir& dir, const std::vector<std::string>& args,
                            const char* platform = "xcb") {
    std::vector<std::string> all = {"-u",
                                    "DISPLAY",
                                    "-u",
                                    "WAYLAND_DISPLAY",
                                    std::string("QT_QPA_PLATFORM=") + platform,
                                    "XDG_CONFIG_HOME=" + dir.file("config"),
                                    "XDG_RUNTIME_DIR=" + dir.path(),
                                    K470_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    return test::runCommand(test::findTool("env").value_or("/usr/bin/env"), all);
}

TEST(ReportPdfProcess, WritesTheReportOfTheFilesWithoutADisplay) {
    test::TempDir dir;
    const std::string first = dir.file("first.bin");
    const std::string second = dir.file("second.bin");
    writeSoundFile(first, {60, 60, 60, 60});
    writeSoundFile(second, {70, 70, 70, 70});
    const std::string out = dir.file("report.pdf");
    const auto r = runK470(
        dir, {"--report-pdf", out, "--operator", "Jo Smith", "--project", "Quarry north", first, second});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(test::readText(out).substr(0, 5), "%PDF-");
    if (!test::havePoppler()) GTEST_SKIP() << test::kNoPoppler;

    const std::string text = test::pdfText(out);
    // Two halves at 60 and 70 dB: LAeq = 10 lg((10^6 + 10^7) / 2) = 67.4 dB.
    for (const char* expected : {"67.4 dB", "Page 1 of 2", "Page 2 of 2", "Jo Smith", "Quarry north",
                                 "first.bin", "second.bin", "00C0FFEE", "08/06/2026 08:15:00", "k470 "})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " is not in\n" << text;
    const std::vector<long> dark = test::darkPixelsPerPage(out);
    ASSERT_EQ(dark.size(), 2u);
    for (long d : dark) EXPECT_GT(d, 500);
}

TEST(ReportPdfProcess, TheChosenLevelIsPlotted) {
    test::TempDir dir;
    const std::string bin = dir.file("one.bin");
    writeSoundFile(bin, {55, 65});
    const std::string out = dir.file("thirds.pdf");
    // 1/3 octaves, Leq, band 16 (1 kHz).
    const auto r = runK470(dir, {"--report-pdf", out, "--level", "1,9,16", bin});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    if (!test::havePoppler()) GTEST_SKIP() << test::kNoPoppler;
    const std::string text = test::pdfText(out);
    EXPECT_NE(text.find("1/3 octaves, Leq"), std::string::npos) << text;
}

TEST(ReportPdfProcess, FailuresExitWithAMessageAndLeaveNoFile) {
    test::TempDir dir;
    const std::string bin = dir.file("good.bin");
    writeSoundFile(bin, {60});
    const std::string out = dir.file("out.pdf");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {"missing input", {"--report-pdf", out, dir.file("none.bin")}, "none.bin"},
        {"no input", {"--report-pdf", out}, "at least one .bin file"},
        {"level not a level", {"--report-pdf", out, "--level", "2,x", bin}, "--level takes T,P,B"},
        {"level not offered", {"--report-pdf", out, "--level", "2,3,7", bin}, "not offered"},
        {"output in a missing directory", {"--report-pdf", dir.file("no/such/dir.pdf"), bin}, "Can't write"},
        {"output over the input", {"--report-pdf", bin, bin}, "input files"},
    };
    const auto before = test::readBytes(bin);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = runK470(dir, c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.rfind("k470: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    EXPECT_EQ(test::readBytes(bin), before);
    // Only the input and the settings directory (if any) are left: no temporary file.
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_TRUE(e.path() == bin || e.is_directory()) << e.path();

    // The report's own options mean nothing to the window.
    const auto r = runK470(dir, {"--operator", "X", bin}, "offscreen");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("--report-pdf"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace k470
