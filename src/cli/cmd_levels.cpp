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

// The shortest interval of a level log: below it the rows only repeat the fast time weighting (125 ms) and
// the output grows without telling more (1 ns made 1.2 GB of records from 3 MB of signal).
constexpr double kShortestIntervalSeconds = 0.1;

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
    const Command& self = commandNamed("levels");
    static constexpr std::string_view kFlags[] = {"--csv"};
    const auto values = signalInputOptions({"--interval", "-o", "--output"});
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, values, p)) return *done;
    if (p.files.size() != 1) return usageError(self, "give exactly one signal file");
    const std::string output = p.outputPath();
    if (output.empty() == !p.has("--csv")) return usageError(self, "give either -o OUT.bin or --csv");
    double interval = 1.0;
    if (p.has("--interval") && (!parseDouble(p.value("--interval"), interval) || !std::isfinite(interval) ||
                                interval < 0.0 || (interval > 0.0 && interval < kShortestIntervalSeconds)))
        return usageError(
            self, "--interval takes 0 or a number of seconds from 0.1, not '" + p.value("--interval") + "'");
    auto a = readSignalInputArgs(p);
    if (!a) return usageError(self, a.error().message);
    const std::string& path = p.files[0];
    auto records = selectedRecords(path, a->records);
    if (!records) {
        printError(records.error());
        return 1;
    }

    bool noted = false;
    ProgressLine progress(path);
    if (!output.empty()) {
        acoustics::LevelRecordsJob job{path, a->input, *records, interval, output};
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
        if (!s) {
            printError(s.error());
            return 1;
        }
        if (s->flagged > 0) printError(acoustics::message(Word::LevelsOutsideRecord));
        return 0;
    }
    // A silent record is refused before anything is written, as the other analyses refuse it.
    for (int record : *records) {
        acoustics::SignalInputOptions options = a->input;
        options.record = record;
        if (Status s = acoustics::checkHasSound(path, options); !s) {
            printError(path + ": " + describe(s.error()));
            return 1;
        }
    }
    CsvOutput o;
    for (size_t i = 0; i < records->size(); ++i) {
        Status s = csvOfRecord(path, *a, (*records)[i], interval, o, noted, progress,
                               static_cast<uint32_t>(i), static_cast<uint32_t>(records->size()));
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
