// SPDX-License-Identifier: GPL-3.0-or-later
// The signal-file commands of k470-cli, run as a process on generated files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "data/sdt_container.h"
#include "signal/filter_library.h"
#include "signal/processor_preset.h"
#include "signal/signal_file_image.h"

namespace k470 {
namespace {

using test::SignalFileImage;
using test::TempDir;

int run(const std::string& arguments, const std::string& env = {}) {
    const std::string cmd = env + " " + K470_CLI + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shellQuoted(const std::string& s) {
    return "'" + s + "'";
}

struct Files {
    TempDir dir;
    std::string sdt;
    Files() {
        SignalFileImage img(24000.0, 0b101);
        img.addRecord({1, 2, 3, 4}, 2, {{1, u"m"}});
        img.addRecord({5, 6}, 1);
        sdt = img.save(dir, "rec.sdt");
    }
};

TEST(SignalCommands, Sdt2WavAndSdt2TxtWriteBesideTheFile) {
    Files f;
    EXPECT_EQ(run("sdt2wav --mode record --rate 48000 --no-normalize --records 2 " + shellQuoted(f.sdt)), 0);
    const std::vector<uint8_t> wav = test::readBytes(f.dir.file("rec_1.wav"));
    ASSERT_EQ(wav.size(), 68u + 8u);
    EXPECT_EQ(wav[24] | (wav[25] << 8), 48000 & 0xFFFF);
    EXPECT_EQ(run("sdt2wav " + shellQuoted(f.sdt)), 0);
    EXPECT_TRUE(std::filesystem::exists(f.dir.file("rec_ch3_2.wav")));
    EXPECT_EQ(run("sdt2txt --records 1,2 " + shellQuoted(f.sdt)), 0);
    EXPECT_NE(test::readText(f.dir.file("rec_2.txt")).find("0\t5\t6\r\n"), std::string::npos);
}

TEST(SignalCommands, BadArgumentsAndRecordsThatDoNotExist) {
    Files f;
    EXPECT_EQ(run("sdt2wav --mode stereo " + shellQuoted(f.sdt)), 2);
    EXPECT_EQ(run("sdt2wav --rate 44100 " + shellQuoted(f.sdt)), 2);
    EXPECT_EQ(run("sdt2txt --records 1,,2 " + shellQuoted(f.sdt)), 2);
    EXPECT_EQ(run("sdt2txt --records 0 " + shellQuoted(f.sdt)), 2);
    EXPECT_EQ(run("sdt2txt --records 3 " + shellQuoted(f.sdt)), 1);
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("rec_1.txt")));
    EXPECT_EQ(run("sdt2txt " + shellQuoted(f.dir.file("missing.sdt"))), 1);
    EXPECT_EQ(run("reprocess " + shellQuoted(f.sdt)), 2);
    EXPECT_EQ(run("reprocess --decimation 0 -o x.sdt " + shellQuoted(f.sdt)), 2);
}

TEST(SignalCommands, ReprocessWithAndWithoutAPreset) {
    Files f;
    const std::string data = f.dir.file("data");
    std::filesystem::create_directory(data);
    FilterDefinition avg;
    avg.name = u"avg";
    avg.decimation = 3;
    avg.numerator = {0.5, 0.5};
    test::writeBytes(data + "/lib.slb", encodeFilterLibrary({avg}));
    ProcessorPreset p;
    p.name = u"three";
    p.decimation = 3;
    p.filterNames = {u"avg", u"", u""};
    p.units = {u"V", u"", u""};
    p.sensitivity = {1, 1, 1};
    p.matrix = {{{1, 0, 0}, {0, 0, 0}, {0, 0, 0}}};
    ASSERT_TRUE(savePresets(data + "/" + kPresetFileName, {p}));
    const std::string env = "K470_DATA_DIR=" + shellQuoted(data);

    const std::string out = f.dir.file("out.sdt");
    ASSERT_EQ(
        run("reprocess --preset three --decimation 2 -o " + shellQuoted(out) + " " + shellQuoted(f.sdt), env),
        0);
    auto sdt = SdtContainer::Open(out);
    ASSERT_TRUE(sdt);
    EXPECT_EQ(sdt->header().sampleRate, 8000.0);  // the preset's decimation wins
    EXPECT_EQ(sdt->header().channelMask, 1);
    EXPECT_EQ(sdt->header().units[0], u"V");
    EXPECT_EQ(sdt->header().processor, u"three");
    EXPECT_EQ(sdt->walkEntries().entries.size(), 2u);

    ASSERT_EQ(run("reprocess --decimation 4 -o " + shellQuoted(out) + " " + shellQuoted(f.sdt), env), 0);
    sdt = SdtContainer::Open(out);
    ASSERT_TRUE(sdt);
    EXPECT_EQ(sdt->header().sampleRate, 6000.0);
    EXPECT_EQ(sdt->header().channelMask, 7);
    EXPECT_EQ(sdt->header().units[2], u"mV");  // from the source file

    EXPECT_EQ(
        run("reprocess --preset other -o " + shellQuoted(f.dir.file("o2.sdt")) + " " + shellQuoted(f.sdt),
            env),
        1);
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("o2.sdt")));
}

}  // namespace
}  // namespace k470
