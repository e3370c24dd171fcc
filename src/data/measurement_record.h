// SPDX-License-Identifier: GPL-3.0-or-later
// The stored record of one measurement: a 20-byte header, the result words of the type's layout (levels
// in 1/256 dB), the status trailer, a 20-byte tail and zero padding up to 3072 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "data/device_type.h"
#include "data/dos_date_time.h"

namespace k470 {

constexpr size_t kRecordSize = 3072;
constexpr size_t kRecordHeaderSize = 20;
constexpr size_t kRecordTailSize = 20;
// The instruments have four measuring ranges (the converter range tables of the signal set-up have four
// rows), so a range index is 0..3.
constexpr uint16_t kMeasuringRanges = 4;

using RecordBytes = std::array<uint8_t, kRecordSize>;

// A level word stands for v/256 dB; a level is stored as floor(L*256 + 0.5), kept within the word.
inline double decodeLevel(uint16_t word) {
    return word / 256.0;
}
uint16_t encodeLevel(double level);
// The highest level a word holds (255.996 dB); levels below 0 dB are stored as 0.
constexpr double kMaxStoredLevelDb = 65535.0 / 256.0;
// Calibration offsets are signed words in 1/256 dB.
inline double decodeOffset(int16_t word) {
    return word / 256.0;
}
int16_t encodeOffset(double offset);

struct RecordHeader {
    uint16_t date = 0;  // DOS date
    uint16_t time = 0;  // DOS time
    // A short text in the instrument's own character set; ten 0xFF bytes when there is none.
    std::array<uint8_t, 10> recordComment = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint32_t vin = 0;
    DeviceType deviceType = 0;

    static RecordHeader decode(const uint8_t* bytes);
    void encode(uint8_t* bytes) const;
    CalendarTime dateTime() const { return unpackDos(date, time); }
};

struct RecordTail {
    uint16_t charTable = 1;
    // Each holds a byte value; all three 255 means that no interval is known.
    uint16_t intervalSeconds = 255;
    uint16_t intervalMinutes = 255;
    uint16_t intervalHours = 255;
    uint16_t rangeIndex = 0;  // 0-based, below kMeasuringRanges

    bool intervalKnown() const {
        return !(intervalSeconds == 255 && intervalMinutes == 255 && intervalHours == 255);
    }
    static RecordTail decode(const uint8_t* bytes);
    void encode(uint8_t* bytes) const;
};

// Appends the interval as "H:MM:SS", the values as stored (also when no interval is known).
void appendInterval(std::string& out, const RecordTail& tail);

// Per channel slot (three for the Vibration group, one otherwise).
struct StatusTrailer {
    std::array<uint16_t, 3> overloadStatus{};    // 0 none, 1 overload, 2+ current overflow
    std::array<uint16_t, 3> underrangeStatus{};  // nonzero: below the range
    std::array<double, 3> calibrationOffset{};   // dB
};

struct MeasurementRecord {
    RecordHeader header;
    RecordDimensions dimensions;
    // The level words before the trailer, in dB, in the layout order of the type's group.
    std::vector<double> levels;
    StatusTrailer trailer;
    RecordTail tail;

    // A record as newly taken from the instrument: comment 0xFF, interval unknown, range 0, all levels 0.
    // Fails with "Unknown file format" for a type without a layout.
    static Result<MeasurementRecord> blank(DeviceType type);
    // Fails with "Unknown file format" for a type without a layout.
    static Result<MeasurementRecord> decode(std::span<const uint8_t, kRecordSize> bytes);
    void encode(std::span<uint8_t, kRecordSize> bytes) const;
    RecordBytes encode() const;
};

// Words of the FieldStrength layout that are written as 0 and skipped when reading: the twelve words behind
// the 30 band rows, and word 198 behind the wide band.
bool isSkippedFieldStrengthWord(int word);

// Reads the status trailer and the tail of a record whose dimensions are known.
void decodeTrailerAndTail(const uint8_t* record, const RecordDimensions& d, StatusTrailer& trailer,
                          RecordTail& tail);

}  // namespace k470
