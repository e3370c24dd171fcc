// SPDX-License-Identifier: GPL-3.0-or-later
// Text export of a 10,000-record sound-level file: decode, format and write, in dB and linear form, beside a
// loop that only formats the same numbers with snprintf("%.2lf").
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "base/byte_order.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "export/text_export.h"

namespace {

constexpr int kRecords = 10000;

const std::string& sampleFile() {
    static const std::string path = [] {
        std::string p =
            (std::filesystem::temp_directory_path() / "k470_bench_sound_level_10000.bin").string();
        auto w = k470::BinFileAppender::Create(p, false);
        for (int i = 0; i < kRecords; ++i) {
            k470::SampleRecordOptions o;
            o.type = 3;
            o.index = i;
            (void)w->Append(k470::makeSampleRecord(o).value(), {2026, 12, 10, 12, 0, 0});
        }
        (void)w->Close();
        return p;
    }();
    return path;
}

void exportFile(benchmark::State& state, bool linear) {
    auto bin = k470::BinFile::Open(sampleFile());
    const k470::TextExporter exporter;
    for (auto _ : state) {
        auto out = k470::File::Open("/dev/null", k470::File::Mode::Create);
        k470::TextWriter writer(*out);
        if (!k470::translateBinToText(*bin, writer, linear, exporter)) state.SkipWithError("export failed");
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}

void BM_ExportDb(benchmark::State& state) {
    exportFile(state, false);
}
void BM_ExportLinear(benchmark::State& state) {
    exportFile(state, true);
}

// Formats the values that the dB export prints (the 433 table cells of every record), and nothing else.
void BM_SnprintfOnly(benchmark::State& state) {
    std::vector<uint8_t> bytes(static_cast<size_t>(kRecords) * k470::kRecordSize);
    auto bin = k470::BinFile::Open(sampleFile());
    (void)bin->file().readAt(0, bytes.data(), bytes.size());
    constexpr int kCells = 10 * 10 + 10 * 30 + 11 * 3;
    std::string out;
    out.reserve(1 << 20);
    char buf[64];
    for (auto _ : state) {
        out.clear();
        for (int r = 0; r < kRecords; ++r) {
            const uint8_t* words = bytes.data() + static_cast<size_t>(r) * k470::kRecordSize + 20;
            for (int i = 0; i < kCells; ++i) {
                int n = std::snprintf(buf, sizeof buf, "%.2lf", k470::readU16(words + 2 * i) / 256.0);
                out.append(buf, static_cast<size_t>(n));
            }
            if (out.size() > (1 << 19)) out.clear();
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_SnprintfOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportDb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportLinear)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
