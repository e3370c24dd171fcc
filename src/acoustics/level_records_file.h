// SPDX-License-Identifier: GPL-3.0-or-later
// The sound-level records of records of a signal file written to a .bin file: every chosen record of the
// signal runs through a LevelRecorder and each interval becomes a record of the file. The file takes its
// name only when complete, so a cancelled or failed run leaves nothing behind (and an earlier file of that
// name stays as it was).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "acoustics/level_recorder.h"
#include "acoustics/signal_input.h"
#include "base/result.h"

namespace k470::acoustics {

// Progress of an analysis of records: the record (from 1), the frames of it done and its frames; returning
// false cancels.
using RecordProgressFn = std::function<bool(int record, uint64_t frames, uint64_t total)>;

struct LevelRecordsProgress {
    uint32_t record = 0;   // the record being analysed, from 0 among those chosen
    uint32_t records = 0;  // records chosen
    LevelProgress within;  // frames of that record
    // 0..100 of the whole run.
    int percent() const;
};
// Called now and then; returning false cancels.
using LevelRecordsProgressFn = std::function<bool(const LevelRecordsProgress&)>;
// Called when a record's input is open, before it is analysed (to note what its levels mean).
using LevelRecordsInputFn = std::function<void(const SignalDescription&, const LevelAnalyser&)>;

struct LevelRecordsJob {
    std::string input;             // a .sdt signal file or a sound file
    SignalInputOptions options;    // channel, scale or calibration; the record is set per record
    std::vector<int> records;      // record numbers from 1; empty: every record of the file
    double intervalSeconds = 1.0;  // 0: one record per signal record
    std::string output;            // the .bin file
};

// What a run wrote.
struct LevelRecordsWritten {
    uint64_t records = 0;
    uint64_t flagged = 0;  // records holding a level beyond what a record holds (under-range or overload)
};

// What any analysis that turns the records of a signal file into measurement records shares: the chosen
// records, the output refused over an input, every record checked before anything is written, and a file
// that takes its name only when complete.
struct SignalRecordsTarget {
    std::string input;                     // the signal file
    std::vector<std::string> otherInputs;  // further files read (calibration recordings)
    std::vector<int> records;              // record numbers from 1; empty: every record of the file
    std::string output;                    // the .bin file
};

// Where one signal record's measurement records go: `append` stores a record stamped with the date and
// time given (see intervalStart; `now` stands in for a record without its own date).
struct MeasurementRecordSink {
    CalendarTime now;
    std::function<Status(const MeasurementRecord&, const CalendarTime&)> append;
};

// Runs `check` on every chosen record (a record that fails stops everything before the file is made), then
// `run` on each in turn (record number from 1, its position among those chosen). Counts the records appended
// and those flagged under-range or overloaded in any channel.
Result<LevelRecordsWritten> writeSignalRecords(
    const SignalRecordsTarget& target, const std::function<Status(int record)>& check,
    const std::function<Status(int record, uint32_t nth, const MeasurementRecordSink&)>& run);

// Fails on a bad input or output (the output is refused when it is one of the inputs), on a silent record,
// on the analysis's errors and on cancellation ("Cancelled").
Result<LevelRecordsWritten> writeLevelRecords(const LevelRecordsJob& job,
                                              const LevelRecordsProgressFn& progress = {},
                                              const LevelRecordsInputFn& onInput = {});

}  // namespace k470::acoustics
