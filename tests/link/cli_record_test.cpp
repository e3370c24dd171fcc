// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli record against the simulated raw-signal instrument on a pseudo-terminal, as a user would run it:
// the file is read back byte by byte for its header, duration, markers and levels; a recording that is
// killed, interrupted or loses its instrument keeps a valid file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <numbers>
#include <string>
#include <thread>

#include "../signal/signal_file_reader.h"
#include "../signal/signal_measure.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"

extern char** environ;

namespace k470 {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<Simulator> startStreamSim(const std::string& signal) {
    SimulatorOptions o;
    o.type = 26;
    o.tcp = false;
    o.pty = true;
    if (!signal.empty()) {
        auto items = parseSignalList(signal);
        if (!items) return nullptr;
        o.signal = *items;
    }
    auto s = Simulator::Start(o);
    return s.ok() ? std::move(*s) : nullptr;
}

// Runs k470-cli with the data directory of the test; the exit code, or -1 when a signal ended it.
int run(const test::TempDir& dir, const std::string& args) {
    const std::string line =
        "K470_DATA_DIR=" + dir.path() + " " + K470_CLI + " " + args + " 2>" + dir.file("log");
    const int rc = std::system(line.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Starts k470-cli record in the background; its process id.
pid_t spawnRecord(const test::TempDir& dir, const std::string& pty, const std::string& out) {
    const std::string dataDir = "K470_DATA_DIR=" + dir.path();
    std::vector<std::string> args = {K470_CLI,    "record",    "--usb", pty,  "--preset",
                                     "simulator", "--seconds", "60",    "-o", out};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
    env.push_back(const_cast<char*>(dataDir.c_str()));
    env.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, dir.file("log").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&pid, K470_CLI, &actions, nullptr, argv.data(), env.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits until the file's first record holds at least `frames` frames on disk (bounded to ten seconds).
void waitForFrames(const std::string& path, uint32_t frames) {
    for (int i = 0; i < 200; ++i) {
        if (std::filesystem::exists(path)) {
            const test::ReadBackFile f = test::readBack(path);
            if (f.problem.empty() && !f.records.empty() && f.records[0].frames >= frames) return;
        }
        std::this_thread::sleep_for(50ms);
    }
}

TEST(CliRecordTest, RecordsTheInstrumentsSignalWithItsHeaderDurationMarkersAndLevel) {
    struct Case {
        const char* signal;
        const char* preset;
        uint16_t mask;
        double level;  // dB of channel 1
    };
    const Case cases[] = {
        {"calibrator", "simulator", 1, 94.0},
        {"tone:250:80,pink:30", "simulator", 1, 80.0},
        // Without a preset the three channels carry the counts (level here as if they were pascals) and the
        // two status values.
        {"tone:1000:40", nullptr, 7, 140.0},
    };
    for (const Case& c : cases) {
        auto sim = startStreamSim(c.signal);
        ASSERT_TRUE(sim);
        test::TempDir dir;
        const std::string out = dir.file("rec.sdt");
        const std::string preset = c.preset ? std::string(" --preset ") + c.preset : "";
        ASSERT_EQ(
            run(dir, "record --usb " + sim->ptyPath() + preset + " --seconds 4 --marker-every 1 -o " + out),
            0)
            << c.signal << test::readText(dir.file("log"));
        const test::ReadBackFile f = test::readBack(out);
        ASSERT_EQ(f.problem, "") << c.signal;
        EXPECT_EQ(f.rate, 48000.0);
        EXPECT_EQ(f.mask, c.mask) << c.signal;
        EXPECT_EQ(f.channelCount, __builtin_popcount(c.mask));
        // Pascals through the preset; the converter's counts without one.
        EXPECT_EQ(f.units[0], c.preset ? u"Pa" : u"counts");
        EXPECT_EQ(f.reference[0], c.preset ? 2e-5 : 1.0);
        EXPECT_EQ(f.processor, c.preset ? u"simulator" : u"") << c.signal;
        ASSERT_EQ(f.records.size(), 1u);
        const test::ReadBackRecord& r = f.records[0];
        EXPECT_EQ(r.frames, 192000u) << c.signal;
        EXPECT_EQ(r.deviceType, 26);
        EXPECT_EQ(r.vin, 0u);  // a raw stream carries no serial number
        using M = std::vector<std::pair<uint32_t, std::u16string>>;
        EXPECT_EQ(r.markers, (M{{48000, u"Marker 1"}, {96000, u"Marker 2"}, {144000, u"Marker 3"}}))
            << c.signal;
        std::vector<double> ch1;
        for (size_t i = 0; i < r.values.size(); i += f.channelCount) ch1.push_back(r.values[i]);
        EXPECT_NEAR(test::levelDb(ch1), c.level, 0.1) << c.signal;
        if (c.mask == 7) {
            EXPECT_EQ(r.values[1], 3000.0);  // status value A
        }
    }
}

// The largest step out of a pure tone of f Hz: a sine obeys x[n+1] = 2 cos(w) x[n] - x[n-1], so the rest is
// rounding, unless samples are missing between x[n-1] and x[n+1].
double largestToneBreak(const std::vector<double>& x, double f, double rate) {
    const double c = 2.0 * std::cos(2.0 * std::numbers::pi * f / rate);
    double worst = 0.0;
    for (size_t n = 1; n + 1 < x.size(); ++n)
        worst = std::max(worst, std::abs(x[n + 1] - c * x[n] + x[n - 1]));
    return worst;
}

// The instrument does not wait for the PC: a recording at its full rate for ten seconds must take every
// frame as it comes, so the instrument loses none, the file holds the whole unbroken signal, and the
// recording takes the signal's own time.
TEST(CliRecordTest, KeepsUpWithTheInstrumentsFullRateAndLosesNoFrame) {
    constexpr double kSeconds = 10.0;
    constexpr double kTone = 997.0;  // no whole number of periods in any gap shorter than a second
    auto sim = startStreamSim("tone:997:94");
    ASSERT_TRUE(sim);
    test::TempDir dir;
    const std::string out = dir.file("rec.sdt");
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = run(dir, "record --usb " + sim->ptyPath() + " --preset simulator --seconds 10 -o " + out);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const uint64_t dropped = sim->droppedFrames();
    sim->Stop();
    const std::string log = test::readText(dir.file("log"));
    ASSERT_EQ(rc, 0) << log;
    EXPECT_EQ(dropped, 0u);
    EXPECT_EQ(log.find("lost"), std::string::npos) << log;
    const test::ReadBackFile f = test::readBack(out);
    ASSERT_EQ(f.problem, "");
    ASSERT_EQ(f.records.size(), 1u);
    EXPECT_EQ(f.records[0].frames, static_cast<uint32_t>(kSeconds * 48000));
    EXPECT_LT(largestToneBreak(f.records[0].values, kTone, 48000.0), 1e-3);  // 1.4 Pa peak
    // Within 5 % of the signal's length: the connect sequence and the start of the program included.
    EXPECT_GT(wall, kSeconds * 0.95);
    EXPECT_LT(wall, kSeconds * 1.05);
}

TEST(CliRecordTest, AKilledOrInterruptedRecordingLeavesAValidFile) {
    struct Case {
        int signal;
        bool exitsCleanly;
    };
    for (const Case c : {Case{SIGKILL, false}, Case{SIGINT, true}, Case{SIGTERM, true}}) {
        auto sim = startStreamSim("calibrator");
        ASSERT_TRUE(sim);
        test::TempDir dir;
        const std::string out = dir.file("rec.sdt");
        const pid_t pid = spawnRecord(dir, sim->ptyPath(), out);
        ASSERT_GT(pid, 0);
        waitForFrames(out, 48000);
        ::kill(pid, c.signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0, c.exitsCleanly)
            << c.signal << test::readText(dir.file("log"));
        const test::ReadBackFile f = test::readBack(out);
        ASSERT_EQ(f.problem, "") << c.signal;
        ASSERT_EQ(f.records.size(), 1u);
        EXPECT_GE(f.records[0].frames, 48000u) << c.signal;
        EXPECT_NEAR(test::levelDb(f.records[0].values), 94.0, 0.1) << c.signal;
        if (c.exitsCleanly) {  // every frame written is counted
            EXPECT_EQ(std::filesystem::file_size(out),
                      680 + 8212 + 15 * 164 + 120 + 8ull * f.records[0].frames);
        }
    }
}

// The partial recording beside an earlier file of the output's name, once one is there.
std::string partialIn(const test::TempDir& dir) {
    for (int i = 0; i < 200; ++i) {
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename().string().starts_with("rec.partial-")) return e.path().string();
        std::this_thread::sleep_for(50ms);
    }
    return {};
}

// An earlier file of the output's name stays as it was while the recording grows beside it: killed, the
// recording so far is found under the name the note gave; ended, the recording takes the name.
TEST(CliRecordTest, ARecordingOverAnEarlierFileKeepsItUntilTheRecordingEnds) {
    for (const int signal : {SIGKILL, SIGINT}) {
        auto sim = startStreamSim("calibrator");
        ASSERT_TRUE(sim);
        test::TempDir dir;
        const std::string out = dir.file("rec.sdt");
        const std::vector<uint8_t> earlier(4000, 0x33);
        test::writeBytes(out, earlier);
        const pid_t pid = spawnRecord(dir, sim->ptyPath(), out);
        ASSERT_GT(pid, 0);
        const std::string partial = partialIn(dir);
        ASSERT_FALSE(partial.empty());
        waitForFrames(partial, 48000);
        EXPECT_EQ(test::readBytes(out), earlier);
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const std::string log = test::readText(dir.file("log"));
        EXPECT_NE(log.find("The file '" + out + "' exists: the recording grows in '" + partial +
                           "' and replaces it when it ends"),
                  std::string::npos)
            << log;
        const std::string holder = signal == SIGKILL ? partial : out;
        const test::ReadBackFile f = test::readBack(holder);
        ASSERT_EQ(f.problem, "") << signal;
        ASSERT_EQ(f.records.size(), 1u);
        EXPECT_GE(f.records[0].frames, 48000u) << signal;
        if (signal == SIGKILL) {
            EXPECT_EQ(test::readBytes(out), earlier);
        } else {
            EXPECT_FALSE(std::filesystem::exists(partial));
        }
    }
}

TEST(CliRecordTest, AnInstrumentThatStopsSendingEndsTheRecordingWithWhatArrived) {
    auto sim = startStreamSim("tone:500:70");
    ASSERT_TRUE(sim);
    test::TempDir dir;
    const std::string out = dir.file("rec.sdt");
    auto recording = std::async(std::launch::async, [&] {
        return run(dir, "record --usb " + sim->ptyPath() + " --preset simulator --seconds 60 -o " + out);
    });
    waitForFrames(out, 24000);
    sim->Stop();  // the cable is pulled
    ASSERT_EQ(recording.wait_for(15s), std::future_status::ready);
    EXPECT_EQ(recording.get(), 1);
    EXPECT_NE(test::readText(dir.file("log")).find("stopped sending"), std::string::npos)
        << test::readText(dir.file("log"));
    const test::ReadBackFile f = test::readBack(out);
    ASSERT_EQ(f.problem, "");
    ASSERT_EQ(f.records.size(), 1u);
    EXPECT_GE(f.records[0].frames, 24000u);
    EXPECT_NEAR(test::levelDb(f.records[0].values), 70.0, 0.1);
}

TEST(CliRecordTest, BadArgumentsAndOutputsAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* args;
        int exitCode;
        const char* message;
    };
    test::TempDir dir;
    const std::string out = dir.file("r.sdt");
    const std::string missing = dir.file("missing/r.sdt");
    const Case cases[] = {
        {"record --usb /dev/null --seconds 1 -o MISSING", 1, "Can't write file"},
        {"record --usb /dev/null --seconds 1 -o -", 2, "standard output can't take a recording"},
        // Markers closer than a second would cut the recording into records of a few frames each.
        {"record --usb /dev/null --frames 10 --marker-every 0.5 -o OUT", 2,
         "--marker-every takes a number of seconds from 1, not '0.5'"},
        {"record --usb /dev/null --frames 10 --marker-every 1e-9 -o OUT", 2, "--marker-every"},
        {"record --usb /dev/null --seconds 1 --frames 10 -o OUT", 2, "either --seconds S or --frames N"},
        {"record --usb /dev/null -o OUT", 2, "either --seconds S or --frames N"},
        {"record --seconds 1 -o OUT", 2, "--usb"},
        {"record --usb /dev/null --seconds 0 -o OUT", 2, "--seconds"},
        {"record --usb /dev/null --frames 1 --marker-every -1 -o OUT", 2, "--marker-every"},
        {"record --usb /dev/null --seconds 1 --preset Nowhere -o OUT", 1, "No preset named 'Nowhere'"},
    };
    for (const Case& c : cases) {
        std::string args = c.args;
        if (auto at = args.find("MISSING"); at != std::string::npos) args.replace(at, 7, missing);
        if (auto at = args.find("OUT"); at != std::string::npos) args.replace(at, 3, out);
        EXPECT_EQ(run(dir, args), c.exitCode) << c.args;
        EXPECT_NE(test::readText(dir.file("log")).find(c.message), std::string::npos)
            << c.args << ": " << test::readText(dir.file("log"));
        EXPECT_FALSE(std::filesystem::exists(out)) << c.args;
        EXPECT_FALSE(std::filesystem::exists(missing)) << c.args;
    }
}

TEST(CliRecordTest, AnInstrumentWithoutARawStreamHasNothingToRecord) {
    SimulatorOptions o;
    o.type = 3;
    o.tcp = false;
    o.pty = true;
    auto sim = Simulator::Start(o);
    ASSERT_TRUE(sim.ok());
    test::TempDir dir;
    const std::string out = dir.file("rec.sdt");
    EXPECT_EQ(run(dir, "record --usb " + (*sim)->ptyPath() + " --seconds 1 -o " + out), 1);
    EXPECT_NE(test::readText(dir.file("log")).find("no raw signal stream"), std::string::npos)
        << test::readText(dir.file("log"));
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(SimulatorSignalTest, TheStreamKeepsTheRealClocksPaceAndUnknownItemsAreRefused) {
    auto sim = startStreamSim("calibrator");
    ASSERT_TRUE(sim);
    const int fd = ::open(sim->ptyPath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    // Read for a while, then count the samples that came over two seconds of the real clock.
    std::vector<uint8_t> buffer(1 << 16);
    auto drain = [&] {
        size_t n = 0;
        for (ssize_t k; (k = ::read(fd, buffer.data(), buffer.size())) > 0;) n += static_cast<size_t>(k);
        return n;
    };
    for (int i = 0; i < 20; ++i, std::this_thread::sleep_for(10ms)) drain();
    const auto start = std::chrono::steady_clock::now();
    size_t bytes = 0;
    while (std::chrono::steady_clock::now() - start < 2s) {
        std::this_thread::sleep_for(10ms);
        bytes += drain();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(fd);
    // Four bytes a sample, and a status frame after every 64 samples.
    const double samples = static_cast<double>(bytes) / 4.0 * 64.0 / 65.0;
    EXPECT_NEAR(samples / seconds, 48000.0, 48000.0 * 0.03);

    test::TempDir dir;
    const std::string line = std::string(K470_SIM) + " --signal pink:40,noise:3 2>" + dir.file("log");
    const int rc = std::system(line.c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 2);
    const std::string log = test::readText(dir.file("log"));
    for (const char* word :
         {"noise:3", "tone:F:DB", "pink:DB", "calibrator", "decay:T60", "impulse:T60", "events"})
        EXPECT_NE(log.find(word), std::string::npos) << word << ": " << log;
}

// Like the instrument, the simulator does not wait for a PC that stops reading: what does not fit its
// buffers is lost and counted, and the signal goes on with the real clock, so the PC sees a gap. Only when
// asked it holds the stream back instead, and the PC reads the signal without a gap, late.
TEST(SimulatorSignalTest, AReaderThatFallsBehindLosesFramesUnlessTheSimulatorWaits) {
    for (const bool wait : {false, true}) {
        SimulatorOptions o;
        o.type = 26;
        o.tcp = false;
        o.pty = true;
        o.signal = *parseSignalList("tone:997:94");
        o.waitForReader = wait;
        const auto start = std::chrono::steady_clock::now();
        auto started = Simulator::Start(o);
        ASSERT_TRUE(started.ok());
        Simulator& sim = **started;
        const int fd = ::open(sim.ptyPath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
        std::this_thread::sleep_for(1500ms);  // not reading, as a PC that is held up
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> buffer(1 << 16);
        const auto readUntil = start + 2500ms;
        while (std::chrono::steady_clock::now() < readUntil) {
            for (ssize_t k; (k = ::read(fd, buffer.data(), buffer.size())) > 0;)
                bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + k);
            std::this_thread::sleep_for(5ms);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const uint64_t dropped = sim.droppedFrames();
        sim.Stop();
        ::close(fd);
        // Whole frames only, in the instrument's layout: the marker, then a signed 24-bit sample.
        std::vector<double> samples;
        ASSERT_EQ(bytes.size() % 4, 0u);
        for (size_t i = 0; i < bytes.size(); i += 4) {
            ASSERT_TRUE(bytes[i] == 0xAA || bytes[i] == 0xBB) << i;
            if (bytes[i] == 0xAA)
                samples.push_back(
                    static_cast<int32_t>((bytes[i + 1] | bytes[i + 2] << 8 | bytes[i + 3] << 16) << 8) >> 8);
        }
        const double frames = static_cast<double>(bytes.size() / 4);
        const double due = seconds * 48000.0 * 65.0 / 64.0;  // a status frame after every 64 samples
        const double peak = 141421.0;                        // 94 dB at 100,000 counts per pascal
        if (wait) {
            EXPECT_EQ(dropped, 0u);
            EXPECT_LT(largestToneBreak(samples, 997.0, 48000.0), 1e-3 * peak);
            EXPECT_LT(frames, 0.9 * due);  // held back: behind the real clock
        } else {
            EXPECT_GT(dropped, 0u);
            EXPECT_GT(largestToneBreak(samples, 997.0, 48000.0), 0.01 * peak);
            EXPECT_NEAR(frames + static_cast<double>(dropped), due, 0.05 * due);
        }
    }
}

}  // namespace
}  // namespace k470
