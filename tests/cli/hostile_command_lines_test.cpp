// SPDX-License-Identifier: GPL-3.0-or-later
// Command lines that any user may type and that must never destroy data: outputs that are inputs (by any
// name), devices, FIFOs, directories, missing directories, a full disk, and files with values no instrument
// writes. Each checks the exit code, the message, and that no input or earlier output changed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "base/byte_order.h"
#include "data/sdt_container.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

namespace fs = std::filesystem;

class HostileCommandLines : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(sh("$CLI sample --records 2 -o good.bin").exitCode, 0);
        fs::copy_file(dir.file("good.bin"), dir.file("rec.txt"));
        fs::create_symlink("good.bin", dir.file("link.bin"));
        fs::create_hard_link(dir.file("good.bin"), dir.file("hard.bin"));
        test::writeBytes(dir.file("earlier.txt"), {'e', 'a', 'r', 'l', 'i', 'e', 'r'});
        fs::create_directory(dir.file("dir"));
        ASSERT_EQ(::mkfifo(dir.file("fifo.bin").c_str(), 0600), 0);
        writeSignal("sig.sdt", 1, 24000.0);
        writeSignal("nomask.sdt", 0, 24000.0);
        writeSignal("nanrate.sdt", 1, std::nan(""));
        writeSignal("zerorate.sdt", 1, 0.0);
        writeSignal("hugerate.sdt", 1, 1e12);
    }

    test::CommandResult sh(const std::string& line) { return test::runShellIn(dir.path(), K470_CLI, line); }

    void writeSignal(const std::string& name, uint16_t mask, double rate) {
        SdtHeader h;
        h.sampleRate = 24000;
        h.channelCount = 1;
        h.channelMask = 1;
        auto w = SdtWriter::Create(dir.file(name), h);
        ASSERT_TRUE(w);
        std::array<uint8_t, kMarkerTableSize> table{};
        ASSERT_TRUE(w->BeginRecord(3, 0xBEEF, {2026, 5, 6, 7, 8, 9}, table));
        const double samples[] = {0.1, 0.2, 0.3, 0.4};
        ASSERT_TRUE(w->AppendFrames(samples, 4));
        ASSERT_TRUE(w->Finish());
        // The header as a damaged or hostile file carries it, field by field at its offsets.
        auto bytes = test::readBytes(dir.file(name));
        uint64_t rateBits = 0;
        std::memcpy(&rateBits, &rate, 8);
        for (int i = 0; i < 8; ++i)
            bytes[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(rateBits >> (8 * i));
        writeU16(&bytes[270], mask);
        test::writeBytes(dir.file(name), bytes);
    }

    // Every regular file of the directory with its content (the run's own capture files left out).
    std::map<std::string, std::vector<uint8_t>> snapshot() const {
        std::map<std::string, std::vector<uint8_t>> files;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            const std::string name = e.path().filename().string();
            if (name == ".stdout" || name == ".stderr") continue;
            if (e.is_regular_file() && !e.is_symlink())
                files[name] = test::readBytes(e.path().string());
            else
                files[name] = {};
        }
        return files;
    }

    test::TempDir dir;
};

TEST_F(HostileCommandLines, RefusedWithAMessageAndNothingChanged) {
    struct Case {
        std::string line;
        int exitCode;
        std::string message;  // part of standard error
    } cases[] = {
        // the output is one of the inputs, by name, by link, by another directory entry
        {"$CLI export -o good.bin good.bin", 1,
         "k470-cli: The output file is one of the input files 'good.bin'"},
        {"$CLI merge -o good.bin good.bin", 1, "one of the input files 'good.bin'"},
        {"$CLI report --column 0,0,0 -o good.bin good.bin", 1, "one of the input files 'good.bin'"},
        {"$CLI export rec.txt", 1, "one of the input files 'rec.txt'"},
        {"$CLI export good.bin -o link.bin", 1, "one of the input files 'link.bin'"},
        {"$CLI merge -o hard.bin good.bin", 1, "one of the input files 'hard.bin'"},
        {"$CLI merge -o ./dir/../good.bin good.bin", 1, "one of the input files"},
        {"$CLI report --column 0,0,0 --config good.bin -o out.txt good.bin", 1, "one of the input files"},
        {"$CLI reprocess -o sig.sdt sig.sdt", 1, "one of the input files 'sig.sdt'"},
        {"$CLI export -o - good.bin >>good.bin", 1, "one of the input files '-': it is 'good.bin'"},
        // outputs that cannot be written
        {"$CLI export -o dir good.bin", 1, "k470-cli: Can't write file 'dir': Is a directory"},
        {"$CLI merge -o nodir/x.txt good.bin", 1,
         "Can't write file 'nodir/x.txt': No such file or directory"},
        {"$CLI export -o /dev/full good.bin", 1, "Can't write file '/dev/full': No space left on device"},
        {"$CLI reprocess -o /dev/full sig.sdt", 1, "/dev/full': No space left on device"},
        {"$CLI info good.bin >/dev/full", 1, "Can't write to standard output: No space left on device"},
        {"$CLI percentiles --level 0,0,0 good.bin >/dev/full", 1, "Can't write to standard output"},
        {"$CLI export -o earlier.txt missing.bin", 1,
         "Can't open file 'missing.bin': No such file or directory"},
        // inputs that are not files, or hold values no instrument writes
        {"$CLI info fifo.bin", 1, "Can't open file 'fifo.bin': Not a regular file"},
        {"$CLI export -o out.txt fifo.bin", 1, "Not a regular file"},
        {"$CLI sdt2txt dir", 1, "Can't open file 'dir': Is a directory"},
        {"$CLI merge -o out.txt dir", 1, "Is a directory"},
        {"$CLI sdt2txt nomask.sdt", 1, "has no channel"},
        {"$CLI sdt2wav nomask.sdt", 1, "has no channel"},
        {"$CLI reprocess -o out.sdt nomask.sdt", 1, "has no channel"},
        {"$CLI info nomask.sdt", 1, "has no channel"},
        {"$CLI sdt2txt nanrate.sdt", 1, "is outside what an instrument records"},
        {"$CLI sdt2txt zerorate.sdt", 1, "is outside what an instrument records"},
        {"$CLI sdt2wav hugerate.sdt", 1, "is outside what an instrument records"},
        // values the command line refuses with their limits
        {"$CLI acquire --tcp 127.0.0.1 --period 0.5 -o a.bin", 2,
         "--period takes whole seconds from 1 to 4294967"},
        {"$CLI acquire --tcp 127.0.0.1 --count 0 -o a.bin", 2, "--count takes a number from 1 to 300000"},
        // options that multiply the output: a level row per nanosecond, records beyond an autorecording's
        {"$CLI levels --interval 1e-9 -o out.bin sig.sdt", 2,
         "--interval takes 0 or a number of seconds from 0.1, not '1e-9'"},
        {"$CLI levels --interval 0.09 --csv sig.sdt", 2,
         "--interval takes 0 or a number of seconds from 0.1"},
        {"$CLI sample --records 300001 -o a.bin", 2, "--records takes a number from 1 to 300000"},
        // every output that cannot be written says so with the system's reason, an earlier file stays
        {"$CLI sample --sdt pink -o dir", 1, "k470-cli: Can't write file 'dir': Is a directory"},
        {"$CLI sample --sdt pink -o nodir/p.sdt", 1,
         "k470-cli: Can't write file 'nodir/p.sdt': No such file or directory"},
        {"$CLI sample -o dir", 1, "k470-cli: Can't write file 'dir': Is a directory"},
        {"$CLI levels -o dir sig.sdt", 1, "k470-cli: Can't write file 'dir': Is a directory"},
        {"$CLI levels -o nodir/l.bin sig.sdt", 1,
         "k470-cli: Can't write file 'nodir/l.bin': No such file or directory"},
        {"$CLI reprocess -o dir sig.sdt", 1, "Can't create file dir: Is a directory"},
        {"$CLI sample --sdt pink -o - >/dev/full", 1,
         "k470-cli: Can't write file '-': No space left on device"},
        {"$CLI sample -o - >/dev/full", 1, "k470-cli: Can't write file '-': No space left on device"},
        {"$CLI reprocess -o - sig.sdt >/dev/full", 1,
         "k470-cli: Can't write file '-': No space left on device"},
        {"$CLI export -o - good.bin >/dev/full", 1,
         "k470-cli: Can't write file '-': No space left on device"},
        {"$CLI sample --sdt pink -o /dev/stdout >/dev/full", 1,
         "k470-cli: Can't write file '/dev/stdout': No space left on device"},
        // a full disk (here a file size limit) in the middle of an output over an earlier file
        {"trap \"\" XFSZ; ulimit -f 20; $CLI sample --sdt pink -o earlier.txt", 1,
         "k470-cli: Can't write file 'earlier.txt': File too large"},
        {"trap \"\" XFSZ; ulimit -f 20; $CLI sample --records 100 -o earlier.txt", 1,
         "k470-cli: Can't write file 'earlier.txt': File too large"},
        {"trap \"\" XFSZ; ulimit -f 20; $CLI sample --records 100 -o hard.bin", 1,
         "k470-cli: Can't write file 'hard.bin': File too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto before = snapshot();
        const test::CommandResult r = sh(c.line);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        // Nothing written, replaced or left behind (no temporary file either).
        EXPECT_EQ(snapshot(), before);
    }
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(HostileCommandLines, OutputsGoThroughLinksToDevicesAndStandardStreams) {
    fs::create_symlink("earlier.txt", dir.file("out-link.txt"));
    ASSERT_EQ(sh("$CLI export -o out-link.txt good.bin").exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(dir.file("out-link.txt")));
    const std::string text = test::readText(dir.file("earlier.txt"));
    EXPECT_EQ(text.substr(0, 14), "\r\nRecord; 1;\r\n");

    const test::CommandResult toStdout = sh("$CLI export -o /dev/stdout good.bin");
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, text);

    const test::CommandResult piped = sh("$CLI sample --records 3 -o - | $CLI info -");
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_NE(piped.out.find("File: -\nRecords: 3\n"), std::string::npos) << piped.out;
    EXPECT_FALSE(fs::exists(dir.file("-")));

    const test::CommandResult exported = sh("$CLI export - < good.bin");
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.out, text);
}

// "-" and /dev/stdout are standard output for every command that writes a file, into a pipe as into a file
// the shell opened; a signal file, whose directory is written after its data, is put together first and
// reaches the pipe whole. No file named "-" is made.
TEST_F(HostileCommandLines, EveryOutputGoesToStandardOutputAsDashOrDevStdout) {
    ASSERT_EQ(sh("$CLI sample --sdt calibrator -o cal.sdt").exitCode, 0);
    struct Case {
        std::string writes;  // a command writing to standard output
        std::string reader;  // what reads it from the pipe
        std::string shows;   // part of what the reader prints
    } cases[] = {
        {"$CLI sample --sdt calibrator -o -", "$CLI info -", "Records: 2"},
        {"$CLI sample --sdt calibrator -o /dev/stdout", "$CLI info -", "Records: 2"},
        {"$CLI sample --records 3 -o /dev/stdout", "$CLI info -", "Records: 3"},
        {"$CLI levels --interval 10 -o - cal.sdt", "$CLI info -", "Records: 2"},
        {"$CLI levels --interval 0 -o /dev/stdout cal.sdt", "$CLI info -", "Records: 2"},
        {"$CLI reprocess --decimation 2 -o - cal.sdt", "$CLI info -", "Records: 2"},
        {"$CLI reprocess -o /dev/stdout sig.sdt", "$CLI info -", "Records: 1"},
        {"$CLI export -o /dev/stdout good.bin", "cat", "\r\nRecord; 1;\r\n"},
        {"$CLI merge -o /dev/stdout good.bin", "cat", "Record; 2;"},
        {"$CLI report --column 0,0,0 -o /dev/stdout good.bin", "cat", "VIN"},
        {"$CLI export --csv -o - good.bin", "cat", "date,time,vin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.writes);
        // The writer's own exit code, which a pipe would hide.
        const test::CommandResult piped = sh("{ " + c.writes + "; echo \"exit $?\" >&2; } | " + c.reader);
        EXPECT_EQ(piped.exitCode, 0) << piped.err;
        EXPECT_NE(piped.err.find("exit 0"), std::string::npos) << piped.err;
        EXPECT_NE(piped.out.find(c.shows), std::string::npos) << piped.out;
        // Into a file the shell opened, the same.
        const test::CommandResult redirected =
            sh(c.writes + " > redirected && " + c.reader + " < redirected");
        EXPECT_EQ(redirected.exitCode, 0) << redirected.err;
        EXPECT_NE(redirected.out.find(c.shows), std::string::npos) << redirected.out;
        EXPECT_FALSE(fs::exists(dir.file("-")));
    }
}

TEST_F(HostileCommandLines, NewOutputsTakeTheUmaskAndAMultiFileExportGoesOn) {
    ASSERT_EQ(sh("umask 027; $CLI export -o perm.txt good.bin").exitCode, 0);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("perm.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    fs::copy_file(dir.file("good.bin"), dir.file("second.bin"));
    const test::CommandResult r = sh("$CLI export good.bin missing.bin fifo.bin second.bin");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("2 of 4 files not exported completely:\n  missing.bin\n  fifo.bin\n"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(fs::exists(dir.file("good.txt")));
    EXPECT_TRUE(fs::exists(dir.file("second.txt")));
}

TEST_F(HostileCommandLines, ProgressAndNotesStayOffARedirectedOrQuietStandardError) {
    const test::CommandResult r = sh("$CLI sdt2txt sig.sdt");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
    const test::CommandResult quiet = sh("$CLI sdt2wav -q sig.sdt");
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");
}

}  // namespace
}  // namespace k470
