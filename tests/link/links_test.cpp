// SPDX-License-Identifier: GPL-3.0-or-later
// The two links against the instrument simulator: over loopback TCP and over a pseudo-terminal.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>
#include <thread>

#include "link/device_link.h"
#include "link/instrument_protocol.h"
#include "link/tele_link.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<Simulator> startSim(SimulatorOptions o) {
    o.port = 0;
    auto s = Simulator::Start(o);
    EXPECT_TRUE(s.ok()) << (s.ok() ? "" : s.error().message);
    return s.ok() ? std::move(*s) : nullptr;
}

TeleEndpoint loopback(uint16_t port) {
    return {"127.0.0.1", "127.0.0.1", port};
}

// Waits up to a bound for a condition that another thread makes true.
template <class F>
bool eventually(F f, std::chrono::milliseconds limit = 3s) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!f()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

TEST(TeleLinkTest, ReceivesStatusMessagesThroughFaults) {
    SimulatorOptions o;
    o.type = 5;
    o.vin = 0x12345678;
    o.splitFrames = true;
    o.garbage = true;
    o.badChecksumEvery = 3;
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    TeleLink link;
    link.Connect(loopback(sim->tcpPort()));
    ASSERT_TRUE(link.IsConnected());
    EXPECT_TRUE(link.PostAndWait(kStartCommand.data(), 2));
    int good = 0;
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(link.WaitForMessage(2000));
        std::vector<uint8_t> buf(kMaxStatusMessage);
        uint32_t type = 0;
        uint32_t n = link.Receive(buf.data(), static_cast<uint32_t>(buf.size()), &type);
        buf.resize(n);
        EXPECT_EQ(n, 32u + 2 * 1338);
        EXPECT_EQ(type, 1u);
        auto id = ReadIdentification(buf);
        ASSERT_TRUE(id);
        EXPECT_EQ(id->deviceType, 5);
        EXPECT_EQ(id->vin, 0x12345678u);
        ++good;
    }
    EXPECT_EQ(good, 6);
    // Every third message had a bad checksum and was dropped.
    EXPECT_GE(sim->state().messagesSent, 8);
    // Receive cuts a message to the capacity and still removes all of it.
    ASSERT_TRUE(link.WaitForMessage(2000));
    size_t before = link.MessageCount();
    uint8_t small[20];
    EXPECT_EQ(link.Receive(small, sizeof small), 20u);
    EXPECT_EQ(link.MessageCount() + 1, before + (link.MessageCount() >= before ? 1 : 0));
    EXPECT_EQ(link.Receive(nullptr, 20), 0u);
    link.Close();
    EXPECT_FALSE(link.IsConnected());
}

TEST(TeleLinkTest, AddressesThatDoNotParseAndRefusedPorts) {
    TeleLink link;
    link.Connect({"", "127.0.0.1", 1});
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(link.lastError(), EINVAL);
    link.Connect({"127.0.0.1", "999.1.1.1", 1});
    EXPECT_EQ(link.lastError(), EINVAL);
    // A port nobody listens on: refused at once.
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    link.Connect(loopback(ntohs(a.sin_port)));
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(link.lastError(), ECONNREFUSED);
    EXPECT_FALSE(link.WorkersRunning());
}

// A peer that accepts and then neither reads nor writes: the PC's writes pile up and block.
class DeafPeer {
  public:
    DeafPeer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int small = 4096;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 4);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~DeafPeer() { ::close(fd_); }
    uint16_t port = 0;

  private:
    int fd_;
};

TEST(TeleLinkTest, CloseDoesNotHangOnAPendingWriteAndTheWriteIsForgotten) {
    DeafPeer peer;
    TeleLink link;
    link.Connect(loopback(peer.port));
    ASSERT_TRUE(link.IsConnected());
    std::vector<uint8_t> big(64 << 20, 0x55);  // far more than the socket buffers hold
    ASSERT_TRUE(link.Post(big.data(), big.size()));
    EXPECT_FALSE(link.WaitWriteDone(50));
    EXPECT_FALSE(link.Post(kStartCommand.data(), 2));  // one write at a time
    auto t0 = std::chrono::steady_clock::now();
    link.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
    // Reopened: the interrupted write is gone and Post works again.
    link.Connect(loopback(peer.port));
    ASSERT_TRUE(link.IsConnected());
    EXPECT_FALSE(link.WritePending());
    EXPECT_TRUE(link.PostAndWait(kStartCommand.data(), 2));
    link.Close();
}

TEST(TeleLinkTest, PeerThatClosesAtOnceAndReconnectWhileConnected) {
    SimulatorOptions o;
    o.dropAfter = 2;
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    TeleLink link;
    link.Connect(loopback(sim->tcpPort()));
    ASSERT_TRUE(link.IsConnected());
    link.PostAndWait(kStartCommand.data(), 2);
    ASSERT_TRUE(eventually([&] { return link.MessageCount() == 2; }));
    std::this_thread::sleep_for(50ms);  // the reader now sees a closed connection and must not spin or fail
    EXPECT_EQ(link.MessageCount(), 2u);
    EXPECT_TRUE(link.IsConnected());
    link.Post(kStopCommand.data(), 2);       // into the closed connection: no crash, no signal
    link.Connect(loopback(sim->tcpPort()));  // closes the old connection first
    EXPECT_TRUE(link.IsConnected());
    link.Close();
}

TEST(DeviceLinkTest, OpensTheFirstDeviceThatOpensAndTalksOverAPseudoTerminal) {
    SimulatorOptions o;
    o.tcp = false;
    o.pty = true;
    o.type = 22;
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    test::TempDir dir;
    // A missing device, a device held by another program, then the instrument.
    SimulatorOptions other = o;
    other.type = 3;
    auto busy = startSim(other);
    ASSERT_TRUE(busy);
    auto held = OpenTtySerialPort(busy->ptyPath());
    ASSERT_TRUE(held);
    FixedTtyProvider provider({dir.file("ttyUSB0"), busy->ptyPath(), sim->ptyPath()});
    DeviceLink link(provider);
    link.SetBaudRate(DeviceLink::kFastBaudRate);
    link.Open(DeviceLink::OpenMode::Enumerate);
    ASSERT_TRUE(link.IsOpen());
    EXPECT_EQ(link.port()->name(), sim->ptyPath());
    EXPECT_TRUE(link.PostAndWait(kStartCommand.data(), 2));
    ASSERT_TRUE(link.WaitForMessage(2000));
    uint8_t buf[20];
    ASSERT_EQ(link.Receive(buf, sizeof buf), 20u);
    EXPECT_EQ(ReadIdentification(buf)->deviceType, 22);
    // Closed without release: the device is kept, the threads stop; reopened on the same device.
    link.Close(DeviceLink::CloseMode::KeepDevice);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_FALSE(link.WorkersRunning());
    uint32_t queued = 0;
    EXPECT_TRUE(eventually([&] { return link.port()->QueueStatus(queued) && queued > 0; }));
    link.Open(DeviceLink::OpenMode::ReuseHeld);
    EXPECT_TRUE(link.WorkersRunning());
    link.DiscardMessages();
    ASSERT_TRUE(link.WaitForMessage(2000));
    link.PostAndWait(RangeCommand(2).data(), 2);
    EXPECT_TRUE(eventually([&] { return sim->state().range == 2; }));
    link.Close(DeviceLink::CloseMode::Release);
    EXPECT_FALSE(link.IsOpen());
    // Released: it opens again.
    link.Open(DeviceLink::OpenMode::Enumerate);
    EXPECT_TRUE(link.IsOpen());
}

TEST(DeviceLinkTest, NoDeviceLeavesTheLinkClosed) {
    FixedTtyProvider none({});
    DeviceLink link(none);
    link.Open(DeviceLink::OpenMode::Enumerate);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.WorkersRunning());
    EXPECT_FALSE(link.Post(nullptr, 0) && false);
}

TEST(DeviceLinkTest, CloseDoesNotHangOnAWriteNobodyTakes) {
    // A terminal whose far end never reads: a long write fills it and stays pending.
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    FixedTtyProvider provider({::ptsname(master)});
    DeviceLink link(provider);
    link.Open(DeviceLink::OpenMode::Enumerate);
    ASSERT_TRUE(link.IsOpen());
    std::vector<uint8_t> big(1 << 20, 0x33);
    ASSERT_TRUE(link.Post(big.data(), big.size()));
    EXPECT_FALSE(link.WaitWriteDone(50));
    EXPECT_FALSE(link.PostAndWait(kStartCommand.data(), 2));
    auto t0 = std::chrono::steady_clock::now();
    link.Close(DeviceLink::CloseMode::KeepDevice);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
    link.Open(DeviceLink::OpenMode::ReuseHeld);  // the same device again: the interrupted write is forgotten
    EXPECT_FALSE(link.WritePending());
    EXPECT_TRUE(link.Post(kStartCommand.data(), 2));
    link.Close(DeviceLink::CloseMode::Release);
    ::close(master);
}

TEST(DeviceLinkTest, DeviceThatDisappearsDoesNotHangTheLink) {
    SimulatorOptions o;
    o.tcp = false;
    o.pty = true;
    o.dropAfter = 3;
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    FixedTtyProvider provider({sim->ptyPath()});
    DeviceLink link(provider);
    link.Open(DeviceLink::OpenMode::Enumerate);
    ASSERT_TRUE(link.IsOpen());
    link.PostAndWait(kStartCommand.data(), 2);
    // What was still in the terminal when it vanished may be lost with it.
    ASSERT_TRUE(eventually([&] { return link.MessageCount() >= 2; }));
    std::this_thread::sleep_for(50ms);
    link.Post(kStopCommand.data(), 2);
    auto t0 = std::chrono::steady_clock::now();
    link.Close(DeviceLink::CloseMode::Release);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
}

}  // namespace
}  // namespace k470
