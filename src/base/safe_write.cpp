// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

#include "base/lexicon.h"

namespace k470 {

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinkDepth = 40;
// Attempts at a free temporary name before giving up (each is a fresh random name).
constexpr int kTemporaryNameTries = 100;

std::string systemReason(int error) {
    return std::strerror(error);
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path that the chain of symbolic links starting at path ends at; the last one may name nothing yet.
Result<std::string> followLinks(const std::string& path) {
    std::string at = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n < 0) return fail("", systemReason(errno));
        link.resize(static_cast<size_t>(n));
        at = (link.starts_with('/') || directoryOf(at) == ".") ? link : directoryOf(at) + "/" + link;
    }
    return fail("", systemReason(ELOOP));
}

std::string randomSuffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string s(8, ' ');
    for (char& c : s) c = kLetters[pick(generator)];
    return s;
}

// A new file beside target, created with mode 0666 so that the umask decides its permissions.
int createTemporaryBeside(const std::string& target, std::string& name) {
    const std::string stem = directoryOf(target) + "/." + baseNameOf(target) + ".";
    for (int i = 0; i < kTemporaryNameTries; ++i) {
        name = stem + randomSuffix();
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Makes the rename itself last across a power loss; a directory that cannot be synced is no failure.
void syncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

std::optional<std::string> inputWrittenByOutput(const std::string& output,
                                                std::span<const std::string> inputs) {
    const auto out = identityOf(output);
    if (!out) return std::nullopt;
    for (const std::string& input : inputs)
        if (identityOf(input) == out) return input;
    return std::nullopt;
}

Status refuseOutputOverInput(const std::string& output, std::span<const std::string> inputs) {
    const auto input = inputWrittenByOutput(output, inputs);
    if (!input) return {};
    std::string message = lexicon().text(Word::OutputIsInput) + " '" + output + "'";
    return fail(std::move(message), *input == output ? std::string() : "it is '" + *input + "'");
}

Status checkInputFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return fail(lexicon().cantOpenFile(path), systemReason(errno));
    if (S_ISDIR(st.st_mode)) return fail(lexicon().cantOpenFile(path), systemReason(EISDIR));
    if (!S_ISREG(st.st_mode)) return fail(lexicon().cantOpenFile(path), "Not a regular file");
    return {};
}

Result<OutputFile> OutputFile::Create(const std::string& path, Placement placement) {
    auto failure = [&](int error) { return fail(lexicon().cantWriteFile(path), systemReason(error)); };
    if (path.empty()) return failure(ENOENT);
    auto target = followLinks(path);
    if (!target) return fail(lexicon().cantWriteFile(path), target.error().reason);
    struct stat st {};
    if (::stat(target->c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return failure(EISDIR);
        if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
            const int fd = ::open(target->c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0) return failure(errno);
            return OutputFile(path, *target, {}, File::FromDescriptor(fd));
        }
        if (!S_ISREG(st.st_mode)) return fail(lexicon().cantWriteFile(path), "Not a regular file");
    } else if (errno != ENOENT) {
        return failure(errno);
    }
    if (placement == Placement::Growing) {
        const int fd = ::open(target->c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) return failure(errno);
        return OutputFile(path, *target, {}, File::FromDescriptor(fd));
    }
    std::string temporary;
    const int fd = createTemporaryBeside(*target, temporary);
    if (fd < 0) return failure(errno);
    return OutputFile(path, *target, std::move(temporary), File::FromDescriptor(fd));
}

OutputFile OutputFile::StandardOutput() {
    return OutputFile("-", "-", {}, File::StandardOutput());
}

OutputFile::OutputFile(std::string path, std::string target, std::string temporary, File file)
    : path_(std::move(path)),
      target_(std::move(target)),
      temporary_(std::move(temporary)),
      file_(std::move(file)) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})),
      file_(std::move(other.file_)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        Discard();
        path_ = std::move(other.path_);
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        file_ = std::move(other.file_);
    }
    return *this;
}

OutputFile::~OutputFile() {
    Discard();
}

void OutputFile::Discard() {
    (void)file_.close();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

Status OutputFile::Commit() {
    if (!file_.isOpen()) return fail(lexicon().cantWriteFile(path_), systemReason(EBADF));
    if (isDirect()) {
        // A device or pipe has nothing to sync or rename; only the close can still report a lost write.
        if (auto s = file_.close(); !s) return fail(lexicon().cantWriteFile(path_), s.error().reason);
        return {};
    }
    int error = 0;
    if (!file_.sync()) error = errno;
    if (auto s = file_.close(); !s && error == 0) error = EIO;
    if (error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
    if (error != 0) {
        Discard();
        return fail(lexicon().cantWriteFile(path_), systemReason(error));
    }
    temporary_.clear();
    syncDirectory(directoryOf(target_));
    return {};
}

Status WriteFileSafely(const std::string& path, std::string_view content) {
    auto out = OutputFile::Create(path);
    if (!out) return out.error();
    if (!out->file().write(content.data(), content.size()))
        return fail(lexicon().cantWriteFile(path), systemReason(errno));
    return out->Commit();
}

}  // namespace k470
