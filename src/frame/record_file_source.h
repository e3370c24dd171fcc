// SPDX-License-Identifier: GPL-3.0-or-later
// A device data file (.bin) as the window's source, without widgets: the file, the record shown and the
// title that names the file, its device type and serial number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"
#include "data/bin_file.h"
#include "data/measurement_record.h"

namespace k470::app {

// "%s (%s, VIN: %08X)": path, device type name, serial number.
std::string DataFileTitle(std::string_view path, std::string_view typeName, uint32_t vin);
// "%d:%02d:%02d" (hours, minutes, seconds) of a record's interval; empty when the interval is not known.
std::string IntervalText(const RecordTail& tail);

class RecordFileSource {
  public:
    // Opens path and reads its first record. title is set as soon as the header is read, so that a
    // record that does not decode still names the file, type and serial number.
    static Result<RecordFileSource> Open(const std::string& path, std::string& title);

    // Shows record k (1-based); "Error in parameters" (nothing changes) outside 1..count, the read or
    // decode error when the record cannot be shown.
    Status GoToRecord(int k);

    const BinFile& file() const { return file_; }
    const MeasurementRecord& record() const { return record_; }
    int current() const { return current_; }
    int count() const { return file_.recordCount(); }
    DeviceType deviceType() const { return record_.header.deviceType; }
    const std::string& title() const { return title_; }

  private:
    RecordFileSource(BinFile file, MeasurementRecord record, std::string title)
        : file_(std::move(file)), record_(std::move(record)), title_(std::move(title)) {}
    BinFile file_;
    MeasurementRecord record_;
    int current_ = 1;
    std::string title_;
};

}  // namespace k470::app
