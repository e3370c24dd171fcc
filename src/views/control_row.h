// SPDX-License-Identifier: GPL-3.0-or-later
// The row of controls above the pages, as the open source wants it shown: which controls show, which are
// enabled, pressed, and what they read. Each kind of source states its facts; the window only applies the
// row to its widgets, so the rules live here and are tested without a window.
#pragma once

#include <string>
#include <vector>

namespace k470::views {

struct RowItem {
    bool visible = false;
    bool enabled = false;
    bool checked = false;
    std::string text;  // the value shown, where the control shows one
};

struct ControlRow {
    RowItem startStop;  // checked: the instrument reports that it runs
    RowItem recordStep;
    RowItem recordPosition;  // "3/20", or the replay counter
    RowItem averageFirst;    // the typed range of "Average"
    RowItem averageLast;
    RowItem average;      // checked while the average is shown
    RowItem averageText;  // the interval of the record shown
    RowItem progress;     // text: nothing; value in progressValue
    int progressValue = 0;
    RowItem play;
    RowItem pause;  // checked while paused
    RowItem replayRange;
    RowItem channel;  // the list in channels, the chosen entry in channelIndex
    std::vector<std::string> channels;
    int channelIndex = 0;
    RowItem preset;  // text: the active preset's name
    RowItem marker;
    RowItem armed;  // an autorecording waits for its external trigger
};

// Nothing open: only the (empty) averaging range and the progress bar are there.
ControlRow NoSourceRow();

struct RecordFileFacts {
    int current = 0;  // 1-based
    int count = 0;
    std::vector<std::string> channels;  // more than one: the list shows
    int channelIndex = 0;
    std::string interval;  // of the record shown
    bool averaging = false;
    std::string averageFirst;  // as typed; empty: preset to the whole file
    std::string averageLast;
};
ControlRow RecordFileRow(const RecordFileFacts& facts);

struct ReplayFacts {
    bool active = false;  // a record could be replayed
    bool paused = false;
    std::string counter;
    int progress = 0;  // percent of the record
    std::vector<std::string> channels;
    int channelIndex = 0;
    std::string preset;  // the active preset's name; empty: none
};
ControlRow ReplayRow(const ReplayFacts& facts);

struct InstrumentFacts {
    bool running = false;    // "Start/stop" pressed as the instrument reports
    bool recording = false;  // an autorecording is armed or active
    bool armed = false;      // it waits for the trigger
    int progress = 0;
    std::vector<std::string> channels;
    int channelIndex = 0;
    std::string preset;
};
ControlRow InstrumentRow(const InstrumentFacts& facts);

// "%d/%d": the current record and the count.
std::string PositionText(int current, int count);

}  // namespace k470::views
