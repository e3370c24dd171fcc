// SPDX-License-Identifier: GPL-3.0-or-later
// Signal files (.sdt): a 680-byte header, then a chain of directory blocks of 256 entries each, whose used
// entries point at the signal records stored further on in the file. All integers little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/result.h"
#include "base/safe_write.h"
#include "data/device_type.h"
#include "data/dos_date_time.h"

namespace k470 {

constexpr size_t kSdtHeaderSize = 680;
// The sampling frequencies a signal file may have: the fastest instrument stream is 96 kHz (twice that is
// allowed), and reprocessing divides the slowest (750 Hz) by up to 65536.
constexpr double kMinSampleRate = 0.001;
constexpr double kMaxSampleRate = 192000.0;
constexpr size_t kDirectoryBlockSize = 8212;
constexpr size_t kDirectoryEntrySize = 32;
constexpr uint32_t kEntriesPerBlock = 256;
constexpr size_t kMarkerTableSize = 120;  // the position table in front of a record's data
constexpr uint64_t kNoBlock = ~uint64_t{0};
constexpr uint32_t kSdtMagic = 0x41544453;  // "SDTA" read as a little-endian u32

struct SdtHeader {
    double sampleRate = 0.0;   // sample frames per second
    std::u16string processor;  // processing profile name, at most 127 units
    uint16_t channelCount = 0;
    uint16_t channelMask = 0;             // bit 0 = channel 1 .. bit 2 = channel 3
    std::array<std::u16string, 3> units;  // at most 63 units each
    std::array<double, 3> referenceValue{};

    // False when the magic is not "SDTA".
    static bool decode(const uint8_t* bytes, SdtHeader& header);
    void encode(uint8_t* bytes) const;
    // Channels present by the mask (bits 0..2), in increasing channel number.
    int presentChannels() const;
};

struct DirectoryEntry {
    uint16_t kind = 0;  // 1 for a used entry; an unused entry is all zero
    uint32_t date = 0;  // packed as packEntryDate
    uint32_t time = 0;  // packed as packEntryTime
    uint64_t dataOffset = 0;
    uint32_t frameCount = 0;
    DeviceType deviceType = 0;
    uint32_t vin = 0;
    uint16_t backSize = 0;  // size of the position table in front of the data; 0 = none

    bool used() const { return kind != 0; }
    static DirectoryEntry decode(const uint8_t* bytes);
    void encode(uint8_t* bytes) const;
};

struct DirectoryBlock {
    std::array<DirectoryEntry, kEntriesPerBlock> entries{};
    uint64_t next = kNoBlock;
    uint64_t previous = kNoBlock;

    // False when the magic is not "SDTA".
    static bool decode(const uint8_t* bytes, DirectoryBlock& block);
    void encode(uint8_t* bytes) const;
};

struct EntryLocation {
    DirectoryEntry entry;
    uint64_t tableOffset = 0;  // position of the table in front of the data; 0 when the entry has none
};

struct IndexedEntry {
    uint32_t number = 0;   // slot number across the chain: block index * 256 + slot
    uint32_t ordinal = 0;  // position among the used entries, from 0
    uint64_t blockOffset = 0;
    DirectoryEntry entry;
};

// The used entries of a container in chain order. When the chain could not be followed to its end (a loop,
// a block beyond the end of the file or cut short, a block without its mark), problem says why; the entries
// read before that are kept.
struct DirectoryWalk {
    std::vector<IndexedEntry> entries;
    std::optional<Error> problem;
};

// A header whose values no instrument writes: no present channel among bits 0..2 of the mask, or a sampling
// frequency outside kMinSampleRate..kMaxSampleRate (NaN included). Every signal file is opened through it.
Status checkHeaderValues(const SdtHeader& header, const std::string& path);

class SdtContainer {
  public:
    // Fails with "Can't open file '<path>'", or "Unknown file format" when the header is short or unmarked.
    static Result<SdtContainer> Open(const std::string& path, File::Mode mode = File::Mode::Read);

    const std::string& path() const { return path_; }
    const SdtHeader& header() const { return header_; }
    const File& file() const { return file_; }
    uint64_t size() const { return size_; }

    // Entry n (slot n mod 256 of block n div 256 of the chain), with the position of its table.
    Result<EntryLocation> locateEntry(uint32_t n) const;
    DirectoryWalk walkEntries() const;
    // The used entries, or the walk's problem when the directory chain is damaged (cut short, looping,
    // reaching beyond the end) or "'path' holds no signal record" when it holds none: the one check that
    // every command reading the file's signal makes, so that each refuses a damaged file in the same words.
    Result<std::vector<IndexedEntry>> signalEntries() const;
    // Checks that a used entry's table and samples lie inside the file.
    Status checkEntryData(const DirectoryEntry& entry) const;

    // Reads the block at offset; fails with a clear message when it lies outside the file or has no mark.
    Status readBlock(uint64_t offset, DirectoryBlock& block) const;

  private:
    SdtContainer(std::string path, File file, SdtHeader header, uint64_t size)
        : path_(std::move(path)), file_(std::move(file)), header_(std::move(header)), size_(size) {}
    // Most blocks that a file of this size can hold without overlapping; a longer chain loops.
    uint64_t maxBlocks() const;

    std::string path_;
    File file_;
    SdtHeader header_;
    uint64_t size_ = 0;
};

// Writes a new container: header and first block at once, then records one after the other, chaining a new
// directory block when the current one is full.
class SdtWriter {
  public:
    // Writes a new file through a safe output (base/safe_write.h): it takes the name when Finish succeeds,
    // and an earlier file of that name stays until then. Fails with "Can't write file '<path>'".
    // Standard output, a pipe or a device takes the file whole when Finish succeeds: the header and the
    // directory are rewritten after the data, so the file is put together in a scratch file first.
    // A recording passes Placement::Growing, so that the file on disk holds every record written so far; it
    // needs a file on disk and refuses standard output, pipes and devices.
    static Result<SdtWriter> Create(const std::string& path, const SdtHeader& header,
                                    Placement placement = Placement::Whole);

    // Appends raw bytes at the end of the file (marker blocks); gives their offset.
    Result<uint64_t> AppendRaw(std::span<const uint8_t> bytes);
    // Starts a record: takes the next free entry (chaining a block when needed), writes the 120-byte
    // position table at the end, and points the entry's data behind it.
    Status BeginRecord(DeviceType type, uint32_t vin, const CalendarTime& stamp,
                       std::span<const uint8_t, kMarkerTableSize> table);
    // Appends sample frames (channelCount values each) to the current record.
    Status AppendFrames(std::span<const double> values, uint32_t frames);
    // Rewrites the current directory block in place, so that the file on disk lists every frame written so
    // far (a growing recording calls it while it runs).
    Status Flush();
    // Rewrites the current directory block in place and puts the file in place; call when writing ends.
    // A writer dropped without Finish leaves nothing behind.
    Status Finish();

    File& file() { return staging_.isOpen() ? staging_ : output_.file(); }
    // The output the file goes to (where it is written, whether it replaces an earlier file; Discard).
    OutputFile& output() { return output_; }
    const OutputFile& output() const { return output_; }
    // The serial number in the entry of the record being written (on disk at the next Flush).
    void setRecordVin(uint32_t vin);
    uint64_t end() const { return end_; }
    uint32_t recordCount() const { return records_; }

  private:
    SdtWriter(std::string path, OutputFile output) : path_(std::move(path)), output_(std::move(output)) {}
    Status writeBlock();
    Error writeError() const;

    std::string path_;
    OutputFile output_;
    File staging_;  // the file put together here for a direct output, copied to it by Finish
    DirectoryBlock block_;
    uint64_t blockOffset_ = kSdtHeaderSize;
    uint32_t slot_ = 0;  // next free slot of the current block
    int current_ = -1;   // slot of the record being written
    uint64_t end_ = 0;
    uint32_t records_ = 0;
    std::vector<uint8_t> buffer_;
};

}  // namespace k470
