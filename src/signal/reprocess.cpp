// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/reprocess.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "base/lexicon.h"
#include "base/text_encoding.h"
#include "data/dos_date_time.h"
#include "signal/signal_record.h"

namespace k470 {

namespace {

constexpr uint32_t kPieceFrames = 1000;

// The processed file's header: the enabled channels of the chain with their units and references, at the
// decimated rate. Fails when no channel is enabled.
Result<SdtHeader> processedHeader(const ReprocessContext& ctx, const SdtHeader& in) {
    SdtHeader out;
    uint16_t mask = 0;
    for (int k = 0; k < 3; ++k)
        if (channelEnabled(ctx.state.channels[k])) mask = static_cast<uint16_t>(mask | (1u << k));
    out.channelMask = mask;
    out.channelCount = static_cast<uint16_t>(std::popcount(static_cast<unsigned>(mask)));
    if (out.channelCount == 0)
        return fail(
            "No output channel is set: every row of the channel matrix is zero, so there is nothing "
            "to process");
    out.sampleRate = in.sampleRate / ctx.chain.decimation();
    out.processor = ctx.profileName.substr(0, 127);
    for (size_t k = 0; k < 3; ++k) {
        out.units[k] = utf8ToUtf16(ctx.state.channels[k].units).substr(0, 63);
        out.referenceValue[k] = ctx.state.channels[k].referenceValue;
    }
    return out;
}

// Markers: each block of the record copied to the end of the new file with its position moved by the
// chain's delay (`half` the output ring) and decimation `r`. A marker closer to the start than the delay
// lands on frame 0. Gives the new record's marker table; unreadable markers are added to `problems`.
Result<MarkerTable> copyMarkers(const SdtContainer& source, const SignalRecord& rec, SdtWriter& writer,
                                uint32_t half, int r, std::vector<Error>& problems) {
    MarkerTable table;
    auto oldTable = readMarkerTable(source, rec.entry);
    if (!oldTable) {
        problems.push_back(oldTable.error());
        return table;
    }
    for (const Marker& m : readMarkers(source, *oldTable, problems)) {
        MarkerBlock moved = m.block;
        moved.frame = m.block.frame < half ? 0 : (m.block.frame - half) / static_cast<uint32_t>(r);
        uint8_t bytes[kMarkerBlockSize];
        moved.encode(bytes);
        auto at = writer.AppendRaw(bytes);
        if (!at) return at.error();
        table.blockOffsets[static_cast<size_t>(m.slot)] = *at;
    }
    return table;
}

// Feeds n frames of the channels present by `mask` through the chain in file mode.
void feedFrames(ProcessingChain& chain, const double* v, uint32_t n, uint16_t mask) {
    for (uint32_t f = 0; f < n; ++f) {
        std::array<double, 3> x{};
        for (int k = 0; k < 3; ++k)
            if (mask & (1u << k)) x[static_cast<size_t>(k)] = *v++;
        chain.ProcessSample(x, ChainMode::File);
    }
}

}  // namespace

Result<std::string> createTemporarySignalFile(const std::string& directory) {
    std::string dir = directory;
    if (dir.empty()) {
        std::error_code ec;
        dir = std::filesystem::temp_directory_path(ec).string();
        if (ec || dir.empty()) dir = "/tmp";
    }
    std::string name = (std::filesystem::path(dir) / "k470XXXXXX").string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return fail("ERROR: Can't create file " + name);
    ::close(fd);
    return name;
}

Result<ProcessedFile> ReprocessSignalFile(const std::string& sourcePath, const std::string& outputPath,
                                          ReprocessContext& ctx, const ReprocessProgressFn& progress) {
    auto source = SdtContainer::Open(sourcePath, File::Mode::Read);
    if (!source) return source.error();
    const SdtHeader& in = source->header();

    // Every record is checked before anything is written.
    const DirectoryWalk walk = source->walkEntries();
    if (walk.problem) return *walk.problem;
    std::vector<SignalRecord> records;
    records.reserve(walk.entries.size());
    for (const IndexedEntry& e : walk.entries) {
        auto r = SignalRecord::From(*source, e);
        if (!r) return r.error();
        records.push_back(*r);
    }

    ChannelSetupSource setup = ctx.setup;
    setup.presetScope = PresetScope::AnySignal;  // reprocessing with a preset is asked for by name
    setup.replayedFile = &in;
    applyChannelSetup(ctx.state, setup);
    ctx.chain.setChannels(ctx.state, ctx.library);

    auto header = processedHeader(ctx, in);
    if (!header) return header.error();
    const SdtHeader& out = *header;
    const int r = ctx.chain.decimation();

    auto writer = SdtWriter::Create(outputPath, out);
    // A refused or failed reprocessing leaves no half-written file: the writer drops its output unless
    // Finish puts it in place.
    if (!writer) return fail("ERROR: Can't create file " + outputPath, writer.error().reason);

    const uint32_t half = static_cast<uint32_t>(ctx.chain.outputRingLength() / 2);
    const int counterBefore = ctx.chain.decimationCounter();
    const size_t inStride = static_cast<size_t>(in.presentChannels());
    std::vector<double> frames(size_t{kPieceFrames} * std::max<size_t>(inStride, 1));
    std::vector<double>& output = ctx.chain.output();
    output.clear();
    std::vector<Error> markerProblems;
    for (size_t ri = 0; ri < records.size(); ++ri) {
        const SignalRecord& rec = records[ri];
        auto table = copyMarkers(*source, rec, *writer, half, r, markerProblems);
        if (!table) return table.error();
        uint8_t tableBytes[kMarkerTableSize];
        table->encode(tableBytes);
        const DeviceType type = ctx.device ? ctx.device->first : rec.entry.deviceType;
        const uint32_t vin = ctx.device ? ctx.device->second : rec.entry.vin;
        if (auto s = writer->BeginRecord(type, vin, localTimeNow(), tableBytes); !s) return s.error();

        const uint64_t total = rec.frameCount();
        for (uint64_t done = 0; done < total;) {
            const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kPieceFrames, total - done));
            if (inStride > 0 && !readDoubles(source->file(), rec.dataOffset() + done * rec.frameBytes(),
                                             frames.data(), n * inStride))
                return fail(Word::CantReadSamples, {sourcePath});
            feedFrames(ctx.chain, frames.data(), n, in.channelMask);
            if (auto s =
                    writer->AppendFrames(output, static_cast<uint32_t>(output.size() / out.channelCount));
                !s)
                return s.error();
            output.clear();
            done += n;
            if (progress) {
                const int percent = static_cast<int>(
                    std::floor(static_cast<double>(done) * 100.0 / static_cast<double>(total) + 0.5));
                if (!progress({static_cast<uint32_t>(ri), static_cast<uint32_t>(records.size()), percent})) {
                    ctx.chain.setDecimationCounter(counterBefore);
                    return fail(Word::ReprocessingCancelled);
                }
            }
        }
    }
    ctx.chain.setDecimationCounter(counterBefore);
    if (auto s = writer->Finish(); !s) return s.error();
    return ProcessedFile{outputPath, writer->recordCount(), out.sampleRate, std::move(markerProblems)};
}

}  // namespace k470
