// SPDX-License-Identifier: GPL-3.0-or-later
// Where a signal file can go: a pipe or standard output takes it whole, put together beforehand (its
// directory is written after the data); a recording, which must grow on disk, refuses them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <future>
#include <vector>

#include "data/sdt_container.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

Status writeTwoRecords(const std::string& path) {
    SdtHeader h;
    h.sampleRate = 24000.0;
    h.channelMask = 0b11;
    h.channelCount = 2;
    auto w = SdtWriter::Create(path, h);
    if (!w) return w.error();
    const std::array<uint8_t, kMarkerTableSize> table{};
    const double frames[] = {0.5, -0.5, 0.25, -0.25, 1.0, -1.0};
    for (int r = 0; r < 2; ++r) {
        if (Status s = w->BeginRecord(26, 0xBEEF, {2026, 5, 6, 7, 8, r}, table); !s) return s;
        if (Status s = w->AppendFrames(frames, 3); !s) return s;
    }
    return w->Finish();
}

TEST(SdtWriterOutputs, APipeTakesTheFileWholeAsAFileWouldHoldIt) {
    test::TempDir dir;
    ASSERT_TRUE(writeTwoRecords(dir.file("file.sdt")).ok());
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    // Read while it is written: a file larger than the pipe's buffer must not wait for ever.
    auto drained = std::async(std::launch::async, [fd = fds[0]] {
        std::vector<uint8_t> got;
        uint8_t buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            got.insert(got.end(), buffer, buffer + n);
        return got;
    });
    const Status s = writeTwoRecords("/dev/fd/" + std::to_string(fds[1]));
    ::close(fds[1]);
    EXPECT_TRUE(s.ok()) << s.error().message << ": " << s.error().reason;
    EXPECT_EQ(drained.get(), test::readBytes(dir.file("file.sdt")));
    ::close(fds[0]);
}

TEST(SdtWriterOutputs, ARecordingRefusesWhatCannotGrowOnDisk) {
    for (const char* path : {"-", "/dev/null", "/dev/stdout"}) {
        SdtHeader h;
        h.sampleRate = 24000.0;
        h.channelMask = 1;
        h.channelCount = 1;
        auto w = SdtWriter::Create(path, h, Placement::Growing);
        ASSERT_FALSE(w.ok()) << path;
        EXPECT_EQ(w.error().message, std::string("A recording needs a file on disk, not a device, a pipe or "
                                                 "standard output: '") +
                                         path + "'");
    }
}

}  // namespace
}  // namespace k470
