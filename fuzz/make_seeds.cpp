// SPDX-License-Identifier: GPL-3.0-or-later
// Writes small valid inputs of every surface, made by the core's own writers, as the fuzzers' first corpus:
//   k470_fuzz_seeds DIR   ->   DIR/<surface>/<name>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "data/bin_file.h"
#include "data/reference_values.h"
#include "data/sample_records.h"
#include "data/sdt_container.h"
#include "export/level_locator.h"
#include "export/report.h"
#include "export/report_config.h"
#include "link/frame_parser.h"
#include "link/instrument_protocol.h"
#include "signal/filter_library.h"
#include "signal/live_stream.h"
#include "signal/processor_preset.h"
#include "signal/signal_synth.h"

namespace {

namespace fs = std::filesystem;
using namespace k470;

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void binSeeds(const fs::path& dir) {
    for (DeviceType type : {DeviceType{1}, DeviceType{3}, DeviceType{6}, DeviceType{22}}) {
        auto out = BinFileAppender::Create((dir / ("type" + std::to_string(type) + ".bin")).string(),
                                           Placement::Whole);
        for (int i = 0; i < 2 && out; ++i) {
            auto r = makeSampleRecord({type, 0x00A1B2C3, 1, i});
            if (r) (void)out->Append(*r, r->header.dateTime());
        }
        if (out) (void)out->Close();
    }
}

void sdtSeed(const fs::path& path, uint16_t mask, uint16_t channels, double rate) {
    SdtHeader h;
    h.sampleRate = rate;
    h.channelCount = channels;
    h.channelMask = mask;
    h.units[0] = u"Pa";
    auto w = SdtWriter::Create(path.string(), h);
    if (!w) return;
    std::array<uint8_t, kMarkerTableSize> table{};
    std::vector<double> samples(8 * channels);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = 0.01 * static_cast<double>(i);
    for (int r = 0; r < 2; ++r) {
        if (!w->BeginRecord(3, 0xBEEF, {2026, 5, 6, 7, 8, 9}, table)) return;
        if (!w->AppendFrames(samples, 8)) return;
    }
    (void)w->Finish();
}

void sdtSeeds(const fs::path& dir) {
    sdtSeed(dir / "one_channel.sdt", 1, 1, 24000.0);
    sdtSeed(dir / "three_channels.sdt", 7, 3, 48000.0);
    sdtSeed(dir / "second_channel.sdt", 2, 1, 3000.0);
}

void filterSeeds(const fs::path& dir) {
    FilterDefinition f;
    f.decimation = 2;
    f.order = 3;
    f.name = u"low";
    f.lowPass = {0.25, 0.5, 0.25};
    f.numerator = {1.0, -1.0};
    f.denominator = {0.5};
    writeBytes(dir / "one.slb", encodeFilterLibrary({f}));
}

void presetSeeds(const fs::path& dir) {
    SignalState state;
    FilterLibrary library;
    (void)savePresets((dir / "cust_proc.dat").string(), {presetFromState(state, library, u"first"),
                                                         presetFromState(state, library, u"second")});
}

void reportSeeds(const fs::path& dir) {
    ReportConfig config;
    ReportColumnList columns;
    columns.Add(makeReportColumn(3, LevelSelection{0, 0, 0, 0}));
    columns.Add(makeReportColumn(3, LevelSelection{0, 1, 2, 0}));
    config.setColumns(3, columns);
    (void)config.Write((dir / "report.cfg").string());
}

void iniSeeds(const fs::path& dir) {
    const std::string text = "[Init]\r\nAType=1\r\nIP1=0.0.0.0\r\nIP2=192.168.0.2\r\n[K470Dlg]\nbLin=0\n";
    writeBytes(dir / "k470.ini", std::vector<uint8_t>(text.begin(), text.end()));
}

void frameSeeds(const fs::path& dir) {
    const uint8_t payload[] = {1, 2, 3, 4, 5};
    std::vector<uint8_t> two = buildFrame(1, payload, sizeof payload);
    const std::vector<uint8_t> second = buildFrame(2, payload, 2);
    two.insert(two.end(), second.begin(), second.end());
    writeBytes(dir / "two_frames", two);
}

void statusSeeds(const fs::path& dir) {
    for (DeviceType type : {DeviceType{1}, DeviceType{3}, DeviceType{6}, DeviceType{20}, DeviceType{22}}) {
        auto blank = MeasurementRecord::blank(type);
        if (!blank) continue;
        AcquiredValues values{std::move(*blank), true};
        values.record.tail.rangeIndex = 2;
        writeBytes(dir / ("type" + std::to_string(type)), EncodeStatusMessage(values));
    }
}

void streamSeeds(const fs::path& dir) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 64; ++i) {
        bytes.push_back(i % 16 == 15 ? kStatusFrameMarker : kSampleFrameMarker);
        bytes.push_back(static_cast<uint8_t>(i));
        bytes.push_back(static_cast<uint8_t>(i * 7));
        bytes.push_back(static_cast<uint8_t>(i & 1 ? 0xFF : 0x00));
    }
    writeBytes(dir / "samples_and_status", bytes);
}

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The option bytes in front of a signal file: channel 1, record 1, the whole record, and the given scale
// index, surface byte and flags (see fuzz/measuring_entries.cpp).
std::vector<uint8_t> choices(uint8_t first = 0, uint8_t second = 0, uint8_t own = 0, uint8_t flags = 0) {
    return {first, second, own, flags};
}
constexpr uint8_t kSoundFile = 0x80;  // the flag of a sound file rather than a .sdt file
constexpr uint8_t kScaleOne = 0x10;   // scale 1.0: a sound file in pascals

// The file at from, behind the option bytes, at to; from is removed.
void withChoices(const fs::path& from, const std::vector<uint8_t>& prefix, const fs::path& to) {
    std::vector<uint8_t> bytes = prefix;
    const std::vector<uint8_t> file = readBytes(from);
    bytes.insert(bytes.end(), file.begin(), file.end());
    fs::remove(from);
    writeBytes(to, bytes);
}

// Samples of a made-up signal in pascals.
std::vector<double> synth(const char* items, double rate, size_t frames) {
    auto list = parseSignalList(items);
    std::vector<double> v(frames);
    if (list) SignalSynth(*list, rate, 7).fill(v);
    return v;
}

// A one-channel signal file in pascals of one record (or two, the second the first halved).
void sdtSignal(const fs::path& path, const std::vector<double>& samples, double rate, int records = 1) {
    SdtHeader h;
    h.sampleRate = rate;
    h.channelCount = 1;
    h.channelMask = 1;
    h.units[0] = u"Pa";
    h.referenceValue[0] = kReferenceSoundPressure;
    auto w = SdtWriter::Create(path.string(), h);
    if (!w) return;
    std::array<uint8_t, kMarkerTableSize> table{};
    std::vector<double> v = samples;
    for (int r = 0; r < records; ++r) {
        if (!w->BeginRecord(26, 0xBEEF, {2026, 5, 6, 7, 8, 9}, table)) return;
        if (!w->AppendFrames(v, static_cast<uint32_t>(v.size()))) return;
        for (double& x : v) x *= 0.5;
    }
    (void)w->Finish();
}

// A sound file of libsndfile's format (channels interleaved), samples in full-scale units.
void soundFile(const fs::path& path, int format, const std::vector<double>& samples, int rate,
               int channels = 1) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.string().c_str(), SFM_WRITE, &info);
    if (f == nullptr) {
        std::fprintf(stderr, "k470_fuzz_seeds: %s: %s\n", path.string().c_str(), sf_strerror(nullptr));
        return;
    }
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const auto frames = static_cast<sf_count_t>(samples.size() / static_cast<size_t>(channels));
    if (sf_writef_double(f, samples.data(), frames) != frames)
        std::fprintf(stderr, "k470_fuzz_seeds: %s: %s\n", path.string().c_str(), sf_strerror(f));
    sf_close(f);
}

// Samples in pascals as full-scale units, a pascal being a twentieth of full scale (the loudest signals,
// the first moments of an impulse response at 100 dB, peak below full scale).
std::vector<double> asFullScale(std::vector<double> v) {
    for (double& x : v) x *= 0.05;
    return v;
}

void soundInputSeeds(const fs::path& dir) {
    // Two channels, the second the first halved, 50 ms at 8 kHz.
    const std::vector<double> tone = asFullScale(synth("tone:440:90", 8000.0, 400));
    std::vector<double> stereo;
    for (double v : tone) stereo.insert(stereo.end(), {v, 0.5 * v});
    const struct {
        const char* name;
        int format;
    } formats[] = {
        {"int16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},   {"int24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {"float32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},  {"float64.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
        {"int16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}, {"int24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24}};
    for (const auto& f : formats) {
        soundFile(dir / "sound.tmp", f.format, stereo, 8000, 2);
        withChoices(dir / "sound.tmp", choices(), dir / f.name);
    }
    // The second channel, from 10 ms for 20 ms, in pascals.
    soundFile(dir / "sound.tmp", SF_FORMAT_WAV | SF_FORMAT_PCM_16, stereo, 8000, 2);
    withChoices(dir / "sound.tmp", choices(kScaleOne | 1, 0x33), dir / "channel2_part.wav");
}

void sdtInputSeeds(const fs::path& dir) {
    SdtHeader h;
    h.sampleRate = 8000.0;
    h.channelCount = 2;
    h.channelMask = 5;  // channels 1 and 3
    h.units = {u"Pa", u"", u"m/c^2"};
    h.referenceValue = {kReferenceSoundPressure, 1.0, 1e-6};
    if (auto w = SdtWriter::Create((dir / "sdt.tmp").string(), h)) {
        std::array<uint8_t, kMarkerTableSize> table{};
        const std::vector<double> tone = synth("tone:250:80", 8000.0, 128);
        std::vector<double> frames;
        for (double v : tone) frames.insert(frames.end(), {v, 1e-3 * v});
        for (int r = 0; r < 3; ++r)
            if (!w->BeginRecord(1, 0xBEEF, {2026, 5, 6, 7, 8, r}, table) ||
                !w->AppendFrames(frames, static_cast<uint32_t>(tone.size())))
                break;
        (void)w->Finish();
    }
    const std::vector<uint8_t> file = readBytes(dir / "sdt.tmp");
    fs::remove(dir / "sdt.tmp");
    const std::vector<uint8_t> options[] = {choices(), choices(0x06, 0x22), choices(0x1A, 0x31)};
    for (size_t i = 0; i < std::size(options); ++i) {
        std::vector<uint8_t> bytes = options[i];
        bytes.insert(bytes.end(), file.begin(), file.end());
        writeBytes(dir / ("two_channels_" + std::to_string(i) + ".sdt"), bytes);
    }
}

// What the analyses are for: a tone and pink noise (levels, spectra), an impulse response (reverberation).
void analysisSeeds(const fs::path& dir, uint8_t own, bool impulse) {
    const char* items = impulse ? "impulse:0.3" : "tone:1000:94,pink:70";
    sdtSignal(dir / "signal.tmp", synth(items, 8000.0, 3000), 8000.0, 2);
    withChoices(dir / "signal.tmp", choices(0, 0, own), dir / "pascals_8k.sdt");
    sdtSignal(dir / "signal.tmp", synth(items, 48000.0, 4096), 48000.0);
    withChoices(dir / "signal.tmp", choices(0, 0, own), dir / "pascals_48k.sdt");
    soundFile(dir / "signal.tmp", SF_FORMAT_WAV | SF_FORMAT_PCM_16, asFullScale(synth(items, 8000.0, 12000)),
              8000);
    withChoices(dir / "signal.tmp", choices(0, 0, own, kSoundFile), dir / "full_scale.wav");
    soundFile(dir / "signal.tmp", SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
              asFullScale(synth(items, 16000.0, 16000)), 16000);
    withChoices(dir / "signal.tmp", choices(kScaleOne, 0, own, kSoundFile), dir / "pascals.flac");
}

void levelSeeds(const fs::path& dir) {
    analysisSeeds(dir, 0x06, false);  // intervals of 0.125 s
}
void fftSeeds(const fs::path& dir) {
    analysisSeeds(dir, 0x0A, false);  // 1024 points, Hann
}
void rt60Seeds(const fs::path& dir) {
    analysisSeeds(dir, 0x00, true);
}
void levelRecordSeeds(const fs::path& dir) {
    analysisSeeds(dir, 0x03, false);  // intervals of 0.1 s
}

// Calibrator recordings: 1 kHz at 94 dB, and a 250 Hz pistonphone at 114 dB (chosen by the option bytes).
void calibrationSeeds(const fs::path& dir) {
    sdtSignal(dir / "cal.tmp", synth("calibrator", 8000.0, 4800), 8000.0);
    withChoices(dir / "cal.tmp", {0, 0}, dir / "calibrator_8k.sdt");
    soundFile(dir / "cal.tmp", SF_FORMAT_WAV | SF_FORMAT_PCM_16,
              asFullScale(synth("calibrator", 8000.0, 10000)), 8000);
    withChoices(dir / "cal.tmp", {0, kSoundFile}, dir / "calibrator.wav");
    soundFile(dir / "cal.tmp", SF_FORMAT_WAV | SF_FORMAT_PCM_16,
              asFullScale(synth("tone:250:114", 8000.0, 10000)), 8000);
    withChoices(dir / "cal.tmp", {0x31, kSoundFile}, dir / "pistonphone.wav");
}

void soundFileSettingsSeeds(const fs::path& dir) {
    const std::string texts[] = {"[SoundFile]\nScale=2.5\n", "[SoundFile]\r\nUnits=Pa\r\nReference=2e-5\r\n",
                                 "[Init]\nAType=1\n[soundfile]\nunits=m/c^2\nreference=1e-6\n"};
    for (size_t i = 0; i < std::size(texts); ++i)
        writeBytes(dir / ("k470_" + std::to_string(i) + ".ini"),
                   std::vector<uint8_t>(texts[i].begin(), texts[i].end()));
}

void fftSettingsSeeds(const fs::path& dir) {
    const std::string text = "[FFT]\nSize=4096\nWindow=2\nOverlap=75\nAveraging=1\nLogFrequency=0\n";
    writeBytes(dir / "k470.ini", std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: k470_fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    const struct {
        const char* surface;
        void (*make)(const fs::path&);
    } makers[] = {
        {"bin_records", binSeeds},
        {"sdt_walk", sdtSeeds},
        {"signal_records", sdtSeeds},
        {"sdt_to_wav", sdtSeeds},
        {"sdt_to_text", sdtSeeds},
        {"reprocess", sdtSeeds},
        {"filter_library", filterSeeds},
        {"presets", presetSeeds},
        {"report_config", reportSeeds},
        {"ini_store", iniSeeds},
        {"frame_parser", frameSeeds},
        {"status_messages", statusSeeds},
        {"stream_decoder", streamSeeds},
        {"sound_input", soundInputSeeds},
        {"sdt_input", sdtInputSeeds},
        {"levels", levelSeeds},
        {"fft", fftSeeds},
        {"rt60", rt60Seeds},
        {"level_records", levelRecordSeeds},
        {"calibration", calibrationSeeds},
        {"sound_file_settings", soundFileSettingsSeeds},
        {"fft_settings", fftSettingsSeeds},
    };
    for (const auto& m : makers) {
        const fs::path dir = root / m.surface;
        fs::create_directories(dir);
        m.make(dir);
    }
    return 0;
}
