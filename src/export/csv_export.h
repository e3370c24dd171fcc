// SPDX-License-Identifier: GPL-3.0-or-later
// Records as a UTF-8 CSV table for spreadsheets and data tools: a header row of column names that carry
// their units, then one row per record; comma separators, dot decimals, LF line ends. The columns are the
// date (ISO), the time, the serial number, the measurement interval in seconds (empty while unknown) and
// every level the type offers, in dB, named after its table, parameter, band and channel.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/result.h"
#include "data/bin_file.h"
#include "export/level_locator.h"

namespace k470 {

class CsvTable {
  public:
    // The columns of records of this type; leading is put in front of the standard columns (such as "file").
    explicit CsvTable(DeviceType type, std::vector<std::string> leading = {});

    DeviceType type() const { return type_; }
    // The header row, with its line end.
    std::string headerRow() const;
    // The row of one record of the table's type (its decoded form and its bytes); leading holds the values of
    // the leading columns.
    void appendRow(std::string& out, const MeasurementRecord& record, const RecordBytes& bytes,
                   std::span<const std::string> leading = {}) const;

  private:
    struct Level {
        std::string name;
        int offset = 0;  // byte offset of the level word in the record
    };
    DeviceType type_;
    std::vector<std::string> leading_;
    std::vector<Level> levels_;
};

// A column name made of a choice's words: lower case ASCII letters, digits and '_' ("1/3 octaves" gives
// "1_3_octaves").
std::string csvName(std::string_view words);

// Every record of the files as one table with a "file" column in front. All files must hold records of one
// type ("Different file types: %s and %s" otherwise, as the analyses say).
Status WriteRecordsAsCsv(std::span<const std::string> paths, TextWriter& out, bool fileColumn);

}  // namespace k470
