// SPDX-License-Identifier: GPL-3.0-or-later
// Files of measurement records (.bin): records of exactly 3072 bytes one after the other, record k
// (1-based) at offset (k-1)*3072, no header and no index. A partial last record is not counted.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/result.h"
#include "base/safe_write.h"
#include "data/measurement_record.h"

namespace k470 {

class BinFile {
  public:
    // Fails with "Can't open file '<path>'".
    static Result<BinFile> Open(const std::string& path);

    const std::string& path() const { return path_; }
    int recordCount() const { return recordCount_; }
    static uint64_t recordOffset(int k) { return static_cast<uint64_t>(k - 1) * kRecordSize; }

    // The raw 3072 bytes of record k (1-based); fails with "Error in parameters" outside 1..count.
    Status ReadRecordBytes(int k, RecordBytes& bytes) const;
    // Records first .. first+count-1 (1-based) in one read into out, which holds count*3072 bytes; fails with
    // "Error in parameters" when they are not all in the file.
    Status ReadRecordBlock(int first, int count, std::span<uint8_t> out) const;
    // Only the header of record k, readable also for types without a layout.
    Result<RecordHeader> ReadHeader(int k) const;
    // Record k decoded; fails with "Unknown file format" for a type without a layout.
    Result<MeasurementRecord> ReadRecord(int k) const;

    const File& file() const { return file_; }

  private:
    BinFile(std::string path, File file, int count)
        : path_(std::move(path)), file_(std::move(file)), recordCount_(count) {}
    std::string path_;
    File file_;
    int recordCount_ = 0;
};

// Reads the records of a file in blocks of many records and keeps the last block, so that walking through a
// file costs one read per block instead of one per record, and memory stays one block whatever the file's
// size. The blocks lie on a fixed grid of records, so walking backwards costs the same as forwards.
class BinRecordReader {
  public:
    // 64 records: 192 KiB a read, large enough that the system calls no longer count, small enough to stay
    // in the processor's cache.
    static constexpr int kDefaultBlockRecords = 64;

    explicit BinRecordReader(const BinFile& file, int blockRecords = kDefaultBlockRecords);

    int recordCount() const { return file_->recordCount(); }
    // The 3072 bytes of record k (1-based), valid until the next call; fails as BinFile::ReadRecordBytes.
    Result<std::span<const uint8_t, kRecordSize>> Record(int k);
    Result<RecordHeader> Header(int k);
    // The number of reads made so far.
    int readsMade() const { return reads_; }

  private:
    const BinFile* file_;
    int blockRecords_;
    std::vector<uint8_t> block_;
    int first_ = 0;  // first record held, 0 when none
    int held_ = 0;
    int reads_ = 0;
};

// Creates a new .bin file holding exactly this record, stamped with the given local date and time (any
// earlier content of the file is lost). Fails with "Can't open file <path>" when it cannot be created and
// with a write error when the disk refuses the data.
Status WriteSingleRecordFile(const std::string& path, const MeasurementRecord& record,
                             const CalendarTime& stamp);

// Appends records to a .bin file kept open across records. Every record is whole in the file or not there at
// all: a write that fails is cut off again, so the file never ends in a partial record.
class BinFileAppender {
  public:
    // A recording (Placement::Growing, every record pushed to the device before Append returns, so a record
    // counted as written is on disk; a new name grows in place, an earlier file is replaced only by Close,
    // and not at all when no record was written; a new name then holds no record), or a file made in one go (Placement::Whole: it appears
    // when Close succeeds, and an earlier file of that name stays until then). Devices, FIFOs and standard
    // output ("-", /dev/stdout) are written straight.
    static Result<BinFileAppender> Create(const std::string& path, Placement placement = Placement::Growing);
    // A file that grows in place, each record pushed to the device only with syncEachRecord.
    static Result<BinFileAppender> Create(const std::string& path, bool syncEachRecord);
    // Records for standard output.
    static BinFileAppender StandardOutput();
    Status Append(const MeasurementRecord& record, const CalendarTime& stamp);
    const std::string& path() const { return output_.path(); }
    int recordsWritten() const { return written_; }
    // Puts the file in place and closes it; reports a write that failed late.
    Status Close();

  private:
    static Result<BinFileAppender> Open(const std::string& path, Placement placement, bool sync);
    BinFileAppender(OutputFile output, Placement placement, bool sync)
        : output_(std::move(output)), placement_(placement), sync_(sync) {}
    OutputFile output_;
    Placement placement_ = Placement::Whole;
    bool sync_ = true;
    uint64_t end_ = 0;
    int written_ = 0;
};

// The record with its header stamped, ready to be written.
RecordBytes stampedRecordBytes(const MeasurementRecord& record, const CalendarTime& stamp);

}  // namespace k470
