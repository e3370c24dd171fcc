// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/record_range_average.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/byte_order.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

// Writes records whose every level word is the given level (dB) and whose VIN is the record number.
std::string writeLevels(const test::TempDir& dir, DeviceType type, std::initializer_list<double> levels) {
    std::vector<uint8_t> bytes;
    uint32_t vin = 1;
    for (double level : levels) {
        auto r = MeasurementRecord::blank(type).value();
        for (double& l : r.levels) l = level;
        r.header.vin = vin++;
        const RecordBytes b = r.encode();
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    const std::string path = dir.file("avg.bin");
    test::writeBytes(path, bytes);
    return path;
}

TEST(RecordRangeAverage, EnergyAverageOverTheRange) {
    test::TempDir dir;
    auto f = BinFile::Open(writeLevels(dir, 3, {60.0, 70.0, 40.0}));
    ASSERT_TRUE(f);
    auto avg = RecordRangeAverage(*f, 1, 2, 3);
    ASSERT_TRUE(avg);
    const double expected = 10 * std::log10((1e6 + 1e7) / 2);  // 67.40 dB
    EXPECT_NEAR(avg->levels[0], expected, 1e-9);
    EXPECT_NEAR(avg->levels[435], expected, 1e-9);
    EXPECT_EQ(avg->header.vin, 3u);  // header of the current record
}

TEST(RecordRangeAverage, RefusesRangesOutsideTheFile) {
    test::TempDir dir;
    auto f = BinFile::Open(writeLevels(dir, 3, {60.0, 70.0, 40.0}));
    ASSERT_TRUE(f);
    for (auto [first, last] : {std::pair{2, 2}, {3, 2}, {0, 2}, {2, 4}}) {
        auto avg = RecordRangeAverage(*f, first, last, 1);
        ASSERT_FALSE(avg) << first << ".." << last;
        EXPECT_EQ(avg.error().message, "Error in parameters");
    }
    EXPECT_TRUE(RecordRangeAverage(*f, 1, 3, 1));
}

TEST(RecordRangeAverage, FieldMetersAverageOnlyTheFastWords) {
    test::TempDir dir;
    auto f = BinFile::Open(writeLevels(dir, 23, {50.0, 60.0}));
    ASSERT_TRUE(f);
    auto avg = RecordRangeAverage(*f, 1, 2, 1);
    ASSERT_TRUE(avg);
    const double fast = 10 * std::log10((1e5 + 1e6) / 2);
    EXPECT_NEAR(avg->levels[0], fast, 1e-9);    // band 0 Fast
    EXPECT_NEAR(avg->levels[2], fast, 1e-9);    // band 0 Fast max
    EXPECT_EQ(avg->levels[3], 60.0);            // Slow: the last record's value
    EXPECT_NEAR(avg->levels[192], fast, 1e-9);  // wide band Fast
    EXPECT_EQ(avg->levels[185], 0.0);           // skipped word
}

}  // namespace
}  // namespace k470
