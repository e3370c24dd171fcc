// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_export.h"

#include <algorithm>

#include "base/byte_order.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/dos_date_time.h"
#include "export/file_set.h"

namespace k470 {

namespace {

// The first level word of a record: the standard columns before it are date, time, serial and interval.
constexpr int kFirstLevelOffset = static_cast<int>(kRecordHeaderSize);

// A field as CSV quotes it when it holds a separator, a quote or a line end.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::string csvName(std::string_view words) {
    std::string name;
    bool gap = false;
    for (char c : words) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!keep) {
            gap = !name.empty();
            continue;
        }
        if (gap) name += '_';
        gap = false;
        name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return name;
}

CsvTable::CsvTable(DeviceType type, std::vector<std::string> leading)
    : type_(type), leading_(std::move(leading)) {
    if (hasLevelChoices(type)) {
        const auto channels = levelChannelChoices(type);
        const int channelCount = std::max<int>(1, static_cast<int>(channels.size()));
        for (const LevelChoice& table : levelTableChoices(type))
            for (const LevelChoice& parameter : levelParameterChoices(type, table.number))
                for (const LevelChoice& band : levelBandChoices(type, table.number))
                    for (int c = 0; c < channelCount; ++c) {
                        std::string name = table.text + " " + parameter.text + " " + band.text;
                        if (!channels.empty()) name += " " + levelChoiceText(channels, c);
                        const LevelSelection s{table.number, parameter.number, band.number, c};
                        levels_.push_back({csvName(name) + "_dB", levelWordOffset(type, s)});
                    }
        return;
    }
    // A type without named levels: its level words in layout order.
    const auto d = lookupRecordDimensions(type);
    const int words = d ? d->levelWordCount() : 0;
    for (int i = 0; i < words; ++i)
        levels_.push_back({"level" + std::to_string(i + 1) + "_dB", kFirstLevelOffset + 2 * i});
}

std::string CsvTable::headerRow() const {
    std::string row;
    for (const std::string& name : leading_) row += csvField(name) + ",";
    row += "date,time,vin,interval_s";
    for (const Level& l : levels_) row += "," + l.name;
    row += '\n';
    return row;
}

void CsvTable::appendRow(std::string& out, const MeasurementRecord& record, const RecordBytes& bytes,
                         std::span<const std::string> leading) const {
    for (const std::string& value : leading) out += csvField(value) + ",";
    const CalendarTime t = record.header.dateTime();
    appendInt(out, t.year);
    out += '-';
    appendInt(out, t.month, 2);
    out += '-';
    appendInt(out, t.day, 2);
    out += ',';
    appendInt(out, t.hours, 2);
    out += ':';
    appendInt(out, t.minutes, 2);
    out += ':';
    appendInt(out, t.seconds, 2);
    out += ',';
    out += formatHex8(record.header.vin);
    out += ',';
    const RecordTail& tail = record.tail;
    if (tail.intervalKnown())
        appendInt(out, static_cast<long long>(tail.intervalHours) * 3600 + tail.intervalMinutes * 60 +
                           tail.intervalSeconds);
    for (const Level& l : levels_) {
        out += ',';
        appendFixed(out, decodeLevel(readU16(bytes.data() + l.offset)), 2);
    }
    out += '\n';
}

Status WriteRecordsAsCsv(std::span<const std::string> paths, TextWriter& out, bool fileColumn) {
    auto set = ScanFileSet(paths);
    if (!set) return set.error();
    if (!set->typeKnown) return fail(lexicon().text(Word::NoSourceData));
    const CsvTable table(set->type,
                         fileColumn ? std::vector<std::string>{"file"} : std::vector<std::string>{});
    out.write(table.headerRow());
    RecordBytes bytes;
    int leftOut = 0;
    for (const std::string& path : paths) {
        auto bin = BinFile::Open(path);
        if (!bin) return bin.error();
        const std::string leading[] = {path};
        for (int k = 1; k <= bin->recordCount(); ++k) {
            if (auto s = bin->ReadRecordBytes(k, bytes); !s) return s;
            auto record = MeasurementRecord::decode(bytes);
            // A record of another type has other columns: it is left out and counted.
            if (!record || record->header.deviceType != set->type) {
                ++leftOut;
                continue;
            }
            table.appendRow(
                out.buffer(), *record, bytes,
                fileColumn ? std::span<const std::string>(leading) : std::span<const std::string>());
            out.maybeFlush();
        }
    }
    if (!out.flush()) return fail("Can't write the text output");
    if (leftOut > 0)
        return fail(std::to_string(leftOut) + " records of another device type than " +
                    deviceTypeName(set->type) + " are not in the table");
    return {};
}

}  // namespace k470
