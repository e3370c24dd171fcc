// SPDX-License-Identifier: GPL-3.0-or-later
// A sound file (WAV, FLAC: anything libsndfile reads) as a signal file, so that it replays like one: its
// first three channels copied into a one-record .sdt file with the units and 0 dB reference the user gives
// (by default dB re full scale: unit "FS", reference 1.0).
#pragma once

#include <string>
#include <string_view>

#include "base/result.h"

namespace k470::acoustics {

struct SoundAsSignalOptions {
    std::string units = "FS";
    double referenceValue = 1.0;
    double scale = 1.0;  // applied to the samples (e.g. pascals per full-scale unit)
};


// Writes the sound file's signal to `sdtPath` (through a safe output: nothing is left on failure). Fails with
// libsndfile's message for a file it cannot read.
Status writeSoundAsSignalFile(const std::string& soundPath, const std::string& sdtPath,
                              const SoundAsSignalOptions& options = {});

// A file in the temporary directory that is removed when its holder goes.
class TemporaryFile {
  public:
    static Result<TemporaryFile> Create();
    TemporaryFile(TemporaryFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();
    const std::string& path() const { return path_; }

  private:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

}  // namespace k470::acoustics
