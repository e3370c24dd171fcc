// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
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

// The descriptor of this process that a path names: "/dev/stdout" and its kin, "/dev/fd/N", "/proc/self/fd/N"
// (and the process's own number for self). Such a name must be written through the descriptor: the kernel's
// link behind it may name a pipe ("pipe:[123]"), which is no path, or a file the shell opened for appending.
std::optional<int> descriptorNamed(std::string_view at) {
    if (at == "/dev/stdin") return 0;
    if (at == "/dev/stdout") return 1;
    if (at == "/dev/stderr") return 2;
    const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (std::string_view prefix : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/"),
                                    std::string_view("/proc/thread-self/fd/"), std::string_view(own)}) {
        if (!at.starts_with(prefix)) continue;
        const std::string_view digits = at.substr(prefix.size());
        int fd = -1;
        const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
        if (!digits.empty() && r.ec == std::errc() && r.ptr == digits.data() + digits.size()) return fd;
    }
    return std::nullopt;
}

// Where the chain of symbolic links starting at path ends: a path (the last one may name nothing yet), or
// one of the process's descriptors when a step of the chain names one.
struct LinkEnd {
    std::string path;
    std::optional<int> descriptor;
};

Result<LinkEnd> followLinks(const std::string& path) {
    std::string at = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        if (auto fd = descriptorNamed(at)) return LinkEnd{at, fd};
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return LinkEnd{at, std::nullopt};
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

// The start and end of a temporary name beside target. An output made in one go hides it (".NAME.XXXXXXXX"):
// it lives for a moment. A recording that replaces an earlier file may live there for hours and is what the
// user looks for after a crash, so its name shows what it is and keeps the extension that opens it
// ("NAME.partial-XXXXXXXX.EXT").
std::pair<std::string, std::string> temporaryNameParts(const std::string& target, Placement placement) {
    const std::string directory = directoryOf(target) + "/";
    const std::string base = baseNameOf(target);
    if (placement == Placement::Whole) return {directory + "." + base + ".", ""};
    const size_t dot = base.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return {directory + base + ".partial-", ""};
    return {directory + base.substr(0, dot) + ".partial-", base.substr(dot)};
}

// A new file beside target, created with mode 0666 so that the umask decides its permissions.
int createTemporaryBeside(const std::string& target, Placement placement, std::string& name) {
    const auto [stem, extension] = temporaryNameParts(target, placement);
    for (int i = 0; i < kTemporaryNameTries; ++i) {
        name = stem + randomSuffix() + extension;
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

std::optional<FileIdentity> identityOfDescriptor(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
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
    // Standard output may be a file the shell opened: ">> in.bin" with "-o -" would write into an input.
    const auto out = identityOf(output == "-" ? "/dev/stdout" : output);
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
    if (path == "-") return StandardOutput();
    if (path.empty()) return failure(ENOENT);
    auto end = followLinks(path);
    if (!end) return fail(lexicon().cantWriteFile(path), end.error().reason);
    if (end->descriptor) {
        const int fd = ::fcntl(*end->descriptor, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) return failure(errno);
        return OutputFile(path, path, {}, File::FromDescriptor(fd), Where::Direct, placement);
    }
    const std::string& target = end->path;
    struct stat st {};
    bool exists = false;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return failure(EISDIR);
        if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
            const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0) return failure(errno);
            return OutputFile(path, target, {}, File::FromDescriptor(fd), Where::Direct, placement);
        }
        if (!S_ISREG(st.st_mode)) return fail(lexicon().cantWriteFile(path), "Not a regular file");
        exists = true;
    } else if (errno != ENOENT) {
        return failure(errno);
    }
    if (placement == Placement::Growing && !exists) {
        // Only a file made here: should one appear at that name meanwhile, it is left alone as any other.
        const int fd = ::open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            OutputFile out(path, target, {}, File::FromDescriptor(fd), Where::InPlace, placement);
            out.created_ = identityOfDescriptor(fd);
            return out;
        }
        if (errno != EEXIST) return failure(errno);
        exists = true;
    }
    std::string temporary;
    const int fd = createTemporaryBeside(target, placement, temporary);
    if (fd < 0) return failure(errno);
    OutputFile out(path, target, std::move(temporary), File::FromDescriptor(fd), Where::Beside, placement);
    out.replaces_ = exists;
    return out;
}

OutputFile OutputFile::StandardOutput() {
    return OutputFile("-", "-", {}, File::StandardOutput(), Where::Direct, Placement::Whole);
}

OutputFile::OutputFile(std::string path, std::string target, std::string temporary, File file, Where where,
                       Placement placement)
    : path_(std::move(path)),
      target_(std::move(target)),
      temporary_(std::move(temporary)),
      file_(std::move(file)),
      where_(where),
      placement_(placement) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})),
      file_(std::move(other.file_)),
      where_(std::exchange(other.where_, Where::Direct)),
      placement_(other.placement_),
      replaces_(other.replaces_),
      created_(std::exchange(other.created_, std::nullopt)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        Discard();
        path_ = std::move(other.path_);
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        file_ = std::move(other.file_);
        where_ = std::exchange(other.where_, Where::Direct);
        placement_ = other.placement_;
        replaces_ = other.replaces_;
        created_ = std::exchange(other.created_, std::nullopt);
    }
    return *this;
}

OutputFile::~OutputFile() {
    Discard();
}

const std::string& OutputFile::writtenAt() const {
    if (where_ == Where::Beside && !temporary_.empty()) return temporary_;
    return where_ == Where::Direct ? path_ : target_;
}

void OutputFile::Discard() {
    (void)file_.close();
    if (where_ == Where::Beside && !temporary_.empty()) ::unlink(temporary_.c_str());
    // The name is removed only while it still is the file made here.
    if (where_ == Where::InPlace && created_ && identityOf(target_) == created_) ::unlink(target_.c_str());
    temporary_.clear();
    created_.reset();
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
    if (error == 0 && where_ == Where::Beside && ::rename(temporary_.c_str(), target_.c_str()) != 0)
        error = errno;
    if (error != 0) {
        // A recording is what it is, and can't be made again: it stays where it is (writtenAt()).
        if (placement_ == Placement::Growing) {
            created_.reset();
            if (where_ == Where::Beside) {
                target_ = std::exchange(temporary_, {});
                where_ = Where::InPlace;
            }
        } else {
            Discard();
        }
        return fail(lexicon().cantWriteFile(path_), systemReason(error));
    }
    syncDirectory(directoryOf(target_));
    temporary_.clear();
    created_.reset();
    return {};
}

Result<File> CreateScratchFile() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string directory = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    int fd = ::open(directory.c_str(), O_RDWR | O_TMPFILE | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        // A file system without unnamed files: a named one, unlinked at once.
        std::string name;
        fd = createTemporaryBeside(directory + "/k470", Placement::Whole, name);
        if (fd >= 0) ::unlink(name.c_str());
    }
    if (fd < 0) return fail(lexicon().cantWriteFile(directory), systemReason(errno));
    return File::FromDescriptor(fd);
}

Status WriteFileSafely(const std::string& path, std::string_view content) {
    auto out = OutputFile::Create(path);
    if (!out) return out.error();
    if (!out->file().write(content.data(), content.size()))
        return fail(lexicon().cantWriteFile(path), systemReason(errno));
    return out->Commit();
}

}  // namespace k470
