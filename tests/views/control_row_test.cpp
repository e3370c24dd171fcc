// SPDX-License-Identifier: GPL-3.0-or-later
// The control row of each kind of source, without a window: which controls show and what they read.
#include <gtest/gtest.h>

#include "views/control_row.h"

namespace k470::views {
namespace {

TEST(ControlRow, RecordFilesStepAndAverageOnlyWithMoreThanOneRecord) {
    RecordFileFacts one;
    one.current = one.count = 1;
    const ControlRow single = RecordFileRow(one);
    EXPECT_FALSE(single.recordStep.visible || single.recordPosition.visible);
    // The averaging controls keep their place, greyed.
    EXPECT_TRUE(single.average.visible);
    EXPECT_FALSE(single.average.enabled || single.averageFirst.enabled);
    EXPECT_FALSE(single.play.visible || single.startStop.visible || single.channel.visible);

    RecordFileFacts many;
    many.current = 3;
    many.count = 20;
    many.interval = "0:01:00";
    const ControlRow row = RecordFileRow(many);
    EXPECT_TRUE(row.recordStep.visible && row.recordStep.enabled);
    EXPECT_EQ(row.recordPosition.text, "3/20");
    // An untyped range is the whole file; a typed one stays as typed.
    EXPECT_EQ(row.averageFirst.text, "1");
    EXPECT_EQ(row.averageLast.text, "20");
    many.averageFirst = "2";
    many.averageLast = "";
    many.averaging = true;
    const ControlRow typed = RecordFileRow(many);
    EXPECT_EQ(typed.averageFirst.text, "2");
    EXPECT_EQ(typed.averageLast.text, "20");
    EXPECT_TRUE(typed.average.checked);
    EXPECT_EQ(typed.averageText.text, "0:01:00");

    many.channels = {"channel 1", "channel 2"};
    many.channelIndex = 5;  // out of the list: the first
    const ControlRow channels = RecordFileRow(many);
    EXPECT_TRUE(channels.channel.visible);
    EXPECT_EQ(channels.channelIndex, 0);
}

TEST(ControlRow, ReplayShowsItsControlsEnabledOnlyWhileAFileReplaysAndNamesThePreset) {
    ReplayFacts f;
    const ControlRow idle = ReplayRow(f);
    EXPECT_TRUE(idle.play.visible && idle.recordPosition.visible);
    EXPECT_FALSE(idle.play.enabled || idle.pause.enabled || idle.replayRange.enabled || idle.channel.visible);
    EXPECT_FALSE(idle.average.visible || idle.startStop.visible);

    f.active = true;
    f.paused = true;
    f.counter = "1/2";
    f.progress = 40;
    f.channels = {"ch1", "ch2"};
    f.channelIndex = 1;
    const ControlRow row = ReplayRow(f);
    EXPECT_TRUE(row.play.enabled && row.pause.enabled && row.replayRange.enabled && row.recordStep.enabled);
    EXPECT_TRUE(row.pause.checked);
    EXPECT_EQ(row.recordPosition.text, "1/2");
    EXPECT_EQ(row.progressValue, 40);
    EXPECT_EQ(row.channelIndex, 1);
    EXPECT_FALSE(row.preset.visible);
    f.preset = "Quiet";
    EXPECT_EQ(ReplayRow(f).preset.text, "Quiet");
    EXPECT_TRUE(ReplayRow(f).preset.visible);
}

TEST(ControlRow, InstrumentShowsStartStopChannelsAndTheRecordingState) {
    InstrumentFacts f;
    f.channels = {"channel 1", "channel 2", "channel 3"};
    f.running = true;
    const ControlRow row = InstrumentRow(f);
    EXPECT_TRUE(row.startStop.visible && row.startStop.checked && row.channel.visible);
    EXPECT_FALSE(row.marker.visible || row.armed.visible || row.average.visible || row.play.visible);

    struct Case {
        bool recording, armed;
        bool marker, armedShown;
    } cases[] = {{true, false, true, false}, {true, true, true, true}, {false, false, false, false}};
    for (const Case& c : cases) {
        f.recording = c.recording;
        f.armed = c.armed;
        const ControlRow r = InstrumentRow(f);
        EXPECT_EQ(r.marker.visible, c.marker) << c.recording << c.armed;
        EXPECT_EQ(r.armed.visible, c.armedShown) << c.recording << c.armed;
    }
}

TEST(ControlRow, NoSourceShowsOnlyTheGreyedAveragingAndTheBar) {
    const ControlRow row = NoSourceRow();
    EXPECT_TRUE(row.progress.visible && row.average.visible);
    EXPECT_FALSE(row.average.enabled || row.play.visible || row.startStop.visible || row.channel.visible ||
                 row.recordPosition.visible || row.preset.visible || row.armed.visible);
    EXPECT_EQ(PositionText(1, 12), "1/12");
}

}  // namespace
}  // namespace k470::views
