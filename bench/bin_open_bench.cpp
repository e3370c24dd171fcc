// SPDX-License-Identifier: GPL-3.0-or-later
// Large record files: opening one up to its first records (what the window needs for its first paint)
// against a three-record file, the whole level series of "Multirecords" read record by record against in
// blocks, and the peak memory of "k470-cli info" on both files. The 200,000-record file (about 600 MB) is written
// once into the temporary directory and removed when the benchmarks end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "data/bin_file.h"
#include "data/sample_records.h"
#include "views/level_views.h"

extern char** environ;

namespace {

using namespace k470;

constexpr int kLargeRecords = 200000;
constexpr int kSmallRecords = 3;
const LevelSelection kChoice{2, 9, 1, 0};  // sound level, weighted table, Leq, A

struct Files {
    std::filesystem::path dir;
    std::string small;
    std::string large;
    Files() {
        dir = std::filesystem::temp_directory_path() / ("k470-bin-open-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        small = write("three.bin", kSmallRecords);
        large = write("large.bin", kLargeRecords);
    }
    ~Files() { std::filesystem::remove_all(dir); }

    std::string write(const char* name, int records) const {
        const std::string path = (dir / name).string();
        // A block of distinct records written over and over: the content does not matter, the size does.
        constexpr int kBlock = 500;
        std::vector<uint8_t> block;
        for (int i = 0; i < kBlock; ++i) {
            SampleRecordOptions o;
            o.type = 3;
            o.index = i;
            const RecordBytes bytes = makeSampleRecord(o).value().encode();
            block.insert(block.end(), bytes.begin(), bytes.end());
        }
        auto file = File::Open(path, File::Mode::Create);
        for (int done = 0; file && done < records; done += kBlock) {
            const int n = std::min(kBlock, records - done);
            if (!file->write(block.data(), static_cast<size_t>(n) * kRecordSize)) break;
        }
        return path;
    }
};

Files& files() {
    static Files instance;
    return instance;
}

// What opening a file costs before the first paint: the file, its first record read alone and decoded, and
// the pages of its type. The level series of "Multirecords" is built later, in steps (below).
void openToFirstRecords(const std::string& path) {
    auto file = BinFile::Open(path);
    auto record = file->ReadRecord(1);
    benchmark::DoNotOptimize(views::PagesFor(record->header.deviceType, file->recordCount()));
}

double secondsToOpen(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    openToFirstRecords(path);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Median time of the large file over the median of the small one, the two opened in turn so that the load
// of a shared machine weighs on both alike.
double largeToSmallRatio() {
    constexpr size_t kRuns = 301;
    std::vector<double> small, large;
    for (size_t i = 0; i < kRuns; ++i) {
        small.push_back(secondsToOpen(files().small));
        large.push_back(secondsToOpen(files().large));
    }
    for (auto* v : {&small, &large}) std::nth_element(v->begin(), v->begin() + kRuns / 2, v->end());
    return large[kRuns / 2] / small[kRuns / 2];
}

void BM_OpenToFirstRecords(benchmark::State& state) {
    const bool large = state.range(0) == kLargeRecords;
    const std::string& path = large ? files().large : files().small;
    for (auto _ : state) openToFirstRecords(path);
    if (large) state.counters["ratio_to_3_records"] = largeToSmallRatio();
}
BENCHMARK(BM_OpenToFirstRecords)->Arg(kSmallRecords)->Arg(kLargeRecords)->Unit(benchmark::kMicrosecond);

// The whole level series of the large file, one read per record as before, and through the block reader.
void BM_LevelSeriesOneReadPerRecord(benchmark::State& state) {
    auto file = BinFile::Open(files().large);
    const auto offset = static_cast<size_t>(levelWordOffset(3, kChoice));
    RecordBytes bytes{};
    for (auto _ : state) {
        std::vector<double> values;
        values.reserve(static_cast<size_t>(file->recordCount()));
        for (int k = 1; k <= file->recordCount(); ++k) {
            if (!file->ReadRecordBytes(k, bytes)) break;
            values.push_back(decodeLevel(static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8))));
        }
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(BM_LevelSeriesOneReadPerRecord)->Unit(benchmark::kMillisecond);

void BM_LevelSeriesInBlocks(benchmark::State& state) {
    auto file = BinFile::Open(files().large);
    for (auto _ : state) benchmark::DoNotOptimize(views::LevelSeries(*file, 3, kChoice));
}
BENCHMARK(BM_LevelSeriesInBlocks)->Unit(benchmark::kMillisecond);

// Peak resident memory in KiB of "k470-cli info <path>", its listing sent to /dev/null.
long infoPeakKiB(const std::string& path) {
    const std::string cli =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "k470-cli").string();
    std::vector<std::string> args = {cli, "info", path};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}

void BM_InfoPeakMemory(benchmark::State& state) {
    const bool large = state.range(0) == kLargeRecords;
    long peak = 0;
    for (auto _ : state) peak = infoPeakKiB(large ? files().large : files().small);
    if (peak < 0) {
        state.SkipWithError("k470-cli info did not run");
        return;
    }
    state.counters["peak_rss_kib"] = static_cast<double>(peak);
    if (large)
        state.counters["ratio_to_3_records"] =
            static_cast<double>(peak) / static_cast<double>(infoPeakKiB(files().small));
}
BENCHMARK(BM_InfoPeakMemory)
    ->Arg(kSmallRecords)
    ->Arg(kLargeRecords)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
