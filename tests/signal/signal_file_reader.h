// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a signal file straight from its bytes by the container layout (header at 0, directory blocks of 256
// 32-byte entries chained from offset 680, a 120-byte marker position table in front of each record's
// samples), without the program's own reader, so that a shared misreading shows up.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/byte_order.h"
#include "support/temp_dir.h"

namespace k470::test {

struct ReadBackRecord {
    uint32_t date = 0, time = 0;
    uint16_t deviceType = 0;
    uint32_t vin = 0;
    uint32_t frames = 0;
    std::vector<double> values;                                // frame after frame
    std::vector<std::pair<uint32_t, std::u16string>> markers;  // in slot order
};

struct ReadBackFile {
    double rate = 0;
    std::u16string processor;
    uint16_t channelCount = 0, mask = 0;
    std::u16string units[3];
    double reference[3] = {};
    std::vector<ReadBackRecord> records;
    std::string problem;  // empty when every count and offset lay inside the file
};

inline std::u16string utf16At(const std::vector<uint8_t>& b, size_t at, size_t units) {
    std::u16string s;
    for (size_t i = 0; i < units && readU16(&b[at + 2 * i]) != 0; ++i) s += readU16(&b[at + 2 * i]);
    return s;
}

inline ReadBackFile readBack(const std::string& path) {
    const std::vector<uint8_t> b = readBytes(path);
    ReadBackFile f;
    if (b.size() < 680 + 8212 || std::memcmp(b.data(), "SDTA", 4) != 0) {
        f.problem = "no header";
        return f;
    }
    f.rate = readF64(&b[4]);
    f.processor = utf16At(b, 12, 128);
    f.channelCount = readU16(&b[268]);
    f.mask = readU16(&b[270]);
    for (size_t k = 0; k < 3; ++k) {
        f.units[k] = utf16At(b, 272 + 128 * k, 64);
        f.reference[k] = readF64(&b[656 + 8 * k]);
    }
    const size_t channels = static_cast<size_t>(__builtin_popcount(f.mask & 7u));
    for (uint64_t block = 680; block != ~uint64_t{0};) {
        if (block + 8212 > b.size() || std::memcmp(&b[block], "SDTA", 4) != 0) {
            f.problem = "bad block";
            return f;
        }
        for (size_t slot = 0; slot < 256; ++slot) {
            const uint8_t* e = &b[block + 4 + 32 * slot];
            if (readU16(e) == 0) continue;
            ReadBackRecord r;
            r.date = readU32(e + 2);
            r.time = readU32(e + 6);
            const uint64_t data = readU64(e + 10);
            r.frames = readU32(e + 18);
            r.deviceType = readU16(e + 22);
            r.vin = readU32(e + 24);
            const uint16_t back = readU16(e + 28);
            if (data > b.size() || (b.size() - data) / 8 / channels < r.frames || data < back) {
                f.problem = "samples beyond the end";
                return f;
            }
            for (size_t i = 0; i < r.frames * channels; ++i) r.values.push_back(readF64(&b[data + 8 * i]));
            for (size_t m = 0; back != 0 && m < 15; ++m) {
                const uint64_t at = readU64(&b[data - back + 8 * m]);
                if (at == 0) continue;
                if (at + 164 > b.size()) {
                    f.problem = "marker beyond the end";
                    return f;
                }
                r.markers.emplace_back(readU32(&b[at]), utf16At(b, at + 4, 80));
            }
            f.records.push_back(std::move(r));
        }
        block = readU64(&b[block + 4 + 8192]);
    }
    return f;
}

}  // namespace k470::test
