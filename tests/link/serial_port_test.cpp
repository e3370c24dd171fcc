// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "link/stop_signal.h"
#include "link/stream_reader.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

namespace fs = std::filesystem;

// A sysfs tree as the kernel lays it out: /class/tty/<name>/device links into the USB device tree, whose
// device directory carries idVendor.
void addTty(const std::string& root, const std::string& name, const std::string& vendor,
            const std::string& bus) {
    fs::path dev = fs::path(root) / "devices" / bus / (bus + ":1.0") / name;
    fs::create_directories(dev);
    if (!vendor.empty()) std::ofstream(fs::path(root) / "devices" / bus / "idVendor") << vendor << "\n";
    fs::create_directories(fs::path(root) / "class/tty" / name);
    fs::create_directory_symlink(dev, fs::path(root) / "class/tty" / name / "device");
}

TEST(SerialPortTest, FindsFtdiBridgesByVendorInNaturalOrder) {
    test::TempDir dir;
    addTty(dir.path(), "ttyUSB10", "0403", "1-3");
    addTty(dir.path(), "ttyUSB2", "0403", "1-2");
    addTty(dir.path(), "ttyUSB1", "10c4", "1-1");                     // another maker's bridge
    addTty(dir.path(), "ttyS0", "", "platform");                      // no USB device above it
    fs::create_directories(fs::path(dir.path()) / "class/tty/tty0");  // no device link at all
    EXPECT_EQ(listFtdiTtys(dir.path()), (std::vector<std::string>{"ttyUSB2", "ttyUSB10"}));
    FtdiTtyProvider provider(dir.path(), "/dev");
    EXPECT_EQ(provider.List(), (std::vector<std::string>{"/dev/ttyUSB2", "/dev/ttyUSB10"}));
    EXPECT_TRUE(listFtdiTtys(dir.file("missing")).empty());
}

class PtyPair : public ::testing::Test {
  protected:
    void SetUp() override {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(::grantpt(master), 0);
        ASSERT_EQ(::unlockpt(master), 0);
        path = ::ptsname(master);
    }
    void TearDown() override { ::close(master); }
    int master = -1;
    std::string path;
};

TEST_F(PtyPair, SetsUpTheLineAndMovesBytesBothWays) {
    auto port = OpenTtySerialPort(path);
    ASSERT_TRUE(port);
    EXPECT_FALSE(OpenTtySerialPort(path));         // in use
    EXPECT_FALSE(OpenTtySerialPort("/dev/null"));  // not a terminal
    ASSERT_TRUE(port->SetLine8N1());
    EXPECT_TRUE(port->SetBaudRate(3'000'000));
    EXPECT_TRUE(port->SetBaudRate(115'200));
    EXPECT_FALSE(port->SetBaudRate(3'000'001));
    EXPECT_TRUE(port->SetFlowControl(FlowControl::RtsCts));
    termios t{};
    ASSERT_EQ(::tcgetattr(master, &t), 0);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_lflag & ECHO);
    EXPECT_TRUE(port->SetFlowControl(FlowControl::None));

    const uint8_t bytes[] = {0x00, 0x0A, 0x0D, 0x11, 0x13, 0xFF, 0x7F};  // nothing translated
    ASSERT_EQ(::write(master, bytes, sizeof bytes), static_cast<ssize_t>(sizeof bytes));
    uint32_t queued = 0;
    for (int i = 0; i < 200 && queued < sizeof bytes; ++i) {
        port->QueueStatus(queued);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(queued, sizeof bytes);
    uint8_t got[16];
    IoResult r = port->Read(got, sizeof got, nullptr, 1000);
    EXPECT_EQ(r.status, IoResult::Done);
    ASSERT_EQ(r.count, sizeof bytes);
    EXPECT_EQ(0, std::memcmp(got, bytes, sizeof bytes));

    r = port->Write(bytes, sizeof bytes, nullptr, 1000);
    EXPECT_EQ(r.count, sizeof bytes);
    uint8_t back[16];
    EXPECT_EQ(::read(master, back, sizeof back), static_cast<ssize_t>(sizeof bytes));
}

TEST_F(PtyPair, ReadsEndOnStopOrTimeout) {
    auto port = OpenTtySerialPort(path);
    ASSERT_TRUE(port);
    port->SetLine8N1();
    uint8_t b[4];
    EXPECT_EQ(port->Read(b, sizeof b, nullptr, 20).status, IoResult::TimedOut);
    StopSignal stop;
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.Set();
    });
    EXPECT_EQ(port->Read(b, sizeof b, &stop, -1).status, IoResult::Stopped);
    t.join();
    // Nobody reads the far end: a long write fills the terminal and stops on the signal.
    std::vector<uint8_t> lots(1 << 20, 1);
    IoResult r = port->Write(lots.data(), lots.size(), &stop, -1);
    EXPECT_EQ(r.status, IoResult::Stopped);
    EXPECT_LT(r.count, lots.size());
}

// Bytes that the far end of the terminal sends: a pattern that shows order, from byte `from` on.
std::vector<uint8_t> pattern(size_t from, size_t n) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>((from + i) * 7 % 251);
    return b;
}

void sendAll(int fd, const std::vector<uint8_t>& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t k = ::write(fd, bytes.data() + done, bytes.size() - done);
        ASSERT_GT(k, 0);
        done += static_cast<size_t>(k);
    }
}

// Waits (bounded to five seconds) until the reader has read n bytes in all.
bool waitForRead(const StreamReader& reader, uint64_t n) {
    for (int i = 0; i < 5000 && reader.bytesRead() < n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return reader.bytesRead() == n;
}

std::vector<uint8_t> takeAll(StreamReader& reader) {
    std::vector<uint8_t> got(reader.queued());
    got.resize(reader.read(got.data(), got.size()));
    return got;
}

// The reader takes the device's bytes on its own, in order, far more than the terminal holds, while nobody
// takes them from it; it ends at once on Stop, and by itself when the far end goes.
TEST_F(PtyPair, StreamReaderPassesEveryByteInOrderUntilTheDeviceGoes) {
    auto port = OpenTtySerialPort(path);
    ASSERT_TRUE(port);
    ASSERT_TRUE(port->SetLine8N1());
    StreamReader reader;
    reader.Start(*port);
    const size_t n = 300'000;  // some 1.5 s of the stream, far beyond the terminal's buffers
    sendAll(master, pattern(0, n));
    ASSERT_TRUE(waitForRead(reader, n));
    EXPECT_EQ(reader.queued(), n);
    // Taken in pieces, as the ticks do.
    std::vector<uint8_t> got;
    uint8_t piece[32768];
    for (size_t k; (k = reader.read(piece, sizeof piece)) > 0;) got.insert(got.end(), piece, piece + k);
    EXPECT_EQ(got, pattern(0, n));
    EXPECT_EQ(reader.bytesLost(), 0u);
    EXPECT_FALSE(reader.failed());

    const auto t0 = std::chrono::steady_clock::now();
    reader.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
    EXPECT_FALSE(reader.running());
    sendAll(master, pattern(0, 100));  // stopped: nothing more is taken from the device
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(reader.queued(), 0u);

    reader.Start(*port);  // again, with fresh counts; the bytes sent while stopped are read now
    ASSERT_TRUE(waitForRead(reader, 100));
    EXPECT_EQ(takeAll(reader), pattern(0, 100));
    ::close(master);
    master = -1;
    for (int i = 0; i < 5000 && !reader.failed(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(reader.failed());
}

// A backlog that nobody takes fills up to its limit; what comes then is lost and counted, and what is kept
// stays in order.
TEST_F(PtyPair, StreamReaderCountsWhatAFullBacklogLoses) {
    auto port = OpenTtySerialPort(path);
    ASSERT_TRUE(port);
    ASSERT_TRUE(port->SetLine8N1());
    StreamReader reader(10'000);
    reader.Start(*port);
    sendAll(master, pattern(0, 30'000));
    ASSERT_TRUE(waitForRead(reader, 30'000));
    EXPECT_EQ(reader.queued(), 10'000u);
    EXPECT_EQ(reader.bytesLost(), 20'000u);
    std::vector<uint8_t> first(4000);
    ASSERT_EQ(reader.read(first.data(), first.size()), 4000u);
    EXPECT_EQ(first, pattern(0, 4000));
    sendAll(master, pattern(30'000, 4000));  // fits exactly into the room taken
    ASSERT_TRUE(waitForRead(reader, 34'000));
    EXPECT_EQ(reader.bytesLost(), 20'000u);
    std::vector<uint8_t> expected = pattern(4000, 6000);
    const std::vector<uint8_t> later = pattern(30'000, 4000);
    expected.insert(expected.end(), later.begin(), later.end());
    EXPECT_EQ(takeAll(reader), expected);
    sendAll(master, pattern(0, 10'001));  // one byte over the limit
    ASSERT_TRUE(waitForRead(reader, 44'001));
    EXPECT_EQ(reader.bytesLost(), 20'001u);
}

}  // namespace
}  // namespace k470
