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

// The selected record numbers (from 1) of a file; fails when the file cannot be read or a selected record
// does not exist.
Result<std::vector<int>> selectedRecords(const std::string& path, const RecordSelection& selection);

}  // namespace k470::cli
