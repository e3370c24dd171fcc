// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's file-type rule for record files, read by a real shared-MIME-info reader (Qt's): record files
// are known by their content, whatever their name, and other files named .bin (firmware images, raw dumps)
// are not claimed.
#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <QString>

#include <random>
#include <string>
#include <vector>

#include "data/measurement_record.h"
#include "data/sample_records.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

constexpr const char* kRecords = "application/x-k470-records";
constexpr const char* kSignal = "application/x-k470-signal";

std::string typeOf(const std::string& path) {
    return QMimeDatabase().mimeTypeForFile(QString::fromStdString(path)).name().toStdString();
}

std::vector<uint8_t> sampleBytes(DeviceType type, int records = 1) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < records; ++i) {
        auto rec = makeSampleRecord({.type = type, .index = i});
        EXPECT_TRUE(rec) << "type " << type;
        if (!rec) return {};
        const RecordBytes one = rec->encode();
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

TEST(MimeRule, RecordFilesOfEveryLayoutAreKnownByContent) {
    test::TempDir dir;
    for (const int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 19, 20, 21, 22, 23, 24}) {
        const auto type = static_cast<DeviceType>(code);
        SCOPED_TRACE("type " + std::to_string(type));
        const std::string bin = dir.file("type" + std::to_string(type) + ".bin");
        test::writeBytes(bin, sampleBytes(type, 2));
        EXPECT_EQ(typeOf(bin), kRecords);
        // Copied off a card under another name, it is still a record file.
        const std::string noName = dir.file("TYPE" + std::to_string(type));
        test::writeBytes(noName, sampleBytes(type));
        EXPECT_EQ(typeOf(noName), kRecords);
    }
}

TEST(MimeRule, ARecordTakenWithAnIntervalRangeAndCharacterTableIsKnown) {
    test::TempDir dir;
    auto rec = makeSampleRecord({.type = 3});
    ASSERT_TRUE(rec);
    rec->tail = {.charTable = 3,
                 .intervalSeconds = 59,
                 .intervalMinutes = 255,
                 .intervalHours = 23,
                 .rangeIndex = 0xFFFF};
    const RecordBytes bytes = rec->encode();
    test::writeBytes(dir.file("taken.bin"), {bytes.begin(), bytes.end()});
    EXPECT_EQ(typeOf(dir.file("taken.bin")), kRecords);
}

// Files named .bin that are not records: each is a valid sound level record with one thing wrong, or no
// record at all.
TEST(MimeRule, OtherFilesNamedBinAreNotClaimed) {
    struct Case {
        const char* name;
        size_t offset;  // where the record is spoiled
        std::vector<uint8_t> bytes;
    };
    const size_t tail = kRecordHeaderSize + 2 * 440;  // a sound level record's tail
    const Case cases[] = {
        {"type_without_layout", 18, {13, 0}},         {"type_of_another_layout", 18, {1, 0}},
        {"unknown_type_code", 18, {27, 0}},           {"character_table_0", tail, {0, 0}},
        {"character_table_4", tail, {4, 0}},          {"interval_not_a_byte", tail + 4, {0, 1}},
        {"reserved_tail_word_set", tail + 2, {1, 0}}, {"last_result_word_set", tail - 2, {0, 1}},
        {"padding_not_zero", tail + 20, {0xFF}},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = sampleBytes(3);
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<ptrdiff_t>(c.offset));
        const std::string path = dir.file(std::string(c.name) + ".bin");
        test::writeBytes(path, bytes);
        EXPECT_NE(typeOf(path), kRecords);
    }
    std::mt19937 random(470);
    std::vector<uint8_t> firmware(64 * 1024);
    for (auto& b : firmware) b = static_cast<uint8_t>(random());
    test::writeBytes(dir.file("firmware.bin"), firmware);
    EXPECT_NE(typeOf(dir.file("firmware.bin")), kRecords);
    test::writeBytes(dir.file("erased_flash.bin"), std::vector<uint8_t>(8192, 0xFF));
    EXPECT_NE(typeOf(dir.file("erased_flash.bin")), kRecords);
    test::writeBytes(dir.file("zeros.bin"), std::vector<uint8_t>(8192, 0));
    EXPECT_NE(typeOf(dir.file("zeros.bin")), kRecords);
    test::writeBytes(dir.file("empty.bin"), {});
    EXPECT_NE(typeOf(dir.file("empty.bin")), kRecords);
}

TEST(MimeRule, SignalFilesAreKnownByTheirMagicOrName) {
    test::TempDir dir;
    std::vector<uint8_t> header(680, 0);
    std::copy_n("SDTA", 4, header.begin());
    test::writeBytes(dir.file("recording"), header);
    EXPECT_EQ(typeOf(dir.file("recording")), kSignal);
    test::writeBytes(dir.file("recording.sdt"), header);
    EXPECT_EQ(typeOf(dir.file("recording.sdt")), kSignal);
}

}  // namespace
}  // namespace k470
