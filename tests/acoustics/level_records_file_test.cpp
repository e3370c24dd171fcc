// SPDX-License-Identifier: GPL-3.0-or-later
// Signal files to sound-level record files, and sound files to signal files: what lands in the output,
// and that a cancelled or failed run leaves no file and an earlier one untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "acoustics/level_records_file.h"
#include "acoustics/signal_fixtures.h"
#include "acoustics/sound_signal_file.h"
#include "acoustics/synthetic_signals.h"
#include "data/bin_file.h"
#include "support/temp_dir.h"

namespace k470::acoustics {
namespace {

using testing::tone;

constexpr double kFs = 48000.0;
// Word of LAeq in a sound-level record: after 40 band rows of 10 words, the C row (12 words), then the
// A row whose fourth word is Leq.
constexpr size_t kLaeqWord = 40 * 10 + 12 + 3;

// Channel 2 of two carries a 1 kHz tone of 1 Pa RMS (94 dB); channel 1 is ten times weaker.
std::string twoRecordSignal(const test::TempDir& dir, double seconds1, double seconds2) {
    std::vector<testing::SdtRecordImage> records(2);
    for (size_t r = 0; r < 2; ++r) {
        const auto x = tone(1000.0, kFs, r == 0 ? seconds1 : seconds2, std::sqrt(2.0));
        for (double v : x) {
            records[r].frames.push_back(0.1 * v);
            records[r].frames.push_back(v);
        }
    }
    const std::string path = dir.file("take.sdt");
    EXPECT_TRUE(testing::writeSdt(path, kFs, 0b011, records));
    return path;
}

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LevelRecordsFile, EverySecondOfEveryRecordBecomesARecordOfTheChosenChannel) {
    test::TempDir dir;
    LevelRecordsJob job;
    job.input = twoRecordSignal(dir, 2.5, 1.0);
    job.options.channel = 2;
    job.output = dir.file("take.bin");
    std::vector<LevelRecordsProgress> seen;
    ASSERT_TRUE(writeLevelRecords(job, [&](const LevelRecordsProgress& p) {
                    seen.push_back(p);
                    return true;
                }).ok());
    auto bin = BinFile::Open(job.output);
    ASSERT_TRUE(bin.ok()) << bin.error().message;
    ASSERT_EQ(bin->recordCount(), 3 + 1);  // 1 s, 1 s, 0.5 s; then 1 s
    for (int k = 2; k <= 4; ++k) {
        auto r = bin->ReadRecord(k);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->header.deviceType, 3);
        EXPECT_NEAR(r->levels[kLaeqWord], 94.0, 0.2) << "record " << k;
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().record, 0u);
    EXPECT_EQ(seen.back().record, 1u);
    EXPECT_EQ(seen.back().records, 2u);
    EXPECT_EQ(seen.back().percent(), 100);
}

TEST(LevelRecordsFile, CancelOrFailureLeavesNoNewFile) {
    test::TempDir dir;
    LevelRecordsJob job;
    job.input = twoRecordSignal(dir, 2.0, 2.0);
    job.output = dir.file("take.bin");
    // Cancelled in the second record: nothing appears.
    int calls = 0;
    const auto cancelLate = [&](const LevelRecordsProgress& p) { return ++calls < 3 || p.record == 0; };
    EXPECT_FALSE(writeLevelRecords(job, cancelLate).ok());
    EXPECT_FALSE(std::filesystem::exists(job.output));
    // An earlier file stays as it was, through a cancel and through a missing channel.
    { std::ofstream(job.output) << "earlier"; }
    EXPECT_FALSE(writeLevelRecords(job, [](const LevelRecordsProgress&) { return false; }).ok());
    job.options.channel = 3;
    EXPECT_FALSE(writeLevelRecords(job).ok());
    EXPECT_EQ(contentOf(job.output), "earlier");
    // Never over its own input.
    job.options.channel = 1;
    job.output = job.input;
    const std::string before = contentOf(job.input);
    EXPECT_FALSE(writeLevelRecords(job).ok());
    EXPECT_EQ(contentOf(job.input), before);
}

// A level a record cannot hold is stored at the record's limit and flags the record: a second of pink noise
// at 94 dB, all of whose levels lie within 0..255.99 dB, carries no flag; the silent second after it, whose
// minima fall towards the level floor (-300 dB), is flagged under-range; a tone of 260 dB is stored at
// 255.99 dB and flagged overloaded. A wholly silent record is refused and writes nothing.
TEST(LevelRecordsFile, LevelsARecordCannotHoldAreFlaggedNeverClampedSilently) {
    test::TempDir dir;
    auto noise = testing::pinkNoise(kFs, 1.0);
    const double rms = std::sqrt(testing::meanSquare(noise));
    for (double& v : noise) v /= rms;                                        // 1 Pa: 94 dB
    const auto huge = tone(1000.0, kFs, 1.0, std::sqrt(2.0) * 2e-5 * 1e13);  // 260 dB
    std::vector<testing::SdtRecordImage> records(1);
    records[0].frames = noise;
    records[0].frames.resize(2 * noise.size(), 0.0);
    records[0].frames.insert(records[0].frames.end(), huge.begin(), huge.end());
    LevelRecordsJob job;
    job.input = dir.file("take.sdt");
    ASSERT_TRUE(testing::writeSdt(job.input, kFs, 0b001, records));
    job.output = dir.file("take.bin");
    auto written = writeLevelRecords(job);
    ASSERT_TRUE(written.ok()) << written.error().message;
    EXPECT_EQ(written->records, 3u);
    EXPECT_EQ(written->flagged, 2u);
    auto bin = BinFile::Open(job.output);
    ASSERT_TRUE(bin.ok());
    auto first = bin->ReadRecord(1), second = bin->ReadRecord(2), third = bin->ReadRecord(3);
    ASSERT_TRUE(first.ok() && second.ok() && third.ok());
    EXPECT_NEAR(first->levels[kLaeqWord], 92.0, 4.0);
    EXPECT_EQ(first->trailer.underrangeStatus[0], 0);
    EXPECT_EQ(first->trailer.overloadStatus[0], 0);
    EXPECT_EQ(second->trailer.underrangeStatus[0], 1);
    EXPECT_EQ(second->trailer.overloadStatus[0], 0);
    EXPECT_NEAR(third->levels[kLaeqWord], kMaxStoredLevelDb, 0.01);
    EXPECT_EQ(third->trailer.overloadStatus[0], 1);

    records[0].frames.assign(noise.size(), 0.0);
    ASSERT_TRUE(testing::writeSdt(job.input, kFs, 0b001, records));
    job.output = dir.file("silent.bin");
    auto silent = writeLevelRecords(job);
    ASSERT_FALSE(silent.ok());
    EXPECT_EQ(silent.error().message, "The signal is silent: every sample is zero");
    EXPECT_FALSE(std::filesystem::exists(job.output));
}

TEST(SoundAsSignalFile, ChannelsUnitsAndSamplesCarryOver) {
    test::TempDir dir;
    const std::string wav = dir.file("take.wav");
    // Four channels of 16-bit PCM: k/4 full scale on channel k+1 (exact in 16 bits); only three fit.
    std::vector<double> frames;
    for (int i = 0; i < 1000; ++i)
        for (int k = 0; k < 4; ++k) frames.push_back(0.25 * k - (i % 2 ? 0.125 : 0.0));
    ASSERT_TRUE(testing::writeSound(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 4, frames));
    const std::string sdt = dir.file("take.sdt");
    SoundAsSignalOptions o;
    o.units = "Pa";
    o.referenceValue = 2e-5;
    o.scale = 2.0;
    ASSERT_TRUE(writeSoundAsSignalFile(wav, sdt, o).ok());
    auto file = SdtContainer::Open(sdt);
    ASSERT_TRUE(file.ok()) << file.error().message;
    EXPECT_EQ(file->header().sampleRate, 44100.0);
    EXPECT_EQ(file->header().channelMask, 0b111);
    EXPECT_EQ(file->header().units[2], u"Pa");
    EXPECT_EQ(file->header().referenceValue[1], 2e-5);
    for (int channel = 1; channel <= 3; ++channel) {
        SignalInputOptions so;
        so.channel = channel;
        auto in = SignalInput::Open(sdt, so);
        ASSERT_TRUE(in.ok()) << in.error().message;
        EXPECT_EQ(in->description().frames, 1000u);
        std::vector<double> got(1000);
        ASSERT_EQ(*in->read(got), 1000u);
        EXPECT_DOUBLE_EQ(got[0], 2.0 * 0.25 * (channel - 1));
        EXPECT_DOUBLE_EQ(got[1], 2.0 * (0.25 * (channel - 1) - 0.125));
    }
}

TEST(SoundAsSignalFile, UnreadableFileGivesLibsndfilesMessageAndNoOutput) {
    test::TempDir dir;
    const std::string wav = dir.file("broken.wav");
    { std::ofstream(wav) << "RIFF this is not a wave file"; }
    const std::string sdt = dir.file("broken.sdt");
    auto s = writeSoundAsSignalFile(wav, sdt);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.error().message.find("broken.wav"), std::string::npos) << s.error().message;
    EXPECT_FALSE(std::filesystem::exists(sdt));
}

TEST(TemporaryFile, RemovedWithItsHolder) {
    std::string path;
    {
        auto t = TemporaryFile::Create();
        ASSERT_TRUE(t.ok());
        path = t->path();
        EXPECT_TRUE(std::filesystem::exists(path));
        TemporaryFile moved = std::move(*t);
        EXPECT_EQ(moved.path(), path);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace k470::acoustics
