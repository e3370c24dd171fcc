// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli infrasound: the infrasound levels of a sound-pressure signal (G, Z and A weighted, octaves and
// 1/3-octaves, Slow and ESlow with minima and maxima, Leq), interval by interval, as the infrasound meters'
// records in a .bin file or as CSV on standard output.
#include <cmath>
#include <string>

#include "acoustics/acoustics_words.h"
#include "acoustics/infrasound_levels.h"
#include "base/file.h"
#include "base/number_format.h"
#include "cli/cli_command.h"
#include "cli/signal_cli_support.h"
#include "cli/signal_input_args.h"

namespace k470::cli {

namespace {

int writeCsv(const std::string& path, const SignalInputArgs& a, const std::vector<int>& records,
             double interval, ProgressLine& progress) {
    for (int record : records) {
        acoustics::SignalInputOptions options = a.input;
        options.record = record;
        options.rates = acoustics::kInfrasoundRates;
        if (Status s = acoustics::checkHasSound(path, options); !s) {
            printError(path + ": " + describe(s.error()));
            return 1;
        }
    }
    File out = File::StandardOutput();
    TextWriter csv(out);
    csv.write(acoustics::InfrasoundCsvHeader());
    for (int record : records) {
        acoustics::SignalInputOptions options = a.input;
        options.record = record;
        Status s = acoustics::runInfrasound(
            path, options, interval,
            [&](const acoustics::InfrasoundInterval& v,
                const std::vector<acoustics::BandId>& bands) -> Status {
                acoustics::AppendInfrasoundCsvRows(csv.buffer(), v, bands);
                csv.maybeFlush();
                return {};
            },
            recordProgress(progress, records));
        if (!s) {
            printError(path + ": " + describe(s.error()));
            return 1;
        }
    }
    if (!csv.flush()) {
        standardOutputFailed(csv.error());
        return 1;
    }
    return 0;
}

}  // namespace

int runInfrasound(std::span<const std::string> args) {
    IntervalRun run;
    if (auto done = parseIntervalRun(commandNamed("infrasound"), args, run)) return *done;
    const std::string& path = run.path;
    const std::vector<int>& records = run.records;
    ProgressLine progress(path);
    if (run.output.empty()) return writeCsv(path, run.input, records, run.interval, progress);
    return reportRecordsWritten(acoustics::writeInfrasoundRecords(
        path, run.input.input, records, run.interval, run.output, recordProgress(progress, records)));
}

}  // namespace k470::cli
