// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli fft: the averaged spectrum of one record as CSV.
#include <cstdio>
#include <string>

#include "acoustics/acoustics_words.h"
#include "acoustics/fft_analysis.h"
#include "base/number_format.h"
#include "cli/analysis_input.h"
#include "cli/cli_command.h"

namespace k470::cli {

namespace {

Result<acoustics::FftParameters> fftParameters(const ParsedArgs& p) {
    acoustics::FftParameters f;
    if (p.has("--size")) {
        double size = 0.0;
        if (!parseDouble(p.value("--size"), size) || size < 1.0 || size > 1e9 ||
            size != static_cast<size_t>(size))
            return fail("--size takes a power of two from 256 to 65536, not '" + p.value("--size") + "'");
        f.size = static_cast<size_t>(size);
    }
    if (p.has("--window") && !acoustics::parseFftWindow(p.value("--window"), f.window))
        return fail("unknown window '" + p.value("--window") + "'");
    if (p.has("--average") && !acoustics::parseSpectrumAveraging(p.value("--average"), f.averaging))
        return fail("unknown averaging '" + p.value("--average") + "'");
    if (p.has("--overlap") && !parseDouble(p.value("--overlap"), f.overlapPercent))
        return fail("--overlap takes a percentage, not '" + p.value("--overlap") + "'");
    if (p.has("--psd")) f.scaling = acoustics::SpectrumScaling::PowerDensity;
    if (Status s = acoustics::checkFftParameters(f); !s) return s.error();
    return f;
}

}  // namespace

int runFft(std::span<const std::string> args) {
    const Command& self = commandNamed("fft");
    static constexpr std::string_view kFlags[] = {"--psd"};
    const auto values = signalInputOptions({"--size", "--window", "--overlap", "--average"});
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, values, p)) return *done;
    if (p.files.size() != 1) return usageError(self, "give one file");
    auto inputArgs = readSignalInputArgs(p);
    if (!inputArgs) return usageError(self, inputArgs.error().message);
    auto parameters = fftParameters(p);
    if (!parameters) return usageError(self, parameters.error().message);

    auto input = openAnalysisRecord(p.files.front(), *inputArgs);
    if (!input) return printError(input.error()), 1;
    const auto& d = input->description();
    if (d.frames < parameters->size) {
        printError(acoustics::message(Word::FftSizeAboveSignal,
                                      {std::to_string(parameters->size), std::to_string(d.frames)}));
        return 1;
    }
    if (d.fullScale) printError(acoustics::message(Word::LevelsReFullScale));
    auto analyzer = acoustics::FftAnalyzer::create(*parameters, d.sampleRate);
    if (!analyzer) return printError(analyzer.error()), 1;
    Status read = readAnalysisSamples(*input, "fft", [&](std::span<const double> s) { analyzer->push(s); });
    if (!read) return printError(read.error()), 1;
    const std::string csv = acoustics::SpectrumCsv(*analyzer, d.referenceValue);
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    return 0;
}

}  // namespace k470::cli
