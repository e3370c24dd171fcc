// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/report.h"

#include <algorithm>

#include "base/byte_order.h"
#include "base/number_format.h"
#include "base/path_util.h"
#include "base/text_encoding.h"
#include "data/bin_file.h"

namespace k470 {

uint32_t reportColumnCode(const LevelSelection& s) {
    auto byte = [](int v) { return static_cast<uint32_t>(v) & 0xFFu; };
    return byte(s.table) | byte(s.parameter) << 8 | byte(s.band) << 16 | byte(s.channel) << 24;
}

LevelSelection reportColumnSelection(uint32_t code) {
    return {static_cast<int>(code & 0xFF), static_cast<int>((code >> 8) & 0xFF),
            static_cast<int>((code >> 16) & 0xFF), static_cast<int>(code >> 24)};
}

std::string reportColumnName(DeviceType type, const LevelSelection& s) {
    std::string name = levelChoiceText(levelTableChoices(type), s.table);
    name += ", ";
    name += levelChoiceText(levelParameterChoices(type, s.table), s.parameter);
    name += ", ";
    name += levelChoiceText(levelBandChoices(type, s.table), s.band);
    const auto channels = levelChannelChoices(type);
    if (!channels.empty()) {
        name += ", ";
        name += levelChoiceText(channels, s.channel);
    }
    return name;
}

ReportColumn makeReportColumn(DeviceType type, const LevelSelection& s) {
    return {reportColumnCode(s), reportColumnName(type, s)};
}

bool ReportColumnList::contains(uint32_t code) const {
    return std::any_of(columns_.begin(), columns_.end(),
                       [&](const ReportColumn& c) { return c.code == code; });
}

bool ReportColumnList::Add(ReportColumn column) {
    if (contains(column.code)) return false;
    columns_.push_back(std::move(column));
    return true;
}

int ReportColumnList::All(DeviceType type, int table, int parameter, int channel) {
    int added = 0;
    for (const LevelChoice& band : levelBandChoices(type, table))
        if (Add(makeReportColumn(type, {table, parameter, band.number, channel}))) ++added;
    return added;
}

int ReportColumnList::Delete(int index) {
    const int count = static_cast<int>(columns_.size());
    if (index < 0 || index >= count) return std::min(index, count - 1);
    columns_.erase(columns_.begin() + index);
    return std::min(index, count - 2);
}

int ReportColumnList::MoveUp(int index) {
    if (index <= 0 || index >= static_cast<int>(columns_.size())) return index;
    std::swap(columns_[static_cast<size_t>(index)], columns_[static_cast<size_t>(index - 1)]);
    return index - 1;
}

int ReportColumnList::MoveDown(int index) {
    if (index < 0 || index + 1 >= static_cast<int>(columns_.size())) return index;
    std::swap(columns_[static_cast<size_t>(index)], columns_[static_cast<size_t>(index + 1)]);
    return index + 1;
}

std::string reportColumnLabel(DeviceType type, const ReportColumn& column, bool frequencyNamesOnly) {
    if (!frequencyNamesOnly) return column.name;
    const LevelSelection s = reportColumnSelection(column.code);
    if (const auto centre = bandCentreFrequency(type, s.table, s.band)) return formatGeneral(*centre, 6);
    return weightingName(type, s.band);
}

namespace {

constexpr const char* kCancelled = "The report was cancelled";
constexpr long long kRecordsPerProgress = 1024;
constexpr const char* kEol = "\r\n";

// The report's lines as they grow record by record, one field of each record on each line.
struct ReportLines {
    std::string fileNames, dates, times, vins, intervals;
    std::vector<std::string> columns;
    std::vector<size_t> offsets;  // each column's level word within a record

    ReportLines(const FileSet& files, std::span<const ReportColumn> chosen, const ReportSwitches& switches) {
        const Lexicon& words = lexicon();
        const CodePage cp = words.codePage();
        fileNames = words.encoded(Word::Filename) + "; ";
        dates = words.encoded(Word::Date) + "; ";
        times = words.encoded(Word::Time) + "; ";
        vins = "VIN; ";
        intervals = words.encoded(Word::Interval) + "; ";
        for (const ReportColumn& c : chosen) {
            columns.push_back(toCodePage(reportColumnLabel(files.type, c, switches.frequencyNamesOnly), cp) +
                              "; ");
            offsets.push_back(
                static_cast<size_t>(levelWordOffset(files.type, reportColumnSelection(c.code))));
        }
    }

    // `name` is the record's file name with its separator.
    void add(const std::string& name, std::span<const uint8_t, kRecordSize> bytes, DeviceType type) {
        const RecordHeader header = RecordHeader::decode(bytes.data());
        const CalendarTime when = header.dateTime();
        fileNames += name;
        appendDate(dates, when);
        dates += "; ";
        appendTime(times, when);
        times += "; ";
        appendHex8(vins, header.vin);
        vins += "; ";
        // The tail lies behind the result words of the set's type; a type without a layout has none.
        RecordTail tail;
        if (const auto d = lookupRecordDimensions(type))
            tail = RecordTail::decode(bytes.data() + kRecordHeaderSize + 2 * d->wordCount);
        appendInterval(intervals, tail);
        intervals += "; ";
        for (size_t i = 0; i < columns.size(); ++i) {
            appendFixed(columns[i], decodeLevel(readU16(bytes.data() + offsets[i])), 2);
            columns[i] += "; ";
        }
    }
};

// The common date and VIN above the table when all records share them, then the lines the switches ask for.
Status writeReportLines(const ReportLines& lines, const FileSet& files, const ReportSwitches& switches,
                        TextWriter& out) {
    const Lexicon& words = lexicon();
    if (switches.date && files.typeKnown && !files.datesDiffer) {
        out.write(words.encoded(Word::Date));
        out.write("; ");
        std::string date;
        appendDate(date, unpackDos(files.referenceDate, 0));
        out.write(date);
        out.write(";");
        out.write(kEol);
    }
    if (switches.vin && files.typeKnown && !files.vinsDiffer) {
        out.write("VIN; ");
        out.write(formatHex8(files.referenceVin));
        out.write(";");
        out.write(kEol);
    }
    auto line = [&](const std::string& text) {
        out.write(text);
        out.write(kEol);
    };
    line(lines.fileNames);
    if (switches.date && files.datesDiffer) line(lines.dates);
    if (switches.time) line(lines.times);
    if (switches.vin && files.vinsDiffer) line(lines.vins);
    if (switches.interval) line(lines.intervals);
    for (const std::string& c : lines.columns) line(c);
    if (!out.flush()) return fail("Can't write the report");
    return {};
}

}  // namespace

Status WriteReport(const FileSet& files, std::span<const ReportColumn> columns,
                   const ReportSwitches& switches, TextWriter& out,
                   const std::function<bool(int percent)>& progress) {
    ReportLines lines(files, columns, switches);
    long long recordsRead = 0;
    const auto report = [&] {
        const long long total = std::max(files.recordTotal, recordsRead);
        return !progress || progress(total > 0 ? static_cast<int>(recordsRead * 100 / total) : 100);
    };
    for (const FileSetEntry& entry : files.files) {
        auto file = BinFile::Open(entry.path);
        if (!file) return file.error();
        const std::string name = toCodePage(fileNameOf(entry.path), lexicon().codePage()) + "; ";
        BinRecordReader reader(*file);
        for (int k = 1; k <= file->recordCount(); ++k, ++recordsRead) {
            if (recordsRead % kRecordsPerProgress == 0 && !report()) return fail(kCancelled);
            auto record = reader.Record(k);
            if (!record) return record.error();
            lines.add(name, *record, files.type);
        }
    }
    if (!report()) return fail(kCancelled);
    return writeReportLines(lines, files, switches, out);
}

}  // namespace k470
