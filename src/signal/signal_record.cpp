// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/signal_record.h"

#include <bit>
#include <cstring>

#include "base/byte_order.h"
#include "base/lexicon.h"

namespace k470 {

MarkerTable MarkerTable::decode(const uint8_t* p) {
    MarkerTable t;
    for (size_t i = 0; i < kMarkerSlots; ++i) t.blockOffsets[i] = readU64(p + 8 * i);
    return t;
}

void MarkerTable::encode(uint8_t* p) const {
    for (size_t i = 0; i < kMarkerSlots; ++i) writeU64(p + 8 * i, blockOffsets[i]);
}

std::u16string MarkerBlock::name() const {
    std::u16string s;
    for (size_t i = 0; i < kMarkerNameBytes / 2; ++i) {
        const char16_t c = readU16(&nameField[2 * i]);
        if (c == 0) break;
        s += c;
    }
    return s;
}

MarkerBlock MarkerBlock::decode(const uint8_t* p) {
    MarkerBlock b;
    b.frame = readU32(p);
    std::memcpy(b.nameField.data(), p + 4, kMarkerNameBytes);
    return b;
}

void MarkerBlock::encode(uint8_t* p) const {
    writeU32(p, frame);
    std::memcpy(p + 4, nameField.data(), kMarkerNameBytes);
}

Result<SignalRecord> SignalRecord::From(const SdtContainer& file, const IndexedEntry& indexed) {
    if (auto s = file.checkEntryData(indexed.entry); !s) return s.error();
    SignalRecord r;
    r.entry = indexed.entry;
    r.ordinal = indexed.ordinal;
    r.channelCount = file.header().presentChannels();
    r.channelMask = static_cast<uint16_t>(file.header().channelMask & 7u);
    return r;
}

Result<MarkerTable> readMarkerTable(const SdtContainer& file, const DirectoryEntry& entry) {
    MarkerTable table;
    if (entry.backSize == 0) return table;
    uint8_t bytes[kMarkerTableSize];
    if (entry.dataOffset < kMarkerTableSize || entry.dataOffset > file.size() ||
        !file.file().readAt(entry.dataOffset - kMarkerTableSize, bytes, sizeof bytes))
        return fail(Word::MarkerTableOutside, {file.path()});
    return MarkerTable::decode(bytes);
}

std::vector<Marker> readMarkers(const SdtContainer& file, const MarkerTable& table,
                                std::vector<Error>& problems) {
    std::vector<Marker> markers;
    for (size_t i = 0; i < kMarkerSlots; ++i) {
        const uint64_t at = table.blockOffsets[i];
        if (at == 0) continue;
        uint8_t bytes[kMarkerBlockSize];
        if (at > file.size() || file.size() - at < kMarkerBlockSize ||
            !file.file().readAt(at, bytes, sizeof bytes)) {
            problems.push_back(fail(Word::MarkerBeyondEnd, {std::to_string(i + 1), file.path()}));
            continue;
        }
        markers.push_back({static_cast<int>(i), MarkerBlock::decode(bytes)});
    }
    return markers;
}

bool readDoubles(const File& file, uint64_t offset, double* out, size_t count) {
    if constexpr (std::endian::native == std::endian::little) {
        return file.readAt(offset, out, count * 8);
    } else {
        auto* bytes = reinterpret_cast<uint8_t*>(out);
        if (!file.readAt(offset, bytes, count * 8)) return false;
        for (size_t i = 0; i < count; ++i) {
            uint8_t v[8];
            std::memcpy(v, bytes + 8 * i, 8);
            out[i] = readF64(v);
        }
        return true;
    }
}

}  // namespace k470
