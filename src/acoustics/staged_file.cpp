// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/staged_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "acoustics/acoustics_words.h"

namespace k470::acoustics {

Result<StagedFile> StagedFile::Begin(const std::string& target, std::span<const std::string> inputs) {
    std::error_code ec;
    for (const std::string& in : inputs)
        if (in == target || std::filesystem::equivalent(in, target, ec))
            return fail(message(Word::OutputWouldReplaceInput, {target}));
    std::string pattern = target + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return fail(lexicon().cantOpenFile(target) + ": " + std::strerror(errno));
    // mkstemp makes the file private; the finished output gets the permissions of any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    return StagedFile(target, name.data());
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)), temp_(std::move(other.temp_)), done_(other.done_) {
    other.done_ = true;
}

StagedFile::~StagedFile() {
    if (!done_) std::remove(temp_.c_str());
}

Status StagedFile::commit() {
    if (std::rename(temp_.c_str(), target_.c_str()) != 0)
        return fail(lexicon().cantOpenFile(target_) + ": " + std::strerror(errno));
    done_ = true;
    return {};
}

}  // namespace k470::acoustics
