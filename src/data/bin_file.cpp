#include "data/bin_file.h"

#include <cerrno>
#include <cstring>

#include "base/lexicon.h"

namespace k470 {

namespace {

Error writeError(const std::string& path, int error = 0) {
    return fail(lexicon().cantWriteFile(path), error != 0 ? std::strerror(error) : std::string());
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
    auto out = OutputFile::Create(path);
    if (!out) return fail(lexicon().text(Word::CantOpenFile) + " " + path, out.error().reason);
    const RecordBytes bytes = stampedRecordBytes(record, stamp);
    if (!out->file().write(bytes.data(), bytes.size())) return writeError(path);
    return out->Commit();
}

Result<BinFileAppender> BinFileAppender::Open(const std::string& path, Placement placement, bool sync) {
    auto out = OutputFile::Create(path, placement);
    if (!out) return fail(lexicon().text(Word::CantOpenFile) + " " + path, out.error().reason);
    return BinFileAppender(std::move(*out), sync);
}

Result<BinFileAppender> BinFileAppender::Create(const std::string& path, Placement placement) {
    return Open(path, placement, placement == Placement::Growing);
}

Result<BinFileAppender> BinFileAppender::Create(const std::string& path, bool syncEachRecord) {
    return Open(path, Placement::Growing, syncEachRecord);
}

BinFileAppender BinFileAppender::StandardOutput() {
    return BinFileAppender(OutputFile::StandardOutput(), false);
}

Status BinFileAppender::Append(const MeasurementRecord& record, const CalendarTime& stamp) {
    const RecordBytes bytes = stampedRecordBytes(record, stamp);
    File& file = output_.file();
    errno = 0;
    bool ok = file.isOpen() && file.write(bytes.data(), bytes.size());
    // A device such as a pipe cannot be synced; a file that cannot be is not on disk.
    if (ok && sync_ && !file.sync() && errno != EINVAL) ok = false;
    if (!ok) {
        const int error = errno != 0 ? errno : EIO;
        // No partial record stays at the end of the file: the next reader would count it as a record.
        file.truncate(end_);
        return writeError(path(), error);
    }
    end_ += kRecordSize;
    ++written_;
    return {};
}

Status BinFileAppender::Close() {
    if (!output_.isOpen()) return {};
    return output_.Commit();
}

}  // namespace k470
