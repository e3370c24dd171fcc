// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/signal_commands.h"

#include "base/number_format.h"
#include "data/dos_date_time.h"

namespace k470::views {

SignalRecordRows ListSignalRecords(const SdtContainer& file) {
    SignalRecordRows out;
    DirectoryWalk walk = file.walkEntries();
    const double rate = file.header().sampleRate;
    for (const IndexedEntry& e : walk.entries) {
        SignalRecordRow row;
        const CalendarTime t = unpackEntry(e.entry.date, e.entry.time);
        appendDate(row.date, t);
        appendTime(row.time, t);
        row.vin = formatHex8(e.entry.vin);
        // A file without a usable rate has no length to show.
        const double seconds = rate > 0 ? static_cast<double>(e.entry.frameCount) / rate : 0.0;
        row.length = formatFixed(seconds, 1);
        out.rows.push_back(std::move(row));
    }
    out.problem = std::move(walk.problem);
    return out;
}

RecordSelection SelectionOfRows(const std::vector<bool>& checked) {
    return RecordSelection{false, checked};
}

std::string ConversionProblemText(const ConversionReport& report) {
    std::string text;
    auto line = [&text](const std::string& s) {
        if (!text.empty()) text += '\n';
        text += s;
    };
    for (const Error& e : report.problems) line(e.message);
    for (const std::string& m : report.missing) line("Not written: " + m);
    return text;
}

}  // namespace k470::views
