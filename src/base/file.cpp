// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "base/lexicon.h"

namespace k470 {

Result<File> File::Open(const std::string& path, Mode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read:
            flags |= O_RDONLY;
            break;
        case Mode::ReadWrite:
            flags |= O_RDWR;
            break;
        case Mode::Create:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case Mode::CreateReadWrite:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    const bool reading = mode == Mode::Read || mode == Mode::ReadWrite;
    // Opened without blocking, so that a FIFO is refused below instead of waiting for a writer.
    if (reading) flags |= O_NONBLOCK;
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return fail(lexicon().cantOpenFile(path), std::strerror(errno));
    struct stat st {};
    const bool known = ::fstat(fd, &st) == 0;
    if (known && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(lexicon().cantOpenFile(path), std::strerror(EISDIR));
    }
    if (reading && (!known || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return fail(lexicon().cantOpenFile(path), "Not a regular file");
    }
    if (reading) (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return File(fd, true);
}

File File::StandardOutput() {
    return File(STDOUT_FILENO, false);
}

File::File(File&& other) noexcept : fd_(std::exchange(other.fd_, -1)), owned_(other.owned_) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        (void)close();
        fd_ = std::exchange(other.fd_, -1);
        owned_ = other.owned_;
    }
    return *this;
}

File::~File() {
    (void)close();
}

uint64_t File::size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

size_t File::readSomeAt(uint64_t offset, void* buffer, size_t n) const {
    size_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < n) {
        ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

bool File::readAt(uint64_t offset, void* buffer, size_t n) const {
    return readSomeAt(offset, buffer, n) == n;
}

bool File::writeAt(uint64_t offset, const void* data, size_t n) {
    size_t done = 0;
    const auto* p = static_cast<const char*>(data);
    while (done < n) {
        ssize_t r = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        done += static_cast<size_t>(r);
    }
    return true;
}

bool File::write(const void* data, size_t n) {
    size_t done = 0;
    const auto* p = static_cast<const char*>(data);
    while (done < n) {
        ssize_t r = ::write(fd_, p + done, n - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        done += static_cast<size_t>(r);
    }
    return true;
}

void File::truncate(uint64_t size) {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return;
    if (::ftruncate(fd_, static_cast<off_t>(size)) == 0)
        (void)::lseek(fd_, static_cast<off_t>(size), SEEK_SET);
}

bool File::sync() {
    return fd_ >= 0 && ::fsync(fd_) == 0;
}

Status File::close() {
    if (fd_ < 0) return {};
    int fd = std::exchange(fd_, -1);
    if (!owned_) return {};
    if (::close(fd) != 0) return fail("Error while closing a file", std::strerror(errno));
    return {};
}

bool TextWriter::flush() {
    if (!buffer_.empty()) {
        errno = 0;
        if (!failed_ && !file_.write(buffer_.data(), buffer_.size())) {
            failed_ = true;
            error_ = errno;
        }
        buffer_.clear();
    }
    return !failed_;
}

}  // namespace k470
