#include "data/bin_file.h"

#include "base/lexicon.h"

namespace k470 {

namespace {

Error writeError(const std::string& path) {
    return fail("Can't write file '" + path + "'");
}

}  // namespace

Result<BinFile> BinFile::Open(const std::string& path) {
    auto file = File::Open(path, File::Mode::Read);
    if (!file) return file.error();
    const uint64_t count = file->size() / kRecordSize;
    // Record numbers are ints everywhere the user sees them; a file beyond that is not a record file.
    if (count > 0x7FFFFFFF) return fail(lexicon().text(Word::UnknownFileFormat));
    return BinFile(path, std::move(*file), static_cast<int>(count));
}

Status BinFile::ReadRecordBytes(int k, RecordBytes& bytes) const {
    if (k < 1 || k > recordCount_) return fail(lexicon().text(Word::ErrorInParameters));
    if (!file_.readAt(recordOffset(k), bytes.data(), bytes.size()))
        return fail(lexicon().cantOpenFile(path_));
    return {};
}

Result<RecordHeader> BinFile::ReadHeader(int k) const {
    RecordBytes bytes;
    if (auto s = ReadRecordBytes(k, bytes); !s) return s.error();
    return RecordHeader::decode(bytes.data());
}

Result<MeasurementRecord> BinFile::ReadRecord(int k) const {
    RecordBytes bytes;
    if (auto s = ReadRecordBytes(k, bytes); !s) return s.error();
    return MeasurementRecord::decode(bytes);
}

RecordBytes stampedRecordBytes(const MeasurementRecord& record, const CalendarTime& stamp) {
    MeasurementRecord stamped = record;
    stamped.header.date = packDosDate(stamp);
    stamped.header.time = packDosTime(stamp);
    return stamped.encode();
}

Status WriteSingleRecordFile(const std::string& path, const MeasurementRecord& record,
                             const CalendarTime& stamp) {
    auto file = File::Open(path, File::Mode::Create);
    if (!file) return fail(lexicon().text(Word::CantOpenFile) + " " + path);
    RecordBytes bytes = stampedRecordBytes(record, stamp);
    if (!file->write(bytes.data(), bytes.size())) return writeError(path);
    if (!file->close()) return writeError(path);
    return {};
}

Result<BinFileAppender> BinFileAppender::Create(const std::string& path, bool syncEachRecord) {
    auto file = File::Open(path, File::Mode::Create);
    if (!file) return fail(lexicon().text(Word::CantOpenFile) + " " + path);
    return BinFileAppender(path, std::move(*file), syncEachRecord);
}

Status BinFileAppender::Append(const MeasurementRecord& record, const CalendarTime& stamp) {
    RecordBytes bytes = stampedRecordBytes(record, stamp);
    if (!file_.isOpen() || !file_.writeAt(end_, bytes.data(), bytes.size()) || (sync_ && !file_.sync()))
        return writeError(path_);
    end_ += kRecordSize;
    ++written_;
    return {};
}

}  // namespace k470
