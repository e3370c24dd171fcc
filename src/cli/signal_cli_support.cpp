// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/signal_cli_support.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "acoustics/acoustics_words.h"
#include "cli/cli_command.h"

namespace k470::cli {

std::optional<RecordSelection> parseRecordList(const std::string& text, std::string& error) {
    if (text == "all") return RecordSelection::All();
    RecordSelection s;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::string_view item(text.data() + at, comma - at);
        uint32_t n = 0;
        auto r = std::from_chars(item.data(), item.data() + item.size(), n);
        if (item.empty() || r.ec != std::errc() || r.ptr != item.data() + item.size() || n == 0 ||
            n > (1u << 24)) {
            error =
                "bad record list '" + text + "': give 'all' or record numbers from 1, separated by commas";
            return std::nullopt;
        }
        if (s.flags.size() < n) s.flags.resize(n, false);
        s.flags[n - 1] = true;
        at = comma + 1;
    }
    return s;
}

bool checkRecordList(const std::string& path, const RecordSelection& selection) {
    if (selection.all) return true;
    auto sdt = SdtContainer::Open(path);
    if (!sdt) return true;  // the conversion reports it
    const size_t count = sdt->walkEntries().entries.size();
    for (size_t i = count; i < selection.flags.size(); ++i) {
        if (!selection.flags[i]) continue;
        printError(path + " has " + std::to_string(count) + " records; there is no record " +
                   std::to_string(i + 1));
        return false;
    }
    return true;
}

ProgressLine::~ProgressLine() {
    if (shown_) std::fputc('\n', stderr);
}

void ProgressLine::update(uint32_t record, uint32_t records, int percent) {
    // Redrawn with carriage returns, which only a terminal shows as one line.
    if (!showProgress() || (percent == last_ && record == lastRecord_)) return;
    if (!shown_ && std::chrono::steady_clock::now() - start_ < std::chrono::milliseconds(500)) return;
    last_ = percent;
    lastRecord_ = record;
    shown_ = true;
    std::fprintf(stderr, "\r%s: record %u of %u, %3d%%", what_.c_str(), record + 1, records, percent);
    std::fflush(stderr);
}

int convertEachFile(std::span<const std::string> files, const RecordSelection& selection,
                    const FileConversion& convert) {
    int code = 0;
    for (const std::string& path : files) {
        if (!checkInputs(std::span(&path, 1)) || !checkRecordList(path, selection)) {
            code = 1;
            continue;
        }
        ProgressLine line(path);
        auto report = convert(path, selection, [&](const ConversionProgress& pr) {
            line.update(pr.record, pr.records, pr.percent);
            return true;
        });
        if (!report) {
            printError(report.error());
            code = 1;
            continue;
        }
        code = std::max(code, reportConversion(*report));
    }
    return code;
}

int reportConversion(const ConversionReport& report) {
    for (const std::string& w : report.written) printOut(w + "\n");
    for (const Error& e : report.problems) printError(e);
    for (const std::string& m : report.missing) printError("missing: " + m);
    if (report.cancelled) printError("cancelled");
    return report.complete() ? 0 : 1;
}

std::function<bool(int record, uint64_t frames, uint64_t total)> recordProgress(
    ProgressLine& line, const std::vector<int>& records) {
    return [&line, &records](int record, uint64_t frames, uint64_t total) {
        uint32_t nth = 0;
        while (nth < records.size() && records[nth] != record) ++nth;
        line.update(nth, static_cast<uint32_t>(records.size()),
                    static_cast<int>(100.0 * static_cast<double>(frames) /
                                     static_cast<double>(std::max<uint64_t>(1, total))));
        return true;
    };
}

int reportRecordsWritten(const Result<acoustics::LevelRecordsWritten>& written) {
    if (!written) {
        printError(written.error());
        return 1;
    }
    if (written->flagged > 0) printError(acoustics::message(Word::LevelsOutsideRecord));
    return 0;
}

}  // namespace k470::cli
