// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzz_entries.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/settings_store.h"
#include "base/text_encoding.h"
#include "data/bin_file.h"
#include "data/device_type.h"
#include "data/measurement_record.h"
#include "data/sdt_container.h"
#include "export/report_config.h"
#include "export/text_export.h"
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

// A broken promise of the core: reported to the fuzzer as a crash with the reason.
void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// A directory of this process for the inputs and whatever the entry writes beside them, emptied after
// every input.
class Scratch {
  public:
    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        dir_ = fs::path(tmp && *tmp ? tmp : "/tmp") / ("k470-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // Writes the input under that name and gives its path.
    std::string input(const std::string& name, const uint8_t* data, size_t size) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return path;
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    // The bytes of every file in the directory together.
    uint64_t bytesWritten() const {
        uint64_t total = 0;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir_, ec)) total += e.file_size(ec);
        return total;
    }
    void clear() {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir_, ec)) fs::remove_all(e.path(), ec);
    }

  private:
    fs::path dir_;
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

struct Cleared {
    ~Cleared() { scratch().clear(); }
};

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

void sdtToWav(const uint8_t* data, size_t size) {
    Cleared cleared;
    const std::string path = scratch().input("in.sdt", data, size);
    TranslationParameters p;
    const uint8_t choice = size > 0 ? data[size - 1] : 0;
    p.savingMode = static_cast<SavingMode>(choice % 3);
    p.playbackRate = static_cast<PlaybackRate>((choice / 3) % 3);
    p.normalize = (choice & 0x80) != 0;
    (void)ConvertSdtToWav(path, RecordSelection::All(), p);
    require(scratch().bytesWritten() <= size * kOutputFactor + kOutputSlack, "WAV outputs stay bounded");
}

// The time column of a text table: a finite number on every line below the three heading lines.
bool timesAreFinite(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    int line = 0;
    for (std::string text; std::getline(in, text); ++line) {
        if (line < 3) continue;
        const std::string time = text.substr(0, text.find('\t'));
        if (time.find("nan") != std::string::npos || time.find("inf") != std::string::npos) return false;
    }
    return true;
}

void sdtToText(const uint8_t* data, size_t size) {
    Cleared cleared;
    auto report = ConvertSdtToText(scratch().input("in.sdt", data, size), RecordSelection::All());
    require(scratch().bytesWritten() <= size * kOutputFactor + kOutputSlack, "text outputs stay bounded");
    if (!report) return;
    for (const std::string& written : report->written)
        require(timesAreFinite(written), "every time of a text table is a finite number");
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
    {"bin_records", binRecords},       {"sdt_walk", sdtWalk},         {"signal_records", signalRecords},
    {"sdt_to_wav", sdtToWav},          {"sdt_to_text", sdtToText},    {"reprocess", reprocess},
    {"filter_library", filterLibrary}, {"presets", presets},          {"report_config", reportConfig},
    {"ini_store", iniStore},           {"frame_parser", frameParser}, {"status_messages", statusMessages},
    {"stream_decoder", streamDecoder},
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
