// SPDX-License-Identifier: GPL-3.0-or-later
// Reports: chosen levels of every record of several record files of one device type in one
// semicolon-separated table, one line per field and one column per record.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/lexicon.h"
#include "base/result.h"
#include "export/file_set.h"
#include "export/level_locator.h"

namespace k470 {

// A chosen level: code = table | parameter << 8 | band << 16 | channel << 24 (8 bits each, numbered as the
// level locator numbers them), and the name the dialog shows.
struct ReportColumn {
    uint32_t code = 0;
    std::string name;  // UTF-8

    friend bool operator==(const ReportColumn&, const ReportColumn&) = default;
};

uint32_t reportColumnCode(const LevelSelection& s);
LevelSelection reportColumnSelection(uint32_t code);
// The texts of the table, parameter and band joined by ", ", and for three-channel types ", " and the
// channel text ("1/3 octaves, Leq, 31.5 Hz"; "Weighted levels, 1s peak, Wk, channel 2").
std::string reportColumnName(DeviceType type, const LevelSelection& s);
ReportColumn makeReportColumn(DeviceType type, const LevelSelection& s);

// The ordered column list of the "Report" dialog; a code is never in it twice. Operations that move the
// selection return the new selected position (-1 when nothing is left to select).
class ReportColumnList {
  public:
    ReportColumnList() = default;

    const std::vector<ReportColumn>& columns() const { return columns_; }
    size_t size() const { return columns_.size(); }
    bool contains(uint32_t code) const;

    // "Add": appends the column unless its code is already listed; true when it was added.
    bool Add(ReportColumn column);
    // "All": the table, parameter and channel with every band of the table, in band order, skipping codes
    // already listed. Returns how many were added.
    int All(DeviceType type, int table, int parameter, int channel);
    // "Delete": removes the entry at index; the selection stays at the same position (or the new last one).
    int Delete(int index);
    // The up-down control: moves the entry one place, not beyond either end; the selection moves with it.
    int MoveUp(int index);
    int MoveDown(int index);

  private:
    std::vector<ReportColumn> columns_;
};

// The include switches of the dialog, as it opens: all fields on, names as texts.
struct ReportSwitches {
    bool date = true;
    bool time = true;
    bool vin = true;
    bool interval = true;
    bool frequencyNamesOnly = false;  // "name is frequency value only"
};

// The text a column line starts with: its name, or with frequencyNamesOnly the band's centre frequency as
// "%lg" (the weighting name for a weighted level, "10-30 kHz" for the field meters' wide band).
std::string reportColumnLabel(DeviceType type, const ReportColumn& column, bool frequencyNamesOnly);

// Writes the report of every record of the files of the set (in file order) with the columns, levels in dB
// at the set type's level offsets. Lines end in CR LF; texts are in the lexicon's code page. Fails with
// "Can't open file '<path>'" for a file that cannot be opened or read, or when the output cannot be written.
// The progress callback hears the share of records read (0..100) now and then; when it answers false the
// report stops with "The report was cancelled" before anything is written.
Status WriteReport(const FileSet& files, std::span<const ReportColumn> columns,
                   const ReportSwitches& switches, TextWriter& out,
                   const std::function<bool(int percent)>& progress = {});

}  // namespace k470
