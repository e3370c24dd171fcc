// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the human vibration analysis: a three-axis whole-body signal at 3 kHz through the nine
// weightings, the running r.m.s. of 1, 5 and 10 s, MTVV, VDV and peaks, and the 24 1/3-octave and 8 octave
// bands per axis, in 1 s intervals. The signal is made block by block as it is analysed, so the 1-minute
// and the 10-minute runs must end at the same resident size (memory flat in length). Counters: rtf (seconds
// of signal per second of processor time, one core) and peak_rss_MB.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "acoustics/vibration_analyser.h"
#include "signal_bench_counters.h"

namespace k470::acoustics {
namespace {

constexpr double kRate = 3000.0;
constexpr size_t kBlock = 4096;

// Noise from a linear congruential generator plus a tone per axis: cheap next to the analysis.
void fillBlock(std::array<std::vector<double>, 3>& x, uint64_t& state, uint64_t& n) {
    for (size_t i = 0; i < x[0].size(); ++i, ++n) {
        for (size_t k = 0; k < 3; ++k) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            const double noise = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
            x[k][i] = 0.1 * noise + 0.5 * ((n % (20 + 10 * k)) < (10 + 5 * k) ? 1.0 : -1.0);
        }
    }
}

void BM_WholeBody3Axes3k(benchmark::State& state) {
    const auto seconds = static_cast<uint64_t>(state.range(0));
    const uint64_t total = seconds * static_cast<uint64_t>(kRate);
    size_t intervals = 0;
    for (auto _ : state) {
        auto a = VibrationAnalyser::Create(VibrationKind::WholeBody,
                                           {kRate, "m/s^2", 1e-6, ScaleOrigin::Source}, {1, 2, 3}, 1.0);
        std::array<std::vector<double>, 3> x;
        uint64_t rng = 1, n = 0;
        for (uint64_t done = 0; done < total; done += kBlock) {
            for (auto& b : x) b.resize(static_cast<size_t>(std::min<uint64_t>(kBlock, total - done)));
            fillBlock(x, rng, n);
            const std::array<std::span<const double>, 3> blocks = {x[0], x[1], x[2]};
            (void)a->process(blocks, [&](const VibrationInterval& v) {
                benchmark::DoNotOptimize(v.channels.data());
                ++intervals;
                return Status{};
            });
        }
    }
    bench::setSignalCounters(state, seconds, intervals);
}
BENCHMARK(BM_WholeBody3Axes3k)->Arg(60)->Arg(600)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace k470::acoustics

BENCHMARK_MAIN();
