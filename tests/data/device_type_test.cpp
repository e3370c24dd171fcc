// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/device_type.h"

#include <gtest/gtest.h>

namespace k470 {
namespace {

TEST(DeviceTypeTable, DimensionsOfEveryCode) {
    using G = ResultGroup;
    struct Row {
        DeviceType code;
        G group;
        int c, b, a, n;
        double reference;
    };
    const Row rows[] = {
        {1, G::Vibration, 3, 8, 9, 1348, 1e-6},       {2, G::Vibration, 3, 8, 2, 1348, 1e-6},
        {3, G::SoundLevel, 1, 10, 3, 440, 2e-5},      {4, G::Vibration, 1, 8, 9, 1348, 1e-6},
        {5, G::Vibration, 1, 8, 2, 1348, 1e-6},       {6, G::Infrasound, 1, 8, 4, 256, 2e-5},
        {7, G::Ultrasound, 1, 10, 1, 314, 2e-5},      {8, G::SoundLevel, 1, 10, 3, 440, 2e-5},
        {9, G::Vibration, 1, 8, 9, 1348, 1e-6},       {10, G::Vibration, 1, 8, 2, 1348, 1e-6},
        {11, G::Infrasound, 1, 8, 4, 256, 2e-5},      {12, G::Ultrasound, 1, 10, 1, 314, 2e-5},
        {19, G::SoundLevel, 1, 10, 3, 440, 2e-5},     {20, G::Vibration, 3, 8, 2, 1348, 1e-6},
        {21, G::SoundLevel, 1, 10, 3, 440, 2e-5},     {22, G::FieldStrength, 1, 30, 1, 203, 0.1},
        {23, G::FieldStrength, 1, 30, 1, 203, 0.001}, {24, G::LayoutOnly, 2, 10, 3, 804, 2e-5},
    };
    for (const Row& r : rows) {
        auto d = lookupRecordDimensions(r.code);
        ASSERT_TRUE(d) << r.code;
        EXPECT_EQ(d->group, r.group) << r.code;
        EXPECT_EQ(d->channels, r.c) << r.code;
        EXPECT_EQ(d->bands, r.b) << r.code;
        EXPECT_EQ(d->weightedCount, r.a) << r.code;
        EXPECT_EQ(d->wordCount, r.n) << r.code;
        EXPECT_EQ(d->referenceValue, r.reference) << r.code;
        EXPECT_EQ(d->wholeBody, r.code == 1 || r.code == 4 || r.code == 9) << r.code;
    }
    for (int code : {0, 13, 14, 15, 16, 17, 18, 25, 26, 27, 100, 65535})
        EXPECT_FALSE(lookupRecordDimensions(static_cast<DeviceType>(code))) << code;
}

// Facts beyond the dimensions, for every code 0..27 and one far beyond the table.
TEST(DeviceTypeTable, ChannelsReferencesAndCorrectionsOfEveryCode) {
    for (int code = 0; code <= 28; ++code) {
        const auto t = static_cast<DeviceType>(code == 28 ? 65535 : code);
        const bool vibration =
            code == 1 || code == 2 || code == 4 || code == 5 || code == 9 || code == 10 || code == 20;
        const double p0 = vibration ? 1e-6 : code == 22 ? 0.1 : code == 23 ? 0.001 : 2e-5;
        EXPECT_EQ(zeroDbReference(t), p0) << code;
        EXPECT_EQ(isThreeChannelType(t), code == 1 || code == 2 || code == 20) << code;
        const bool corrected = code == 3 || code == 8 || code == 13 || code == 19 || code == 21 || code == 24;
        EXPECT_EQ(hasSpectrumCorrections(t), corrected) << code;
    }
}

TEST(DeviceTypeTable, NamesOfDefinedAndUndefinedCodes) {
    EXPECT_EQ(deviceTypeName(13), "Sound level and spectrum meter, third series");
    EXPECT_EQ(deviceTypeName(22), "Electric field meter");
    EXPECT_EQ(deviceTypeName(27), "Unknown type");
}

}  // namespace
}  // namespace k470
