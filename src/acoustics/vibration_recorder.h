// SPDX-License-Identifier: GPL-3.0-or-later
// The vibration of the records of a signal file: the chosen channels of a record opened together (each a
// SignalInput with the shared options), checked to be accelerations at a rate the kind takes, and run
// through a VibrationAnalyser; its intervals become records of a .bin file, CSV lines, or one summary.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "acoustics/level_records_file.h"
#include "acoustics/signal_input.h"
#include "acoustics/vibration_analyser.h"
#include "acoustics/vibration_records.h"
#include "base/result.h"

namespace k470::acoustics {

struct VibrationJob {
    std::string input;           // a .sdt signal file or a sound file
    SignalInputOptions options;  // start, length, scale; channel and record are set per input
    VibrationKind kind = VibrationKind::WholeBody;
    std::vector<int> channels;     // from 1; empty: every channel of the file (at most three)
    std::vector<int> records;      // from 1; empty: every record of the file
    double intervalSeconds = 1.0;  // 0: one interval per record
};

using VibrationProgressFn = RecordProgressFn;

// The channels of one record, read in step.
class VibrationInput {
  public:
    // Fails when a channel is missing or not an acceleration (without a scale), the rate is outside what
    // the kind takes, or the record cannot be read as SignalInput::Open says.
    static Result<VibrationInput> Open(const VibrationJob& job, int record);
    const SignalDescription& description() const { return inputs_.front().description(); }
    const std::vector<int>& channels() const { return channels_; }
    // Fills one block per channel; the frames read (the same for all), 0 at the end.
    Result<size_t> read(std::vector<std::vector<double>>& blocks);
    uint64_t framesRead() const { return inputs_.front().framesRead(); }

  private:
    std::vector<SignalInput> inputs_;
    std::vector<int> channels_;
};

// Runs a record through the analyser of the job; intervals are timed from the start of the record.
Status runVibration(const VibrationJob& job, int record, const VibrationIntervalFn& onInterval,
                    const VibrationProgressFn& progress = {});

// The records of the job's intervals, for every chosen record, written to a .bin file.
Result<LevelRecordsWritten> writeVibrationRecords(const VibrationJob& job, const std::string& output,
                                                  const VibrationProgressFn& progress = {});

// A record measured as one interval, for its summary.
Result<VibrationInterval> measureVibration(const VibrationJob& job, int record,
                                           const VibrationProgressFn& progress = {});

}  // namespace k470::acoustics
