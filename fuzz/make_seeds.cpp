// SPDX-License-Identifier: GPL-3.0-or-later
// Writes small valid inputs of every surface, made by the core's own writers, as the fuzzers' first corpus:
//   k470_fuzz_seeds DIR   ->   DIR/<surface>/<name>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "data/bin_file.h"
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
        {"bin_records", binSeeds},       {"sdt_walk", sdtSeeds},       {"signal_records", sdtSeeds},
        {"sdt_to_wav", sdtSeeds},        {"sdt_to_text", sdtSeeds},    {"reprocess", sdtSeeds},
        {"filter_library", filterSeeds}, {"presets", presetSeeds},     {"report_config", reportSeeds},
        {"ini_store", iniSeeds},         {"frame_parser", frameSeeds}, {"status_messages", statusSeeds},
        {"stream_decoder", streamSeeds},
    };
    for (const auto& m : makers) {
        const fs::path dir = root / m.surface;
        fs::create_directories(dir);
        m.make(dir);
    }
    return 0;
}
