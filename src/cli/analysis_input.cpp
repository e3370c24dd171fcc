// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/analysis_input.h"

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "acoustics/acoustics_words.h"
#include "cli/signal_cli_support.h"

namespace k470::cli {

Result<acoustics::SignalInput> openAnalysisRecord(const std::string& path, const SignalInputArgs& args) {
    acoustics::SignalInputOptions options = args.input;
    if (!args.records.all) {
        auto records = selectedRecords(path, args.records);
        if (!records) return records.error();
        if (records->size() != 1)
            return fail("give one record to analyse, not " + std::to_string(records->size()));
        options.record = records->front();
    }
    return acoustics::SignalInput::Open(path, options);
}

Status readAnalysisSamples(acoustics::SignalInput& input, std::string_view what,
                           const std::function<void(std::span<const double>)>& sink) {
    constexpr size_t kBlock = 65536;
    std::vector<double> block(kBlock);
    std::optional<ProgressLine> progress;
    if (isatty(STDERR_FILENO)) progress.emplace(std::string(what));
    const uint64_t total = input.description().frames;
    while (true) {
        auto n = input.read(block);
        if (!n) return n.error();
        if (*n == 0) break;
        const std::span<const double> got(block.data(), *n);
        sink(got);
        if (progress && total > 0) progress->update(0, 1, static_cast<int>(100 * input.framesRead() / total));
    }
    if (!input.heardSound()) return fail(acoustics::message(Word::SignalSilent));
    return {};
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

}  // namespace k470::cli
