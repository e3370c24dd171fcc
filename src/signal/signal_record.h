// SPDX-License-Identifier: GPL-3.0-or-later
// A recorded signal behind a directory entry of a signal file: sample frames of the present channels (f64
// each, in increasing channel number) from dataOffset on, and in front of them an optional table of up to 15
// marker positions, each pointing at a marker block (frame position and name).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"
#include "data/sdt_container.h"

namespace k470 {

constexpr size_t kMarkerSlots = 15;
constexpr size_t kMarkerNameBytes = 160;  // 80 UTF-16 units
constexpr size_t kMarkerBlockSize = 4 + kMarkerNameBytes;

struct MarkerTable {
    std::array<uint64_t, kMarkerSlots> blockOffsets{};  // of the marker blocks, one per slot; 0 = empty slot

    static MarkerTable decode(const uint8_t* bytes);
    void encode(uint8_t* bytes) const;
};

struct MarkerBlock {
    uint32_t frame = 0;                                 // 0-based index of the marked frame within the record
    std::array<uint8_t, kMarkerNameBytes> nameField{};  // kept as stored

    std::u16string name() const;  // up to the first 0, at most 80 units
    static MarkerBlock decode(const uint8_t* bytes);
    void encode(uint8_t* bytes) const;
};

struct Marker {
    int slot = 0;
    MarkerBlock block;
};

struct SignalRecord {
    DirectoryEntry entry;
    uint32_t ordinal = 0;  // position among the used entries of the file, from 0
    int channelCount = 0;  // values per frame: the bits 0..2 of the file's channel mask
    uint16_t channelMask = 0;

    uint64_t dataOffset() const { return entry.dataOffset; }
    uint32_t frameCount() const { return entry.frameCount; }
    uint64_t frameBytes() const { return 8ull * static_cast<uint64_t>(channelCount); }

    // The record of an entry of the walk; fails when its samples lie beyond the end of the file.
    static Result<SignalRecord> From(const SdtContainer& file, const IndexedEntry& indexed);
};

// The marker table of a record; all slots empty when the entry has no position table (backSize 0), so
// nothing is read in front of its data.
Result<MarkerTable> readMarkerTable(const SdtContainer& file, const DirectoryEntry& entry);
// The non-empty slots of the table with their blocks. A slot pointing beyond the end of the file is skipped
// and reported in problems.
std::vector<Marker> readMarkers(const SdtContainer& file, const MarkerTable& table,
                                std::vector<Error>& problems);

// Reads `count` f64 values at offset into out (little-endian in the file).
bool readDoubles(const File& file, uint64_t offset, double* out, size_t count);

}  // namespace k470
