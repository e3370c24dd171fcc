// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli fft and rt60, run as a process on generated WAV and .sdt files.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <sstream>

#include "signal/signal_file_image.h"
#include "signal/wav_writer.h"
#include "support/run_command.h"

namespace k470 {
namespace {

using test::runCommand;
using test::TempDir;

constexpr double kRate = 48000.0;

std::string writeWav(const TempDir& dir, const std::string& name, const std::vector<double>& samples) {
    const std::string path = dir.file(name);
    WavFileWriter w;
    EXPECT_TRUE(w.Open(path, WavFormat::FloatMono(static_cast<uint32_t>(kRate))).ok());
    std::vector<float> f(samples.begin(), samples.end());
    EXPECT_TRUE(w.Write(f.data(), f.size() * sizeof(float)).ok());
    EXPECT_TRUE(w.Close().ok());
    return path;
}

std::vector<double> tone(double seconds, double frequency, double rms) {
    std::vector<double> x(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = rms * std::numbers::sqrt2 *
               std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kRate);
    return x;
}

std::vector<double> decay(double seconds, double t60, double floorRms, unsigned seed = 3) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> g(0.0, 1.0);
    std::vector<double> x(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = 0.3 * g(rng) * std::pow(10.0, -3.0 * static_cast<double>(i) / kRate / t60) + floorRms * g(rng);
    return x;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == ',')
            out.emplace_back();
        else
            out.back().push_back(c);
    }
    return out;
}

TEST(SpectraCommands, FftWritesEveryBinInDecibelsReTheChannelsReference) {
    TempDir dir;
    // 1500 Hz is the centre of bin 32 of 1024 points at 48 kHz.
    const std::string wav = writeWav(dir, "tone.wav", tone(1.0, 1500.0, 0.1));
    struct Case {
        std::vector<std::string> options;
        std::string row32;
    } cases[] = {
        {{"--size", "1024"}, "1500,-20.00"},  // dB re full scale without a scale
        {{"--size", "1024", "--scale", "2", "--window", "flattop"}, "1500,80.00"},  // 0.2 Pa re 20 uPa
        {{"--size", "1024", "--average", "max", "--overlap", "0"}, "1500,-20.00"}};
    for (const Case& c : cases) {
        auto args = c.options;
        args.insert(args.begin(), "fft");
        args.push_back(wav);
        const auto r = runCommand(K470_CLI, args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto rows = lines(r.out);
        ASSERT_EQ(rows.size(), 1u + 513u);
        EXPECT_EQ(rows[0], "frequency_hz,level_db");
        EXPECT_EQ(rows[1 + 32], c.row32);
        EXPECT_EQ(cells(rows[1 + 31])[0], "1453.12");  // "%.6g"
        EXPECT_EQ(cells(rows.back())[0], "24000");
    }
}

TEST(SpectraCommands, FftPsdOfWhiteNoiseReadsItsDensity) {
    TempDir dir;
    std::mt19937 rng(9);
    std::normal_distribution<double> g(0.0, 0.05);
    std::vector<double> x(static_cast<size_t>(4 * kRate));
    for (double& v : x) v = g(rng);
    const auto r = runCommand(K470_CLI, {"fft", "--psd", "--size", "4096", writeWav(dir, "white.wav", x)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto rows = lines(r.out);
    double sum = 0.0;
    for (size_t i = 100; i < 1900; ++i) sum += std::pow(10.0, std::stod(cells(rows[i])[1]) / 10.0);
    EXPECT_NEAR(10.0 * std::log10(sum / 1800.0), 10.0 * std::log10(2.0 * 0.05 * 0.05 / kRate), 0.15);
}

TEST(SpectraCommands, Rt60WritesOneRowPerBandWithTimesAndNotes) {
    TempDir dir;
    const std::string ir = writeWav(dir, "ir.wav", decay(2.5, 0.8, 1e-5));
    const std::string steady = writeWav(dir, "steady.wav", tone(2.0, 1000.0, 0.1));
    auto r = runCommand(K470_CLI, {"rt60", ir});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0], "band_hz,edt_s,t20_s,t30_s,r_t20,r_t30,floor_db,note");
    const auto kHz = cells(rows[5]);
    ASSERT_EQ(kHz.size(), 8u);
    EXPECT_EQ(kHz[0], "1k");
    EXPECT_NEAR(std::stod(kHz[3]), 0.8, 0.04);
    EXPECT_EQ(kHz[3].size(), 5u);  // "%.3f"
    EXPECT_EQ(kHz[5].size(), 7u);  // "%.4f" of a negative correlation
    EXPECT_EQ(kHz[7], "");
    EXPECT_EQ(cells(rows[8])[0], "8k");

    r = runCommand(K470_CLI, {"rt60", "--bands", "third", ir});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    rows = lines(r.out);
    ASSERT_EQ(rows.size(), 25u);
    EXPECT_EQ(cells(rows[1])[0], "50");
    EXPECT_EQ(cells(rows[24])[0], "10k");

    r = runCommand(K470_CLI, {"rt60", steady});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    rows = lines(r.out);
    ASSERT_EQ(rows.size(), 9u);
    for (const std::string& row : std::vector(rows.begin() + 1, rows.end())) {
        const auto c = cells(row);
        ASSERT_EQ(c.size(), 8u) << row;
        EXPECT_EQ(c[1] + c[2] + c[3] + c[4] + c[5], "") << row;
        EXPECT_NE(c[7], "") << row;
    }
}

TEST(SpectraCommands, SdtChannelAndRecordAreCountedFromOne) {
    TempDir dir;
    // Two channels (Pa, m/c^2); in record 2 the second channel holds a tone of rms 0.001 m/c^2, 60 dB re
    // 1e-6.
    test::SignalFileImage img(kRate, 0b011);
    const auto t = tone(0.5, 1500.0, 0.001);
    std::vector<double> frames(2 * t.size(), 0.0);
    img.addRecord(frames, static_cast<uint32_t>(t.size()));
    for (size_t i = 0; i < t.size(); ++i) frames[2 * i] = 0.01, frames[2 * i + 1] = t[i];
    img.addRecord(frames, static_cast<uint32_t>(t.size()));
    const std::string sdt = img.save(dir, "two.sdt");
    const auto r = runCommand(K470_CLI, {"fft", "--size", "1024", "--channel", "2", "--record", "2", sdt});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.out).at(1 + 32), "1500,60.00");
    EXPECT_NE(
        runCommand(K470_CLI, {"fft", "--size", "1024", "--channel", "2", "--record", "1", sdt}).exitCode, 0);
}

TEST(SpectraCommands, BadInputGetsAMessageAndNoOutput) {
    TempDir dir;
    const std::string wav = writeWav(dir, "tone.wav", tone(1.0, 1000.0, 0.1));
    const std::string silent = writeWav(dir, "silent.wav", std::vector<double>(48000, 0.0));
    auto withNan = tone(1.0, 1000.0, 0.1);
    withNan[500] = std::nan("");
    const std::string nan = writeWav(dir, "nan.wav", withNan);
    const std::string broken = dir.file("broken.wav");
    test::writeBytes(broken, {'R', 'I', 'F', 'F', 1, 2, 3, 4, 'W', 'A', 'V', 'E', 'j', 'u', 'n', 'k'});
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {{{"fft", "--size", "1000", wav}, 2, "power of two"},
                 {{"fft", "--size", "131072", wav}, 2, "power of two"},
                 {{"fft", "--overlap", "100", wav}, 2, "overlap"},
                 {{"fft", "--window", "kaiser", wav}, 2, "window"},
                 {{"fft", "--size", "65536", wav}, 1, "larger than the signal"},
                 {{"fft", "--start", "2", wav}, 1, "beyond the end"},
                 {{"fft", silent}, 1, "silent"},
                 {{"fft", nan}, 1, "finite"},
                 {{"fft", broken}, 1, "broken.wav"},
                 {{"rt60", silent}, 1, "silent"},
                 {{"rt60", nan}, 1, "finite"},
                 {{"rt60", "--bands", "half", wav}, 2, "bands"},
                 {{"rt60", "--record", "2", wav}, 1, "record 2"}};
    for (const Case& c : cases) {
        const auto r = runCommand(K470_CLI, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1] << " " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.args.back();
    }
}

}  // namespace
}  // namespace k470
