// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli acquire and trigger, run as a user would, against the simulator on loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include "base/named_event.h"
#include "data/bin_file.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

int run(const std::string& args, const std::string& log, const std::string& prefix = {}) {
    int rc = std::system((prefix + std::string(K470_CLI) + " " + args + " 2>" + log).c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::unique_ptr<Simulator> startSim(SimulatorOptions o) {
    o.port = 0;
    auto s = Simulator::Start(o);
    return s.ok() ? std::move(*s) : nullptr;
}

TEST(CliAcquireTest, RecordsOverTcpAndSendsTheCommandsOfARecording) {
    SimulatorOptions o;
    o.type = 12;
    o.vin = 0x00C0FFEE;
    o.garbage = true;
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    test::TempDir dir;
    const std::string out = dir.file("out.bin");
    ASSERT_EQ(run("acquire --tcp 127.0.0.1 --bind 127.0.0.1 --port " + std::to_string(sim->tcpPort()) +
                      " --period 1 --count 2 -o " + out,
                  dir.file("log")),
              0)
        << test::readText(dir.file("log"));
    auto file = BinFile::Open(out);
    ASSERT_TRUE(file.ok());
    ASSERT_EQ(file->recordCount(), 2);
    for (int k = 1; k <= 2; ++k) {
        auto r = file->ReadRecord(k);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->header.vin, 0x00C0FFEEu);
        EXPECT_EQ(r->header.deviceType, 12);
        EXPECT_GT(r->levels[0], 30.0);
    }
    for (int i = 0; i < 200 && sim->receivedBytes().size() < 8; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // Start, reset, start/stop (the instrument was not running), and stop at the end.
    EXPECT_EQ(sim->receivedBytes(), (std::vector<uint8_t>{0xA0, 0x1A, 0xA0, 0x3A, 0xA0, 0x4A, 0xA0, 0x2A}));
    // A log gets the count at the end, not the progress a terminal shows.
    const std::string log = test::readText(dir.file("log"));
    EXPECT_NE(log.find("2 records written to " + out), std::string::npos) << log;
    EXPECT_EQ(log.find("autorecording"), std::string::npos) << log;
    EXPECT_EQ(log.find("connecting"), std::string::npos) << log;
}

TEST(CliAcquireTest, AnInstrumentAlreadyRunningIsOnlyReset) {
    SimulatorOptions o;
    o.runningAtStart = true;
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    test::TempDir dir;
    ASSERT_EQ(
        run("acquire --tcp 127.0.0.1 --port " + std::to_string(sim->tcpPort()) + " -o " + dir.file("r.bin"),
            dir.file("log")),
        0)
        << test::readText(dir.file("log"));
    for (int i = 0; i < 200 && sim->receivedBytes().size() < 6; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(sim->receivedBytes(), (std::vector<uint8_t>{0xA0, 0x1A, 0xA0, 0x3A, 0xA0, 0x2A}));
    auto r = BinFile::Open(dir.file("r.bin"))->ReadRecord(1);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->tail.intervalKnown());  // counted from the reset while the instrument runs
    EXPECT_EQ(r->tail.intervalHours, 0);
    EXPECT_EQ(r->tail.intervalMinutes, 0);
    EXPECT_LE(r->tail.intervalSeconds, 2);
}

TEST(CliAcquireTest, ADroppedConnectionEndsTheRecordingKeepingItsRecords) {
    SimulatorOptions o;
    o.dropAfter = 100;  // three seconds after the start command, nearly two into the recording
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    test::TempDir dir;
    EXPECT_EQ(run("acquire --tcp 127.0.0.1 --port " + std::to_string(sim->tcpPort()) +
                      " --period 1 --count 10 -o " + dir.file("d.bin"),
                  dir.file("log")),
              1);
    const std::string log = test::readText(dir.file("log"));
    // Reported as what it is, as soon as the link sees it.
    EXPECT_NE(log.find("k470-cli: The instrument closed the connection"), std::string::npos) << log;
    auto file = BinFile::Open(dir.file("d.bin"));
    ASSERT_TRUE(file.ok());
    EXPECT_GE(file->recordCount(), 1);
    EXPECT_LE(file->recordCount(), 2);
    EXPECT_NE(log.find(std::to_string(file->recordCount()) + " records written"), std::string::npos) << log;
}

TEST(CliAcquireTest, FailuresGiveTheSystemsMessagesAndNonZeroExit) {
    test::TempDir dir;
    const std::string log = dir.file("log");
    EXPECT_EQ(run("acquire --tcp 127.0.0.1 --port 1 -o " + dir.file("a.bin"), log), 1);
    EXPECT_NE(test::readText(log).find("Can't found tele adapter"), std::string::npos);
    EXPECT_EQ(run("acquire --usb " + dir.file("nothing") + " -o " + dir.file("a.bin"), log), 1);
    EXPECT_NE(test::readText(log).find("Can't found tele adapter"), std::string::npos);
    EXPECT_EQ(run("acquire --tcp 127.0.0.1 --count 300001 -o " + dir.file("a.bin"), log), 2);
    EXPECT_NE(test::readText(log).find("--count takes a number from 1 to 300000, not '300001'"),
              std::string::npos);
    EXPECT_EQ(run("acquire --tcp 127.0.0.1 --period 0 -o " + dir.file("a.bin"), log), 2);
    EXPECT_NE(test::readText(log).find("--period takes whole seconds from 1 to 4294967, not '0'"),
              std::string::npos);
    EXPECT_EQ(run("acquire --tcp 127.0.0.1 --usb -o " + dir.file("a.bin"), log), 2);
    EXPECT_EQ(run("acquire --tcp 127.0.0.1", log), 2);

    // An adapter that takes the connection but has no instrument behind it.
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(s, 4), 0);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    EXPECT_EQ(run("acquire --tcp 127.0.0.1 --port " + std::to_string(ntohs(a.sin_port)) + " -o " +
                      dir.file("b.bin"),
                  log),
              1);
    ::close(s);
    EXPECT_NE(test::readText(log).find("Can't found device"), std::string::npos);
}

TEST(CliAcquireTest, AStreamingInstrumentHasNoRecordsToSave) {
    SimulatorOptions o;
    o.tcp = false;
    o.pty = true;
    o.type = 26;
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    test::TempDir dir;
    auto acquiring = std::async(std::launch::async, [&] {
        return run("acquire --usb " + sim->ptyPath() + " -o " + dir.file("s.bin"), dir.file("log"));
    });
    ASSERT_EQ(acquiring.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(acquiring.get(), 1);
    EXPECT_NE(test::readText(dir.file("log")).find("raw signal stream, which has no records to save"),
              std::string::npos)
        << test::readText(dir.file("log"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("s.bin")));
    // No wake-up bytes and no start command; only the stop.
    for (int i = 0; i < 200 && sim->receivedBytes().size() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(sim->receivedBytes(), (std::vector<uint8_t>{0xA0, 0x2A}));
}

TEST(CliAcquireTest, TriggerStartsAnArmedRecordingOverUsb) {
    SimulatorOptions o;
    o.tcp = false;
    o.pty = true;
    o.type = 23;
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    auto event = NamedEvent::Open(kAutoSaveEventName);
    ASSERT_TRUE(event.ok());
    event->Reset();
    test::TempDir dir;
    auto acquiring = std::async(std::launch::async, [&] {
        return run("acquire --usb " + sim->ptyPath() + " --trigger --count 1 -o " + dir.file("t.bin"),
                   dir.file("log"));
    });
    // Armed: nothing is written until the trigger.
    ASSERT_EQ(acquiring.wait_for(std::chrono::milliseconds(2500)), std::future_status::timeout);
    EXPECT_EQ(sim->state().resets, 0);
    ASSERT_EQ(run("trigger", dir.file("tlog")), 0);
    ASSERT_EQ(acquiring.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(acquiring.get(), 0) << test::readText(dir.file("log"));
    EXPECT_EQ(sim->state().resets, 1);
    EXPECT_EQ(BinFile::Open(dir.file("t.bin"))->recordCount(), 1);
    EXPECT_FALSE(event->IsSet());  // the recording clears it when it ends
}

TEST(CliAcquireTest, AnArmedRecordingGivesUpWhenTheInstrumentFallsSilent) {
    SimulatorOptions o;
    o.tcp = false;
    o.pty = true;
    o.silenceAfter = 40;  // about a second after the connect
    auto sim = startSim(o);
    ASSERT_TRUE(sim);
    auto event = NamedEvent::Open(kAutoSaveEventName);
    ASSERT_TRUE(event.ok());
    event->Reset();
    test::TempDir dir;
    // Bounded from outside: a recording that waits for ever ends with the timeout's exit code.
    const int code = run("acquire --usb " + sim->ptyPath() + " --trigger --count 1 -o " + dir.file("t.bin"),
                         dir.file("log"), "timeout 20 ");
    const std::string log = test::readText(dir.file("log"));
    EXPECT_EQ(code, 1) << log;
    EXPECT_NE(log.find("Can't found device"), std::string::npos) << log;
    EXPECT_EQ(BinFile::Open(dir.file("t.bin"))->recordCount(), 0);
}

TEST(CliAcquireTest, SettingsFilesOfKilledRunsAreRemovedOnTheNextStart) {
    test::TempDir dir;
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = dir.file("k470-acquire-" + std::to_string(gone) + ".ini");
    const std::string live = dir.file("k470-acquire-" + std::to_string(::getpid()) + ".ini");
    const std::string other = dir.file("k470-acquire-notes.ini");
    for (const std::string& f : {stale, live, other}) test::writeBytes(f, {'[', ']'});
    EXPECT_EQ(run("acquire --tcp 127.0.0.1 --port 1 -o " + dir.file("a.bin"), dir.file("log"),
                  "TMPDIR=" + dir.path() + " "),
              1);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));   // a run that still goes on keeps its file
    EXPECT_TRUE(std::filesystem::exists(other));  // not one of ours
    // And the run removed its own.
    size_t ours = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        ours += e.path().filename().string().starts_with("k470-acquire-") ? 1 : 0;
    EXPECT_EQ(ours, 2u);
}

}  // namespace
}  // namespace k470
