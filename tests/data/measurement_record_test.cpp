// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/measurement_record.h"

#include <gtest/gtest.h>

#include "base/byte_order.h"

namespace k470 {
namespace {

// A record image built byte by byte from the layout: header, then result words at 20 + 2*word.
struct Image {
    RecordBytes bytes{};
    explicit Image(DeviceType type) {
        writeU16(&bytes[0], 0x5D8A);  // 10/12/2026
        writeU16(&bytes[2], 0x7168);  // 14:11:16
        for (int i = 0; i < 10; ++i) bytes[4 + i] = 0xFF;
        writeU32(&bytes[14], 0x12AB34CD);
        writeU16(&bytes[18], type);
    }
    void word(int index, uint16_t v) { writeU16(&bytes[20 + 2 * index], v); }
};

TEST(MeasurementRecord, DecodesHeaderLevelsTrailerAndTailAtTheirOffsets) {
    Image img(3);  // SoundLevel, N = 440
    img.word(0, 0x0000);
    img.word(1, 0xFFFF);
    img.word(435, 60 * 256);
    img.word(436, 1);       // overload
    img.word(437, 3);       // underrange
    img.word(438, 0xFF00);  // calibration -1.00 dB
    const int tail = 20 + 2 * 440;
    writeU16(&img.bytes[tail], 2);       // charTable
    writeU16(&img.bytes[tail + 4], 5);   // seconds
    writeU16(&img.bytes[tail + 6], 4);   // minutes
    writeU16(&img.bytes[tail + 8], 3);   // hours
    writeU16(&img.bytes[tail + 16], 2);  // range index
    auto r = MeasurementRecord::decode(img.bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->header.vin, 0x12AB34CDu);
    const CalendarTime t = r->header.dateTime();
    EXPECT_EQ(t.day, 10);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.hours, 14);
    EXPECT_EQ(t.minutes, 11);
    EXPECT_EQ(t.seconds, 16);
    ASSERT_EQ(r->levels.size(), 436u);
    EXPECT_EQ(r->levels[0], 0.0);
    EXPECT_NEAR(r->levels[1], 255.996, 0.0005);
    EXPECT_EQ(r->levels[435], 60.0);
    EXPECT_EQ(r->trailer.overloadStatus[0], 1);
    EXPECT_EQ(r->trailer.underrangeStatus[0], 3);
    EXPECT_EQ(r->trailer.calibrationOffset[0], -1.0);
    EXPECT_EQ(r->tail.charTable, 2);
    EXPECT_EQ(r->tail.intervalHours, 3);
    EXPECT_EQ(r->tail.intervalMinutes, 4);
    EXPECT_EQ(r->tail.intervalSeconds, 5);
    EXPECT_EQ(r->tail.rangeIndex, 2);
    EXPECT_EQ(r->encode(), img.bytes);  // and back, byte for byte
}

TEST(MeasurementRecord, VibrationTrailerHasThreeChannelSlotsAlsoForOneChannel) {
    Image img(5);       // single-channel hand-arm, N = 1348
    img.word(1338, 1);  // overload ch1
    img.word(1339, 0);
    img.word(1340, 0);
    img.word(1341, 0);
    img.word(1342, 0);
    img.word(1343, 0);
    img.word(1344, 0x0080);  // +0.5 dB
    auto r = MeasurementRecord::decode(img.bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->levels.size(), 1338u);
    EXPECT_EQ(r->trailer.overloadStatus[0], 1);
    EXPECT_EQ(r->trailer.calibrationOffset[0], 0.5);
    EXPECT_EQ(r->trailer.calibrationOffset[1], 0.0);
    EXPECT_EQ(r->encode(), img.bytes);
}

TEST(MeasurementRecord, FieldStrengthSkipsTheUnusedWords) {
    Image img(22);
    img.word(179, 100);
    img.word(185, 777);  // one of the twelve skipped words
    img.word(192, 200);  // wide band Fast
    img.word(198, 5);    // must read and write as 0
    img.word(199, 2);    // overload: current overflow
    auto r = MeasurementRecord::decode(img.bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->levels[185], 0.0);
    EXPECT_EQ(r->levels[198], 0.0);
    EXPECT_EQ(r->levels[192], 200 / 256.0);
    EXPECT_EQ(r->trailer.overloadStatus[0], 2);
    const RecordBytes back = r->encode();
    EXPECT_EQ(readU16(&back[20 + 2 * 185]), 0);
    EXPECT_EQ(readU16(&back[20 + 2 * 198]), 0);
    EXPECT_EQ(readU16(&back[20 + 2 * 179]), 100);
}

TEST(MeasurementRecord, TypesWithoutLayoutAreUnknownFormat) {
    for (int type : {0, 13, 18, 25, 26, 27, 500}) {
        Image img(static_cast<DeviceType>(type));
        auto r = MeasurementRecord::decode(img.bytes);
        ASSERT_FALSE(r) << type;
        EXPECT_EQ(r.error().message, "Unknown file format");
    }
}

TEST(MeasurementRecord, LevelEncodingRoundsAndStaysInTheWord) {
    EXPECT_EQ(encodeLevel(0.0), 0);
    EXPECT_EQ(encodeLevel(60.001), 15360);
    EXPECT_EQ(encodeLevel(60.0 + 1.0 / 512), 15361);  // half a step rounds up
    EXPECT_EQ(encodeLevel(255.996), 65535);
    EXPECT_EQ(encodeLevel(300.0), 65535);
    EXPECT_EQ(encodeLevel(-3.0), 0);
    EXPECT_EQ(encodeOffset(-1.0), -256);
    EXPECT_EQ(encodeOffset(-200.0), -32768);
}

TEST(MeasurementRecord, BlankRecordAsTakenFromTheInstrument) {
    auto r = MeasurementRecord::blank(7);
    ASSERT_TRUE(r);
    const RecordBytes b = r->encode();
    for (int i = 4; i < 14; ++i) EXPECT_EQ(b[i], 0xFF);
    const int tail = 20 + 2 * 314;
    EXPECT_EQ(readU16(&b[tail]), 1);
    EXPECT_EQ(readU16(&b[tail + 4]), 255);
    EXPECT_EQ(readU16(&b[tail + 6]), 255);
    EXPECT_EQ(readU16(&b[tail + 8]), 255);
    EXPECT_FALSE(r->tail.intervalKnown());
    for (size_t i = tail + kRecordTailSize; i < kRecordSize; ++i) ASSERT_EQ(b[i], 0) << i;
}

}  // namespace
}  // namespace k470
