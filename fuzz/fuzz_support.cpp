// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzz_support.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace k470::fuzz {

namespace fs = std::filesystem;

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

namespace {

fs::path scratchRoot() {
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// The scratch directories of runs that ended in a crash (no destructor ran): they would stay in memory.
void removeAbandoned(const fs::path& root) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(root, ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("k470-fuzz-", 0) != 0) continue;
        const long pid = std::strtol(name.c_str() + 10, nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            fs::remove_all(e.path(), ec);
    }
}

}  // namespace

Scratch::Scratch() : dir_(scratchRoot() / ("k470-fuzz-" + std::to_string(::getpid()))) {
    removeAbandoned(dir_.parent_path());
    fs::create_directories(dir_);
}

Scratch::~Scratch() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string Scratch::input(const std::string& name, const uint8_t* data, size_t size) {
    const std::string p = path(name);
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return p;
}

uint64_t Scratch::bytesWritten() const {
    uint64_t total = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir_, ec)) total += e.file_size(ec);
    return total;
}

void Scratch::clear() {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir_, ec)) fs::remove_all(e.path(), ec);
}

Scratch& scratch() {
    static Scratch s;
    return s;
}

Choices::Choices(const uint8_t*& data, size_t& size, size_t count) {
    taken_ = std::min({count, size, kMax});
    std::copy_n(data, taken_, bytes_);
    data += taken_;
    size -= taken_;
}

}  // namespace k470::fuzz
