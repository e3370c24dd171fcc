// SPDX-License-Identifier: GPL-3.0-or-later
// What the entries share: the check of a promise, the scratch directory that holds an input as a file and
// whatever the entry writes beside it, and the options a user would give, taken from an input's first
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace k470::fuzz {

// A broken promise of the core: reported to the fuzzer as a crash with the reason.
void require(bool condition, const char* what);

// A directory of this process for the inputs and whatever the entry writes beside them, emptied after every
// input. It lies in memory (/dev/shm) where there is one: outputs are synced to disk when they are
// committed, and on a disk that sync costs more than the whole conversion of a small input.
class Scratch {
  public:
    Scratch();
    ~Scratch();
    // Writes the input under that name and gives its path.
    std::string input(const std::string& name, const uint8_t* data, size_t size);
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    // The bytes of every file in the directory together.
    uint64_t bytesWritten() const;
    void clear();

  private:
    std::filesystem::path dir_;
};

Scratch& scratch();

// Empties the scratch directory when the entry returns.
struct Cleared {
    ~Cleared() { scratch().clear(); }
};

// The first `count` bytes of an input, taken off it: each chooses an option as a user would give it.
// Missing bytes (a short input) read as 0, the most ordinary choice.
class Choices {
  public:
    Choices(const uint8_t*& data, size_t& size, size_t count);
    uint8_t operator[](size_t i) const { return i < taken_ ? bytes_[i] : 0; }

  private:
    static constexpr size_t kMax = 8;
    uint8_t bytes_[kMax] = {};
    size_t taken_ = 0;
};

}  // namespace k470::fuzz
