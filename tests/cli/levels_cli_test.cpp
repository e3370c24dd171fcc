// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli levels, run as a process on generated signal files: the CSV columns and values, the .bin
// records, and that a failed run leaves nothing behind and never replaces its input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "acoustics/signal_fixtures.h"
#include "acoustics/synthetic_signals.h"
#include "data/bin_file.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using acoustics::testing::tone;
using test::runCommand;

// 1 Pa rms: 93.98 dB re 20 uPa.
constexpr double kOnePascal = 93.979;

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        size_t at = 0;
        while (true) {
            const size_t comma = line.find(',', at);
            cells.push_back(line.substr(at, comma - at));
            if (comma == std::string::npos) break;
            at = comma + 1;
        }
        rows.push_back(cells);
    }
    return rows;
}

double cell(const std::vector<std::vector<std::string>>& rows, size_t row, const std::string& column) {
    for (size_t c = 0; c < rows[0].size(); ++c)
        if (rows[0][c] == column) return std::stod(rows[row][c]);
    ADD_FAILURE() << "no column " << column;
    return 0.0;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(LevelsCommand, WritesCsvWithTheColumnsAndLevelsOfEachInterval) {
    test::TempDir dir;
    const std::string wav = dir.file("tone.wav");
    ASSERT_TRUE(acoustics::testing::writeSound(wav, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1,
                                               tone(1000.0, 48000.0, 2.5, 0.5)));
    // 0.5 full scale peak at sqrt(2)/0.5 Pa per unit: 1 Pa rms.
    const auto r =
        runCommand(K470_CLI, {"levels", "--csv", "--scale", std::to_string(std::sqrt(2.0) / 0.5), wav});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), 4u);
    std::string header =
        "start_s,duration_s,LAeq,LCeq,LZeq,LAFmax,LAFmin,LASmax,LASmin,LAImax,LAF,LAS,LCpeak,LZpeak";
    for (const char* b : {"25.0", "31.5",  "40.0", "50.0", "63.0",  "80.0", "100", "125",   "160",  "200",
                          "250",  "315",   "400",  "500",  "0.63k", "0.8k", "1k",  "1.25k", "1.6k", "2.0k",
                          "2.5k", "3.15k", "4.0k", "5.0k", "6.3k",  "8.0k", "10k", "12.5k", "16k",  "20k"})
        header += std::string(",LZeq_") + b;
    for (const char* b : {"31.5", "63.0", "125", "250", "500", "1k", "2.0k", "4.0k", "8.0k", "16k"})
        header += std::string(",LZeq_oct_") + b;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), header);
    for (size_t i = 1; i < rows.size(); ++i) ASSERT_EQ(rows[i].size(), 54u);
    EXPECT_EQ(rows[3][0], "2.00");
    EXPECT_EQ(rows[3][1], "0.50");
    for (size_t i = 1; i <= 3; ++i) {
        for (const char* c : {"LAeq", "LCeq", "LZeq", "LAFmax", "LAFmin", "LAF", "LZeq_1k", "LZeq_oct_1k"})
            EXPECT_NEAR(cell(rows, i, c), kOnePascal, 0.1) << c << " row " << i;
        // S starts from rest with the tone and reads 10 lg(1 - e^(-t/1 s)) below it at the row's end.
        const double end = std::min(static_cast<double>(i), 2.5);
        for (const char* c : {"LASmax", "LAS"})
            EXPECT_NEAR(cell(rows, i, c), kOnePascal + 10.0 * std::log10(1.0 - std::exp(-end)), 0.1)
                << c << " row " << i;
        EXPECT_NEAR(cell(rows, i, "LZpeak"), kOnePascal + 3.01, 0.05);
        // Two octaves down holds nothing once the switching-on of the tone has passed.
        if (i > 1) {
            EXPECT_LT(cell(rows, i, "LZeq_250"), kOnePascal - 70.0) << "row " << i;
        }
    }
    // Values carry two decimals with a dot.
    EXPECT_EQ(rows[2][2].size(), 5u);
    EXPECT_EQ(rows[2][2][2], '.');
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(LevelsCommand, SaysWhatTheLevelsMeanForUnscaledAndNonAcousticInput) {
    test::TempDir dir;
    const std::string wav = dir.file("tone.wav");
    ASSERT_TRUE(acoustics::testing::writeSound(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1,
                                               tone(1000.0, 8000.0, 1.0, 0.5)));
    auto r = runCommand(K470_CLI, {"levels", "--csv", "--interval", "0", wav});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("dB re full scale"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Bands from 3981.1 Hz on lie above half the sampling rate"), std::string::npos)
        << r.err;
    auto rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(cell(rows, 1, "LAeq"), 20.0 * std::log10(0.5 / std::sqrt(2.0)), 0.05);
    EXPECT_EQ(rows[1].back(), "");  // the 16 kHz octave does not exist at 8 kHz
    // Records cannot hold levels re full scale (they would all be stored as 0 dB): refused, no file.
    r = runCommand(K470_CLI, {"levels", "-o", dir.file("fs.bin"), wav});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("The file has no physical scale"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("fs.bin")));
    // With a scale they are sound pressure levels and are stored.
    r = runCommand(K470_CLI, {"levels", "--scale", "1", "-o", dir.file("pa.bin"), wav});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("pa.bin")));

    acoustics::testing::SdtRecordImage rec;
    rec.frames = tone(100.0, 8000.0, 1.0, 1e-3);
    ASSERT_TRUE(acoustics::testing::writeSdt(dir.file("v.sdt"), 8000.0, 1, {rec}, {u"m/c^2", u"", u""},
                                             {1e-6, 0, 0}));
    r = runCommand(K470_CLI, {"levels", "--csv", dir.file("v.sdt")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Channel unit 'm/c^2' is not Pa: only Z-weighted levels"), std::string::npos)
        << r.err;
    rows = csvRows(r.out);
    EXPECT_EQ(rows[1][2], "");  // LAeq
    EXPECT_NEAR(cell(rows, 1, "LZeq"), 20.0 * std::log10(1e-3 / std::sqrt(2.0) / 1e-6), 0.05);
}

TEST(LevelsCommand, WritesOneSoundLevelRecordPerIntervalOfEachRecord) {
    test::TempDir dir;
    acoustics::testing::SdtRecordImage a, b;
    a.frames = tone(1000.0, 16000.0, 2.0, std::sqrt(2.0));  // 1 Pa rms
    b.frames = tone(1000.0, 16000.0, 1.5, std::sqrt(2.0) * 10.0);
    b.stamp = {2024, 12, 31, 23, 59, 59};
    b.vin = 0x12345678;
    ASSERT_TRUE(acoustics::testing::writeSdt(dir.file("s.sdt"), 16000.0, 1, {a, b}));
    const std::string out = dir.file("levels.bin");
    const auto r = runCommand(K470_CLI, {"levels", "-o", out, dir.file("s.sdt")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto bin = BinFile::Open(out);
    ASSERT_TRUE(bin.ok());
    ASSERT_EQ(bin->recordCount(), 4);  // 2 + 2 (the second record's last interval is 0.5 s)
    // Words of the layout: 40 band rows of 10, then the weighted rows C, A, Z of 12 (Leq is word 3).
    constexpr int kALeq = 400 + 12 + 3, kZPeak = 400 + 24 + 5, kThird1kLeq = (10 + 16) * 10 + 3;
    constexpr int kOctave1kLeq = 5 * 10 + 3;
    struct Expect {
        int record;
        double level;
        CalendarTime start;
        int seconds;
    };
    for (const Expect e :
         {Expect{1, kOnePascal, a.stamp, 1}, Expect{2, kOnePascal, {2024, 5, 17, 10, 20, 31}, 1},
          Expect{3, kOnePascal + 20.0, b.stamp, 1}, Expect{4, kOnePascal + 20.0, {2025, 1, 1, 0, 0, 0}, 1}}) {
        auto rec = bin->ReadRecord(e.record);
        ASSERT_TRUE(rec.ok());
        EXPECT_EQ(rec->header.deviceType, 3);
        EXPECT_NEAR(rec->levels[kALeq], e.level, 0.1) << e.record;
        EXPECT_NEAR(rec->levels[kThird1kLeq], e.level, 0.2) << e.record;
        EXPECT_NEAR(rec->levels[kOctave1kLeq], e.level, 0.2) << e.record;
        EXPECT_NEAR(rec->levels[kZPeak], e.level + 3.01, 0.1) << e.record;
        const CalendarTime t = rec->header.dateTime();
        EXPECT_EQ(t.year, e.start.year) << e.record;
        EXPECT_EQ(t.minutes, e.start.minutes) << e.record;
        EXPECT_EQ(t.seconds / 2, e.start.seconds / 2) << e.record;  // DOS time keeps even seconds
        EXPECT_EQ(rec->tail.intervalSeconds, e.seconds);
        EXPECT_EQ(rec->tail.intervalMinutes, 0);
    }
    EXPECT_EQ(bin->ReadRecord(3)->header.vin, 0x12345678u);
    // Records chosen by number.
    const auto only2 =
        runCommand(K470_CLI, {"levels", "--records", "2", "--interval", "0", "-o", out, dir.file("s.sdt")});
    ASSERT_EQ(only2.exitCode, 0) << only2.err;
    EXPECT_EQ(BinFile::Open(out)->recordCount(), 1);
}

TEST(LevelsCommand, AFailedRunLeavesNothingAndNeverReplacesItsInput) {
    test::TempDir dir;
    acoustics::testing::SdtRecordImage good, bad;
    good.frames = tone(1000.0, 8000.0, 1.0);
    bad.frames = tone(1000.0, 8000.0, 1.0);
    bad.frames[5000] = std::nan("");
    ASSERT_TRUE(acoustics::testing::writeSdt(dir.file("s.sdt"), 8000.0, 1, {good, bad}));
    const std::string out = dir.file("old.bin");
    test::writeBytes(out, {1, 2, 3});
    auto r = runCommand(K470_CLI, {"levels", "-o", out, dir.file("s.sdt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Sample 5001 of record 2 is not a finite number"), std::string::npos) << r.err;
    EXPECT_EQ(test::readBytes(out), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"old.bin", "s.sdt"}));

    const auto before = test::readBytes(dir.file("s.sdt"));
    r = runCommand(K470_CLI, {"levels", "--records", "1", "-o", dir.file("s.sdt"), dir.file("s.sdt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("The output file is one of the input files '" + dir.file("s.sdt") + "'"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(test::readBytes(dir.file("s.sdt")), before);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"old.bin", "s.sdt"}));
}

TEST(LevelsCommand, RefusesBadArguments) {
    test::TempDir dir;
    const std::string wav = dir.file("t.wav");
    ASSERT_TRUE(acoustics::testing::writeSound(wav, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1,
                                               tone(1000.0, 8000.0, 0.5)));
    const std::string noise = dir.file("noise.wav");
    ASSERT_TRUE(acoustics::testing::writeSound(noise, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1,
                                               acoustics::testing::pinkNoise(8000.0, 1.0)));
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string says;
    };
    const Case cases[] = {
        {{"levels", wav}, 2, "give either -o OUT.bin or --csv"},
        {{"levels", "--csv", "-o", dir.file("x.bin"), wav}, 2, "give either -o OUT.bin or --csv"},
        {{"levels", "--csv", "--interval", "-1", wav}, 2, "--interval takes"},
        {{"levels", "--csv", "--scale", "2", "--calibration", wav, wav},
         2,
         "give --scale or --calibration, not both"},
        {{"levels", "--csv", "--scale", "zero", wav}, 2, "--scale takes a positive number"},
        {{"levels", "--csv", "--channel", "0", wav}, 2, "--channel takes a number from 1"},
        {{"levels", "--csv", "--channel", "2", wav}, 1, "There is no channel 2"},
        {{"levels", "--csv", "--records", "3", wav}, 1, "There is no record 3: the file has 1"},
        {{"levels", "--csv", "--calibration", noise + ":94", wav}, 1, "No single calibrator tone"},
        {{"levels", "--csv", dir.file("none.wav")}, 1, "none.wav': No such file or directory"},
    };
    for (const Case& c : cases) {
        const auto r = runCommand(K470_CLI, c.args);
        EXPECT_EQ(r.exitCode, c.code) << c.says << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace k470
