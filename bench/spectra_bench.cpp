// SPDX-License-Identifier: GPL-3.0-or-later
// Spectra and reverberation benchmarks: the Welch spectrum of a 10-minute 48 kHz signal (8192 points, Hann,
// 50 % overlap) and the octave-band reverberation times of a 3 s impulse response. The samples of the
// spectrum are read from the raw float64 file named by K470_BENCH_SAMPLES when it is set (so that
// spectra_bench.sh can give scipy the same samples), and made up here otherwise.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "acoustics/fft_analysis.h"
#include "acoustics/reverberation.h"

namespace {

using namespace k470::acoustics;

constexpr double kRate = 48000.0;

const std::vector<double>& tenMinutes() {
    static const std::vector<double> samples = [] {
        std::vector<double> x(static_cast<size_t>(600 * kRate));
        if (const char* path = std::getenv("K470_BENCH_SAMPLES")) {
            if (FILE* f = std::fopen(path, "rb")) {
                x.resize(std::fread(x.data(), sizeof(double), x.size(), f));
                std::fclose(f);
                return x;
            }
        }
        std::mt19937 rng(1);
        std::normal_distribution<double> g(0.0, 0.1);
        for (size_t i = 0; i < x.size(); ++i) x[i] = g(rng) + 0.5 * std::sin(0.131 * static_cast<double>(i));
        return x;
    }();
    return samples;
}

void BM_FftWelchTenMinutes(benchmark::State& state) {
    const auto& x = tenMinutes();
    FftParameters p;
    p.size = 8192;
    p.window = FftWindow::Hann;
    p.overlapPercent = 50.0;
    for (auto _ : state) {
        auto a = AnalyzeSpectrum(x, kRate, p);
        benchmark::DoNotOptimize(a->power().data());
    }
    state.counters["real_time_factor"] =
        benchmark::Counter(static_cast<double>(x.size()) / kRate * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FftWelchTenMinutes)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Rt60OctavesOfThreeSecondImpulse(benchmark::State& state) {
    std::mt19937 rng(2);
    std::normal_distribution<double> g(0.0, 1.0);
    std::vector<double> x(static_cast<size_t>(3 * kRate));
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = g(rng) * std::pow(10.0, -3.0 * static_cast<double>(i) / kRate / 1.2) + 1e-4 * g(rng);
    for (auto _ : state) {
        auto r = AnalyzeReverberation(x, kRate, ReverberationBands::Octave);
        benchmark::DoNotOptimize(r->bands.data());
    }
}
BENCHMARK(BM_Rt60OctavesOfThreeSecondImpulse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
