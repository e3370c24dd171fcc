// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the signal path: the processing chain in file mode (decimation 4 with the 401-tap low-pass, one
// enabled channel), the text conversion of a signal file against a loop that only formats the same values
// with snprintf("%.10lg"), the WAV conversion of one channel, the largest tick of the live stream and a
// replay tick at the fastest replay speed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "base/clock.h"
#include "data/sdt_container.h"
#include "signal/live_stream.h"
#include "signal/processing_chain.h"
#include "signal/replay_controller.h"
#include "signal/sdt_conversion.h"
#include "views/signal_trace.h"

namespace k470 {
namespace {

// The chain's input: a noisy multi-tone, made once.
const std::vector<double>& chainInput() {
    static const std::vector<double> x = [] {
        std::vector<double> v(1 << 20);
        uint32_t seed = 1;
        for (size_t i = 0; i < v.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double t = static_cast<double>(i);
            v[i] = std::sin(0.01 * t) + 0.5 * std::sin(0.3 * t) + static_cast<double>(seed >> 8) * 1e-8;
        }
        return v;
    }();
    return x;
}

void BM_ChainFileModeDecimate4(benchmark::State& st) {
    const size_t frames = static_cast<size_t>(st.range(0));
    SignalState s;
    s.decimation = 4;
    s.channels[1].matrixRow = {};
    s.channels[2].matrixRow = {};
    FilterLibrary lib;
    ProcessingChain chain;
    chain.sizeRings({});
    chain.setChannels(s, lib);
    const std::vector<double>& x = chainInput();
    chain.output().reserve(frames / 4 + 1);
    for (auto _ : st) {
        chain.output().clear();
        for (size_t i = 0; i < frames; ++i)
            chain.ProcessSample({x[i & (x.size() - 1)], 0.0, 0.0}, ChainMode::File);
        benchmark::DoNotOptimize(chain.output().data());
    }
    st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * frames));
}
BENCHMARK(BM_ChainFileModeDecimate4)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A three-channel signal file of the given frames in the temporary directory, made once per size.
std::string signalFile(uint32_t frames) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("k470_bench_" + std::to_string(frames) + ".sdt")).string();
    if (std::filesystem::exists(path)) return path;
    SdtHeader h;
    h.sampleRate = 48000.0;
    h.channelCount = 3;
    h.channelMask = 7;
    h.units = {u"Pa", u"Pa", u"Pa"};
    auto w = SdtWriter::Create(path, h);
    std::array<uint8_t, kMarkerTableSize> table{};
    (void)w->BeginRecord(26, 1, CalendarTime{}, table);
    std::vector<double> v;
    const std::vector<double>& x = chainInput();
    for (uint32_t i = 0; i < frames; ++i)
        for (int k = 0; k < 3; ++k)
            v.push_back(x[(i * 3 + static_cast<uint32_t>(k)) & (x.size() - 1)] * 123.456);
    (void)w->AppendFrames(v, frames);
    (void)w->Finish();
    return path;
}

void BM_ConvertSdtToText(benchmark::State& st) {
    const uint32_t frames = static_cast<uint32_t>(st.range(0));
    const std::string path = signalFile(frames);
    for (auto _ : st) {
        auto r = ConvertSdtToText(path, RecordSelection::All());
        benchmark::DoNotOptimize(r.ok());
    }
    st.SetItemsProcessed(static_cast<int64_t>(st.iterations()) * frames);
    std::filesystem::remove(signalBaseName(path) + "_1.txt");
}
BENCHMARK(BM_ConvertSdtToText)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The peer: only the formatting of the same values (time column and three values per frame).
void BM_SnprintfFormatting(benchmark::State& st) {
    const uint32_t frames = static_cast<uint32_t>(st.range(0));
    const std::vector<double>& x = chainInput();
    std::string out;
    out.reserve(1 << 17);
    for (auto _ : st) {
        char buf[64];
        for (uint32_t i = 0; i < frames; ++i) {
            out.append(buf, static_cast<size_t>(std::snprintf(buf, sizeof buf, "%.10lg\t", i / 48000.0)));
            for (int k = 0; k < 3; ++k) {
                const double v = x[(i * 3 + static_cast<uint32_t>(k)) & (x.size() - 1)] * 123.456;
                out.append(buf, static_cast<size_t>(
                                    std::snprintf(buf, sizeof buf, k < 2 ? "%.10lg\t" : "%.10lg\r\n", v)));
            }
            if (out.size() > (1 << 16)) out.clear();
        }
        benchmark::DoNotOptimize(out.data());
    }
    st.SetItemsProcessed(static_cast<int64_t>(st.iterations()) * frames);
}
BENCHMARK(BM_SnprintfFormatting)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_ConvertSdtToWav(benchmark::State& st) {
    const uint32_t frames = static_cast<uint32_t>(st.range(0));
    const std::string path = signalFile(frames);
    TranslationParameters p;
    p.normalize = st.range(1) != 0;
    for (auto _ : st) {
        auto r = ConvertSdtToWav(path, RecordSelection::All(), p);
        benchmark::DoNotOptimize(r.ok());
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * frames * 24);
    for (int k = 1; k <= 3; ++k)
        std::filesystem::remove(signalBaseName(path) + "_ch" + std::to_string(k) + "_1.wav");
}
BENCHMARK(BM_ConvertSdtToWav)->Args({1'000'000, 0})->Args({1'000'000, 1})->Unit(benchmark::kMillisecond);

// The queued bytes of a raw sample stream in memory: sample frames of a tone with a status frame after
// every 64 samples.
class MemoryStream : public StreamByteSource {
  public:
    explicit MemoryStream(size_t bytes) {
        for (size_t i = 0; data_.size() < bytes; ++i) {
            const double x = 2e6 * std::sin(0.13 * static_cast<double>(i));
            const auto v = static_cast<uint32_t>(static_cast<int32_t>(x));
            data_.insert(data_.end(), {0xAA, static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                       static_cast<uint8_t>(v >> 16)});
            if (i % 64 == 63) data_.insert(data_.end(), {0xBB, static_cast<uint8_t>(i / 64 % 2), 0x34, 0x12});
        }
        data_.resize(bytes);
    }
    size_t queued() override { return data_.size() - at_; }
    size_t read(uint8_t* buffer, size_t n) override {
        n = std::min(n, queued());
        std::memcpy(buffer, data_.data() + at_, n);
        at_ += n;
        return n;
    }
    void rewind() { at_ = 0; }

  private:
    std::vector<uint8_t> data_;
    size_t at_ = 0;
};

// The largest stream tick, 20 reads of 32,768 bytes (163,840 frames), through the decoder and the chain
// in live mode with the three channels of the raw-signal instrument; argument: the high-pass step. The
// tick must stay well inside the 30 ms of the acquisition timer.
void BM_StreamTick(benchmark::State& st) {
    SignalState s;
    s.highPassStep = static_cast<int>(st.range(0));
    FilterLibrary lib;
    ProcessingChain chain;
    chain.sizeRings({});
    LiveSignalStream stream;
    std::mutex lock;
    MemoryStream source(kStreamReadsPerTick * kStreamReadBytes);
    const auto keep = [](SignalState&) {};
    for (auto _ : st) {
        source.rewind();
        StreamTickResult r = ReadStream(source, stream, s, lib, chain, lock, keep);
        benchmark::DoNotOptimize(r.samples);
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * kStreamReadsPerTick * kStreamReadBytes);
}
BENCHMARK(BM_StreamTick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A replay tick at speed 100: 30 ms of a 48 kHz three-channel record, 144,000 frames, read from the file,
// through the chain in live mode and into the trace of the "Signal" page. It must stay well inside the 30 ms
// of the timer for the replay to keep its pace.
void BM_ReplayTick100x(benchmark::State& st) {
    const std::string path = signalFile(48000 * 10);
    SignalState s;
    FilterLibrary lib;
    ProcessingChain chain;
    chain.sizeRings({});
    std::mutex lock;
    ChainReplaySink sink(s, lib, chain, lock, ChannelSetupSource{});
    views::SignalTrace trace;
    sink.setFrameObserver([&trace](const ProcessingChain& c) { trace.AppendNewest(c); });
    ManualClock clock(1000);
    ReplayController replay(clock);
    if (!replay.Open(path, sink)) {
        st.SkipWithError("the signal file cannot be replayed");
        return;
    }
    sink.setFile(&replay.file()->header());
    replay.setSpeedFactor(100);
    uint64_t frames = 0;
    for (auto _ : st) {
        if (replay.state() != ReplayState::Replaying) replay.Play(sink);
        clock.advance(30);
        frames += replay.Tick(sink);
    }
    st.SetItemsProcessed(static_cast<int64_t>(frames));
}
BENCHMARK(BM_ReplayTick100x)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace k470

BENCHMARK_MAIN();
