// SPDX-License-Identifier: GPL-3.0-or-later
// Signal files built byte by byte from the container layout: header at 0, the first directory block at 680,
// then for every record its marker blocks, its 120-byte position table and its samples; a new directory
// block is chained when 256 entries are used.
#pragma once

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/byte_order.h"
#include "support/temp_dir.h"

namespace k470::test {

struct SignalFileImage {
    std::vector<uint8_t> bytes;
    uint64_t block = 680;
    int slot = 0;

    SignalFileImage(double rate, uint16_t mask, std::vector<std::u16string> units = {u"Pa", u"m/c^2", u"mV"},
                    std::vector<double> refs = {2e-05, 1e-06, 0.001}) {
        bytes.assign(680, 0);
        std::memcpy(bytes.data(), "SDTA", 4);
        writeF64(&bytes[4], rate);
        writeU16(&bytes[268], static_cast<uint16_t>(__builtin_popcount(mask & 7u)));
        writeU16(&bytes[270], mask);
        for (size_t k = 0; k < 3; ++k) {
            for (size_t i = 0; i < units[k].size(); ++i) writeU16(&bytes[272 + 128 * k + 2 * i], units[k][i]);
            writeF64(&bytes[656 + 8 * k], refs[k]);
        }
        appendBlock(~uint64_t{0});
    }

    void appendBlock(uint64_t previous) {
        const size_t at = bytes.size();
        bytes.resize(at + 8212, 0);
        std::memcpy(&bytes[at], "SDTA", 4);
        writeU64(&bytes[at + 8196], ~uint64_t{0});
        writeU64(&bytes[at + 8204], previous);
    }

    // Adds a record of frames (values frame after frame); markers as (frame, name). Returns the entry offset.
    size_t addRecord(const std::vector<double>& values, uint32_t frames,
                     const std::vector<std::pair<uint32_t, std::u16string>>& markers = {},
                     bool withTable = true, uint32_t date = (2024u << 9) | (3u << 5) | 7u,
                     uint32_t time = (13u << 12) | (5u << 6) | 9u) {
        if (slot == 256) {
            const uint64_t fresh = bytes.size();
            writeU64(&bytes[block + 8196], fresh);
            appendBlock(block);
            block = fresh;
            slot = 0;
        }
        std::vector<uint64_t> blockOffsets(15, 0);
        for (size_t i = 0; i < markers.size(); ++i) {
            const size_t at = bytes.size();
            bytes.resize(at + 164, 0);
            writeU32(&bytes[at], markers[i].first);
            for (size_t c = 0; c < markers[i].second.size(); ++c)
                writeU16(&bytes[at + 4 + 2 * c], markers[i].second[c]);
            blockOffsets[i] = at;
        }
        if (withTable) {
            const size_t at = bytes.size();
            bytes.resize(at + 120, 0);
            for (size_t i = 0; i < 15; ++i) writeU64(&bytes[at + 8 * i], blockOffsets[i]);
        }
        const uint64_t data = bytes.size();
        for (double v : values) {
            bytes.resize(bytes.size() + 8);
            writeF64(&bytes[bytes.size() - 8], v);
        }
        const size_t e = block + 4 + 32 * static_cast<size_t>(slot++);
        writeU16(&bytes[e], 1);
        writeU32(&bytes[e + 2], date);
        writeU32(&bytes[e + 6], time);
        writeU64(&bytes[e + 10], data);
        writeU32(&bytes[e + 18], frames);
        writeU16(&bytes[e + 22], 26);
        writeU32(&bytes[e + 24], 0x00C0FFEE);
        writeU16(&bytes[e + 28], withTable ? 120 : 0);
        return e;
    }

    std::string save(const TempDir& dir, const std::string& name) const {
        const std::string path = dir.file(name);
        writeBytes(path, bytes);
        return path;
    }
};

}  // namespace k470::test
