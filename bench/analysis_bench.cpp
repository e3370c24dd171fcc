// SPDX-License-Identifier: GPL-3.0-or-later
// Percentiles over 1,000 record files of 100 records each, against reading the same files to /dev/null as
// `cat` does: the calculation should take at most 1.5 times as long as the reading.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/bin_file.h"
#include "data/sample_records.h"
#include "export/file_set.h"
#include "export/level_locator.h"
#include "export/percentiles.h"

namespace {

constexpr int kFiles = 1000;
constexpr int kRecordsPerFile = 100;

// The files, made once in a temporary directory that is removed at the end of the run.
class RecordFiles {
  public:
    RecordFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "k470-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        dir_ = pattern;
        // Ten series of records, each written into every tenth file.
        std::vector<std::vector<k470::RecordBytes>> series(10);
        for (uint32_t s = 0; s < series.size(); ++s) {
            for (int r = 0; r < kRecordsPerFile; ++r) {
                k470::SampleRecordOptions o;
                o.type = 3;
                o.seed = s + 1;
                o.index = r;
                series[s].push_back(k470::makeSampleRecord(o)->encode());
            }
        }
        for (int f = 0; f < kFiles; ++f) {
            paths_.push_back(dir_ + "/f" + std::to_string(f) + ".bin");
            const int fd = ::open(paths_.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) std::abort();
            for (const auto& record : series[static_cast<size_t>(f) % series.size()])
                if (::write(fd, record.data(), record.size()) != static_cast<ssize_t>(record.size()))
                    std::abort();
            ::close(fd);
        }
    }
    ~RecordFiles() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::vector<std::string>& paths() const { return paths_; }

  private:
    std::string dir_;
    std::vector<std::string> paths_;
};

const RecordFiles& files() {
    static RecordFiles instance;
    return instance;
}

void BM_ReadFilesToDevNull(benchmark::State& state) {
    const auto& paths = files().paths();
    std::vector<char> buffer(128 * 1024);
    const int sink = ::open("/dev/null", O_WRONLY);
    for (auto _ : state) {
        for (const std::string& path : paths) {
            const int fd = ::open(path.c_str(), O_RDONLY);
            for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
                benchmark::DoNotOptimize(::write(sink, buffer.data(), static_cast<size_t>(n)));
            ::close(fd);
        }
    }
    ::close(sink);
    state.SetItemsProcessed(state.iterations() * kFiles * kRecordsPerFile);
}
BENCHMARK(BM_ReadFilesToDevNull)->Unit(benchmark::kMillisecond);

void BM_Percentiles(benchmark::State& state) {
    const auto& paths = files().paths();
    const int offset = k470::levelWordOffset(3, k470::LevelSelection{2, 0, 1, 0});  // Slow of A
    const std::vector<double> fractions = k470::fractionsOfPercents({1, 10, 50, 90, 95, 99});
    for (auto _ : state) {
        auto result = k470::CalculatePercentiles(paths, offset, fractions);
        if (!result) state.SkipWithError(result.error().message.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * kFiles * kRecordsPerFile);
}
BENCHMARK(BM_Percentiles)->Unit(benchmark::kMillisecond);

// The whole command as the command-line tool runs it: the type check over the files, then the calculation.
void BM_CheckAndPercentiles(benchmark::State& state) {
    const auto& paths = files().paths();
    const std::vector<double> fractions = k470::fractionsOfPercents({1, 10, 50, 90, 95, 99});
    for (auto _ : state) {
        auto set = k470::ScanFileSet(paths);
        if (!set) state.SkipWithError(set.error().message.c_str());
        const int offset = k470::levelWordOffset(set->type, k470::LevelSelection{2, 0, 1, 0});
        auto result = k470::CalculatePercentiles(paths, offset, fractions);
        if (!result) state.SkipWithError(result.error().message.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * kFiles * kRecordsPerFile);
}
BENCHMARK(BM_CheckAndPercentiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
