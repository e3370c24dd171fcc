// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "frame/application_state.h"
#include "frame/calibration_log.h"
#include "signal/processor_preset.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

acoustics::CalibrationCheck checkGiving(double sensitivity) {
    acoustics::CalibrationCheck c;
    c.newSensitivity = sensitivity;
    return c;
}

// An accepted calibration changes the channel where its set-up keeps it: without a preset in the
// settings' stream sensitivities, with one in the preset and its file; the log gets the entry and the drift.
TEST(Calibration, AppliedWhereTheChannelSetUpKeepsItAndLoggedWithItsDrift) {
    test::TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    ApplicationState app(store, dir.file("data"));
    const CalendarTime when{2026, 12, 11, 10, 20, 30};

    ASSERT_TRUE(ApplyCalibration(app, 1, checkGiving(2.0), 94.0, when).ok());
    EXPECT_EQ(app.signalState().channels[1].sensitivity, 2.0);
    EXPECT_EQ(LoadStreamSensitivities(store)[1], 2.0);
    auto first = LoadCalibration(store, 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->dateText(), "2026-12-11 10:20:30");
    EXPECT_EQ(first->level, 94.0);
    EXPECT_FALSE(first->driftDb);  // nothing to drift from

    const double louder = 2.0 * std::pow(10.0, 0.5 / 20.0);
    ASSERT_TRUE(ApplyCalibration(app, 1, checkGiving(louder), 114.0, when).ok());
    auto second = LoadCalibration(store, 1);
    ASSERT_TRUE(second && second->driftDb);
    EXPECT_NEAR(std::fabs(*second->driftDb), 0.5, 1e-9);
    EXPECT_EQ(second->level, 114.0);

    // With a preset active the preset keeps it, written to the presets file; the stream's stays.
    ProcessorPreset mine;
    mine.name = u"Mine";
    app.presets().push_back(mine);
    app.signalState().presetActive = true;
    app.signalState().presetName = "Mine";
    ASSERT_TRUE(ApplyCalibration(app, 0, checkGiving(3.0), 94.0, when).ok());
    EXPECT_EQ(app.presets().back().sensitivity[0], 3.0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("data") + "/" + kPresetFileName));
    EXPECT_EQ(LoadStreamSensitivities(store)[0], 0.0);
    EXPECT_EQ(app.signalState().channels[0].sensitivity, 3.0);
}

}  // namespace
}  // namespace k470::app
