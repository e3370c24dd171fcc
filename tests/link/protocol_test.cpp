// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/instrument_protocol.h"

#include "link/frame_parser.h"

#include <gtest/gtest.h>

namespace k470 {
namespace {

std::vector<uint8_t> flatten(const std::array<Command, 5>& cs) {
    std::vector<uint8_t> v;
    for (const Command& c : cs) v.insert(v.end(), c.begin(), c.end());
    return v;
}

TEST(InstrumentCommandsTest, CommandBytes) {
    EXPECT_EQ(kStartCommand, (Command{0xA0, 0x1A}));
    EXPECT_EQ(kStopCommand, (Command{0xA0, 0x2A}));
    EXPECT_EQ(kResetCommand, (Command{0xA0, 0x3A}));
    EXPECT_EQ(kStartStopCommand, (Command{0xA0, 0x4A}));
    EXPECT_EQ(RangeCommand(0), (Command{0xA0, 0x7A}));
    EXPECT_EQ(RangeCommand(3), (Command{0xA0, 0xAA}));  // "range 4"
}

TEST(InstrumentCommandsTest, CalibrationOffsetSequences) {
    struct Case {
        int channel;
        double db;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {0, -0.5, {0xAC, 0x0A, 0xAD, 0x8A, 0xAE, 0xFA, 0xAF, 0xFA, 0xA0, 0xBA}},  // w = 0xFF80
        {2, 1.0, {0xAC, 0x0A, 0xAD, 0x0A, 0xAE, 0x1A, 0xAF, 0x0A, 0xA0, 0xDA}},   // w = 0x0100
        {1, 0.0, {0xAC, 0x0A, 0xAD, 0x0A, 0xAE, 0x0A, 0xAF, 0x0A, 0xA0, 0xCA}},
        {0, 1.0 / 256 * 0x1234, {0xAC, 0x4A, 0xAD, 0x3A, 0xAE, 0x2A, 0xAF, 0x1A, 0xA0, 0xBA}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(flatten(CalibrationOffsetCommands(c.channel, c.db)), c.bytes) << c.db;
}

TEST(InstrumentCommandsTest, CalibrationTextReadsLeadingNumberElseZero) {
    EXPECT_DOUBLE_EQ(parseCalibrationText("-0.5"), -0.5);
    EXPECT_DOUBLE_EQ(parseCalibrationText(" 1.25 dB"), 1.25);
    EXPECT_DOUBLE_EQ(parseCalibrationText("abc"), 0.0);
    EXPECT_DOUBLE_EQ(parseCalibrationText(""), 0.0);
}

// Message fixtures written byte by byte from the message layout.
void put16(std::vector<uint8_t>& m, size_t at, uint16_t v) {
    if (m.size() < at + 2) m.resize(at + 2);
    m[at] = static_cast<uint8_t>(v);
    m[at + 1] = static_cast<uint8_t>(v >> 8);
}

AcquiredValues valuesOf(DeviceType type) {
    AcquiredValues v;
    v.record = *MeasurementRecord::blank(type);
    return v;
}

TEST(StatusMessageTest, SingleChannelLayout) {
    std::vector<uint8_t> m(22 + 2 * 436, 0);
    put16(m, 0, 3);                             // sound level meter
    put16(m, 4, 1);                             // running
    m[8] = 2;                                   // range index
    put16(m, 10, 0xBEEF);                       // VIN low word
    put16(m, 12, 0x00A1);                       // VIN high word
    put16(m, 14, 1);                            // overload
    put16(m, 16, 1);                            // under range
    put16(m, 18, static_cast<uint16_t>(-128));  // -0.5 dB
    put16(m, 20, 0x7777);                       // not read
    put16(m, 22, 60 * 256);                     // first result word
    put16(m, 22 + 2 * 435, 0x4080);             // last result word: 64.5 dB
    auto id = ReadIdentification(m);
    ASSERT_TRUE(id);
    EXPECT_EQ(id->deviceType, 3);
    EXPECT_EQ(id->vin, 0x00A1BEEFu);
    AcquiredValues v = valuesOf(3);
    ASSERT_EQ(v.record.levels.size(), 436u);
    ApplyStatusMessage(m, v);
    EXPECT_TRUE(v.running);
    EXPECT_EQ(v.record.tail.rangeIndex, 2);
    EXPECT_EQ(v.record.trailer.overloadStatus[0], 1);
    EXPECT_EQ(v.record.trailer.underrangeStatus[0], 1);
    EXPECT_DOUBLE_EQ(v.record.trailer.calibrationOffset[0], -0.5);
    EXPECT_DOUBLE_EQ(v.record.levels[0], 60.0);
    EXPECT_DOUBLE_EQ(v.record.levels[435], 64.5);
    // Our encoder writes the same bytes for these values (the unread word at 20 aside).
    v.record.header.vin = id->vin;
    auto encoded = EncodeStatusMessage(v);
    m[20] = m[21] = 0;
    EXPECT_EQ(encoded, m);
}

TEST(StatusMessageTest, ThreeChannelLayoutAndRangeNotKeptForTypes1And2And20) {
    for (DeviceType type : {DeviceType{2}, DeviceType{5}}) {
        std::vector<uint8_t> m(32 + 2 * 1338, 0);
        put16(m, 0, type);
        m[8] = 3;
        for (int ch = 0; ch < 3; ++ch) {
            put16(m, 14 + 2 * ch, static_cast<uint16_t>(ch + 1));
            put16(m, 20 + 2 * ch, static_cast<uint16_t>(10 + ch));
            put16(m, 26 + 2 * ch, static_cast<uint16_t>(256 * (ch + 1)));
        }
        put16(m, 32, 100 * 256);
        AcquiredValues v = valuesOf(type);
        ApplyStatusMessage(m, v);
        EXPECT_EQ(v.record.tail.rangeIndex, type == 2 ? 0 : 3) << type;
        EXPECT_EQ(v.record.trailer.overloadStatus, (std::array<uint16_t, 3>{1, 2, 3}));
        EXPECT_EQ(v.record.trailer.underrangeStatus, (std::array<uint16_t, 3>{10, 11, 12}));
        EXPECT_DOUBLE_EQ(v.record.trailer.calibrationOffset[2], 3.0);
        EXPECT_DOUBLE_EQ(v.record.levels[0], 100.0);
    }
}

// A message of a like layout but another type must not give a record a range its type does not keep, and no
// message may store a range the instruments do not have (it would be saved into the .bin).
TEST(StatusMessageTest, TheRecordsOwnTypeAndTheInstrumentsRangesDecideTheRangeIndex) {
    for (DeviceType recordType = 0; recordType < 28; ++recordType) {
        if (!MeasurementRecord::blank(recordType)) continue;
        for (DeviceType messageType = 0; messageType < 28; ++messageType) {
            for (uint8_t range : {uint8_t{2}, uint8_t{kMeasuringRanges}, uint8_t{64}, uint8_t{255}}) {
                std::vector<uint8_t> m(kNominalMessageSize, 0);
                put16(m, 0, messageType);
                m[8] = range;
                AcquiredValues v = valuesOf(recordType);
                ApplyStatusMessage(m, v);
                SCOPED_TRACE(std::to_string(recordType) + " <- " + std::to_string(messageType) + " range " +
                             std::to_string(range));
                EXPECT_LT(v.record.tail.rangeIndex, kMeasuringRanges);
                if (!keepsRangeIndex(recordType)) {
                    EXPECT_EQ(v.record.tail.rangeIndex, 0);
                }
                if (messageType == recordType && keepsRangeIndex(recordType) && range == 2) {
                    EXPECT_EQ(v.record.tail.rangeIndex, 2);
                }
            }
        }
    }
}

TEST(StatusMessageTest, ShortMessageLeavesUnreadFieldsUnchanged) {
    AcquiredValues v = valuesOf(3);
    v.record.levels.assign(v.record.levels.size(), 42.0);
    v.record.trailer.calibrationOffset[0] = 1.5;
    v.record.tail.rangeIndex = 1;
    std::vector<uint8_t> m;
    put16(m, 0, 3);
    put16(m, 4, 1);
    put16(m, 14, 1);
    put16(m, 16, 0);  // 18 bytes: the offset at 18 and the results are missing
    m.push_back(3);   // one byte of the offset word: not enough for it
    ApplyStatusMessage(m, v);
    EXPECT_TRUE(v.running);
    EXPECT_EQ(v.record.trailer.overloadStatus[0], 1);
    EXPECT_DOUBLE_EQ(v.record.trailer.calibrationOffset[0], 1.5);
    EXPECT_EQ(v.record.tail.rangeIndex, 0);  // offset 8 was inside the message
    EXPECT_DOUBLE_EQ(v.record.levels[0], 42.0);
    // A message of two bytes changes nothing but cannot even tell the running state.
    v.running = true;
    ApplyStatusMessage(std::vector<uint8_t>{3, 0}, v);
    EXPECT_TRUE(v.running);
    EXPECT_FALSE(ReadIdentification(std::vector<uint8_t>(13, 0)));
}

TEST(StatusMessageTest, ForeignTypeOnlyGivesTheRunningWord) {
    AcquiredValues v = valuesOf(3);
    for (DeviceType foreign : {DeviceType{13}, DeviceType{22}}) {  // no layout; another layout
        std::vector<uint8_t> m(600, 0x11);
        put16(m, 0, foreign);
        put16(m, 4, 0);
        v.running = true;
        ApplyStatusMessage(m, v);
        EXPECT_FALSE(v.running);
        EXPECT_DOUBLE_EQ(v.record.levels[0], 0.0);
        EXPECT_EQ(v.record.trailer.overloadStatus[0], 0);
        EXPECT_EQ(v.record.tail.rangeIndex, 0);
    }
    // Types 3, 8, 19 and 21 share the layout, so their messages apply to each other's records.
    std::vector<uint8_t> m(22 + 2 * 436, 0);
    put16(m, 0, 8);
    put16(m, 22, 256);
    ApplyStatusMessage(m, v);
    EXPECT_DOUBLE_EQ(v.record.levels[0], 1.0);
}

TEST(StatusMessageTest, EveryTypeWithALayoutCarriesItsWholeRecord) {
    for (int t = 0; t < 30; ++t) {
        const auto type = static_cast<DeviceType>(t);
        auto dims = lookupRecordDimensions(type);
        if (!dims) {
            EXPECT_EQ(statusLayout(type), StatusLayout::None) << t;
            continue;
        }
        AcquiredValues sent = valuesOf(type);
        const bool three = statusLayout(type) == StatusLayout::ThreeChannel;
        EXPECT_EQ(three, dims->group == ResultGroup::Vibration) << t;
        for (size_t i = 0; i < sent.record.levels.size(); ++i)
            if (!(dims->group == ResultGroup::FieldStrength &&
                  isSkippedFieldStrengthWord(static_cast<int>(i))))
                sent.record.levels[i] = 20.0 + static_cast<double>(i % 97) / 4;
        sent.record.trailer.overloadStatus = {1, 2, 3};
        sent.record.trailer.calibrationOffset = {0.25, -0.5, 1.0};
        sent.record.tail.rangeIndex = 3;
        sent.running = true;
        auto m = EncodeStatusMessage(sent);
        EXPECT_EQ(m.size(), (three ? 32u : 22u) + 2 * sent.record.levels.size()) << t;
        EXPECT_LE(m.size(), kMaxStatusMessage);
        AcquiredValues got = valuesOf(type);
        ApplyStatusMessage(m, got);
        EXPECT_EQ(got.record.levels, sent.record.levels) << t;
        EXPECT_EQ(got.record.trailer.overloadStatus[0], 1) << t;
        EXPECT_EQ(got.record.trailer.overloadStatus[2], three ? 3 : 0) << t;
        EXPECT_EQ(got.record.tail.rangeIndex, keepsRangeIndex(type) ? 3 : 0) << t;
        EXPECT_TRUE(got.running);
    }
}

TEST(StatusMessageTest, EveryCutOfAMessageKeepsWhatLiesBeyondIt) {
    for (DeviceType type : {DeviceType{1}, DeviceType{3}, DeviceType{22}, DeviceType{24}}) {
        AcquiredValues sent = valuesOf(type);
        sent.record.levels.assign(sent.record.levels.size(), 80.0);
        auto m = EncodeStatusMessage(sent);
        for (size_t cut = 0; cut <= m.size(); cut += 13) {
            AcquiredValues got = valuesOf(type);
            got.record.levels.assign(got.record.levels.size(), 7.0);
            ApplyStatusMessage(std::span(m.data(), cut), got);
            const size_t block = resultBlockOffset(statusLayout(type));
            const size_t whole = cut < block ? 0 : (cut - block) / 2;  // complete result words in the cut
            ASSERT_EQ(got.record.levels.size(), sent.record.levels.size());
            for (size_t i = 0; i < got.record.levels.size(); ++i) {
                if (type == 22 && isSkippedFieldStrengthWord(static_cast<int>(i))) continue;
                ASSERT_EQ(got.record.levels[i], i < whole ? 80.0 : 7.0)
                    << type << " cut " << cut << " word " << i;
            }
        }
    }
}

TEST(StatusMessageTest, FieldStrengthSkipsTheUnusedWords) {
    AcquiredValues v = valuesOf(22);
    std::vector<uint8_t> m(22 + 2 * v.record.levels.size(), 0);
    put16(m, 0, 22);
    for (size_t i = 0; i < v.record.levels.size(); ++i) put16(m, 22 + 2 * i, 0x0100);
    ApplyStatusMessage(m, v);
    EXPECT_DOUBLE_EQ(v.record.levels[179], 1.0);
    EXPECT_DOUBLE_EQ(v.record.levels[180], 0.0);
    EXPECT_DOUBLE_EQ(v.record.levels[198], 0.0);
    EXPECT_DOUBLE_EQ(v.record.levels[198 - 1], 1.0);
}

}  // namespace
}  // namespace k470
