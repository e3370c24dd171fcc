// SPDX-License-Identifier: GPL-3.0-or-later
// The acquisition controller end to end against the instrument simulator, over loopback TCP and a
// pseudo-terminal. The connect sequence runs in real time (about a second per connect); the ticks after
// it run on a clock that the tests move.
#include "link/acquisition_controller.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cmath>
#include <numbers>
#include <thread>

#include "base/lexicon.h"
#include "base/named_event.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "link/device_link.h"
#include "link/live_stream_handler.h"
#include "link/tele_link.h"
#include "signal/filter_library.h"
#include "signal/processing_chain.h"
#include "signal/signal_state.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using namespace std::chrono_literals;

// The connect sequence's progress: from 0, rising, within 0..100.
bool progressRises(const std::vector<int>& p) {
    return p.size() > 1 && p.front() == 0 && p.back() <= 100 && std::is_sorted(p.begin(), p.end()) &&
           std::adjacent_find(p.begin(), p.end()) == p.end();
}

struct RecordingView : AcquisitionView {
    std::vector<std::string> messages, titles;
    std::vector<int> progress;
    AcquisitionCommands commands;
    bool progressVisible = false, timer = false, answer = true, checked = false;
    int newData = 0, pagesOpen = 0;
    DeviceType pagesType = 0;

    void ShowMessage(const std::string& t) override { messages.push_back(t); }
    bool AskYesNo(const std::string& t) override {
        messages.push_back(t);
        return answer;
    }
    void ShowProgress(bool v) override { progressVisible = v; }
    void SetProgress(int p) override { progress.push_back(p); }
    void SetTitle(const std::string& t) override { titles.push_back(t); }
    void SetCommands(const AcquisitionCommands& c) override { commands = c; }
    void SetStartStopChecked(bool c) override { checked = c; }
    void OpenPages(DeviceType t) override {
        ++pagesOpen;
        pagesType = t;
    }
    void AcquisitionEnded() override { --pagesOpen; }
    void NewData() override { ++newData; }
    void SetTimerRunning(bool r) override { timer = r; }
};

struct StreamStub : StreamHandler {
    int ticks = 0;
    int stops = 0;
    bool OnStreamTick(SerialPort&) override {
        ++ticks;
        return true;
    }
    void StopStream() override { ++stops; }
};

class AcquisitionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        eventName = "K470TestAutoSave" + std::to_string(::getpid());
        auto e = NamedEvent::Open(eventName);
        ASSERT_TRUE(e.ok());
        event = std::make_unique<NamedEvent>(std::move(*e));
        event->Reset();
    }
    void TearDown() override {
        controller.reset();
        NamedEvent::Unlink(eventName);
    }

    void useWiFi(uint16_t port) {
        ASSERT_TRUE(settings.WriteInt("Init", "AType", 1));
        ASSERT_TRUE(settings.WriteString("Init", "IP1", "127.0.0.1"));
        ASSERT_TRUE(settings.WriteString("Init", "IP2", "127.0.0.1"));
        telePort = port;
    }
    void useUsb(std::vector<std::string> devices) {
        ASSERT_TRUE(settings.WriteInt("Init", "AType", 0));
        provider = std::make_unique<FixedTtyProvider>(std::move(devices));
    }
    Simulator& startSim(SimulatorOptions o) {
        o.port = 0;
        auto s = Simulator::Start(o);
        EXPECT_TRUE(s.ok());
        sim = std::move(*s);
        return *sim;
    }
    AcquisitionController& make() {
        controller.reset();  // it uses the links it was made with
        usb = std::make_unique<DeviceLink>(*provider);
        AcquisitionDeps deps{*usb,
                             tele,
                             settings,
                             clock,
                             [this](uint32_t ms) {
                                 std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                                 clock.advance(ms);
                             },
                             event.get(),
                             [] { return CalendarTime{2026, 12, 10, 9, 30, 20}; },
                             telePort};
        controller = std::make_unique<AcquisitionController>(std::move(deps), view);
        return *controller;
    }
    MessageLink& link() {
        return settings.ReadInt("Init", "AType", 0) ? static_cast<MessageLink&>(tele) : *usb;
    }
    // Moves the clock on, waits for the instrument's next message and runs one tick.
    void tick(uint32_t advanceMs) {
        clock.advance(advanceMs);
        ASSERT_TRUE(link().WaitForMessage(2000));
        controller->OnAcquisitionTimer();
    }
    // The bytes the simulator has received, once at least this many have reached it.
    std::vector<uint8_t> sentBytes(size_t atLeast) {
        for (int i = 0; i < 300 && sim->receivedBytes().size() < atLeast; ++i)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(20ms);  // and anything that follows them at once
        return sim->receivedBytes();
    }

    test::TempDir dir;
    SettingsStore settings{dir.file("k470.ini")};
    ManualClock clock{1000};
    std::unique_ptr<SerialPortProvider> provider =
        std::make_unique<FixedTtyProvider>(std::vector<std::string>{});
    std::unique_ptr<DeviceLink> usb;
    TeleLink tele;
    std::string eventName;
    std::unique_ptr<NamedEvent> event;
    RecordingView view;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<AcquisitionController> controller;
    uint16_t telePort = kTelePort;
};

TEST(RawStreamProbeTest, RunMustExceed700FramesAtTheEnd) {
    auto frames = [](int n) {
        std::vector<uint8_t> b;
        for (int i = 0; i < n; ++i) b.insert(b.end(), {static_cast<uint8_t>(i % 2 ? 0xBB : 0xAA), 1, 2, 3});
        return b;
    };
    EXPECT_TRUE(looksLikeRawStream(frames(701)));
    EXPECT_FALSE(looksLikeRawStream(frames(700)));
    auto stray = frames(701);
    stray.push_back(0x00);
    EXPECT_FALSE(looksLikeRawStream(stray));
    auto lead = frames(701);
    lead.insert(lead.begin(), {0x01, 0x02});  // noise before the run does not matter
    EXPECT_TRUE(looksLikeRawStream(lead));
}

TEST(RecordingParametersTest, Limits) {
    using P = AcquisitionController::RecordingParameters;
    EXPECT_TRUE(AcquisitionController::CheckRecordingParameters(P{1, 300000, false}).ok());
    EXPECT_FALSE(AcquisitionController::CheckRecordingParameters(P{1, 300001, false}).ok());
    EXPECT_FALSE(AcquisitionController::CheckRecordingParameters(P{1, 0, false}).ok());
    Status s = AcquisitionController::CheckRecordingParameters(P{0, 10, false});
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().message, "Error in parameters");
}

TEST_F(AcquisitionTest, WiFiConnectIdentifiesDecodesSavesAndStops) {
    SimulatorOptions o;
    o.type = 3;
    o.vin = 0x0012ABCD;
    startSim(o);
    useWiFi(sim->tcpPort());
    auto& c = make();
    ASSERT_TRUE(c.StartAcquisition()) << (view.messages.empty() ? "" : view.messages.back());
    EXPECT_TRUE(progressRises(view.progress));
    EXPECT_FALSE(view.progressVisible);
    EXPECT_EQ(c.deviceType(), 3);
    EXPECT_EQ(c.vin(), 0x0012ABCDu);
    EXPECT_EQ(view.titles.back(), deviceTypeName(3) + " (VIN: 0012ABCD)");
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(view.pagesType, 3);
    EXPECT_TRUE(view.commands.saveAsBinary && view.commands.startRecording && !view.commands.stopRecording);
    EXPECT_EQ(sentBytes(2), (std::vector<uint8_t>{0xA0, 0x1A}));

    c.SelectRange(2);
    c.SetCalibrationOffset(0, -0.5);
    for (int i = 0; i < 200 && sim->receivedBytes().size() < 14u; ++i) std::this_thread::sleep_for(10ms);
    // Start, range 3, then the five calibration writes: AC 0A, AD 8A, AE FA, AF FA, A0 BA.
    EXPECT_EQ(sim->receivedBytes(), (std::vector<uint8_t>{0xA0, 0x1A, 0xA0, 0x9A, 0xAC, 0x0A, 0xAD, 0x8A,
                                                          0xAE, 0xFA, 0xAF, 0xFA, 0xA0, 0xBA}));
    tick(30);
    for (int i = 0; i < 100 && (c.values().record.tail.rangeIndex != 2 ||
                                c.values().record.trailer.calibrationOffset[0] != -0.5);
         ++i)
        tick(30);
    EXPECT_EQ(c.values().record.tail.rangeIndex, 2);
    EXPECT_DOUBLE_EQ(c.values().record.trailer.calibrationOffset[0], -0.5);
    EXPECT_GT(c.values().record.levels[0], 40.0);  // plausible sound levels, shifted by the range
    EXPECT_GT(view.newData, 0);

    ASSERT_TRUE(c.SaveAsBinary(dir.file("one.bin")).ok());
    auto file = BinFile::Open(dir.file("one.bin"));
    ASSERT_TRUE(file.ok());
    ASSERT_EQ(file->recordCount(), 1);
    auto rec = file->ReadRecord(1);
    ASSERT_TRUE(rec.ok());
    EXPECT_EQ(rec->header.vin, 0x0012ABCDu);
    EXPECT_EQ(rec->header.deviceType, 3);
    EXPECT_EQ(rec->header.recordComment,
              (std::array<uint8_t, 10>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(rec->header.dateTime().minutes, 30);
    EXPECT_EQ(rec->tail.rangeIndex, 2);
    EXPECT_FALSE(rec->tail.intervalKnown());  // no Reset yet: the interval is unknown
    EXPECT_NEAR(rec->levels[5], c.values().record.levels[5], 1.0 / 256);
    EXPECT_FALSE(c.SaveAsBinary(dir.file("missing/dir/x.bin")).ok());

    const size_t before = sim->receivedBytes().size();
    c.StopAcquisition();
    for (int i = 0; i < 200 && sim->receivedBytes().size() < before + 2; ++i)
        std::this_thread::sleep_for(10ms);
    auto sent = sim->receivedBytes();
    ASSERT_EQ(sent.size(), before + 2);
    EXPECT_EQ(sent[before], 0xA0);
    EXPECT_EQ(sent[before + 1], 0x2A);
    EXPECT_FALSE(tele.IsConnected());
    EXPECT_FALSE(c.acquiring());
    // Nothing is shown any more: there is no record to save.
    EXPECT_FALSE(c.SaveAsBinary(dir.file("after.bin")).ok());
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(view.pagesOpen, 0);
    EXPECT_FALSE(view.commands.saveAsBinary || view.commands.reset);
}

TEST_F(AcquisitionTest, WiFiFailures) {
    // Nothing listens: the adapter is not found and nothing else changes.
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    useWiFi(ntohs(a.sin_port));
    auto& c = make();
    EXPECT_FALSE(c.StartAcquisition());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "Can't found tele adapter");
    EXPECT_EQ(view.progress, (std::vector<int>{0}));
    EXPECT_FALSE(c.acquiring());
    EXPECT_EQ(view.pagesOpen, 0);
    // It listens but no instrument answers.
    ASSERT_EQ(::listen(s, 4), 0);
    EXPECT_FALSE(c.StartAcquisition());
    EXPECT_EQ(view.messages.back(), "Can't found device");
    EXPECT_FALSE(tele.IsConnected());
    EXPECT_FALSE(view.progressVisible);
    ::close(s);
    // An address that does not parse.
    ASSERT_TRUE(settings.WriteString("Init", "IP2", "adapter"));
    EXPECT_FALSE(c.StartAcquisition());
    EXPECT_EQ(view.messages.back(), "Can't found tele adapter");
}

TEST_F(AcquisitionTest, AutorecordingWritesEachRecordWithMarkersAndEnds) {
    SimulatorOptions o;
    o.type = 7;
    startSim(o);
    useWiFi(sim->tcpPort());
    auto& c = make();
    ASSERT_TRUE(c.StartAcquisition());
    tick(30);
    const std::string path = dir.file("auto.bin");
    ASSERT_TRUE(c.StartRecording({1, 3, false}, path).ok());
    EXPECT_TRUE(event->IsSet());
    EXPECT_EQ(c.recording(), AcquisitionController::Recording::Active);
    EXPECT_EQ(view.titles.back(), c.baseTitle() + " (autorecording 0%)");
    EXPECT_TRUE(view.commands.stopRecording && view.commands.setMarker && !view.commands.startRecording);
    // The instrument was reset and, as it was not running, started.
    auto sent = sentBytes(6);
    ASSERT_GE(sent.size(), 6u);
    EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 2, sent.begin() + 6),
              (std::vector<uint8_t>{0xA0, 0x3A, 0xA0, 0x4A}));

    tick(999);
    EXPECT_EQ(c.recordsWritten(), 0u);
    c.SetMarker();
    tick(1);
    EXPECT_EQ(c.recordsWritten(), 1u);
    EXPECT_EQ(view.titles.back(), c.baseTitle() + " (autorecording 33%)");
    tick(1000);
    EXPECT_EQ(view.titles.back(), c.baseTitle() + " (autorecording 66%)");
    for (int i = 0; i < 12; ++i) c.SetMarker();  // 13 presses in all
    tick(1000);
    EXPECT_EQ(c.recordsWritten(), 3u);
    EXPECT_EQ(c.recording(), AcquisitionController::Recording::Off);
    EXPECT_EQ(view.titles.back(), c.baseTitle());
    EXPECT_FALSE(event->IsSet());
    EXPECT_TRUE(view.commands.startRecording && !view.commands.stopRecording &&
                !view.commands.markerButtonVisible);
    tick(5000);  // no more records after the end

    auto file = BinFile::Open(path);
    ASSERT_TRUE(file.ok());
    ASSERT_EQ(file->recordCount(), 3);
    const std::array<uint8_t, 10> marker1 = {'M', 'A', 'R', 'K', 'E', 'R', 0xFF, 0xF5, 0xF6, 0xFF};
    const std::array<uint8_t, 10> marker13 = {'M', 'A', 'R', 'K', 'E', 'R', 0xFF, 0xF6, 0xF8, 0xFF};
    const std::array<uint8_t, 10> none = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(file->ReadHeader(1)->recordComment, marker1);
    EXPECT_EQ(file->ReadHeader(2)->recordComment, none);
    EXPECT_EQ(file->ReadHeader(3)->recordComment, marker13);
    auto third = file->ReadRecord(3);
    ASSERT_TRUE(third.ok());
    EXPECT_EQ(third->header.deviceType, 7);
    EXPECT_TRUE(third->tail.intervalKnown());  // counted from the reset

    // Stopped by hand before the count: one extra record is written at the stop.
    ASSERT_TRUE(c.StartRecording({1, 3, false}, path).ok());
    tick(1000);
    c.StopRecording();
    EXPECT_EQ(BinFile::Open(path)->recordCount(), 2);
}

TEST_F(AcquisitionTest, AutorecordingStopsWithAMessageWhenAWriteFails) {
    SimulatorOptions o;
    startSim(o);
    useWiFi(sim->tcpPort());
    auto& c = make();
    ASSERT_TRUE(c.StartAcquisition());
    // The device accepts the file but refuses every byte.
    ASSERT_TRUE(c.StartRecording({1, 5, false}, "/dev/full").ok());
    tick(1000);
    EXPECT_EQ(c.recording(), AcquisitionController::Recording::Off);
    EXPECT_EQ(c.recordsWritten(), 0u);
    ASSERT_FALSE(view.messages.empty());
    EXPECT_EQ(view.titles.back(), c.baseTitle());
    EXPECT_TRUE(view.commands.startRecording);
}

TEST_F(AcquisitionTest, ExternalTriggerStartsAnArmedRecordingAndResetCountsTheInterval) {
    SimulatorOptions o;
    o.type = 22;
    startSim(o);
    useWiFi(sim->tcpPort());
    auto& c = make();
    ASSERT_TRUE(c.StartAcquisition());
    ASSERT_TRUE(c.StartRecording({2, 2, true}, dir.file("trig.bin")).ok());
    EXPECT_EQ(c.recording(), AcquisitionController::Recording::Armed);
    tick(5000);
    EXPECT_EQ(c.recordsWritten(), 0u);
    auto other = NamedEvent::Open(eventName);  // as "k470-cli trigger" would
    ASSERT_TRUE(other.ok());
    other->Set();
    tick(30);
    EXPECT_EQ(c.recording(), AcquisitionController::Recording::Active);
    tick(2000);
    EXPECT_EQ(c.recordsWritten(), 1u);
    EXPECT_EQ(view.titles.back(), c.baseTitle() + " (autorecording 50%)");
    // The instrument runs now (started by the recording); the interval counts from the reset.
    for (int i = 0; i < 100 && !c.startStopChecked(); ++i) tick(30);
    ASSERT_TRUE(c.startStopChecked());
    tick(0);
    const uint32_t before = c.measurementInterval();
    tick(61'000);
    const uint32_t after = c.measurementInterval();
    EXPECT_EQ((after >> 8 & 0xFF) * 60 + (after & 0xFF), (before >> 8 & 0xFF) * 60 + (before & 0xFF) + 61);
    // Reset during the recording stops it, writing its last record.
    c.Reset();
    EXPECT_EQ(c.recording(), AcquisitionController::Recording::Off);
    EXPECT_EQ(BinFile::Open(dir.file("trig.bin"))->recordCount(), 2);
    EXPECT_EQ(c.measurementInterval(), 0u);
    // A new "Data" while recording asks first; No keeps everything.
    ASSERT_TRUE(c.StartRecording({1, 10, false}, dir.file("again.bin")).ok());
    view.answer = false;
    EXPECT_FALSE(c.StartAcquisition());
    EXPECT_EQ(view.messages.back(), "Stop autorecording?");
    EXPECT_EQ(c.recording(), AcquisitionController::Recording::Active);
    EXPECT_TRUE(tele.IsConnected());
}

TEST_F(AcquisitionTest, UsbConnectWakesTheInstrumentOverAPseudoTerminal) {
    SimulatorOptions o;
    o.tcp = false;
    o.pty = true;
    o.type = 1;
    o.vin = 0xCAFE0001;
    startSim(o);
    useUsb({dir.file("ttyUSB0"), sim->ptyPath()});
    auto& c = make();
    ASSERT_TRUE(c.StartAcquisition()) << (view.messages.empty() ? "" : view.messages.back());
    EXPECT_EQ(c.deviceType(), 1);
    EXPECT_EQ(c.vin(), 0xCAFE0001u);
    EXPECT_TRUE(progressRises(view.progress));
    EXPECT_EQ(view.progress.back(), 100);  // the fast baud rate is the last step
    EXPECT_EQ(sentBytes(6), (std::vector<uint8_t>{0x28, 0xA0, 0x1A, 0x02, 0xA0, 0x1A}));
    EXPECT_EQ(usb->baudRate(), DeviceLink::kFastBaudRate);
    tick(30);
    EXPECT_GT(c.values().record.levels[0], 50.0);  // vibration levels
    c.SetCalibrationOffset(2, 1.0);
    for (int i = 0; i < 200 && sim->state().calibrationOffset[2] != 1.0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_DOUBLE_EQ(sim->state().calibrationOffset[2], 1.0);
    c.StopAcquisition();
    EXPECT_FALSE(usb->IsOpen());
}

TEST_F(AcquisitionTest, UsbWithoutDeviceOrWithoutAnswer) {
    useUsb({dir.file("ttyUSB0")});
    auto& c = make();
    EXPECT_FALSE(c.StartAcquisition());
    EXPECT_EQ(view.messages.back(), "Can't found tele adapter");
    EXPECT_EQ(view.progress, (std::vector<int>{0}));
    // A terminal with nothing answering on it: two attempts, then no device.
    SimulatorOptions o;
    o.tcp = false;
    o.pty = true;
    o.silenceAfter = 1;  // one message, then silence: counted as no answer
    startSim(o);
    useUsb({sim->ptyPath()});
    auto& d = make();
    EXPECT_FALSE(d.StartAcquisition());
    EXPECT_EQ(view.messages.back(), "Can't found device");
    EXPECT_EQ(view.progress.back(), 100);
    EXPECT_FALSE(usb->IsOpen());
    auto sent = sentBytes(7);
    // The second attempt sends one more wake-up byte.
    ASSERT_GE(sent.size(), 7u);
    EXPECT_EQ(sent[6], 0x28);
}

TEST_F(AcquisitionTest, UsbStreamIsFoundByTheProbe) {
    SimulatorOptions o;
    o.tcp = false;
    o.pty = true;
    o.stream = true;
    startSim(o);
    useUsb({sim->ptyPath()});
    auto& c = make();
    // Without a stream handler the stream cannot be shown.
    EXPECT_FALSE(c.StartAcquisition());
    EXPECT_EQ(view.messages.back(), "Unknown file format");
    // No wake-up bytes, no start command; the stop command reaches the device although the link's threads
    // are stopped.
    EXPECT_EQ(sentBytes(2), (std::vector<uint8_t>{0xA0, 0x2A}));
    StreamStub stream;
    c.SetStreamHandler(&stream);
    ASSERT_TRUE(c.StartAcquisition());
    EXPECT_EQ(c.deviceType(), 26);
    EXPECT_TRUE(usb->IsOpen());
    EXPECT_FALSE(usb->WorkersRunning());
    c.OnAcquisitionTimer();
    EXPECT_EQ(stream.ticks, 1);
    EXPECT_EQ(view.newData, 1);
    EXPECT_FALSE(c.SaveAsBinary(dir.file("s.bin")).ok());
    // The stub goes with this test; the stream ends while it is there to hear it.
    c.StopAcquisition();
    EXPECT_EQ(stream.stops, 1);
}

// The amplitude of the tone at frequency f in the newest n values of an output ring (n whole periods of f).
double toneAmplitude(const ProcessingChain& chain, int channel, size_t n, double f, double rate) {
    std::span<const double> ring = chain.outputRing(channel);
    const auto ringLength = static_cast<long>(ring.size());
    double re = 0, im = 0;
    for (size_t i = 0; i < n; ++i) {
        const long back = (chain.newestIndex(channel) - static_cast<long>(i)) % ringLength;
        const long at = back < 0 ? back + ringLength : back;
        const double phase = 2.0 * std::numbers::pi * f * static_cast<double>(i) / rate;
        re += ring[static_cast<size_t>(at)] * std::cos(phase);
        im += ring[static_cast<size_t>(at)] * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(n);
}

TEST_F(AcquisitionTest, StreamModeRunsTheRawSignalThroughTheChainAndStopsTheInstrument) {
    SimulatorOptions o;
    o.type = kStreamDeviceType;
    o.tcp = false;
    o.pty = true;
    o.vin = 0x00C0FFEE;
    startSim(o);
    useUsb({sim->ptyPath()});
    auto& c = make();
    SignalState state;
    ProcessingChain chain;
    FilterLibrary library;
    std::mutex signalLock;
    LiveStreamHandler stream({state, chain, library, signalLock, {}});
    c.SetStreamHandler(&stream);
    ASSERT_TRUE(c.StartAcquisition());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(c.deviceType(), kStreamDeviceType);
    EXPECT_EQ(view.pagesType, kStreamDeviceType);
    EXPECT_TRUE(view.timer);
    EXPECT_FALSE(usb->WorkersRunning());
    EXPECT_FALSE(view.commands.saveAsBinary);  // a stream has no records
    EXPECT_FALSE(view.commands.startRecording);

    // Ticks in real time for two seconds, longer than the instrument's and the terminal's buffers last:
    // the instrument does not wait, so whatever the ticks did not take in time would be lost.
    const auto t0 = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - t0 < 2s) {
        std::this_thread::sleep_for(30ms);
        c.OnAcquisitionTimer();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(sim->droppedFrames(), 0u);
    EXPECT_EQ(stream.framesLost(), 0u);
    EXPECT_GT(static_cast<double>(stream.samplesProcessed()), 0.95 * kStreamRate * seconds);
    EXPECT_GT(view.newData, 0);
    // The set-up of the raw-signal instrument: its three channels pass the sample and the two status values.
    EXPECT_EQ(state.highPassStep, 0);
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(chain.enabled(k)) << k;
    EXPECT_EQ(stream.stream().decoder().statusA(), o.streamStatusA);
    EXPECT_EQ(stream.stream().decoder().statusB(), o.streamStatusB);
    // A raw stream carries no identification: whatever the instrument's serial number, the title and the
    // recordings have 0.
    EXPECT_EQ(c.vin(), 0u);
    EXPECT_EQ(view.titles.back(), deviceTypeName(kStreamDeviceType) + " (VIN: 00000000)");
    EXPECT_EQ(chain.outputRing(1)[static_cast<size_t>(chain.newestIndex(1))], o.streamStatusA);
    EXPECT_EQ(chain.outputRing(2)[static_cast<size_t>(chain.newestIndex(2))], o.streamStatusB);
    // Channel 1 carries both tones at their amplitudes, and nothing between them. 384 samples hold whole
    // periods of 1, 2 and 3 kHz at 48 kHz.
    ASSERT_GE(chain.outputRingLength(), 384);
    for (const StreamTone& tone : kStreamTones)
        EXPECT_NEAR(toneAmplitude(chain, 0, 384, tone.frequency, kStreamRate), tone.amplitude,
                    0.02 * tone.amplitude)
            << tone.frequency;
    EXPECT_LT(toneAmplitude(chain, 0, 384, 2000.0, kStreamRate), 0.01 * kStreamTones[0].amplitude);

    // Commands and the stop reach the instrument directly, with no write left pending on the link.
    c.Reset();
    EXPECT_FALSE(usb->WritePending());
    c.StopAcquisition();
    EXPECT_FALSE(usb->IsOpen());
    EXPECT_FALSE(usb->WritePending());
    EXPECT_EQ(sentBytes(4), (std::vector<uint8_t>{0xA0, 0x3A, 0xA0, 0x2A}));
}

// Ticks that do not come for a while (a window held up) fill the intake's backlog; what arrives then is lost
// on the PC's side and counted in whole frames, while the instrument itself lost nothing.
TEST_F(AcquisitionTest, StreamModeCountsTheFramesLostWhenItsBacklogIsFull) {
    SimulatorOptions o;
    o.type = kStreamDeviceType;
    o.tcp = false;
    o.pty = true;
    startSim(o);
    useUsb({sim->ptyPath()});
    auto& c = make();
    SignalState state;
    ProcessingChain chain;
    FilterLibrary library;
    std::mutex signalLock;
    constexpr size_t kBacklog = 16'386;  // not a whole number of frames
    LiveStreamHandler stream({state, chain, library, signalLock, {}});
    stream.SetBacklogLimit(kBacklog);
    c.SetStreamHandler(&stream);
    ASSERT_TRUE(c.StartAcquisition());
    c.OnAcquisitionTimer();
    EXPECT_EQ(stream.framesLost(), 0u);
    std::this_thread::sleep_for(500ms);  // some 97 KB of the stream arrive meanwhile
    c.OnAcquisitionTimer();
    EXPECT_GE(stream.lastTick().bytes, kBacklog);  // the backlog, and what came during the tick
    const uint64_t lostBytes = stream.reader().bytesLost();
    EXPECT_GT(lostBytes, 50'000u);
    EXPECT_EQ(stream.framesLost(), (lostBytes + 3) / 4);
    EXPECT_EQ(sim->droppedFrames(), 0u);
    c.StopAcquisition();
}

}  // namespace
}  // namespace k470
