// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the sound level analysis: a 48 kHz one-channel signal through the A, C and Z weightings, F, S
// and I, the peaks and both band sets (1/3-octave 25 Hz..20 kHz, octave 31.5 Hz..16 kHz), in 1 s
// intervals. The signal is made block by block as it is analysed, so the peak memory shows whether the
// analysis keeps anything that grows with the signal: the 1-minute and the 10-minute runs must end at the
// same resident size. Counters: rtf (seconds of signal per second of processor time) and peak_rss_MB.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "acoustics/level_recorder.h"
#include "signal_bench_counters.h"

namespace k470::acoustics {
namespace {

constexpr double kRate = 48000.0;
constexpr size_t kBlock = 4096;

// Noise from a linear congruential generator plus a tone: cheap next to the analysis.
void fillBlock(std::vector<double>& x, uint64_t& state, uint64_t& n) {
    for (double& v : x) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double noise = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
        v = 0.1 * noise + 0.3 * ((n++ % 48) < 24 ? 1.0 : -1.0);
    }
}

void BM_Levels48k(benchmark::State& state) {
    const auto seconds = static_cast<uint64_t>(state.range(0));
    const uint64_t total = seconds * static_cast<uint64_t>(kRate);
    size_t intervals = 0;
    for (auto _ : state) {
        auto a = LevelAnalyser::Create(kRate, 2e-5, 1.0, LevelWeightings::AcousticACZ);
        std::vector<double> block(kBlock);
        uint64_t rng = 1, n = 0;
        for (uint64_t done = 0; done < total; done += kBlock) {
            block.resize(static_cast<size_t>(std::min<uint64_t>(kBlock, total - done)));
            fillBlock(block, rng, n);
            (void)a->process(block, [&](const IntervalLevels& l) {
                benchmark::DoNotOptimize(l.bands.data());
                ++intervals;
                return Status{};
            });
        }
    }
    bench::setSignalCounters(state, seconds, intervals);
}
BENCHMARK(BM_Levels48k)->Arg(60)->Arg(600)->Unit(benchmark::kMillisecond)->Iterations(1);

// The filter bank alone, for the share of the analysis it takes.
void BM_FilterBank48k(benchmark::State& state) {
    auto bank = OctaveFilterBank::Create(kRate);
    std::vector<double> block(kBlock);
    uint64_t rng = 1, n = 0;
    fillBlock(block, rng, n);
    for (auto _ : state)
        bank->process(block, [](size_t, std::span<const double> y) { benchmark::DoNotOptimize(y.data()); });
    state.counters["rtf"] =
        benchmark::Counter(static_cast<double>(kBlock) / kRate * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FilterBank48k);

}  // namespace
}  // namespace k470::acoustics

BENCHMARK_MAIN();
