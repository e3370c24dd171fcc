// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/bin_file.h"

#include <algorithm>
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

Status BinFile::ReadRecordBlock(int first, int count, std::span<uint8_t> out) const {
    if (first < 1 || count < 1 || count > recordCount_ - first + 1 ||
        out.size() < static_cast<size_t>(count) * kRecordSize)
        return fail(lexicon().text(Word::ErrorInParameters));
    if (!file_.readAt(recordOffset(first), out.data(), static_cast<size_t>(count) * kRecordSize))
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

BinRecordReader::BinRecordReader(const BinFile& file, int blockRecords)
    : file_(&file), blockRecords_(std::max(blockRecords, 1)) {}

Result<std::span<const uint8_t, kRecordSize>> BinRecordReader::Record(int k) {
    if (k < 1 || k > file_->recordCount()) return fail(lexicon().text(Word::ErrorInParameters));
    if (held_ == 0 || k < first_ || k >= first_ + held_) {
        // Blocks on a fixed grid, so that walking forwards or backwards reads each block once.
        const int first = (k - 1) / blockRecords_ * blockRecords_ + 1;
        const int count = std::min(blockRecords_, file_->recordCount() - first + 1);
        block_.resize(static_cast<size_t>(count) * kRecordSize);
        held_ = 0;
        ++reads_;
        if (auto s = file_->ReadRecordBlock(first, count, block_); !s) return s.error();
        first_ = first;
        held_ = count;
    }
    const size_t at = static_cast<size_t>(k - first_) * kRecordSize;
    return std::span<const uint8_t, kRecordSize>(block_.data() + at, kRecordSize);
}

Result<RecordHeader> BinRecordReader::Header(int k) {
    auto bytes = Record(k);
    if (!bytes) return bytes.error();
    return RecordHeader::decode(bytes->data());
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
    if (!out) return out.error();  // "Can't write file 'path'" and the system's reason
    return BinFileAppender(std::move(*out), placement, sync);
}

Result<BinFileAppender> BinFileAppender::Create(const std::string& path, Placement placement) {
    return Open(path, placement, placement == Placement::Growing);
}

Result<BinFileAppender> BinFileAppender::Create(const std::string& path, bool syncEachRecord) {
    return Open(path, Placement::Growing, syncEachRecord);
}

BinFileAppender BinFileAppender::StandardOutput() {
    return BinFileAppender(OutputFile::StandardOutput(), Placement::Whole, false);
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
        // No partial record stays at the end of the file: the next reader would count it as a record. (A file
        // written straight, such as standard output opened for appending, holds more than this output.)
        if (!output_.isDirect()) file.truncate(end_);
        return writeError(path(), error);
    }
    end_ += kRecordSize;
    ++written_;
    return {};
}

Status BinFileAppender::Close() {
    if (!output_.isOpen()) return {};
    // A recording that got no record replaces nothing: an earlier file stays as it was.
    if (placement_ == Placement::Growing && written_ == 0 && output_.replacesEarlierFile()) {
        output_.Discard();
        return {};
    }
    return output_.Commit();
}

}  // namespace k470
