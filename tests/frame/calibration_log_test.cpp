// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration log in the settings: entries as a user's settings file holds them, and the calibrated
// sensitivities that the raw-signal set-up takes while no preset governs.
#include <gtest/gtest.h>

#include <fstream>

#include "frame/calibration_log.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

TEST(CalibrationLog, ReadsWhatTheSettingsFileHoldsAndRefusesDamagedEntries) {
    test::TempDir dir;
    {
        std::ofstream f(dir.file("k470.ini"));
        f << "[calibration]\r\n"
             "date1=2024-05-17 10:20:30\r\nlevel1=94.00\r\nsensitivity1=1.0593\r\ndrift1=-0.25\r\n"
             "Date2=2024-05-17 10:20:30\r\nLevel2=114.00\r\nSensitivity2=2\r\nDrift2=\r\n"
             "Date3=17.05.2024 10:20\r\nLevel3=94\r\nSensitivity3=1\r\n"
             "StreamSensitivity1=1.0593\r\nStreamSensitivity2=-1\r\n";
    }
    SettingsStore store(dir.file("k470.ini"));
    auto one = LoadCalibration(store, 0);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->date.year, 2024);
    EXPECT_EQ(one->date.seconds, 30);
    EXPECT_EQ(one->level, 94.0);
    EXPECT_EQ(one->sensitivity, 1.0593);
    ASSERT_TRUE(one->driftDb);
    EXPECT_EQ(*one->driftDb, -0.25);
    auto two = LoadCalibration(store, 1);
    ASSERT_TRUE(two);
    EXPECT_FALSE(two->driftDb);               // the first calibration of the channel
    EXPECT_FALSE(LoadCalibration(store, 2));  // a date in another layout
    EXPECT_EQ(LoadStreamSensitivities(store), (StreamSensitivities{1.0593, 0.0, 0.0}));

    // Written back, an entry reads the same, its sensitivity to the last digit.
    CalibrationEntry e{{2025, 1, 2, 3, 4, 5}, 93.8, 0.1 + 0.2, 0.37};
    ASSERT_TRUE(SaveCalibration(store, 2, e));
    auto back = LoadCalibration(store, 2);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->dateText(), "2025-01-02 03:04:05");
    EXPECT_EQ(back->sensitivity, 0.1 + 0.2);
    EXPECT_NEAR(*back->driftDb, 0.37, 1e-12);
}

TEST(CalibrationLog, CalibratedSensitivitiesApplyOnlyWithoutAPreset) {
    SignalState state;
    const StreamSensitivities s{2.0, 0.0, 0.5};
    ApplyStreamSensitivities(state, s);
    EXPECT_EQ(state.channels[0].sensitivity, 2.0);
    EXPECT_EQ(state.channels[1].sensitivity, 1.0);  // never calibrated: as the set-up left it
    EXPECT_EQ(state.channels[2].sensitivity, 0.5);
    SignalState governed;
    governed.presetActive = true;
    ApplyStreamSensitivities(governed, s);
    EXPECT_EQ(governed.channels[0].sensitivity, 1.0);
}

}  // namespace
}  // namespace k470::app
