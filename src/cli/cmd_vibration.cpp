// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli vibration: human vibration (whole-body or hand-arm) of a three-axis or one-axis acceleration
// signal, as the vibration meters' records, as CSV of the weighted values per interval, or as a summary
// with the daily exposure.
#include <cmath>
#include <string>

#include "acoustics/acoustics_words.h"
#include "acoustics/vibration_recorder.h"
#include "base/file.h"
#include "base/number_format.h"
#include "cli/cli_command.h"
#include "cli/signal_cli_support.h"
#include "cli/signal_input_args.h"

namespace k470::cli {

namespace {

using acoustics::VibrationJob;

// An exposure is a part of one day.
constexpr double kMaxExposureHours = 24.0;

Result<std::vector<int>> channelList(const std::string& text) {
    std::string error;
    auto s = parseRecordList(text, error);
    if (!s || s->all)
        return fail("--channels takes comma-separated channel numbers from 1 to 3, not '" + text + "'");
    std::vector<int> channels;
    for (uint32_t c = 0; c < s->flags.size(); ++c)
        if (s->flags[c]) channels.push_back(static_cast<int>(c) + 1);
    if (channels.empty() || channels.back() > 3)
        return fail("--channels takes comma-separated channel numbers from 1 to 3, not '" + text + "'");
    return channels;
}

struct ParsedJob {
    VibrationJob job;
    RecordSelection records;
};

// Reads the command's own options into the job; a usage error's text on failure.
Result<ParsedJob> readJob(const ParsedArgs& p) {
    for (std::string_view refused : {"--channel", "--calibration"})
        if (p.has(refused))
            return fail(std::string(refused) +
                        " does not go with vibration: give --channels, and --scale for a "
                        "signal that is not in m/s^2");
    auto a = readSignalInputArgs(p);
    if (!a) return a.error();
    VibrationJob job;
    job.options = a->input;
    if (p.has("--kind")) {
        auto kind = acoustics::vibrationKindNamed(p.value("--kind"));
        if (!kind) return fail("--kind takes whole-body or hand-arm, not '" + p.value("--kind") + "'");
        job.kind = *kind;
    }
    auto interval = readIntervalArg(p);
    if (!interval) return interval.error();
    job.intervalSeconds = *interval;
    if (p.has("--channels")) {
        auto c = channelList(p.value("--channels"));
        if (!c) return c.error();
        job.channels = *c;
    }
    job.input = p.files[0];
    return ParsedJob{job, a->records};
}

int writeCsv(const VibrationJob& job, ProgressLine& progress) {
    File out = File::StandardOutput();
    TextWriter csv(out);
    csv.write(acoustics::VibrationCsvHeader());
    for (int record : job.records) {
        Status s = acoustics::runVibration(
            job, record,
            [&](const acoustics::VibrationInterval& v) -> Status {
                acoustics::AppendVibrationCsvRows(csv.buffer(), v, job.kind);
                csv.maybeFlush();
                return {};
            },
            recordProgress(progress, job.records));
        if (!s) {
            printError(job.input + ": " + describe(s.error()));
            return 1;
        }
    }
    if (!csv.flush()) {
        standardOutputFailed(csv.error());
        return 1;
    }
    return 0;
}

int writeSummary(const VibrationJob& job, std::optional<double> exposure, ProgressLine& progress) {
    if (job.records.size() != 1) {
        printError("give one record for --summary, not " + std::to_string(job.records.size()));
        return 2;
    }
    auto whole = acoustics::measureVibration(job, job.records.front(), recordProgress(progress, job.records));
    if (!whole) {
        printError(job.input + ": " + describe(whole.error()));
        return 1;
    }
    printOut(acoustics::SummaryCsv(acoustics::vibrationSummary(*whole, job.kind, exposure)));
    return 0;
}

}  // namespace

int runVibration(std::span<const std::string> args) {
    const Command& self = commandNamed("vibration");
    static constexpr std::string_view kFlags[] = {"--csv", "--summary"};
    const auto values =
        signalInputOptions({"--kind", "--interval", "--channels", "--exposure", "-o", "--output"});
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, values, p)) return *done;
    if (p.files.size() != 1) return usageError(self, "give exactly one signal file");
    const std::string output = p.outputPath();
    if ((output.empty() ? 0 : 1) + (p.has("--csv") ? 1 : 0) + (p.has("--summary") ? 1 : 0) != 1)
        return usageError(self, "give one of -o OUT.bin, --csv and --summary");
    std::optional<double> exposure;
    if (p.has("--exposure")) {
        double hours = 0.0;
        if (!p.has("--summary")) return usageError(self, "--exposure goes with --summary");
        if (!parseDouble(p.value("--exposure"), hours) || !(hours > 0.0) || hours > kMaxExposureHours)
            return usageError(self, "--exposure takes hours a day, above 0 and at most 24, not '" +
                                        p.value("--exposure") + "'");
        exposure = hours;
    }
    auto parsed = readJob(p);
    if (!parsed) return usageError(self, parsed.error().message);
    VibrationJob* job = &parsed->job;
    auto records = selectedRecords(job->input, parsed->records);
    if (!records) {
        printError(records.error());
        return 1;
    }
    job->records = *records;
    ProgressLine progress(job->input);
    if (p.has("--csv")) return writeCsv(*job, progress);
    if (p.has("--summary")) return writeSummary(*job, exposure, progress);
    return reportRecordsWritten(
        acoustics::writeVibrationRecords(*job, output, recordProgress(progress, job->records)));
}

}  // namespace k470::cli
