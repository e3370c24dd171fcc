// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/measurement_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/byte_order.h"
#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470 {

uint16_t encodeLevel(double level) {
    double w = std::floor(level * 256.0 + 0.5);
    if (!(w >= 0.0)) return 0;  // also NaN
    if (w > 65535.0) return 65535;
    return static_cast<uint16_t>(w);
}

int16_t encodeOffset(double offset) {
    double w = std::floor(offset * 256.0 + 0.5);
    if (std::isnan(w)) return 0;
    w = std::clamp(w, -32768.0, 32767.0);
    return static_cast<int16_t>(w);
}

RecordHeader RecordHeader::decode(const uint8_t* p) {
    RecordHeader h;
    h.date = readU16(p);
    h.time = readU16(p + 2);
    std::memcpy(h.recordComment.data(), p + 4, 10);
    h.vin = readU32(p + 14);
    h.deviceType = readU16(p + 18);
    return h;
}

void RecordHeader::encode(uint8_t* p) const {
    writeU16(p, date);
    writeU16(p + 2, time);
    std::memcpy(p + 4, recordComment.data(), 10);
    writeU32(p + 14, vin);
    writeU16(p + 18, deviceType);
}

void appendInterval(std::string& out, const RecordTail& tail) {
    appendInt(out, tail.intervalHours);
    out += ':';
    appendInt(out, tail.intervalMinutes, 2);
    out += ':';
    appendInt(out, tail.intervalSeconds, 2);
}

RecordTail RecordTail::decode(const uint8_t* p) {
    RecordTail t;
    t.charTable = readU16(p);
    t.intervalSeconds = readU16(p + 4);
    t.intervalMinutes = readU16(p + 6);
    t.intervalHours = readU16(p + 8);
    t.rangeIndex = readU16(p + 16);
    return t;
}

void RecordTail::encode(uint8_t* p) const {
    std::memset(p, 0, kRecordTailSize);
    writeU16(p, charTable);
    writeU16(p + 4, intervalSeconds);
    writeU16(p + 6, intervalMinutes);
    writeU16(p + 8, intervalHours);
    writeU16(p + 16, rangeIndex);
}

bool isSkippedFieldStrengthWord(int word) {
    return (word >= 180 && word < 192) || word == 198;
}

void decodeTrailerAndTail(const uint8_t* record, const RecordDimensions& d, StatusTrailer& trailer,
                          RecordTail& tail) {
    const uint8_t* words = record + kRecordHeaderSize;
    trailer = {};
    if (d.group == ResultGroup::Vibration) {
        const uint8_t* t = words + 2 * (d.wordCount - 10);
        for (int ch = 0; ch < 3; ++ch) {
            trailer.overloadStatus[ch] = readU16(t + 2 * ch);
            trailer.underrangeStatus[ch] = readU16(t + 2 * (3 + ch));
            trailer.calibrationOffset[ch] = decodeOffset(readI16(t + 2 * (6 + ch)));
        }
    } else {
        const uint8_t* t = words + 2 * (d.wordCount - 4);
        trailer.overloadStatus[0] = readU16(t);
        trailer.underrangeStatus[0] = readU16(t + 2);
        trailer.calibrationOffset[0] = decodeOffset(readI16(t + 4));
    }
    tail = RecordTail::decode(words + 2 * d.wordCount);
}

Result<MeasurementRecord> MeasurementRecord::blank(DeviceType type) {
    auto dims = lookupRecordDimensions(type);
    if (!dims) return fail(lexicon().text(Word::UnknownFileFormat));
    MeasurementRecord r;
    r.header.deviceType = type;
    r.dimensions = *dims;
    r.levels.assign(static_cast<size_t>(dims->levelWordCount()), 0.0);
    return r;
}

Result<MeasurementRecord> MeasurementRecord::decode(std::span<const uint8_t, kRecordSize> bytes) {
    RecordHeader header = RecordHeader::decode(bytes.data());
    auto r = blank(header.deviceType);
    if (!r) return r;
    MeasurementRecord& rec = *r;
    rec.header = header;
    const RecordDimensions& d = rec.dimensions;
    const uint8_t* words = bytes.data() + kRecordHeaderSize;
    const int n = d.levelWordCount();
    for (int i = 0; i < n; ++i) rec.levels[i] = decodeLevel(readU16(words + 2 * i));
    if (d.group == ResultGroup::FieldStrength)
        for (int i = 0; i < n; ++i)
            if (isSkippedFieldStrengthWord(i)) rec.levels[i] = 0.0;
    decodeTrailerAndTail(bytes.data(), d, rec.trailer, rec.tail);
    return r;
}

void MeasurementRecord::encode(std::span<uint8_t, kRecordSize> bytes) const {
    std::fill(bytes.begin(), bytes.end(), uint8_t{0});
    header.encode(bytes.data());
    const RecordDimensions& d = dimensions;
    if (d.group == ResultGroup::None) return;
    uint8_t* words = bytes.data() + kRecordHeaderSize;
    const int n = std::min(d.levelWordCount(), static_cast<int>(levels.size()));
    for (int i = 0; i < n; ++i) {
        if (d.group == ResultGroup::FieldStrength && isSkippedFieldStrengthWord(i)) continue;
        writeU16(words + 2 * i, encodeLevel(levels[i]));
    }
    if (d.group == ResultGroup::Vibration) {
        uint8_t* t = words + 2 * (d.wordCount - 10);
        for (int ch = 0; ch < 3; ++ch) {
            writeU16(t + 2 * ch, trailer.overloadStatus[ch]);
            writeU16(t + 2 * (3 + ch), trailer.underrangeStatus[ch]);
            writeI16(t + 2 * (6 + ch), encodeOffset(trailer.calibrationOffset[ch]));
        }
    } else {
        uint8_t* t = words + 2 * (d.wordCount - 4);
        writeU16(t, trailer.overloadStatus[0]);
        writeU16(t + 2, trailer.underrangeStatus[0]);
        writeI16(t + 4, encodeOffset(trailer.calibrationOffset[0]));
    }
    tail.encode(words + 2 * d.wordCount);
}

RecordBytes MeasurementRecord::encode() const {
    RecordBytes bytes;
    encode(std::span<uint8_t, kRecordSize>(bytes));
    return bytes;
}

}  // namespace k470
