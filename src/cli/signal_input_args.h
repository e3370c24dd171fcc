// SPDX-License-Identifier: GPL-3.0-or-later
// The options that the signal-analysis commands (levels, fft, rt60) share, and their reading into the
// options of a SignalInput:
//   --channel N            channel number from 1 (default 1)
//   --record N, --records all|LIST   records from 1 (default all)
//   --start SEC, --length SEC        a part of each record
//   --scale K              physical units (pascals) per full-scale unit of a sound file
//   --calibration F[:L]    the scale from a calibrator recording F at L dB (default 94.0) in its 1 kHz band
// A command passes signalInputOptions(its own options) as the options with a value to parseCommandArgs,
// then readSignalInputArgs(parsed).
#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "acoustics/signal_input.h"
#include "base/result.h"
#include "cli/cli_command.h"
#include "signal/sdt_conversion.h"

namespace k470::cli {

struct SignalInputArgs {
    acoustics::SignalInputOptions input;  // record is set per record by the command
    RecordSelection records = RecordSelection::All();
};

// The shared options followed by the command's own options that take a value.
std::vector<std::string_view> signalInputOptions(std::initializer_list<std::string_view> own = {});

// Fails with the text of a usage error.
Result<SignalInputArgs> readSignalInputArgs(const ParsedArgs& parsed);

// The shortest interval of a log of intervals: below it the rows only repeat the fastest running values
// (125 ms) and the output grows without telling more (1 ns made 1.2 GB of records from 3 MB of signal).
constexpr double kShortestIntervalSeconds = 0.1;
// --interval SEC: 0 (one interval per record) or from kShortestIntervalSeconds (default 1 s); fails with
// the text of a usage error.
Result<double> readIntervalArg(const ParsedArgs& parsed);

// The command line of an analysis of the records of a signal interval by interval (levels, infrasound):
// [--interval SEC] [the shared options] (-o OUT.bin | --csv) FILE.
struct IntervalRun {
    std::string path;
    std::string output;  // empty: CSV on standard output
    double interval = 1.0;
    SignalInputArgs input;
    std::vector<int> records;  // the selected records, from 1
};
// Reads it into run; the exit code when the command ends here (help, a usage error, an unreadable file).
std::optional<int> parseIntervalRun(const Command& self, std::span<const std::string> args, IntervalRun& run);

// The selected record numbers (from 1) of a file; fails when the file cannot be read or a selected record
// does not exist.
Result<std::vector<int>> selectedRecords(const std::string& path, const RecordSelection& selection);

}  // namespace k470::cli
