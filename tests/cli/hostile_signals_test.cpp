// SPDX-License-Identifier: GPL-3.0-or-later
// Signal files and arguments that no instrument or careful user produces, fed to every command that reads a
// signal: each is refused with the same words by every command (exit 1, or 2 for an argument), nothing is
// written, and no command prints nan or inf.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "acoustics/signal_fixtures.h"
#include "acoustics/synthetic_signals.h"
#include "base/byte_order.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

namespace fs = std::filesystem;
using acoustics::testing::SdtRecordImage;
using acoustics::testing::tone;
using acoustics::testing::writeSdt;
using acoustics::testing::writeSound;

constexpr double kFs = 48000.0;

class HostileSignals : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto sine = tone(1000.0, kFs, 1.0, 0.5);
        ASSERT_TRUE(writeSound(dir.file("tone.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1, sine));
        ASSERT_TRUE(writeSound(dir.file("silent.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1,
                               std::vector<double>(48000, 0.0)));
        auto loud = sine;
        loud[10] = 1e30;  // 600 dB re full scale
        ASSERT_TRUE(writeSound(dir.file("hugefloat.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1, loud));
        ASSERT_TRUE(writeSound(dir.file("short.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 1, sine));
        cut("short.flac", fs::file_size(dir.file("short.flac")) / 2);

        sdt("good.sdt", sine);
        auto huge = sine;
        huge[0] = 1e300;
        sdt("huge.sdt", huge);
        auto nan = sine;
        nan[1000] = std::nan("");
        sdt("nan.sdt", nan);
        sdt("silent.sdt", std::vector<double>(sine.size(), 0.0));
        sdt("tinyref.sdt", sine, 1e-300);
        sdt("control.sdt", sine, 2e-5, u"\x1b[31mPa\n");
        // Damaged directories: a header alone, a block cut short, a chain that loops to itself and one
        // that points beyond the end of the file.
        fs::copy_file(dir.file("good.sdt"), dir.file("headeronly.sdt"));
        cut("headeronly.sdt", 680);
        fs::copy_file(dir.file("good.sdt"), dir.file("cutblock.sdt"));
        cut("cutblock.sdt", 680 + 4000);
        chained("loop.sdt", 680);
        chained("beyond.sdt", 1ull << 40);
        ASSERT_EQ(::mkfifo(dir.file("fifo.wav").c_str(), 0600), 0);
        ASSERT_EQ(::mkfifo(dir.file("fifo.flac").c_str(), 0600), 0);
    }

    void sdt(const std::string& name, const std::vector<double>& samples, double reference = 2e-5,
             const std::u16string& unit = u"Pa") {
        SdtRecordImage r;
        r.frames = samples;
        ASSERT_TRUE(writeSdt(dir.file(name), kFs, 0b001, {r}, {unit, u"Pa", u"Pa"}, {reference, 2e-5, 2e-5}));
    }
    void cut(const std::string& name, uint64_t size) { fs::resize_file(dir.file(name), size); }
    void chained(const std::string& name, uint64_t next) {
        auto bytes = test::readBytes(dir.file("good.sdt"));
        writeU64(&bytes[680 + 8196], next);
        test::writeBytes(dir.file(name), bytes);
    }

    test::CommandResult sh(const std::string& line) { return test::runShellIn(dir.path(), K470_CLI, line); }

    std::map<std::string, uintmax_t> snapshot() const {
        std::map<std::string, uintmax_t> files;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            const std::string name = e.path().filename().string();
            if (name != ".stdout" && name != ".stderr")
                files[name] = e.is_regular_file() ? fs::file_size(e.path()) : 0;
        }
        return files;
    }

    test::TempDir dir;
};

TEST_F(HostileSignals, EveryCommandRefusesTheSameFileInTheSameWords) {
    const std::string commands[] = {"levels --csv", "levels -o out.bin", "fft", "rt60"};
    struct Case {
        std::string file;
        std::string args;  // more arguments ahead of the file
        int exitCode;
        std::string message;  // part of standard error
    } cases[] = {
        {"huge.sdt", "", 1, "Sample 1 of record 1 lies more than 300 dB above the 0 dB reference"},
        {"hugefloat.wav", "--scale 1", 1, "Sample 11 of record 1 lies more than 300 dB above"},
        {"nan.sdt", "", 1, "Sample 1001 of record 1 is not a finite number"},
        {"tinyref.sdt", "", 1, "The 0 dB reference 1e-300 of channel 1 is not between 1e-12 and 1000000"},
        {"silent.sdt", "", 1, "The signal is silent: every sample is zero"},
        {"silent.wav", "--scale 1", 1, "The signal is silent: every sample is zero"},
        {"headeronly.sdt", "", 1,
         "The directory block at offset 680 lies beyond the end of 'headeronly.sdt'"},
        {"cutblock.sdt", "", 1, "The directory block at offset 680 lies beyond the end of 'cutblock.sdt'"},
        {"loop.sdt", "", 1, "The directory chain of 'loop.sdt' loops back to offset 680"},
        {"beyond.sdt", "", 1, "lies beyond the end of 'beyond.sdt'"},
        {"fifo.wav", "", 1, "Can't open file 'fifo.wav': Not a regular file"},
        {"fifo.flac", "", 1, "Can't open file 'fifo.flac': Not a regular file"},
        {"missing.sdt", "", 1, "Can't open file 'missing.sdt': No such file or directory"},
        {"short.flac", "--scale 1", 1, "Can't read sound file 'short.flac': "},
        {"tone.wav", "--calibration fifo.wav:94", 1, "Can't open file 'fifo.wav': Not a regular file"},
        {"tone.wav", "--scale 1e300", 2, "Scale '1e+300' is not a number between 1e-09 and 1000000000"},
        {"tone.wav", "--scale 1e-300", 2, "Scale '1e-300' is not a number between"},
        {"tone.wav", "--calibration tone.wav:-1e300", 2,
         "Calibrator level -1e+300 dB is not between 40 and 160"},
        {"tone.wav", "--calibration tone.wav:1e300", 2, "Calibrator level 1e+300 dB is not between"},
    };
    for (const Case& c : cases) {
        for (const std::string& command : commands) {
            // rt60 takes no scale: a sound file's levels are re full scale there.
            if (command == "rt60" && c.args.starts_with("--")) continue;
            const std::string line = "$CLI " + command + " " + c.args + " " + c.file;
            SCOPED_TRACE(line);
            const auto before = snapshot();
            const test::CommandResult r = sh(line);
            EXPECT_EQ(r.exitCode, c.exitCode);
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
            // Levels stream as CSV: a file cut short is found only where it ends.
            if (c.file != "short.flac") {
                EXPECT_EQ(r.out, "");
            }
            EXPECT_EQ(r.err.find("No Error."), std::string::npos) << r.err;
            EXPECT_EQ(snapshot(), before);
        }
    }
}

TEST_F(HostileSignals, ConversionsRefuseSamplesNoAnalysisTakesAndKeepTheirWords) {
    struct Case {
        std::string line;
        std::string message;
    } cases[] = {
        {"$CLI sdt2wav nan.sdt", "Sample 1001 of record 1 is not a finite number"},
        {"$CLI sdt2wav --no-normalize nan.sdt", "Sample 1001 of record 1 is not a finite number"},
        {"$CLI sdt2wav huge.sdt", "Sample 1 of record 1 lies more than 300 dB above"},
        {"$CLI sdt2txt nan.sdt", "Sample 1001 of record 1 is not a finite number"},
        {"$CLI sdt2wav tinyref.sdt", "The 0 dB reference 1e-300 of channel 1 is not between"},
        {"$CLI info tinyref.sdt", "The 0 dB reference 1e-300 of channel 1 is not between"},
        {"$CLI info loop.sdt", "The directory chain of 'loop.sdt' loops back to offset 680"},
        {"$CLI sdt2wav loop.sdt", "The directory chain of 'loop.sdt' loops back to offset 680"},
        {"$CLI info headeronly.sdt", "The directory block at offset 680 lies beyond the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto before = snapshot();
        const test::CommandResult r = sh(c.line);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        // The records ahead of a damaged directory block are still converted; a record with a sample out
        // of range is not, so nothing new is left by the others.
        if (c.line.find("loop.sdt") == std::string::npos) {
            EXPECT_EQ(snapshot(), before);
        }
    }
}

TEST_F(HostileSignals, NoOutputHoldsNanOrInfAndSilenceReadsTheFloor) {
    // A silent second, then a loud one: the silent interval reads the floor, not -inf, in every column.
    const auto loud = tone(1000.0, kFs, 1.0, std::sqrt(2.0));
    std::vector<double> samples(loud.size(), 0.0);
    samples.insert(samples.end(), loud.begin(), loud.end());
    sdt("gap.sdt", samples);
    const test::CommandResult levels = sh("$CLI levels --csv gap.sdt");
    ASSERT_EQ(levels.exitCode, 0) << levels.err;
    const test::CommandResult fft = sh("$CLI fft gap.sdt");
    ASSERT_EQ(fft.exitCode, 0) << fft.err;
    const test::CommandResult rt60 = sh("$CLI rt60 gap.sdt");
    for (const test::CommandResult* r : {&levels, &fft, &rt60}) {
        EXPECT_EQ(r->out.find("inf"), std::string::npos) << r->out;
        EXPECT_EQ(r->out.find("nan"), std::string::npos) << r->out;
    }
    const size_t first = levels.out.find("\n0.00,1.00,");
    ASSERT_NE(first, std::string::npos) << levels.out;
    EXPECT_EQ(levels.out.substr(first + 11, 15), "-300.00,-300.00");
    EXPECT_EQ(levels.out.find(",,"), std::string::npos) << "an empty cell without a note";

    const test::CommandResult records = sh("$CLI levels -o gap.bin gap.sdt");
    EXPECT_EQ(records.exitCode, 0);
    EXPECT_NE(records.err.find("flags them as under-range or overload"), std::string::npos) << records.err;
}

TEST_F(HostileSignals, TextFromAFileReachesTheTerminalEscaped) {
    const test::CommandResult info = sh("$CLI info control.sdt");
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("units '\\x1B[31mPa\\x0A'"), std::string::npos) << info.out;
    const test::CommandResult levels = sh("$CLI levels --csv control.sdt");
    EXPECT_EQ(levels.exitCode, 0) << levels.err;
    EXPECT_NE(levels.err.find("'\\x1B[31mPa\\x0A' is not Pa"), std::string::npos) << levels.err;
    for (const test::CommandResult* r : {&info, &levels}) {
        EXPECT_EQ(r->out.find('\x1b'), std::string::npos);
        EXPECT_EQ(r->err.find('\x1b'), std::string::npos);
    }
}

}  // namespace
}  // namespace k470
