// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/channel_setup.h"

#include <gtest/gtest.h>

#include <cmath>

namespace k470 {
namespace {

ChannelSetupSource instrument(DeviceType type, int range) {
    ChannelSetupSource s;
    s.deviceType = type;
    s.rangeIndex = range;
    s.deviceCalibrationOffset = 2.0;
    s.channelCalibrationOffsets = {1.0, -1.0, 3.0};
    return s;
}

TEST(ChannelSetup, DefaultsByDeviceType) {
    struct Case {
        DeviceType type;
        int range;
        const char* units;
        double reference;
        double sensitivity;
        std::array<double, 3> offsets;
        bool identity;
        int highPass;
        double scale;
    };
    const double down = std::pow(10.0, 0.75);
    const Case cases[] = {
        {1, 0, "m/c^2", 1e-06, 1.0, {1.0, -1.0, 3.0}, true, 1, 0.000304465},
        {3, 1, "Pa", 2e-05, 0.02, {2.0, 2.0, 2.0}, false, 1, 0.00152635},
        {7, 0, "Pa", 2e-05, 0.02, {2.0, 2.0, 2.0}, false, 1, 0.00152635 * down},
        {8, 2, "Pa", 2e-05, 0.02, {2.0, 2.0, 2.0}, false, 1, 0.00020607438016528927},
        {10, 1, "m/c^2", 1e-06, 0.1, {1.0, 1.0, 1.0}, false, 1, 0.0004190877367896311},
        {19, 3, "mV", 0.001, 1.0, {2.0, 2.0, 2.0}, false, 1, 0.00059605},
        {20, 0, "mV", 0.001, 1.0, {1.0, -1.0, 3.0}, true, 1, 0.000304465},
        {21, 2, "Pa", 2e-05, 0.02, {2.0, 2.0, 2.0}, false, 1, 0.000304465},
        {23, 0, "mV", 0.001, 1.0, {2.0, 2.0, 2.0}, false, 1, 0.003933994884910486},
        {26, 0, "counts", 1.0, 1.0, {0.0, 0.0, 0.0}, true, 0, 1.0},  // raw counts until a preset scales them
        {4, 1, "m/c^2", 1e-06, 0.1, {1.0, 1.0, 1.0}, false, 1, 0.00077358},
        {99, 0, "m/c^2", 1e-06, 0.1, {1.0, 1.0, 1.0}, false, 1, 0.00077358 * down},
    };
    for (const Case& c : cases) {
        SignalState s;
        applyChannelSetup(s, instrument(c.type, c.range));
        SCOPED_TRACE(c.type);
        EXPECT_NEAR(s.sampleScale, c.scale, c.scale * 1e-12);
        EXPECT_EQ(s.highPassStep, c.highPass);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(s.channels[k].units, c.units);
            EXPECT_EQ(s.channels[k].referenceValue, c.reference);
            EXPECT_EQ(s.channels[k].sensitivity, c.sensitivity);
            EXPECT_EQ(s.channels[k].calibrationOffset, c.offsets[k]);
            EXPECT_EQ(s.channels[k].filterIndex, -1);
            for (int j = 0; j < 3; ++j) {
                const bool one = j == k && (c.identity || k == 0);
                EXPECT_EQ(s.channels[k].matrixRow[j], one ? 1.0 : 0.0);
            }
        }
    }
}

TEST(ChannelSetup, CalibrationFactorForChannelOneOrEveryChannel) {
    SignalState s;
    applyChannelSetup(s, instrument(3, 1));  // channel 1 only: the others keep their factor
    EXPECT_NEAR(s.channels[0].calibrationFactor, std::pow(10.0, -0.1), 1e-15);
    EXPECT_EQ(s.channels[1].calibrationFactor, 1.0);
    applyChannelSetup(s, instrument(1, 1));
    EXPECT_NEAR(s.channels[0].calibrationFactor, std::pow(10.0, -0.05), 1e-15);
    EXPECT_NEAR(s.channels[1].calibrationFactor, std::pow(10.0, 0.05), 1e-15);
    EXPECT_NEAR(s.channels[2].calibrationFactor, std::pow(10.0, -0.15), 1e-15);
}

TEST(ChannelSetup, RangeOutsideTheTablesKeepsTheScale) {
    SignalState s;
    s.sampleScale = 0.5;
    applyChannelSetup(s, instrument(8, 4));
    EXPECT_EQ(s.sampleScale, 0.5);
    applyChannelSetup(s, instrument(9, -1));
    EXPECT_EQ(s.sampleScale, 0.5);
}

TEST(ChannelSetup, TwoChannelMeterKeepsThePreviousInstrumentsSetUp) {
    SignalState s;
    applyChannelSetup(s, instrument(20, 0));
    const SignalState before = s;
    EXPECT_FALSE(applyChannelSetup(s, instrument(24, 2)));
    EXPECT_EQ(s.sampleScale, before.sampleScale);
    EXPECT_EQ(s.channels[1].units, "mV");
    EXPECT_EQ(s.channels[2].matrixRow, before.channels[2].matrixRow);
}

TEST(ChannelSetup, ActivePresetKeepsChannelsButTakesScaleAndFactor) {
    SignalState s;
    s.presetActive = true;
    s.channels[0].units = "V";
    s.channels[0].sensitivity = 5.0;
    s.channels[0].calibrationOffset = 20.0;
    s.channels[0].matrixRow = {0.5, 0.5, 0.0};
    s.channels[0].filterIndex = 2;
    applyChannelSetup(s, instrument(3, 1));
    EXPECT_EQ(s.channels[0].units, "V");
    EXPECT_EQ(s.channels[0].sensitivity, 5.0);
    EXPECT_EQ(s.channels[0].filterIndex, 2);
    EXPECT_EQ(s.channels[0].matrixRow[1], 0.5);
    EXPECT_EQ(s.sampleScale, 0.00152635);
    EXPECT_NEAR(s.channels[0].calibrationFactor, 0.1, 1e-15);
}

TEST(ChannelSetup, ReplayTakesUnitsAndReferencesFromTheFile) {
    SdtHeader h;
    h.units = {u"Pa", u"mV", u"m/c^2"};
    h.referenceValue = {2e-05, 0.001, 1e-06};
    SignalState s;
    s.sampleScale = 0.25;
    s.highPassStep = 5;
    ChannelSetupSource src = instrument(3, 0);
    src.replayedFile = &h;
    applyChannelSetup(s, src);
    EXPECT_EQ(s.sampleScale, 0.25);  // not changed while replaying
    EXPECT_EQ(s.highPassStep, 1);
    EXPECT_EQ(s.channels[1].units, "mV");
    EXPECT_EQ(s.channels[2].referenceValue, 1e-06);
    EXPECT_EQ(s.channels[2].matrixRow, (std::array<double, 3>{0, 0, 1}));
    EXPECT_EQ(s.channels[0].calibrationOffset, 2.0);
    EXPECT_EQ(s.channels[1].label, "channel 2, ref: 0.001 [mV]");
}

TEST(ChannelSetup, LabelsChangeOnlyWhenTheirTextChanges) {
    SignalState s;
    EXPECT_TRUE(applyChannelSetup(s, instrument(3, 1)));
    EXPECT_EQ(s.channels[0].label, "channel 1, ref: 2e-05 [Pa]");
    EXPECT_FALSE(applyChannelSetup(s, instrument(6, 0)));  // same units and references
    EXPECT_TRUE(applyChannelSetup(s, instrument(19, 0)));
    EXPECT_EQ(s.channels[2].label, "channel 3, ref: 0.001 [mV]");
}

}  // namespace
}  // namespace k470
