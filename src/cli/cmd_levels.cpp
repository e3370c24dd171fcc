// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli levels: the sound levels of a signal (a .sdt record or a WAV/FLAC), interval by interval, as
// sound-level records in a .bin file or as CSV on standard output.
#include <cmath>
#include <cstdio>
#include <string>

#include "acoustics/acoustics_words.h"
#include "acoustics/level_csv.h"
#include "acoustics/level_recorder.h"
#include "acoustics/level_records_file.h"
#include "base/file.h"
#include "base/number_format.h"
#include "base/safe_write.h"
#include "cli/cli_command.h"
#include "cli/signal_cli_support.h"
#include "cli/signal_input_args.h"
#include "data/bin_file.h"

namespace k470::cli {

namespace {

using acoustics::IntervalLevels;

// Where the intervals go when they are written as CSV lines on standard output.
struct CsvOutput {
    File out = File::StandardOutput();
    TextWriter csv{out};
    bool headerWritten = false;
};

// Notes on standard error about what the levels of a record mean, once per file.
void noteInput(const acoustics::SignalDescription& d, const acoustics::OctaveFilterBank& bank, bool& noted) {
    if (noted) return;
    noted = true;
    if (d.fullScale) printError(acoustics::message(Word::LevelsReFullScale));
    if (!d.acoustic()) printError(acoustics::message(Word::ZWeightedOnly, {d.units}));
    if (!bank.missingBands().empty())
        printError(acoustics::message(Word::BandsAboveNyquist,
                                      {formatGeneral(bank.missingBands().front().midband(), 5)}));
}

Status csvOfRecord(const std::string& path, const SignalInputArgs& a, int record, double interval,
                   CsvOutput& o, bool& noted, ProgressLine& progress, uint32_t nth, uint32_t count) {
    acoustics::SignalInputOptions options = a.input;
    options.record = record;
    auto in = acoustics::SignalInput::Open(path, options);
    if (!in) return in.error();
    const acoustics::SignalDescription& d = in->description();
    auto recorder = acoustics::LevelRecorder::Create(d, interval);
    if (!recorder) return recorder.error();
    noteInput(d, recorder->analyser().bank(), noted);
    if (!o.headerWritten) {
        o.csv.write(acoustics::LevelsCsvHeader(recorder->analyser().bandIds()));
        o.headerWritten = true;
    }
    return recorder->run(
        *in,
        [&](const IntervalLevels& l) -> Status {
            acoustics::AppendLevelsCsvRow(o.csv.buffer(), l);
            o.csv.maybeFlush();
            return {};
        },
        [&](const acoustics::LevelProgress& p) {
            progress.update(nth, count,
                            static_cast<int>(100.0 * static_cast<double>(p.frames) /
                                             static_cast<double>(std::max<uint64_t>(1, p.total))));
            return true;
        });
}

}  // namespace

int runLevels(std::span<const std::string> args) {
    IntervalRun run;
    if (auto done = parseIntervalRun(commandNamed("levels"), args, run)) return *done;
    const std::string& path = run.path;
    bool noted = false;
    ProgressLine progress(path);
    if (!run.output.empty()) {
        acoustics::LevelRecordsJob job{path, run.input.input, run.records, run.interval, run.output};
        auto s = acoustics::writeLevelRecords(
            job,
            [&](const acoustics::LevelRecordsProgress& done) {
                progress.update(
                    done.record, done.records,
                    static_cast<int>(100.0 * static_cast<double>(done.within.frames) /
                                     static_cast<double>(std::max<uint64_t>(1, done.within.total))));
                return true;
            },
            [&](const acoustics::SignalDescription& d, const acoustics::LevelAnalyser& analyser) {
                noteInput(d, analyser.bank(), noted);
            });
        return reportRecordsWritten(s);
    }
    // A silent record is refused before anything is written, as the other analyses refuse it.
    for (int record : run.records) {
        acoustics::SignalInputOptions options = run.input.input;
        options.record = record;
        if (Status s = acoustics::checkHasSound(path, options); !s) {
            printError(path + ": " + describe(s.error()));
            return 1;
        }
    }
    CsvOutput o;
    for (size_t i = 0; i < run.records.size(); ++i) {
        Status s = csvOfRecord(path, run.input, run.records[i], run.interval, o, noted, progress,
                               static_cast<uint32_t>(i), static_cast<uint32_t>(run.records.size()));
        if (!s) {
            printError(path + ": " + describe(s.error()));
            return 1;
        }
    }
    if (!o.csv.flush()) {
        standardOutputFailed(o.csv.error());
        return 1;
    }
    return 0;
}

}  // namespace k470::cli
