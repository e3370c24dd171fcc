// SPDX-License-Identifier: GPL-3.0-or-later
// One measurement record as semicolon-separated text for spreadsheets: a header with serial number, date,
// time, interval and range, the device-type name, then one table per band set with one row per level
// parameter. Lines end in CR LF; words of the lexicon are written in its 8-bit code page.
#pragma once

#include <span>
#include <string>

#include "base/file.h"
#include "base/lexicon.h"
#include "base/result.h"
#include "data/bin_file.h"
#include "data/measurement_record.h"
#include "data/record_layout.h"

namespace k470 {

class RecordTextWriter;

// Formats records; holds the lexicon's words already converted to the output code page, so one exporter
// serves any number of records.
class TextExporter {
  public:
    explicit TextExporter(const Lexicon& words = lexicon());

    // Appends the record's text to out. Returns false, writing nothing, when its type has no layout.
    bool exportRecord(std::span<const uint8_t, kRecordSize> record, std::string& out, bool linear,
                      double log10Reference) const;
    // The line that opens record r of a file of several records: "\r\nRecord; r;\r\n".
    void appendRecordLine(std::string& out, int r) const;

    const std::string& word(Word w) const { return words_[static_cast<size_t>(w)]; }

  private:
    std::string tableTitle(const RecordLayout& layout, LevelTableKind kind) const;
    std::string_view rowLabel(ResultGroup group, int parameter) const;
    void writeTables(RecordTextWriter& w, const RecordLayout& layout, int channel) const;

    std::array<std::string, kWordCount> words_;
    std::string overloudLower_;
    std::string underrangeLower_;
};

// Reads the record at offset of the source and appends its text. Returns false when its type has no
// layout; fails when the record cannot be read.
Result<bool> exportRecordAsText(const File& source, uint64_t offset, std::string& out, bool linear,
                                double log10Reference, const TextExporter& exporter);

// log10 of the 0 dB reference of a type (0 for a type without a layout).
double log10Reference(DeviceType type);

// Every record of a .bin file, as "Translate .bin to .txt" writes it: a "Record" line before each record
// when the file holds more than one, each record in its own type's 0 dB reference.
Status translateBinToText(const BinFile& file, TextWriter& out, bool linear, const TextExporter& exporter);

}  // namespace k470
