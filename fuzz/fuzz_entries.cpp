// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzz_entries.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/number_format.h"
#include "base/settings_store.h"
#include "base/text_encoding.h"
#include "data/bin_file.h"
#include "data/device_type.h"
#include "data/measurement_record.h"
#include "data/sdt_container.h"
#include "export/report_config.h"
#include "export/text_export.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/measuring_entries.h"
#include "link/frame_parser.h"
#include "link/instrument_protocol.h"
#include "signal/filter_library.h"
#include "signal/live_stream.h"
#include "signal/processing_chain.h"
#include "signal/processor_preset.h"
#include "signal/reprocess.h"
#include "signal/sdt_conversion.h"
#include "signal/signal_record.h"

namespace k470::fuzz {

namespace {

namespace fs = std::filesystem;

File nullOutput() {
    auto f = File::Open("/dev/null", File::Mode::Create);
    return f ? std::move(*f) : File();
}

void binRecords(const uint8_t* data, size_t size) {
    Cleared cleared;
    if (size >= kRecordSize) {
        std::span<const uint8_t, kRecordSize> bytes(data, kRecordSize);
        if (auto r = MeasurementRecord::decode(bytes)) {
            const RecordBytes again = r->encode();
            require(MeasurementRecord::decode(again).ok(), "a decoded record decodes again after encoding");
        }
    }
    auto bin = BinFile::Open(scratch().input("in.bin", data, size));
    if (!bin) return;
    require(static_cast<uint64_t>(bin->recordCount()) == size / kRecordSize, "record count is size / 3072");
    for (int k = 1; k <= bin->recordCount(); ++k) (void)bin->ReadRecord(k);
    File out = nullOutput();
    TextWriter writer(out);
    const TextExporter exporter;
    (void)translateBinToText(*bin, writer, data[0] & 1, exporter);
}

void sdtWalk(const uint8_t* data, size_t size) {
    Cleared cleared;
    auto sdt = SdtContainer::Open(scratch().input("in.sdt", data, size));
    if (!sdt) return;
    require(sdt->header().presentChannels() > 0, "an opened signal file has a channel");
    const DirectoryWalk walk = sdt->walkEntries();
    const uint64_t frameBytes = 8ull * static_cast<uint64_t>(sdt->header().presentChannels());
    for (const IndexedEntry& e : walk.entries) {
        if (!sdt->checkEntryData(e.entry)) continue;
        require(e.entry.dataOffset + frameBytes * e.entry.frameCount <= size,
                "a checked record's samples lie inside the file");
    }
}

void signalRecords(const uint8_t* data, size_t size) {
    Cleared cleared;
    auto sdt = SdtContainer::Open(scratch().input("in.sdt", data, size));
    if (!sdt) return;
    std::vector<double> frames(3 * 64);
    for (const IndexedEntry& e : sdt->walkEntries().entries) {
        auto record = SignalRecord::From(*sdt, e);
        if (!record) continue;
        const uint32_t n = std::min<uint32_t>(record->frameCount(), 64);
        require(readDoubles(sdt->file(), record->dataOffset(), frames.data(),
                            n * static_cast<size_t>(record->channelCount)),
                "the first frames of a checked record can be read");
        auto table = readMarkerTable(*sdt, e.entry);
        if (!table) continue;
        std::vector<Error> problems;
        (void)readMarkers(*sdt, *table, problems);
    }
}

// Outputs of a conversion stay within a bounded multiple of the input: the samples of a record are at most
// the file's bytes, and every output format needs at most a few dozen bytes per stored byte.
constexpr uint64_t kOutputFactor = 64;
constexpr uint64_t kOutputSlack = 1 << 20;

// What a conversion should find in a signal file, read through the container on its own: the frames of
// each used entry (none for a record that cannot be read) and the present channels.
struct ConvertedFile {
    std::vector<std::optional<uint32_t>> frames;  // per used entry, in directory order
    std::vector<int> channels;                    // present channels from 0, lowest first
};

ConvertedFile whatConverts(const std::string& path, const RecordSelection& selection) {
    ConvertedFile c;
    auto sdt = SdtContainer::Open(path);
    if (!sdt) return c;
    for (int k = 0; k < 3; ++k)
        if (sdt->header().channelMask & (1u << k)) c.channels.push_back(k);
    for (const IndexedEntry& e : sdt->walkEntries().entries) {
        if (!selection.selected(e.ordinal)) continue;
        auto record = SignalRecord::From(*sdt, e);
        c.frames.push_back(record ? std::optional<uint32_t>(record->frameCount()) : std::nullopt);
    }
    return c;
}

// The records a conversion takes: every one, or (the usual choice) the first kConvertedRecords. A file may
// hold hundreds of records of a frame each, and each would make its own output file; converting more of
// them reaches no further code.
constexpr uint32_t kConvertedRecords = 8;

RecordSelection recordsToConvert(uint8_t choice) {
    if (choice & 0x40) return RecordSelection::All();
    return {false, std::vector<bool>(kConvertedRecords, true)};
}

std::string numberedName(const std::string& base, const std::string& infix, uint64_t n, const char* ext) {
    return base + infix + std::to_string(n) + ext;
}

// The WAV files a conversion may write, by saving mode, with the frames each must hold.
std::map<std::string, uint64_t> expectedWavFiles(const std::string& path, const ConvertedFile& c,
                                                 SavingMode mode) {
    const std::string base = signalBaseName(path);
    std::map<std::string, uint64_t> files;
    uint64_t perChannel = 0;
    for (size_t i = 0; i < c.frames.size(); ++i) {
        if (!c.frames[i]) continue;
        const uint64_t frames = *c.frames[i];
        perChannel += frames;
        if (mode == SavingMode::SeparateFiles)
            for (int k : c.channels)
                files[numberedName(base, "_ch" + std::to_string(k + 1) + "_", i + 1, ".wav")] = frames;
        if (mode == SavingMode::FilePerRecord)
            files[numberedName(base, "_", i + 1, ".wav")] = frames * c.channels.size();
    }
    if (mode == SavingMode::FilePerChannel)
        for (int k : c.channels) files[base + "_ch" + std::to_string(k + 1) + ".wav"] = perChannel;
    return files;
}

struct SndFileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

// A written WAV as libsndfile reads it: one channel at the rate asked for, the frames of what it holds,
// every sample finite (and within 0.5 of zero when normalised).
void checkWav(const std::string& name, uint64_t frames, int rate, bool normalized) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> f(sf_open(name.c_str(), SFM_READ, &info));
    require(f != nullptr, "a written WAV file reads back with libsndfile");
    require(info.channels == 1, "a written WAV file is mono");
    require(info.samplerate == rate, "a written WAV file has the rate asked for");
    require(info.frames >= 0 && static_cast<uint64_t>(info.frames) == frames,
            "a written WAV file holds the frames of what it converts");
    std::vector<float> block(4096);
    uint64_t read = 0;
    for (sf_count_t n;
         (n = sf_readf_float(f.get(), block.data(), static_cast<sf_count_t>(block.size()))) > 0;) {
        for (sf_count_t i = 0; i < n; ++i) {
            require(std::isfinite(block[i]), "a written WAV file holds no NaN or infinite sample");
            require(!normalized || std::fabs(block[i]) <= 0.5f + 1e-6f, "a normalised channel peaks at 0.5");
        }
        read += static_cast<uint64_t>(n);
    }
    require(read == frames, "every frame of a written WAV file can be read");
}

void sdtToWav(const uint8_t* data, size_t size) {
    Cleared cleared;
    const std::string path = scratch().input("in.sdt", data, size);
    TranslationParameters p;
    const uint8_t choice = size > 0 ? data[size - 1] : 0;
    p.savingMode = static_cast<SavingMode>(choice % 3);
    p.playbackRate = static_cast<PlaybackRate>((choice / 3) % 3);
    p.normalize = (choice & 0x80) != 0;
    const RecordSelection selection = recordsToConvert(choice);
    auto report = ConvertSdtToWav(path, selection, p);
    require(scratch().bytesWritten() <= size * kOutputFactor + kOutputSlack, "WAV outputs stay bounded");
    if (!report) return;
    auto sdt = SdtContainer::Open(path);
    require(sdt.ok(), "a converted file opens");
    const double rate = p.playbackRate == PlaybackRate::Rate24k ? 24000.0
                        : p.playbackRate == PlaybackRate::Rate48k
                            ? 48000.0
                            : std::floor(sdt->header().sampleRate + 0.5);
    const std::map<std::string, uint64_t> expected =
        expectedWavFiles(path, whatConverts(path, selection), p.savingMode);
    for (const std::string& written : report->written) {
        const auto it = expected.find(written);
        require(it != expected.end(), "every WAV file written is one of a readable record or channel");
        checkWav(written, it->second, static_cast<int>(rate), p.normalize);
    }
}

// A text table: the three heading lines, then a line per frame with the time and a value per channel, the
// time a finite number.
void checkTable(const std::string& name, uint64_t frames, size_t channels) {
    std::ifstream in(name, std::ios::binary);
    uint64_t lines = 0;
    for (std::string text; std::getline(in, text); ++lines) {
        if (lines < 3) continue;
        require(!text.empty() && text.back() == '\r', "every line of a text table ends in CR LF");
        require(static_cast<size_t>(std::count(text.begin(), text.end(), '\t')) == channels,
                "a row of a text table has the time and a value per channel");
        const std::string time = text.substr(0, text.find('\t'));
        double t = 0.0;
        require(parseDouble(time, t) && std::isfinite(t), "every time of a text table is a finite number");
    }
    require(lines == 3 + frames, "a text table has three heading lines and a line per frame");
}

void sdtToText(const uint8_t* data, size_t size) {
    Cleared cleared;
    const std::string path = scratch().input("in.sdt", data, size);
    const RecordSelection selection = recordsToConvert(size > 0 ? data[size - 1] : 0);
    auto report = ConvertSdtToText(path, selection);
    require(scratch().bytesWritten() <= size * kOutputFactor + kOutputSlack, "text outputs stay bounded");
    if (!report) return;
    const ConvertedFile c = whatConverts(path, selection);
    const std::string base = signalBaseName(path);
    for (const std::string& written : report->written) {
        const std::optional<uint32_t>* frames = nullptr;
        for (size_t i = 0; i < c.frames.size(); ++i)
            if (written == numberedName(base, "_", i + 1, ".txt")) frames = &c.frames[i];
        require(frames != nullptr && frames->has_value(),
                "every text table written is one of a readable record");
        checkTable(written, frames != nullptr ? frames->value_or(0) : 0, c.channels.size());
    }
}

void reprocess(const uint8_t* data, size_t size) {
    Cleared cleared;
    const std::string path = scratch().input("in.sdt", data, size);
    SignalState state;
    state.decimation = size > 0 ? 1 + data[size - 1] % 4 : 1;
    FilterLibrary library;
    ProcessingChain chain;
    applyActivePreset(state, {}, library, chain);
    ReprocessContext ctx{state, library, chain, {}, u"fuzz", std::nullopt};
    (void)ReprocessSignalFile(path, scratch().path("out.sdt"), ctx, {});
    require(scratch().bytesWritten() <= size * kOutputFactor + kOutputSlack,
            "reprocessed output stays bounded");
}

void filterLibrary(const uint8_t* data, size_t size) {
    Cleared cleared;
    FilterLibrary library;
    (void)readFilterLibraryFile(scratch().input("in.slb", data, size), library);
}

void presets(const uint8_t* data, size_t size) {
    Cleared cleared;
    PresetLoad load = loadPresets(scratch().input("cust_proc.dat", data, size));
    FilterLibrary library;
    ProcessingChain chain;
    for (const ProcessorPreset& preset : load.presets) {
        SignalState state;
        state.presetActive = true;
        state.presetName = utf16ToUtf8(preset.name);
        applyActivePreset(state, load.presets, library, chain);
    }
}

void reportConfig(const uint8_t* data, size_t size) {
    Cleared cleared;
    const ReportConfig config = ReportConfig::Read(scratch().input("report.cfg", data, size));
    for (DeviceType type = 0; type < 28; ++type) (void)config.columnsFor(type);
    (void)config.Serialize();
}

void iniStore(const uint8_t* data, size_t size) {
    Cleared cleared;
    SettingsStore store(scratch().input("k470.ini", data, size));
    static constexpr std::string_view kKeys[][2] = {{"Init", "AType"}, {"Init", "IP2"}, {"K470Dlg", "bLin"},
                                                    {"init", "atype"}, {"", ""},        {"[", "="}};
    for (const auto& k : kKeys) {
        (void)store.ReadInt(k[0], k[1], -1);
        (void)store.ReadString(k[0], k[1], "none");
    }
    require(store.WriteString("Init", "IP2", "10.0.0.2"), "a key can be written into any readable file");
    require(store.ReadString("Init", "IP2", "") == "10.0.0.2", "a written key reads back");
}

void frameParser(const uint8_t* data, size_t size) {
    uint64_t delivered = 0;
    FrameParser parser([&](uint8_t, const uint8_t*, uint32_t length) {
        require(length <= kMaxPayload, "a delivered payload is within the limit");
        delivered += length;
    });
    // Fed in pieces of varying size, as a link delivers them.
    size_t at = 0;
    for (size_t piece = 1; at < size; piece = piece % 17 + 1) {
        const size_t n = std::min(piece, size - at);
        parser.Feed(data + at, n);
        at += n;
    }
    require(delivered <= size, "frames carry no more bytes than came in");
}

void statusMessages(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> message(data, size);
    for (DeviceType type = 0; type < 28; ++type) {
        auto blank = MeasurementRecord::blank(type);
        if (!blank) continue;
        AcquiredValues values{std::move(*blank), false};
        ApplyStatusMessage(message, values);
        require(values.record.header.deviceType == type, "a message never changes the record's type");
        require(values.record.tail.rangeIndex < kMeasuringRanges, "the range index is one of the ranges");
        require(keepsRangeIndex(type) || values.record.tail.rangeIndex == 0,
                "a type that keeps no range keeps its range index 0");
    }
}

void streamDecoder(const uint8_t* data, size_t size) {
    SignalState state;
    FilterLibrary library;
    ProcessingChain chain;
    applyActivePreset(state, {}, library, chain);
    LiveSignalStream stream;
    const size_t half = size / 2;
    const size_t samples = stream.Process(std::span(data, half), state, chain) +
                           stream.Process(std::span(data + half, size - half), state, chain);
    require(samples <= size / 4, "every sample takes four bytes");
}

constexpr Surface kSurfaces[] = {
    {"bin_records", binRecords},
    {"sdt_walk", sdtWalk},
    {"signal_records", signalRecords},
    {"sdt_to_wav", sdtToWav},
    {"sdt_to_text", sdtToText},
    {"reprocess", reprocess},
    {"filter_library", filterLibrary},
    {"presets", presets},
    {"report_config", reportConfig},
    {"ini_store", iniStore},
    {"frame_parser", frameParser},
    {"status_messages", statusMessages},
    {"stream_decoder", streamDecoder},
    {"sound_input", soundInput},
    {"sdt_input", sdtInput},
    {"levels", levelAnalysis},
    {"fft", fftAnalysis},
    {"rt60", decayAnalysis},
    {"level_records", levelRecords},
    {"calibration", calibration},
    {"sound_file_settings", soundFileSettings},
    {"fft_settings", fftSettings},
};

}  // namespace

std::span<const Surface> surfaces() {
    return kSurfaces;
}

const Surface* surfaceNamed(std::string_view name) {
    for (const Surface& s : kSurfaces)
        if (s.name == name) return &s;
    return nullptr;
}

}  // namespace k470::fuzz
