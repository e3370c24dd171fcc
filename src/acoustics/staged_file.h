// SPDX-License-Identifier: GPL-3.0-or-later
// An output file written beside its target under a temporary name and renamed over the target only when
// complete, so a failed run leaves no half-written file; refused when the target is one of the inputs.
#pragma once

#include <span>
#include <string>

#include "base/result.h"

namespace k470::acoustics {

class StagedFile {
  public:
    // Creates the temporary file beside target. Fails when target is one of inputs or the directory
    // refuses the file.
    static Result<StagedFile> Begin(const std::string& target, std::span<const std::string> inputs = {});
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    ~StagedFile();  // removes the temporary file unless committed

    const std::string& tempPath() const { return temp_; }
    // Renames the temporary file to the target.
    Status commit();

  private:
    StagedFile(std::string target, std::string temp) : target_(std::move(target)), temp_(std::move(temp)) {}
    std::string target_, temp_;
    bool done_ = false;
};

}  // namespace k470::acoustics
