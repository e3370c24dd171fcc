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

// Fails on a bad input or output (the output is refused when it is one of the inputs), on a silent record,
// on the analysis's errors and on cancellation ("Cancelled").
Result<LevelRecordsWritten> writeLevelRecords(const LevelRecordsJob& job,
                                              const LevelRecordsProgressFn& progress = {},
                                              const LevelRecordsInputFn& onInput = {});

}  // namespace k470::acoustics
