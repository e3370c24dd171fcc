// SPDX-License-Identifier: GPL-3.0-or-later
// The counters of the benchmarks that analyse a signal made as it goes: rtf (seconds of signal per second
// of processor time), peak_rss_MB (the process's peak resident size, which shows whether memory stays flat
// however long the signal) and the intervals handed over per run.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstddef>
#include <cstdint>

namespace k470::bench {

inline void setSignalCounters(benchmark::State& state, uint64_t seconds, size_t intervals) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto runs = static_cast<double>(state.iterations());
    state.counters["rtf"] =
        benchmark::Counter(static_cast<double>(seconds) * runs, benchmark::Counter::kIsRate);
    state.counters["peak_rss_MB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
    state.counters["intervals"] = static_cast<double>(intervals) / runs;
}

}  // namespace k470::bench
