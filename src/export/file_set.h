// SPDX-License-Identifier: GPL-3.0-or-later
// The files chosen for a percentile calculation or a report: checked to be of one device type, with their
// record counts and whether their first records agree on the date and the serial number.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "data/device_type.h"

namespace k470 {

struct FileSetEntry {
    std::string path;
    int recordCount = 0;
};

struct FileSet {
    std::vector<FileSetEntry> files;
    // The type of the first record of the first file that holds a record; typeKnown is false when no file
    // holds a whole record.
    DeviceType type = 0;
    bool typeKnown = false;
    long long recordTotal = 0;
    // Date (DOS date word) and VIN of that first record, and whether the first record of a later file
    // differs.
    uint16_t referenceDate = 0;
    uint32_t referenceVin = 0;
    bool datesDiffer = false;
    bool vinsDiffer = false;
};

// Opens every file in order and reads the header of its first record. Fails with "Can't open file '<path>'"
// for a file that cannot be opened, and with "Different file types: <first> and <other>:\n<path>" for a file
// whose first record is of another type than the first file's. A file without a whole record takes no part
// in the type check (it adds no records).
Result<FileSet> ScanFileSet(std::span<const std::string> paths);

// "Different file types: <first> and <other>" followed by ":\n" and the path, in the words of the lexicon.
std::string differentFileTypesMessage(DeviceType first, DeviceType other, const std::string& path);

}  // namespace k470
