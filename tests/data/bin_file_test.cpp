// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/bin_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "base/byte_order.h"
#include "data/sample_records.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using test::TempDir;

MeasurementRecord sample(DeviceType type, int index = 0) {
    SampleRecordOptions o;
    o.type = type;
    o.index = index;
    return std::move(makeSampleRecord(o).value());
}

TEST(BinFile, CountsWholeRecordsOnly) {
    TempDir dir;
    for (size_t size : {size_t{0}, size_t{100}, kRecordSize, 3 * kRecordSize - 1, 3 * kRecordSize + 5}) {
        const std::string path = dir.file("f.bin");
        test::writeBytes(path, std::vector<uint8_t>(size, 0));
        auto f = BinFile::Open(path);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->recordCount(), static_cast<int>(size / kRecordSize)) << size;
    }
}

TEST(BinFile, OpenFailureNamesThePath) {
    auto f = BinFile::Open("/nonexistent/x.bin");
    ASSERT_FALSE(f);
    EXPECT_EQ(f.error().message, "Can't open file '/nonexistent/x.bin'");
}

TEST(BinFile, ReadsRecordKAndRefusesOutOfRange) {
    TempDir dir;
    const std::string path = dir.file("three.bin");
    auto w = BinFileAppender::Create(path);
    ASSERT_TRUE(w);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(w->Append(sample(3, i), {2026, 12, 10, 8, 30, i * 2}));
    EXPECT_EQ(w->recordsWritten(), 3);
    ASSERT_TRUE(w->Close());

    auto f = BinFile::Open(path);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->recordCount(), 3);
    auto r2 = f->ReadRecord(2);
    ASSERT_TRUE(r2);
    EXPECT_EQ(r2->header.dateTime().seconds, 2);
    EXPECT_NEAR(r2->levels[5], sample(3, 1).levels[5], 1.0 / 512);
    EXPECT_FALSE(f->ReadRecord(0));
    EXPECT_FALSE(f->ReadRecord(4));
}

TEST(BinFile, UnknownTypeKeepsItsHeaderReadable) {
    TempDir dir;
    RecordBytes bytes{};
    writeU16(&bytes[18], 13);
    writeU32(&bytes[14], 0xCAFE);
    const std::string path = dir.file("u.bin");
    test::writeBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    auto f = BinFile::Open(path);
    ASSERT_TRUE(f);
    auto h = f->ReadHeader(1);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->vin, 0xCAFEu);
    auto r = f->ReadRecord(1);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, "Unknown file format");
}

TEST(BinFile, SingleRecordFileIsStampedAndReplacesOldContent) {
    TempDir dir;
    const std::string path = dir.file("one.bin");
    test::writeBytes(path, std::vector<uint8_t>(5 * kRecordSize, 0xAA));
    ASSERT_TRUE(WriteSingleRecordFile(path, sample(22), {2027, 1, 2, 3, 4, 6}));
    const auto bytes = test::readBytes(path);
    ASSERT_EQ(bytes.size(), kRecordSize);
    EXPECT_EQ(readU16(&bytes[0]), (47 << 9) | (1 << 5) | 2);
    EXPECT_EQ(readU16(&bytes[2]), (3 << 11) | (4 << 5) | 3);
}

TEST(BinFile, WriteFailuresAreReported) {
    auto s = WriteSingleRecordFile("/nonexistent/dir/one.bin", sample(3), {});
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().message, "Can't open file /nonexistent/dir/one.bin");
    EXPECT_FALSE(BinFileAppender::Create("/nonexistent/dir/auto.bin"));
    if (auto full = BinFileAppender::Create("/dev/full")) {
        EXPECT_FALSE(full->Append(sample(3), {}));  // a full disk never counts as written
        EXPECT_EQ(full->recordsWritten(), 0);
    }
}

// A record that does not fit whole (a full disk; here a file size limit) is cut off again: the file never
// ends in a partial record that the next reader would miscount. A file made in one go is not there at all.
TEST(BinFile, AFailedAppendLeavesNoPartialRecord) {
    TempDir dir;
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limit = old;
    limit.rlim_cur = kRecordSize + 2048;
    const auto before = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    auto growing = BinFileAppender::Create(dir.file("auto.bin"));
    auto whole = BinFileAppender::Create(dir.file("made.bin"), Placement::Whole);
    const bool firstFits = growing && growing->Append(sample(3), {}).ok();
    const bool secondFits = growing && growing->Append(sample(3), {}).ok();
    const bool madeFirst = whole && whole->Append(sample(3), {}).ok();
    const bool madeSecond = whole && whole->Append(sample(3), {}).ok();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, before);
    EXPECT_TRUE(firstFits);
    EXPECT_FALSE(secondFits);
    EXPECT_EQ(growing->recordsWritten(), 1);
    EXPECT_EQ(test::readBytes(dir.file("auto.bin")).size(), kRecordSize);
    EXPECT_TRUE(madeFirst);
    EXPECT_FALSE(madeSecond);
    whole.value() = BinFileAppender::StandardOutput();  // drops the unfinished file
    EXPECT_FALSE(std::filesystem::exists(dir.file("made.bin")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace k470

namespace k470 {
namespace {

// A file of n records whose header carries the record number as its serial number (bytes 14..17).
std::string numberedRecords(test::TempDir& dir, int n) {
    std::vector<uint8_t> bytes(static_cast<size_t>(n) * kRecordSize, 0);
    for (int k = 1; k <= n; ++k)
        writeU32(bytes.data() + (k - 1) * kRecordSize + 14, static_cast<uint32_t>(k));
    const std::string path = dir.file("numbered.bin");
    test::writeBytes(path, bytes);
    return path;
}

TEST(BinRecordReader, WalksBlocksForwardBackwardAndByJumps) {
    test::TempDir dir;
    auto file = BinFile::Open(numberedRecords(dir, 130));
    ASSERT_TRUE(file);
    struct Walk {
        const char* what;
        std::vector<int> records;
        int reads;
    };
    std::vector<int> forward, backward;
    for (int k = 1; k <= 130; ++k) forward.push_back(k);
    for (int k = 130; k >= 1; --k) backward.push_back(k);
    const Walk walks[] = {
        {"forward over two block boundaries", forward, 3}, {"backward", backward, 3},
        {"last record, then the first", {130, 1}, 2},      {"within one block", {5, 64, 1, 30}, 1},
        {"block edge and one past it", {64, 65, 64}, 3},
    };
    for (const Walk& w : walks) {
        BinRecordReader reader(*file, 64);
        for (int k : w.records) {
            auto header = reader.Header(k);
            ASSERT_TRUE(header) << w.what << " " << k;
            EXPECT_EQ(header->vin, static_cast<uint32_t>(k)) << w.what;
        }
        EXPECT_EQ(reader.readsMade(), w.reads) << w.what;
    }
}

TEST(BinRecordReader, RefusesRecordsOutsideTheFileAndACutShortFile) {
    test::TempDir dir;
    const std::string path = numberedRecords(dir, 10);
    auto file = BinFile::Open(path);
    ASSERT_TRUE(file);
    BinRecordReader reader(*file, 4);
    for (int k : {0, -1, 11}) EXPECT_EQ(reader.Record(k).error().message, "Error in parameters") << k;
    std::vector<uint8_t> block(3 * kRecordSize);
    EXPECT_FALSE(file->ReadRecordBlock(9, 3, block));
    EXPECT_FALSE(file->ReadRecordBlock(1, 3, std::span<uint8_t>(block).first(kRecordSize)));
    // The file loses its last records while open: the read fails instead of returning stale bytes.
    test::writeBytes(path, std::vector<uint8_t>(5 * kRecordSize, 0));
    EXPECT_TRUE(reader.Record(2));
    EXPECT_FALSE(reader.Record(9));
    EXPECT_FALSE(reader.Record(10));
}

// An autorecording into the name of an earlier file (acquire -o EXISTING) leaves it and its other names as
// they were until the recording ends with records; one that ends without a record replaces nothing.
TEST(BinFile, ARecordingReplacesAnEarlierFileOnlyWithRecords) {
    TempDir dir;
    const std::vector<uint8_t> earlier(2 * kRecordSize, 0x44);
    struct Case {
        const char* name;
        bool earlierFile;
        int records;
    } cases[] = {
        {"earlier file, two records", true, 2},
        {"earlier file, no record", true, 0},
        {"new file, no record", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("auto.bin");
        std::filesystem::remove(path);
        std::filesystem::remove(dir.file("link.bin"));
        if (c.earlierFile) {
            test::writeBytes(path, earlier);
            std::filesystem::create_hard_link(path, dir.file("link.bin"));
        }
        auto w = BinFileAppender::Create(path);
        ASSERT_TRUE(w);
        for (int i = 0; i < c.records; ++i) {
            ASSERT_TRUE(w->Append(sample(3, i), {2026, 12, 10, 8, 30, i}));
            if (c.earlierFile) {
                EXPECT_EQ(test::readBytes(path), earlier);  // untouched while recording
            }
        }
        ASSERT_TRUE(w->Close());
        if (c.records > 0) {
            EXPECT_EQ(BinFile::Open(path)->recordCount(), c.records);
        } else if (c.earlierFile) {
            EXPECT_EQ(test::readBytes(path), earlier);
        } else {
            EXPECT_EQ(BinFile::Open(path)->recordCount(), 0);  // a new name holds no record
        }
        if (c.earlierFile) {
            EXPECT_EQ(test::readBytes(dir.file("link.bin")), earlier);
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), c.earlierFile ? 2 : 1);
    }
}

}  // namespace
}  // namespace k470
