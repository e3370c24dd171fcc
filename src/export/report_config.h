// SPDX-License-Identifier: GPL-3.0-or-later
// "report.cfg": the report columns chosen per device type, kept between sessions.
//
// Layout (little-endian): u32 entry count; per entry u32 device type and u32 column count; per column u32
// code, u32 name length L in UTF-16 units and L UTF-16 units of name without terminator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"
#include "data/device_type.h"
#include "export/report.h"

namespace k470 {

constexpr const char* kReportConfigFileName = "report.cfg";

struct StoredReportColumn {
    uint32_t code = 0;
    std::u16string name;

    friend bool operator==(const StoredReportColumn&, const StoredReportColumn&) = default;
};

struct ReportConfigEntry {
    uint32_t type = 0;
    std::vector<StoredReportColumn> columns;

    friend bool operator==(const ReportConfigEntry&, const ReportConfigEntry&) = default;
};

class ReportConfig {
  public:
    // Reads the file. A missing or unreadable file gives no entries. Every count and length is checked
    // against the bytes that are left: reading stops at the first that does not fit, keeps the entries and
    // columns read whole before it and marks the configuration damaged, so that writing it makes it sound.
    // Bytes behind the last entry also mark it damaged. A later entry of a type replaces an earlier one.
    // A file that exists but cannot be read whole gives no entries and is marked unreadable: Write then
    // leaves it alone, so that the entries it may hold are not lost.
    static ReportConfig Read(const std::string& path);
    // Parses the bytes of a file as Read does.
    static ReportConfig Parse(const std::vector<uint8_t>& bytes);

    // Writes every entry (through a temporary file beside it, so that a failed write leaves the old file).
    // Fails without writing for a configuration read from an unreadable file.
    Status Write(const std::string& path) const;
    std::vector<uint8_t> Serialize() const;

    // The column list of a type for the dialog: names as stored, codes that the type does not offer and
    // repeated codes left out.
    ReportColumnList columnsFor(DeviceType type) const;
    // Replaces the entry of the type (or appends one); the other entries stay as read.
    void setColumns(DeviceType type, const ReportColumnList& columns);

    const std::vector<ReportConfigEntry>& entries() const { return entries_; }
    bool damaged() const { return damaged_; }
    bool unreadable() const { return unreadable_; }

  private:
    std::vector<ReportConfigEntry> entries_;
    bool damaged_ = false;
    bool unreadable_ = false;
};

}  // namespace k470
