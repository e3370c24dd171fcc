// SPDX-License-Identifier: GPL-3.0-or-later
// The one record that the fft and rt60 commands analyse, opened from the shared signal options, and its
// samples read block by block with progress on a terminal.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "acoustics/signal_input.h"
#include "base/result.h"
#include "cli/signal_input_args.h"

namespace k470::cli {

// Opens the record given with --record (one number, default 1) of the file.
Result<acoustics::SignalInput> openAnalysisRecord(const std::string& path, const SignalInputArgs& args);

// Reads every sample of the input into sink. Progress goes to standard error only when it is a terminal.
// Fails on a read error or when every sample is zero.
Status readAnalysisSamples(acoustics::SignalInput& input, std::string_view what,
                           const std::function<void(std::span<const double>)>& sink);

// A CSV field as RFC 4180 writes it: quoted when it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);

}  // namespace k470::cli
