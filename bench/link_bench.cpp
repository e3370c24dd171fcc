// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the receiving side of the links: cutting a byte stream into frames, one acquisition tick, and the
// reader of the raw sample stream on a terminal.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <cstring>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/settings_store.h"
#include "data/sample_records.h"
#include "link/acquisition_controller.h"
#include "link/device_link.h"
#include "link/frame_parser.h"
#include "link/serial_port.h"
#include "link/stream_reader.h"
#include "link/tele_link.h"
#include "sim/simulator.h"

namespace {

using namespace k470;

// About 16 MB of frames of mixed sizes (small, a sound level message, the largest vibration message) with
// short runs of noise, some of it preamble fragments, between them.
const std::vector<uint8_t>& mixedStream() {
    static const std::vector<uint8_t> stream = [] {
        std::vector<uint8_t> s;
        uint32_t x = 12345;
        auto rnd = [&] {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            return x;
        };
        const size_t sizes[] = {20, 894, 2708, 5120, 64};
        std::vector<uint8_t> payload(5120);
        while (s.size() < (16u << 20)) {
            const size_t n = sizes[rnd() % 5];
            for (size_t i = 0; i < n; ++i) payload[i] = static_cast<uint8_t>(rnd());
            auto f = buildFrame(1, payload.data(), n);
            s.insert(s.end(), f.begin(), f.end());
            const uint8_t noise[] = {'T', 'q', '-', 0x00, 0x55, 0xFF};
            for (uint32_t k = rnd() % 8; k > 0; --k) s.push_back(noise[rnd() % 6]);
        }
        return s;
    }();
    return stream;
}

void BM_FrameParser(benchmark::State& state) {
    const auto& s = mixedStream();
    size_t frames = 0;
    FrameParser parser([&](uint8_t, const uint8_t*, uint32_t) { ++frames; });
    const size_t piece = static_cast<size_t>(state.range(0));  // bytes per read
    for (auto _ : state) {
        for (size_t at = 0; at < s.size(); at += piece)
            parser.Feed(s.data() + at, std::min(piece, s.size() - at));
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.size()));
}
BENCHMARK(BM_FrameParser)->Arg(930)->Arg(65536);

// The floor to compare with: finding every 'T' of the same buffer with memchr.
void BM_MemchrScan(benchmark::State& state) {
    const auto& s = mixedStream();
    for (auto _ : state) {
        size_t hits = 0;
        const uint8_t* p = s.data();
        const uint8_t* end = s.data() + s.size();
        while (const void* t = std::memchr(p, 'T', static_cast<size_t>(end - p))) {
            ++hits;
            p = static_cast<const uint8_t*>(t) + 1;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.size()));
}
BENCHMARK(BM_MemchrScan);

// One 30 ms tick taking 20 queued status messages of the largest type (three-channel vibration).
void BM_AcquisitionTick(benchmark::State& state) {
    SimulatorOptions o;
    o.type = 1;
    o.port = 0;
    auto sim = Simulator::Start(o);
    if (!sim) {
        state.SkipWithError(sim.error().message.c_str());
        return;
    }
    const std::string ini = "/tmp/k470-bench-" + std::to_string(::getpid()) + ".ini";
    SettingsStore settings(ini);
    settings.WriteInt("Init", "AType", 1);
    settings.WriteString("Init", "IP1", "127.0.0.1");
    settings.WriteString("Init", "IP2", "127.0.0.1");
    FixedTtyProvider none({});
    DeviceLink usb(none);
    TeleLink tele;
    SteadyClock clock;
    AcquisitionView view;
    AcquisitionController c({usb, tele, settings, clock,
                             [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
                             nullptr, nullptr, (*sim)->tcpPort()},
                            view);
    if (!c.StartAcquisition()) {
        state.SkipWithError("no connection to the simulator");
        return;
    }
    (*sim)->Stop();  // from here on only the injected messages arrive
    ::unlink(ini.c_str());
    tele.DiscardMessages();
    SampleRecordOptions so;
    so.type = 1;
    AcquiredValues v{*makeSampleRecord(so), true};
    const std::vector<uint8_t> message = EncodeStatusMessage(v);
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < AcquisitionController::kMessagesPerTick; ++i)
            tele.Inject(1, message.data(), static_cast<uint32_t>(message.size()));
        state.ResumeTiming();
        c.OnAcquisitionTimer();
    }
    state.counters["message_bytes"] = static_cast<double>(message.size());
}
BENCHMARK(BM_AcquisitionTick)->Unit(benchmark::kMicrosecond);

// The stream reader taking the bytes of a pseudo-terminal as fast as its far end writes them, and the tick's
// takes of its backlog in pieces of 32 KB: the intake's headroom over the raw-signal instrument's 195 kB/s.
void BM_StreamReaderIntake(benchmark::State& state) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    auto port = OpenTtySerialPort(::ptsname(master));
    if (!port || !port->SetLine8N1()) {
        state.SkipWithError("the terminal does not open");
        ::close(master);
        return;
    }
    StreamReader reader;
    reader.Start(*port);
    const std::vector<uint8_t> block(1 << 20, 0xAA);
    std::vector<uint8_t> piece(kStreamReadBytes);
    uint64_t sent = 0;
    for (auto _ : state) {
        size_t done = 0;
        while (done < block.size()) {
            const ssize_t k = ::write(master, block.data() + done, block.size() - done);
            if (k <= 0) break;
            done += static_cast<size_t>(k);
        }
        sent += done;
        while (reader.bytesRead() < sent) std::this_thread::yield();
        while (reader.read(piece.data(), piece.size()) > 0) {
        }
    }
    reader.Stop();
    state.counters["lost_bytes"] = static_cast<double>(reader.bytesLost());
    state.SetBytesProcessed(static_cast<int64_t>(sent));
    port.reset();
    ::close(master);
}
BENCHMARK(BM_StreamReaderIntake)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
