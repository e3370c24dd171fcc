// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli rt60: reverberation times per band of one record as CSV.
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "acoustics/reverberation.h"
#include "acoustics/reverberation_table.h"
#include "cli/analysis_input.h"
#include "cli/cli_command.h"
#include "cli/signal_cli_support.h"

namespace k470::cli {

namespace {

void writeReverberation(const acoustics::ReverberationResult& r) {
    const std::string out = acoustics::ReverberationCsv(r);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int runRt60(std::span<const std::string> args) {
    const Command& self = commandNamed("rt60");
    const auto values = signalInputOptions({"--bands"});
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, {}, values, p)) return *done;
    if (p.files.size() != 1) return usageError(self, "give one file");
    auto inputArgs = readSignalInputArgs(p);
    if (!inputArgs) return usageError(self, inputArgs.error().message);
    const std::string bandsName = p.value("--bands", "octave");
    if (bandsName != "octave" && bandsName != "third")
        return usageError(self, "unknown bands '" + bandsName + "'");
    const auto bands =
        bandsName == "octave" ? acoustics::ReverberationBands::Octave : acoustics::ReverberationBands::Third;

    auto input = openAnalysisRecord(p.files.front(), *inputArgs);
    if (!input) return printError(input.error()), 1;
    if (Status s = acoustics::checkDecayLength(input->description().frames, input->description().sampleRate);
        !s)
        return printError(s.error()), 1;
    std::vector<double> samples;
    samples.reserve(input->description().frames);
    Status read = readAnalysisSamples(*input, "rt60 reading", [&](std::span<const double> s) {
        samples.insert(samples.end(), s.begin(), s.end());
    });
    if (!read) return printError(read.error()), 1;
    std::optional<ProgressLine> progress;
    if (isatty(STDERR_FILENO)) progress.emplace("rt60 bands");
    auto result =
        acoustics::AnalyzeReverberation(samples, input->description().sampleRate, bands, [&](double f) {
            if (progress) progress->update(0, 1, static_cast<int>(100.0 * f));
            return true;
        });
    progress.reset();
    if (!result) return printError(result.error()), 1;
    writeReverberation(*result);
    return 0;
}

}  // namespace k470::cli
