// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/file_set.h"

#include "base/lexicon.h"
#include "data/bin_file.h"

namespace k470 {

std::string differentFileTypesMessage(DeviceType first, DeviceType other, const std::string& path) {
    std::string message =
        substitute(lexicon().text(Word::DifferentFileTypes), {deviceTypeName(first), deviceTypeName(other)});
    message += ":\n";
    message += path;
    return message;
}

Result<FileSet> ScanFileSet(std::span<const std::string> paths) {
    FileSet set;
    for (const std::string& path : paths) {
        auto file = BinFile::Open(path);
        if (!file) return file.error();
        FileSetEntry entry{path, file->recordCount()};
        if (entry.recordCount > 0) {
            auto header = file->ReadHeader(1);
            if (!header) return header.error();
            if (!set.typeKnown) {
                set.typeKnown = true;
                set.type = header->deviceType;
                set.referenceDate = header->date;
                set.referenceVin = header->vin;
            } else {
                if (header->deviceType != set.type)
                    return fail(differentFileTypesMessage(set.type, header->deviceType, path));
                if (header->date != set.referenceDate) set.datesDiffer = true;
                if (header->vin != set.referenceVin) set.vinsDiffer = true;
            }
        }
        set.recordTotal += entry.recordCount;
        set.files.push_back(std::move(entry));
    }
    return set;
}

}  // namespace k470
