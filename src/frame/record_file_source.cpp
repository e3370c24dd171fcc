// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/record_file_source.h"

#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470::app {

std::string DataFileTitle(std::string_view path, std::string_view typeName, uint32_t vin) {
    std::string s(path);
    s += " (";
    s += typeName;
    s += ", VIN: ";
    appendHex8(s, vin);
    s += ')';
    return s;
}

std::string IntervalText(const RecordTail& tail) {
    if (!tail.intervalKnown()) return {};
    std::string s;
    appendInterval(s, tail);
    return s;
}

Result<RecordFileSource> RecordFileSource::Open(const std::string& path, std::string& title) {
    auto file = BinFile::Open(path);
    if (!file) return file.error();
    // A file shorter than one record holds nothing to show.
    if (file->recordCount() < 1) return fail(lexicon().text(Word::UnknownFileFormat));
    auto header = file->ReadHeader(1);
    if (!header) return header.error();
    title = DataFileTitle(path, lexicon().deviceTypeName(header->deviceType), header->vin);
    // The record must decode for its type (the title already names the file, type and serial number).
    auto record = file->ReadRecord(1);
    if (!record) return record.error();
    return RecordFileSource(std::move(*file), std::move(*record), title);
}

Status RecordFileSource::GoToRecord(int k) {
    if (k < 1 || k > count()) return fail(lexicon().text(Word::ErrorInParameters));
    auto record = file_.ReadRecord(k);
    if (!record) return record.error();
    record_ = std::move(*record);
    current_ = k;
    return {};
}

}  // namespace k470::app
