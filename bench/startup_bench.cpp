// SPDX-License-Identifier: GPL-3.0-or-later
// Cold start of k470 to a drawn main window, as a new process each time, and the same for an empty Qt
// Widgets window ("ratio_to_empty_window"). Runs on the off-screen platform unless a display is set.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

std::string binDir() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

// Runs a program to its end; false when it could not be started or failed.
bool runOnce(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double secondsPerRun(const std::string& program, const std::vector<std::string>& args, int runs) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        if (!runOnce(program, args)) return -1.0;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
}

// The settings directory of the run, removed when the benchmark ends.
std::filesystem::path settingsDir;

void prepareEnvironment() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A settings file of its own with the language chosen, so no question is asked.
    const auto dir =
        std::filesystem::temp_directory_path() / ("k470-startup-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "k470");
    std::ofstream(dir / "k470" / "k470.ini") << "[Init]\nLanguage=zeng.qm\n";
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    settingsDir = dir;
}

void BM_ColdStartToShownMainWindow(benchmark::State& state) {
    prepareEnvironment();
    const std::string k470 = binDir() + "/k470";
    const std::string empty = binDir() + "/k470_empty_window";
    const double baseline = secondsPerRun(empty, {}, 5);
    if (baseline <= 0 || secondsPerRun(k470, {"--exit-when-shown"}, 1) <= 0) {
        std::filesystem::remove_all(settingsDir);
        state.SkipWithError("k470 or the empty window did not run");
        return;
    }
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        runOnce(k470, {"--exit-when-shown"});
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(s);
        total += s;
    }
    std::filesystem::remove_all(settingsDir);
    state.counters["empty_window_ms"] = baseline * 1e3;
    state.counters["ratio_to_empty_window"] = total / static_cast<double>(state.iterations()) / baseline;
}
BENCHMARK(BM_ColdStartToShownMainWindow)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
