// SPDX-License-Identifier: GPL-3.0-or-later
// The signal-file conversions of the window without widgets: the rows of "Select records" and the message
// that sums up a conversion that did not complete.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "data/sdt_container.h"
#include "signal/sdt_conversion.h"

namespace k470::views {

// One used directory entry as "Select records" lists it.
struct SignalRecordRow {
    std::string date;    // "%02d/%02d/%d"
    std::string time;    // "%02d:%02d:%02d"
    std::string vin;     // "%08X"
    std::string length;  // seconds, "%.1lf"
};

struct SignalRecordRows {
    std::vector<SignalRecordRow> rows;  // in directory order
    std::optional<Error> problem;       // why the directory could not be read to its end
};
SignalRecordRows ListSignalRecords(const SdtContainer& file);

// The selection of the checked rows (row i = the used entry of ordinal i).
RecordSelection SelectionOfRows(const std::vector<bool>& checked);

// What went wrong in a conversion, one line each: the problems, then the outputs that are missing. Empty
// when the conversion completed or was only cancelled.
std::string ConversionProblemText(const ConversionReport& report);

}  // namespace k470::views
