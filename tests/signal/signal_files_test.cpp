// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "base/byte_order.h"
#include "signal/replay_controller.h"
#include "signal/reprocess.h"
#include "signal/sdt_conversion.h"
#include "signal/signal_record.h"
#include "signal/wav_writer.h"
#include "signal_file_image.h"

namespace k470 {
namespace {

using test::SignalFileImage;
using test::TempDir;

std::vector<float> wavSamples(const std::string& path) {
    const std::vector<uint8_t> b = test::readBytes(path);
    EXPECT_GE(b.size(), 68u);
    if (b.size() < 68) return {};
    const uint32_t data = readU32(&b[40]);
    std::vector<float> out(data / 4);
    for (size_t i = 0; i < out.size(); ++i) out[i] = std::bit_cast<float>(readU32(&b[44 + 4 * i]));
    return out;
}

uint32_t wavRate(const std::string& path) {
    return readU32(test::readBytes(path).data() + 24);
}

TEST(WavFileWriter, ExactChunkLayout) {
    TempDir dir;
    WavFileWriter w;
    EXPECT_FALSE(w.Write("x", 1));  // not open: nothing written
    ASSERT_TRUE(w.Open(dir.file("a.wav"), WavFormat::FloatMono(24000)));
    const float samples[3] = {0.5f, -0.25f, 1.0f};
    ASSERT_TRUE(w.Write(samples, sizeof samples));
    ASSERT_TRUE(w.Close());
    EXPECT_TRUE(w.Close());  // closing twice does nothing
    std::vector<uint8_t> expected;
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(t[i]));
    };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](uint16_t v) {
        expected.push_back(static_cast<uint8_t>(v));
        expected.push_back(static_cast<uint8_t>(v >> 8));
    };
    tag("RIFF");
    u32(60 + 12);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(3);
    u16(1);
    u32(24000);
    u32(96000);
    u16(4);
    u16(32);
    tag("data");
    u32(12);
    for (float f : samples) u32(std::bit_cast<uint32_t>(f));
    tag("LIST");
    u32(16);
    tag("INFO");
    tag("ICOP");
    u32(4);
    tag("123");  // with its terminating zero byte
    EXPECT_EQ(test::readBytes(dir.file("a.wav")), expected);
    // A file that cannot be created leaves the writer closed.
    EXPECT_FALSE(w.Open(dir.path(), WavFormat::FloatMono(1)));
    EXPECT_FALSE(w.isOpen());
}

// Two records of a file with channels 1 and 3: frames (a, c).
struct TwoChannelFile {
    TempDir dir;
    std::string path;
    std::vector<double> r1{1.0, 10.0, 3.0, 30.0, 2.0, 20.0};  // 3 frames
    std::vector<double> r2{-1.0, 5.0, 4.0, 5.0};              // 2 frames, channel 3 constant
    TwoChannelFile() {
        SignalFileImage img(24000.0, 0b101);
        img.addRecord(r1, 3);
        img.addRecord(r2, 2);
        path = img.save(dir, "two.sdt");
    }
};

TEST(ConvertSdtToWav, SavingModesWithoutNormalisation) {
    TwoChannelFile f;
    const std::string base = f.dir.file("two");
    TranslationParameters p;
    p.normalize = false;
    auto rep = ConvertSdtToWav(f.path, RecordSelection::All(), p);
    ASSERT_TRUE(rep);
    EXPECT_TRUE(rep->complete());
    EXPECT_EQ(rep->written, (std::vector<std::string>{base + "_ch1_1.wav", base + "_ch3_1.wav",
                                                      base + "_ch1_2.wav", base + "_ch3_2.wav"}));
    EXPECT_EQ(wavSamples(base + "_ch3_1.wav"), (std::vector<float>{10, 30, 20}));
    EXPECT_EQ(wavSamples(base + "_ch1_2.wav"), (std::vector<float>{-1, 4}));
    EXPECT_EQ(wavRate(base + "_ch1_1.wav"), 24000u);

    p.savingMode = SavingMode::FilePerRecord;
    p.playbackRate = PlaybackRate::Rate48k;
    rep = ConvertSdtToWav(f.path, RecordSelection{false, {false, true}}, p);
    ASSERT_TRUE(rep);
    EXPECT_EQ(rep->written, (std::vector<std::string>{base + "_1.wav"}));  // numbered among the converted
    EXPECT_EQ(wavSamples(base + "_1.wav"), (std::vector<float>{-1, 4, 5, 5}));  // mono, channels in turn
    EXPECT_EQ(wavRate(base + "_1.wav"), 48000u);

    p.savingMode = SavingMode::FilePerChannel;
    p.playbackRate = PlaybackRate::Rate24k;
    rep = ConvertSdtToWav(f.path, RecordSelection::All(), p);
    ASSERT_TRUE(rep);
    EXPECT_EQ(wavSamples(base + "_ch1.wav"), (std::vector<float>{1, 3, 2, -1, 4}));
    EXPECT_EQ(wavSamples(base + "_ch3.wav"), (std::vector<float>{10, 30, 20, 5, 5}));
    // No record selected: still one empty file per present channel.
    rep = ConvertSdtToWav(f.path, RecordSelection{}, p);
    ASSERT_TRUE(rep);
    EXPECT_EQ(rep->written.size(), 2u);
    EXPECT_TRUE(wavSamples(base + "_ch3.wav").empty());
}

TEST(ConvertSdtToWav, NormalisationAroundTheMeanAndSilenceForAConstantChannel) {
    TwoChannelFile f;
    TranslationParameters p;
    auto rep = ConvertSdtToWav(f.path, RecordSelection::All(), p);
    ASSERT_TRUE(rep);
    const std::string base = f.dir.file("two");
    // Channel 1 of record 1: 1, 3, 2 -> mean 2, peak 1, gain 0.5.
    EXPECT_EQ(wavSamples(base + "_ch1_1.wav"), (std::vector<float>{-0.5f, 0.5f, 0.0f}));
    EXPECT_EQ(wavSamples(base + "_ch3_1.wav"), (std::vector<float>{-0.5f, 0.5f, 0.0f}));
    EXPECT_EQ(wavSamples(base + "_ch3_2.wav"), (std::vector<float>{0.0f, 0.0f}));
    const std::vector<float> r2 = wavSamples(base + "_ch1_2.wav");
    EXPECT_EQ(r2, (std::vector<float>{-0.5f, 0.5f}));
}

TEST(ConvertSdtToWav, NormalisationOfSubnormalExcursionsReachesHalfScale) {
    TempDir dir;
    SignalFileImage img(24000.0, 0b001);
    const double tiny = 5e-315;  // 0.5 / tiny overflows
    img.addRecord({tiny, -tiny, 0.0}, 3);
    const std::string path = img.save(dir, "tiny.sdt");
    auto rep = ConvertSdtToWav(path, RecordSelection::All(), {});
    ASSERT_TRUE(rep);
    EXPECT_EQ(wavSamples(dir.file("tiny_ch1_1.wav")), (std::vector<float>{0.5f, -0.5f, 0.0f}));
}

TEST(ConvertSdtToWav, LongRecordsStreamInPiecesAcrossBoundaries) {
    TempDir dir;
    SignalFileImage img(1000.0, 0b111);
    const uint32_t frames = 16000 + 7;  // 48000 values per piece: one frame beyond a whole piece and more
    std::vector<double> v;
    for (uint32_t i = 0; i < frames; ++i)
        for (int k = 0; k < 3; ++k) v.push_back(std::sin(0.001 * i * (k + 1)) * (k + 1) + k);
    img.addRecord(v, frames);
    const std::string path = img.save(dir, "long.sdt");
    auto rep = ConvertSdtToWav(path, RecordSelection::All(), {});
    ASSERT_TRUE(rep);
    const std::vector<float> ch2 = wavSamples(dir.file("long_ch2_1.wav"));
    ASSERT_EQ(ch2.size(), frames);
    double lo = v[1], hi = v[1], sum = 0;
    for (uint32_t i = 0; i < frames; ++i) {
        lo = std::min(lo, v[3 * i + 1]);
        hi = std::max(hi, v[3 * i + 1]);
        sum += v[3 * i + 1];
    }
    const double mean = sum / frames;
    const double gain = 0.5 / std::max(std::fabs(hi - mean), std::fabs(lo - mean));
    for (uint32_t i : {0u, 15999u, 16000u, frames - 1})
        EXPECT_EQ(ch2[i], static_cast<float>((v[3 * i + 1] - mean) * gain)) << i;

    // One file per record: the channels one after the other, each filled at its place in the same pass.
    TranslationParameters plain;
    plain.normalize = false;
    plain.savingMode = SavingMode::FilePerRecord;
    ASSERT_TRUE(ConvertSdtToWav(path, RecordSelection::All(), plain));
    const std::vector<float> all = wavSamples(dir.file("long_1.wav"));
    ASSERT_EQ(all.size(), 3u * frames);
    for (uint32_t k = 0; k < 3; ++k)
        for (uint32_t i : {0u, 15999u, 16000u, frames - 1})
            EXPECT_EQ(all[k * frames + i], static_cast<float>(v[3 * i + k])) << k << " " << i;
    plain.savingMode = SavingMode::FilePerChannel;
    ASSERT_TRUE(ConvertSdtToWav(path, RecordSelection::All(), plain));
    EXPECT_EQ(wavSamples(dir.file("long_ch3.wav")), std::vector<float>(all.begin() + 2 * frames, all.end()));
}

TEST(ConvertSdtToWav, ProblemsAreReportedAndTheRestIsConverted) {
    TempDir dir;
    SignalFileImage img(8000.0, 0b001);
    img.addRecord({1, 2}, 2);
    const size_t bad = img.addRecord({3, 4}, 2);
    writeU32(&img.bytes[bad + 18], 1000000);  // more frames than the file holds
    img.addRecord({5, 6}, 2);
    const std::string path = img.save(dir, "bad.sdt");
    std::filesystem::create_directory(dir.file("bad_ch1_3.wav"));  // this output cannot be created
    auto rep = ConvertSdtToWav(path, RecordSelection::All(), {});
    ASSERT_TRUE(rep);
    EXPECT_FALSE(rep->complete());
    EXPECT_EQ(rep->written, (std::vector<std::string>{dir.file("bad_ch1_1.wav")}));
    EXPECT_EQ(rep->missing, (std::vector<std::string>{dir.file("bad_ch1_2.wav"), dir.file("bad_ch1_3.wav")}));
    EXPECT_EQ(rep->problems.size(), 2u);

    // Not a signal file, and a rate that gives no WAV rate.
    test::writeBytes(dir.file("x.sdt"), std::vector<uint8_t>(700, 0));
    EXPECT_FALSE(ConvertSdtToWav(dir.file("x.sdt"), RecordSelection::All(), {}));
    SignalFileImage zero(0.2, 1);
    zero.addRecord({1}, 1);
    EXPECT_FALSE(ConvertSdtToWav(zero.save(dir, "zero.sdt"), RecordSelection::All(), {}));
}

TEST(ConvertSdtToWav, NumberingContinuesInTheSecondDirectoryBlock) {
    TempDir dir;
    SignalFileImage img(8000.0, 0b001);
    for (int i = 0; i < 258; ++i) img.addRecord({double(i)}, 1);
    const std::string path = img.save(dir, "many.sdt");
    std::vector<bool> flags(258, false);
    flags[1] = flags[256] = flags[257] = true;
    TranslationParameters p;
    p.savingMode = SavingMode::FilePerRecord;
    p.normalize = false;
    auto rep = ConvertSdtToWav(path, RecordSelection{false, flags}, p);
    ASSERT_TRUE(rep);
    EXPECT_TRUE(rep->complete());
    EXPECT_EQ(wavSamples(dir.file("many_1.wav")), (std::vector<float>{1}));
    EXPECT_EQ(wavSamples(dir.file("many_2.wav")), (std::vector<float>{256}));
    EXPECT_EQ(wavSamples(dir.file("many_3.wav")), (std::vector<float>{257}));
}

TEST(ConvertSdtToText, TableLayout) {
    TempDir dir;
    SignalFileImage img(1000.0, 0b101, {u"Pa", u"x", u"mV"});
    img.addRecord({1.5, -2e-07, 0.1, 123456789012.0}, 2);
    img.addRecord({7, 8}, 1, {}, true, (1999u << 9) | (12u << 5) | 31u, (23u << 12) | (59u << 6) | 58u);
    const std::string path = img.save(dir, "t.sdt");
    auto rep = ConvertSdtToText(path, RecordSelection::All());
    ASSERT_TRUE(rep);
    EXPECT_TRUE(rep->complete());
    EXPECT_EQ(test::readText(dir.file("t_1.txt")),
              path +
                  "\r\n07/03/24,13:05:09\r\nT[sec]\tch1[Pa]\tch3[mV]\t\r\n"
                  "0\t1.5\t-2e-07\r\n0.001\t0.1\t1.23456789e+11\r\n");
    EXPECT_EQ(test::readText(dir.file("t_2.txt")),
              path + "\r\n31/12/99,23:59:58\r\nT[sec]\tch1[Pa]\tch3[mV]\t\r\n0\t7\t8\r\n");
}

TEST(ConvertSdtToText, AnOutputThatCannotBeCreatedIsReported) {
    TempDir dir;
    SignalFileImage img(1000.0, 0b001);
    img.addRecord({1}, 1);
    img.addRecord({2}, 1);
    const std::string path = img.save(dir, "t.sdt");
    std::filesystem::create_directory(dir.file("t_1.txt"));
    auto rep = ConvertSdtToText(path, RecordSelection::All());
    ASSERT_TRUE(rep);
    EXPECT_EQ(rep->missing, (std::vector<std::string>{dir.file("t_1.txt")}));
    EXPECT_EQ(rep->written, (std::vector<std::string>{dir.file("t_2.txt")}));
    ASSERT_EQ(rep->problems.size(), 1u);
}

TEST(SignalRecord, MarkersAndEntriesWithoutAPositionTable) {
    TempDir dir;
    SignalFileImage img(1000.0, 0b001);
    img.addRecord({1, 2, 3}, 3, {{2, u"start"}, {0, u"x"}});
    img.addRecord({4}, 1, {}, false);
    const size_t broken = img.addRecord({5}, 1, {{0, u"lost"}});
    (void)broken;
    // Point the first slot of the third record's table beyond the end.
    const size_t table = img.bytes.size() - 8 - 120;
    writeU64(&img.bytes[table], 1ull << 40);
    auto sdt = SdtContainer::Open(img.save(dir, "m.sdt"));
    ASSERT_TRUE(sdt);
    const DirectoryWalk walk = sdt->walkEntries();
    ASSERT_EQ(walk.entries.size(), 3u);
    std::vector<Error> problems;
    auto t0 = readMarkerTable(*sdt, walk.entries[0].entry);
    ASSERT_TRUE(t0);
    const std::vector<Marker> m = readMarkers(*sdt, *t0, problems);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].block.frame, 2u);
    EXPECT_EQ(m[0].block.name(), u"start");
    EXPECT_EQ(m[1].slot, 1);
    auto t1 = readMarkerTable(*sdt, walk.entries[1].entry);
    ASSERT_TRUE(t1);
    EXPECT_TRUE(readMarkers(*sdt, *t1, problems).empty());
    EXPECT_TRUE(problems.empty());
    auto t2 = readMarkerTable(*sdt, walk.entries[2].entry);
    ASSERT_TRUE(t2);
    EXPECT_TRUE(readMarkers(*sdt, *t2, problems).empty());
    EXPECT_EQ(problems.size(), 1u);
}

TEST(SignalBaseName, CutsTheExtensionOfTheFileNameOnly) {
    EXPECT_EQ(signalBaseName("/a/b/rec.sdt"), "/a/b/rec");
    EXPECT_EQ(signalBaseName("/a.b/rec"), "/a.b/rec");
    EXPECT_EQ(signalBaseName(".sdt"), ".sdt");
    EXPECT_EQ(signalBaseName("x.y.sdt"), "x.y");
}

}  // namespace
}  // namespace k470

namespace k470 {
namespace {

// Damaged entries and marker tables: every operation on signal files gives a clear error or a documented
// skip, never a crash, a hang or a huge allocation.
TEST(SignalFiles, HostileEntriesAndMarkerTables) {
    struct Case {
        const char* name;
        size_t field;  // offset within the entry, or the marker slot when marker is set
        uint64_t value;
        int width;
        bool marker = false;
    };
    const Case cases[] = {
        {"offset_all_ones.sdt", 10, ~uint64_t{0}, 8},
        {"offset_beyond_end.sdt", 10, 1ull << 40, 8},
        {"offset_inside_header.sdt", 10, 4, 8},
        {"frames_all_ones.sdt", 18, 0xFFFFFFFFu, 4},
        {"back_size_odd.sdt", 28, 0xFFFF, 2},
        {"marker_all_ones.sdt", 0, ~uint64_t{0}, 8, true},
        {"marker_at_the_end.sdt", 0, 0, 8, true},  // set below to the last bytes of the file
        {"marker_zero_position_table.sdt", 1, 8, 8, true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::SignalFileImage img(1000.0, 0b011);
        const size_t e = img.addRecord({1, 2, 3, 4}, 2, {{1, u"m"}});
        const uint64_t data = readU64(&img.bytes[e + 10]);
        uint8_t* at = c.marker ? &img.bytes[data - 120 + 8 * c.field] : &img.bytes[e + c.field];
        const uint64_t value =
            std::string(c.name) == "marker_at_the_end.sdt" ? img.bytes.size() - 10 : c.value;
        for (int i = 0; i < c.width; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
        const std::string path = img.save(dir, c.name);

        auto wav = ConvertSdtToWav(path, RecordSelection::All(), {});
        ASSERT_TRUE(wav);
        auto txt = ConvertSdtToText(path, RecordSelection::All());
        ASSERT_TRUE(txt);
        EXPECT_EQ(wav->complete(), txt->complete());
        auto sdt = SdtContainer::Open(path);
        ASSERT_TRUE(sdt);
        const DirectoryWalk walk = sdt->walkEntries();
        ASSERT_EQ(walk.entries.size(), 1u);
        std::vector<Error> problems;
        if (auto table = readMarkerTable(*sdt, walk.entries[0].entry)) {
            EXPECT_LE(readMarkers(*sdt, *table, problems).size(), 2u);
        }

        SignalState state;
        FilterLibrary lib;
        ProcessingChain chain;
        ReprocessContext ctx{state, lib, chain, {}, u"", std::nullopt};
        auto processed = ReprocessSignalFile(path, dir.file("out.sdt"), ctx);
        EXPECT_EQ(processed.ok(), wav->complete());

        ManualClock clock;
        ReplayController replay(clock);
        struct Sink : ReplaySink {
            void Frames(std::span<const std::array<double, 3>>) override {}
        } sink;
        ASSERT_TRUE(replay.Open(path, sink));
        clock.advance(5000);
        replay.Tick(sink);
        (void)replay.startChoices();
    }
}

}  // namespace
}  // namespace k470
