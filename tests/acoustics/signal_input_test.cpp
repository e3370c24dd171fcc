// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one channel of a record of a .sdt file or a sound file, scaled; and the clear refusals of bad
// input: rates out of range, missing channels and records, empty records, unreadable files, calibration
// recordings without a tone, samples that are not numbers.
#include "acoustics/signal_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "acoustics/signal_fixtures.h"
#include "acoustics/synthetic_signals.h"
#include "support/temp_dir.h"

namespace k470::acoustics {
namespace {

using testing::tone;

std::vector<double> readAll(SignalInput& in) {
    std::vector<double> all, block(1000);
    while (true) {
        auto n = in.read(block);
        EXPECT_TRUE(n.ok()) << (n.ok() ? "" : n.error().message);
        if (!n || *n == 0) break;
        all.insert(all.end(), block.begin(), block.begin() + static_cast<long>(*n));
    }
    return all;
}

std::vector<double> interleave(const std::vector<std::vector<double>>& channels) {
    std::vector<double> out;
    for (size_t n = 0; n < channels[0].size(); ++n)
        for (const auto& c : channels) out.push_back(c[n]);
    return out;
}

TEST(SignalInput, PicksTheChannelOfAnySoundFormat) {
    test::TempDir dir;
    const std::vector<double> a = tone(1000.0, 16000.0, 0.1, 0.5), b = tone(250.0, 16000.0, 0.1, 0.25);
    struct Case {
        const char* name;
        int format;
        double tolerance;
    };
    for (const Case c : {Case{"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768},
                         Case{"pcm24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1e-6},
                         Case{"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1e-7},
                         Case{"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1e-15},
                         Case{"take.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1.0 / 32768}}) {
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(testing::writeSound(path, c.format, 16000, 2, interleave({a, b}))) << c.name;
        SignalInputOptions o;
        o.channel = 2;
        auto in = SignalInput::Open(path, o);
        ASSERT_TRUE(in.ok()) << c.name << ": " << in.error().message;
        EXPECT_EQ(in->description().sampleRate, 16000.0);
        EXPECT_TRUE(in->description().fullScale);
        EXPECT_EQ(in->description().units, "FS");
        const auto got = readAll(*in);
        ASSERT_EQ(got.size(), b.size()) << c.name;
        for (size_t n = 0; n < b.size(); ++n) ASSERT_NEAR(got[n], b[n], c.tolerance) << c.name << " " << n;
    }
}

TEST(SignalInput, TakesStartLengthAndScale) {
    test::TempDir dir;
    std::vector<double> ramp(8000);
    for (size_t n = 0; n < ramp.size(); ++n) ramp[n] = static_cast<double>(n) / 8000.0;
    ASSERT_TRUE(testing::writeSound(dir.file("r.wav"), SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 8000, 1, ramp));
    SignalInputOptions o;
    o.start = 0.25;
    o.length = 0.5;
    o.scale = 2.0;
    auto in = SignalInput::Open(dir.file("r.wav"), o);
    ASSERT_TRUE(in.ok());
    EXPECT_EQ(in->description().units, "Pa");
    EXPECT_EQ(in->description().referenceValue, 2e-5);
    EXPECT_FALSE(in->description().fullScale);
    EXPECT_EQ(in->description().firstFrame, 2000u);
    const auto got = readAll(*in);
    ASSERT_EQ(got.size(), 4000u);
    EXPECT_DOUBLE_EQ(got.front(), 2.0 * 2000 / 8000.0);
    EXPECT_DOUBLE_EQ(got.back(), 2.0 * 5999 / 8000.0);
}

TEST(SignalInput, ReadsARecordOfASignalFileWithItsUnitsAndDate) {
    test::TempDir dir;
    // Channels 1 and 3 present: channel 3 is the second value of each frame.
    testing::SdtRecordImage first, second;
    for (int n = 0; n < 100; ++n) first.frames.insert(first.frames.end(), {1.0 * n, -1.0 * n});
    for (int n = 0; n < 50; ++n) second.frames.insert(second.frames.end(), {0.5, 7.0});
    second.stamp = {2025, 1, 2, 3, 4, 6};
    ASSERT_TRUE(testing::writeSdt(dir.file("s.sdt"), 8000.0, 0b101, {first, second}, {u"Pa", u"mV", u"m/c^2"},
                                  {2e-5, 1e-3, 1e-6}));
    SignalInputOptions o;
    o.channel = 3;
    o.record = 2;
    auto in = SignalInput::Open(dir.file("s.sdt"), o);
    ASSERT_TRUE(in.ok()) << in.error().message;
    const SignalDescription& d = in->description();
    EXPECT_EQ(d.units, "m/c^2");
    EXPECT_EQ(d.referenceValue, 1e-6);
    EXPECT_FALSE(d.acoustic());
    EXPECT_EQ(d.recordCount, 2);
    ASSERT_TRUE(d.recordStart.has_value());
    EXPECT_EQ(d.recordStart->year, 2025);
    EXPECT_EQ(d.recordStart->seconds, 6);
    const auto got = readAll(*in);
    ASSERT_EQ(got.size(), 50u);
    EXPECT_EQ(got[0], 7.0);
    EXPECT_EQ(countSignalRecords(dir.file("s.sdt")).value(), 2);
}

// Every bad input is refused with a message that names the problem.
TEST(SignalInput, RefusesBadInputWithAClearMessage) {
    test::TempDir dir;
    const auto t = tone(1000.0, 8000.0, 0.2);
    ASSERT_TRUE(testing::writeSound(dir.file("ok.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1, t));
    ASSERT_TRUE(testing::writeSound(dir.file("slow.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 4000, 1, t));
    ASSERT_TRUE(testing::writeSound(dir.file("empty.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1, {}));
    test::writeBytes(dir.file("junk.wav"), {'R', 'I', 'F', 'F', 1, 2, 3, 4, 'W', 'A', 'V', 'E', 0, 0});
    testing::SdtRecordImage r;
    r.frames = t;
    testing::SdtRecordImage none;
    ASSERT_TRUE(testing::writeSdt(dir.file("zero.sdt"), 0.0, 1, {r}));
    ASSERT_TRUE(testing::writeSdt(dir.file("nan.sdt"), std::nan(""), 1, {r}));
    ASSERT_TRUE(testing::writeSdt(dir.file("negative.sdt"), -48000.0, 1, {r}));
    ASSERT_TRUE(testing::writeSdt(dir.file("fast.sdt"), 384000.0, 1, {r}));
    ASSERT_TRUE(testing::writeSdt(dir.file("ok.sdt"), 8000.0, 1, {r, none}));
    struct Case {
        std::string file;
        SignalInputOptions options;
        std::string says;
    };
    auto with = [](auto set) {
        SignalInputOptions o;
        set(o);
        return o;
    };
    const Case cases[] = {
        {"slow.wav", {}, "Sampling rate 4000 Hz is not supported"},
        {"zero.sdt", {}, "(0 Hz) is outside what an instrument records"},
        {"nan.sdt", {}, "(nan Hz) is outside what an instrument records"},
        {"negative.sdt", {}, "(-48000 Hz) is outside what an instrument records"},
        {"fast.sdt", {}, "(384000 Hz) is outside what an instrument records"},
        {"empty.wav", {}, "Record 1 has no samples"},
        {"ok.sdt", with([](auto& o) { o.record = 2; }), "Record 2 has no samples"},
        {"ok.sdt", with([](auto& o) { o.record = 3; }), "There is no record 3: the file has 2"},
        {"ok.sdt", with([](auto& o) { o.channel = 2; }), "There is no channel 2: the file has channels 1"},
        {"ok.wav", with([](auto& o) { o.channel = 2; }), "There is no channel 2: the file has 1 channels"},
        {"ok.wav", with([](auto& o) { o.record = 2; }), "There is no record 2"},
        {"junk.wav", {}, "Can't read sound file"},
        {"missing.wav", {}, "Can't open file"},
        {"ok.wav", with([](auto& o) { o.start = 0.2; }), "Start 0.2 s lies at or beyond the end of record 1"},
        // within the last half frame (1599.6 of 1600): rounded, nothing is left to read
        {"ok.wav", with([](auto& o) { o.start = 0.19995; }), "Start 0.19995 s lies at or beyond the end"},
        {"ok.wav", with([](auto& o) { o.length = 10.0; }),
         "Length 10 s from 0 s reaches beyond the end of record 1"},
        {"ok.wav", with([](auto& o) { o.scale = -1.0; }),
         "Scale '-1' is not a number between 1e-09 and 1000000000"},
    };
    for (const Case& c : cases) {
        auto in = SignalInput::Open(dir.file(c.file), c.options);
        ASSERT_FALSE(in.ok()) << c.file;
        EXPECT_NE(in.error().message.find(c.says), std::string::npos) << c.file << ": " << in.error().message;
    }
}

TEST(SignalInput, StopsAtASampleThatIsNotANumber) {
    test::TempDir dir;
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        auto t = tone(1000.0, 8000.0, 0.5);
        t[3000] = bad;
        ASSERT_TRUE(testing::writeSound(dir.file("bad.wav"), SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 8000, 1, t));
        auto in = SignalInput::Open(dir.file("bad.wav"));
        ASSERT_TRUE(in.ok());
        std::vector<double> block(1000);
        std::string error;
        for (int k = 0; k < 10 && error.empty(); ++k) {
            auto n = in->read(block);
            if (!n) error = n.error().message;
        }
        EXPECT_EQ(error, "Sample 3001 of record 1 is not a finite number");
    }
}

TEST(Calibration, ScalesSoThatTheCalibratorReadsItsLevel) {
    test::TempDir dir;
    // A calibrator tone at 0.3 of full scale with a little hum: 94 dB in the 1 kHz band means
    // 1.0024 Pa rms for 0.3/sqrt(2) full-scale units.
    auto cal = tone(1000.0, 48000.0, 2.0, 0.3);
    const auto hum = tone(50.0, 48000.0, 2.0, 0.03);
    for (size_t n = 0; n < cal.size(); ++n) cal[n] += hum[n];
    ASSERT_TRUE(testing::writeSound(dir.file("cal.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1, cal));
    auto s = calibrationScale({dir.file("cal.wav"), 94.0}, 1);
    ASSERT_TRUE(s.ok()) << s.error().message;
    EXPECT_NEAR(*s, 2e-5 * std::pow(10.0, 94.0 / 20.0) / (0.3 / std::sqrt(2.0)), 0.01 * *s);
    auto at114 = calibrationScale({dir.file("cal.wav"), 114.0}, 1);
    EXPECT_NEAR(*at114 / *s, 10.0, 0.001);

    // Noise, or a tone far from 1 kHz, is no calibrator.
    ASSERT_TRUE(testing::writeSound(dir.file("noise.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1,
                                    testing::pinkNoise(48000.0, 1.0)));
    ASSERT_TRUE(testing::writeSound(dir.file("250.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1,
                                    tone(250.0, 48000.0, 1.0)));
    ASSERT_TRUE(testing::writeSound(dir.file("silence.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1,
                                    std::vector<double>(48000, 0.0)));
    for (const char* f : {"noise.wav", "250.wav", "silence.wav"}) {
        auto bad = calibrationScale({dir.file(f), 94.0}, 1);
        ASSERT_FALSE(bad.ok()) << f;
        EXPECT_NE(bad.error().message.find("No single calibrator tone"), std::string::npos)
            << bad.error().message;
    }
}

}  // namespace
}  // namespace k470::acoustics
