// SPDX-License-Identifier: GPL-3.0-or-later
// Record images built byte by byte from the record layout, for the merge, percentile and report tests.
#pragma once

#include <string>
#include <vector>

#include "base/byte_order.h"
#include "data/measurement_record.h"
#include "support/temp_dir.h"

namespace k470::test {

struct RecordImage {
    RecordBytes bytes{};

    // Header: DOS date and time, ten 0xFF comment bytes, VIN, type; tail words with a known interval.
    RecordImage(DeviceType type, uint32_t vin = 0x12AB34CD, uint16_t date = 0x5D8A /* 10/12/2026 */,
                uint16_t time = 0x7168 /* 14:11:16 */) {
        writeU16(&bytes[0], date);
        writeU16(&bytes[2], time);
        for (int i = 0; i < 10; ++i) bytes[4 + static_cast<size_t>(i)] = 0xFF;
        writeU32(&bytes[14], vin);
        writeU16(&bytes[18], type);
    }
    // Every result word of the first `words` words set to the same value.
    RecordImage& fill(int words, uint16_t value) {
        for (int i = 0; i < words; ++i) writeU16(&bytes[20 + 2 * static_cast<size_t>(i)], value);
        return *this;
    }
    RecordImage& at(size_t byteOffset, uint16_t value) {
        writeU16(&bytes[byteOffset], value);
        return *this;
    }
    // The interval words of the tail behind N result words.
    RecordImage& interval(int wordCount, uint16_t hours, uint16_t minutes, uint16_t seconds) {
        const size_t tail = 20 + 2 * static_cast<size_t>(wordCount);
        writeU16(&bytes[tail + 4], seconds);
        writeU16(&bytes[tail + 6], minutes);
        writeU16(&bytes[tail + 8], hours);
        return *this;
    }
};

inline void writeRecords(const std::string& path, const std::vector<RecordImage>& records) {
    std::vector<uint8_t> bytes;
    for (const auto& r : records) bytes.insert(bytes.end(), r.bytes.begin(), r.bytes.end());
    writeBytes(path, bytes);
}

}  // namespace k470::test
