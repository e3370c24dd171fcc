// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/control_row.h"

#include "base/number_format.h"

namespace k470::views {

namespace {

RowItem shown(bool enabled, std::string text = {}) {
    return RowItem{true, enabled, false, std::move(text)};
}

void showChannels(ControlRow& row, const std::vector<std::string>& channels, int index) {
    row.channel = shown(true);
    row.channels = channels;
    row.channelIndex = index >= 0 && index < static_cast<int>(channels.size()) ? index : 0;
}

void showPreset(ControlRow& row, const std::string& preset) {
    if (!preset.empty()) row.preset = shown(true, preset);
}

}  // namespace

std::string PositionText(int current, int count) {
    std::string s;
    appendInt(s, current);
    s += '/';
    appendInt(s, count);
    return s;
}

ControlRow NoSourceRow() {
    ControlRow row;
    // The averaging controls keep their place, greyed, so the row does not jump when a file opens.
    row.averageFirst = shown(false);
    row.averageLast = shown(false);
    row.average = shown(false);
    row.averageText = shown(false);
    row.progress = shown(false);
    return row;
}

ControlRow RecordFileRow(const RecordFileFacts& f) {
    ControlRow row = NoSourceRow();
    const bool records = f.count > 1;
    if (records) {
        row.recordStep = shown(true);
        row.recordPosition = shown(true, PositionText(f.current, f.count));
        // The averaging range is preset to the whole file and then left as the user typed it.
        row.averageFirst = shown(true, f.averageFirst.empty() ? std::string("1") : f.averageFirst);
        std::string count;
        appendInt(count, f.count);
        row.averageLast = shown(true, f.averageLast.empty() ? count : f.averageLast);
        row.average = shown(true);
        row.average.checked = f.averaging;
        row.averageText = shown(true, f.interval);
    }
    if (f.channels.size() > 1) showChannels(row, f.channels, f.channelIndex);
    return row;
}

ControlRow ReplayRow(const ReplayFacts& f) {
    ControlRow row;
    row.progress = shown(false);
    row.progressValue = f.active ? f.progress : 0;
    row.recordStep = shown(f.active);
    row.recordPosition = shown(f.active, f.active ? f.counter : std::string());
    row.play = shown(f.active);
    row.pause = shown(f.active);
    row.pause.checked = f.active && f.paused;
    row.replayRange = shown(f.active);
    if (f.active) showChannels(row, f.channels, f.channelIndex);
    showPreset(row, f.preset);
    return row;
}

ControlRow InstrumentRow(const InstrumentFacts& f) {
    ControlRow row;
    row.progress = shown(false);
    row.progressValue = f.progress;
    row.startStop = shown(true);
    row.startStop.checked = f.running;
    showChannels(row, f.channels, f.channelIndex);
    if (f.recording) row.marker = shown(true);
    if (f.armed) row.armed = shown(true);
    showPreset(row, f.preset);
    return row;
}

}  // namespace k470::views
