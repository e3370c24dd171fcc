// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/sdt_container.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <unordered_set>

#include "base/byte_order.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/signal_limits.h"

namespace k470 {

namespace {

// Reads a zero-terminated UTF-16 field of the given width in units.
std::u16string readUtf16Field(const uint8_t* p, size_t units) {
    std::u16string s;
    for (size_t i = 0; i < units; ++i) {
        char16_t c = readU16(p + 2 * i);
        if (c == 0) break;
        s += c;
    }
    return s;
}

// Writes at most units-1 code units and zero-fills the rest, so the field always ends in 0.
void writeUtf16Field(uint8_t* p, size_t units, const std::u16string& s) {
    std::memset(p, 0, 2 * units);
    const size_t n = std::min(s.size(), units - 1);
    for (size_t i = 0; i < n; ++i) writeU16(p + 2 * i, s[i]);
}

std::string offsetText(uint64_t offset) {
    return std::to_string(offset);
}

}  // namespace

bool SdtHeader::decode(const uint8_t* p, SdtHeader& h) {
    if (readU32(p) != kSdtMagic) return false;
    h.sampleRate = readF64(p + 4);
    h.processor = readUtf16Field(p + 12, 128);
    h.channelCount = readU16(p + 268);
    h.channelMask = readU16(p + 270);
    for (int k = 0; k < 3; ++k) {
        h.units[k] = readUtf16Field(p + 272 + 128 * k, 64);
        h.referenceValue[k] = readF64(p + 656 + 8 * k);
    }
    return true;
}

void SdtHeader::encode(uint8_t* p) const {
    std::memset(p, 0, kSdtHeaderSize);
    writeU32(p, kSdtMagic);
    writeF64(p + 4, sampleRate);
    writeUtf16Field(p + 12, 128, processor);
    writeU16(p + 268, channelCount);
    writeU16(p + 270, channelMask);
    for (int k = 0; k < 3; ++k) {
        writeUtf16Field(p + 272 + 128 * k, 64, units[k]);
        writeF64(p + 656 + 8 * k, referenceValue[k]);
    }
}

int SdtHeader::presentChannels() const {
    return std::popcount(static_cast<unsigned>(channelMask & 7u));
}

DirectoryEntry DirectoryEntry::decode(const uint8_t* p) {
    DirectoryEntry e;
    e.kind = readU16(p);
    e.date = readU32(p + 2);
    e.time = readU32(p + 6);
    e.dataOffset = readU64(p + 10);
    e.frameCount = readU32(p + 18);
    e.deviceType = readU16(p + 22);
    e.vin = readU32(p + 24);
    e.backSize = readU16(p + 28);
    return e;
}

void DirectoryEntry::encode(uint8_t* p) const {
    std::memset(p, 0, kDirectoryEntrySize);
    writeU16(p, kind);
    writeU32(p + 2, date);
    writeU32(p + 6, time);
    writeU64(p + 10, dataOffset);
    writeU32(p + 18, frameCount);
    writeU16(p + 22, deviceType);
    writeU32(p + 24, vin);
    writeU16(p + 28, backSize);
}

bool DirectoryBlock::decode(const uint8_t* p, DirectoryBlock& b) {
    if (readU32(p) != kSdtMagic) return false;
    for (uint32_t i = 0; i < kEntriesPerBlock; ++i)
        b.entries[i] = DirectoryEntry::decode(p + 4 + kDirectoryEntrySize * i);
    b.next = readU64(p + 8196);
    b.previous = readU64(p + 8204);
    return true;
}

void DirectoryBlock::encode(uint8_t* p) const {
    writeU32(p, kSdtMagic);
    for (uint32_t i = 0; i < kEntriesPerBlock; ++i) entries[i].encode(p + 4 + kDirectoryEntrySize * i);
    writeU64(p + 8196, next);
    writeU64(p + 8204, previous);
}

Status checkHeaderValues(const SdtHeader& header, const std::string& path) {
    // Without a present channel every record would hold no bytes, whatever frame count it claims.
    if (header.presentChannels() == 0)
        return fail("The signal file '" + path + "' has no channel (channel mask " +
                    std::to_string(header.channelMask) + ")");
    if (!(header.sampleRate >= kMinSampleRate && header.sampleRate <= kMaxSampleRate))
        return fail("The sampling frequency of '" + path + "' (" + formatGeneral(header.sampleRate, 10) +
                    " Hz) is outside what an instrument records");
    for (int k = 0; k < 3; ++k)
        if (header.channelMask & (1u << k))
            if (Status ok = checkReferenceValue(header.referenceValue[k], k + 1); !ok)
                return fail("'" + path + "': " + ok.error().message);
    return {};
}

Result<SdtContainer> SdtContainer::Open(const std::string& path, File::Mode mode) {
    auto file = File::Open(path, mode);
    if (!file) return file.error();
    uint8_t bytes[kSdtHeaderSize];
    SdtHeader header;
    if (!file->readAt(0, bytes, sizeof bytes) || !SdtHeader::decode(bytes, header))
        return fail(lexicon().text(Word::UnknownFileFormat));
    if (auto s = checkHeaderValues(header, path); !s) return s.error();
    const uint64_t size = file->size();
    return SdtContainer(path, std::move(*file), std::move(header), size);
}

uint64_t SdtContainer::maxBlocks() const {
    return size_ < kSdtHeaderSize ? 0 : (size_ - kSdtHeaderSize) / kDirectoryBlockSize;
}

Status SdtContainer::readBlock(uint64_t offset, DirectoryBlock& block) const {
    if (offset < kSdtHeaderSize || offset > size_ || size_ - offset < kDirectoryBlockSize)
        return fail(Word::DirectoryBlockBeyondEnd, {offsetText(offset), path_});
    std::vector<uint8_t> bytes(kDirectoryBlockSize);
    if (!file_.readAt(offset, bytes.data(), bytes.size()))
        return fail(Word::DirectoryBlockCutShort, {offsetText(offset), path_});
    if (!DirectoryBlock::decode(bytes.data(), block))
        return fail(Word::DirectoryBlockDamaged, {offsetText(offset), path_});
    return {};
}

Result<EntryLocation> SdtContainer::locateEntry(uint32_t n) const {
    DirectoryBlock block;
    uint64_t offset = kSdtHeaderSize;
    if (auto s = readBlock(offset, block); !s) return s.error();
    const uint64_t blockIndex = n / kEntriesPerBlock;
    std::unordered_set<uint64_t> visited{offset};
    for (uint64_t i = 0; i < blockIndex; ++i) {
        if (block.next == kNoBlock) return fail(Word::FileHasNoEntry, {path_, std::to_string(n)});
        offset = block.next;
        if (!visited.insert(offset).second)
            return fail(Word::DirectoryChainLoops, {path_, offsetText(offset)});
        if (auto s = readBlock(offset, block); !s) return s.error();
        if (i + 1 >= maxBlocks())  // blocks that overlap each other
            return fail(Word::DirectoryChainTooLong, {path_});
    }
    EntryLocation loc;
    loc.entry = block.entries[n % kEntriesPerBlock];
    if (loc.entry.backSize != 0 && loc.entry.dataOffset >= loc.entry.backSize)
        loc.tableOffset = loc.entry.dataOffset - loc.entry.backSize;
    return loc;
}

Result<std::vector<IndexedEntry>> SdtContainer::signalEntries() const {
    DirectoryWalk walk = walkEntries();
    if (walk.problem) return *walk.problem;
    if (walk.entries.empty()) return fail(Word::HoldsNoSignalRecord, {path_});
    return std::move(walk.entries);
}

DirectoryWalk SdtContainer::walkEntries() const {
    DirectoryWalk walk;
    DirectoryBlock block;
    uint64_t offset = kSdtHeaderSize;
    std::unordered_set<uint64_t> visited;
    uint32_t ordinal = 0;
    for (uint64_t index = 0;; ++index) {
        if (!visited.insert(offset).second) {
            walk.problem = fail(Word::DirectoryChainLoops, {path_, offsetText(offset)});
            break;
        }
        if (auto s = readBlock(offset, block); !s) {
            walk.problem = s.error();
            break;
        }
        if (index >= maxBlocks()) {  // blocks that overlap each other
            walk.problem = fail(Word::DirectoryChainTooLong, {path_});
            break;
        }
        for (uint32_t slot = 0; slot < kEntriesPerBlock; ++slot) {
            const DirectoryEntry& e = block.entries[slot];
            if (!e.used()) continue;
            walk.entries.push_back(
                {static_cast<uint32_t>(index * kEntriesPerBlock + slot), ordinal++, offset, e});
        }
        if (block.next == kNoBlock) break;
        offset = block.next;
    }
    return walk;
}

Status SdtContainer::checkEntryData(const DirectoryEntry& e) const {
    const uint64_t frameBytes = 8ull * static_cast<uint64_t>(header_.presentChannels());
    const uint64_t dataBytes = frameBytes * e.frameCount;  // at most 24 * 2^32: no overflow
    if (e.dataOffset > size_ || size_ - e.dataOffset < dataBytes || e.dataOffset < e.backSize)
        return fail(Word::SamplesBeyondEnd, {path_});
    return {};
}

Result<SdtWriter> SdtWriter::Create(const std::string& path, const SdtHeader& header, Placement placement) {
    auto output = OutputFile::Create(path, placement);
    if (!output) return output.error();
    if (output->isDirect() && placement == Placement::Growing) return fail(Word::RecordingNeedsFile, {path});
    SdtWriter w(path, std::move(*output));
    if (w.output_.isDirect()) {
        auto scratch = CreateScratchFile();
        if (!scratch) return fail(lexicon().cantWriteFile(path), scratch.error().reason);
        w.staging_ = std::move(*scratch);
    }
    uint8_t bytes[kSdtHeaderSize];
    header.encode(bytes);
    if (!w.file().writeAt(0, bytes, sizeof bytes)) return w.writeError();
    w.end_ = kSdtHeaderSize + kDirectoryBlockSize;
    if (auto s = w.writeBlock(); !s) return s.error();
    return w;
}

Error SdtWriter::writeError() const {
    return fail(lexicon().cantWriteFile(path_), std::strerror(errno != 0 ? errno : EIO));
}

Status SdtWriter::writeBlock() {
    std::vector<uint8_t> bytes(kDirectoryBlockSize);
    block_.encode(bytes.data());
    if (!file().writeAt(blockOffset_, bytes.data(), bytes.size())) return writeError();
    return {};
}

Result<uint64_t> SdtWriter::AppendRaw(std::span<const uint8_t> bytes) {
    const uint64_t at = end_;
    if (!file().writeAt(at, bytes.data(), bytes.size())) return writeError();
    end_ += bytes.size();
    return at;
}

Status SdtWriter::BeginRecord(DeviceType type, uint32_t vin, const CalendarTime& stamp,
                              std::span<const uint8_t, kMarkerTableSize> table) {
    if (slot_ == kEntriesPerBlock) {
        // Chain a new block at the end of the file and rewrite the full one with its next offset.
        const uint64_t newOffset = end_;
        block_.next = newOffset;
        if (auto s = writeBlock(); !s) return s;
        DirectoryBlock fresh;
        fresh.previous = blockOffset_;
        block_ = fresh;
        blockOffset_ = newOffset;
        end_ += kDirectoryBlockSize;
        slot_ = 0;
        if (auto s = writeBlock(); !s) return s;
    }
    auto tableAt = AppendRaw(table);
    if (!tableAt) return tableAt.error();
    DirectoryEntry& e = block_.entries[slot_];
    e = DirectoryEntry{};
    e.kind = 1;
    e.date = packEntryDate(stamp);
    e.time = packEntryTime(stamp);
    e.dataOffset = end_;
    e.frameCount = 0;
    e.deviceType = type;
    e.vin = vin;
    e.backSize = static_cast<uint16_t>(kMarkerTableSize);
    current_ = static_cast<int>(slot_++);
    ++records_;
    return {};
}

Status SdtWriter::AppendFrames(std::span<const double> values, uint32_t frames) {
    if (current_ < 0) return writeError();
    buffer_.resize(values.size() * 8);
    for (size_t i = 0; i < values.size(); ++i) writeF64(buffer_.data() + 8 * i, values[i]);
    if (auto at = AppendRaw(buffer_); !at) return at.error();
    block_.entries[static_cast<size_t>(current_)].frameCount += frames;
    return {};
}

void SdtWriter::setRecordVin(uint32_t vin) {
    if (current_ >= 0) block_.entries[static_cast<size_t>(current_)].vin = vin;
}

Status SdtWriter::Flush() {
    return writeBlock();
}

Status SdtWriter::Finish() {
    if (auto s = writeBlock(); !s) return s;
    if (staging_.isOpen()) {
        // The whole file, in order, to the pipe or device.
        std::vector<uint8_t> piece(1 << 16);
        for (uint64_t at = 0; at < end_;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(piece.size(), end_ - at));
            errno = 0;
            if (!staging_.readAt(at, piece.data(), n) || !output_.file().write(piece.data(), n))
                return writeError();
            at += n;
        }
        (void)staging_.close();
    }
    return output_.Commit();
}

}  // namespace k470
