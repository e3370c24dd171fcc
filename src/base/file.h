// SPDX-License-Identifier: GPL-3.0-or-later
// RAII file handle over a POSIX descriptor, with positioned reads and writes that either complete or fail,
// and a buffered text writer for the text outputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "base/result.h"

namespace k470 {

class File {
  public:
    enum class Mode {
        Read,            // existing file, read only
        ReadWrite,       // existing file, read and write
        Create,          // create or truncate, write only
        CreateReadWrite  // create or truncate, read and write
    };

    // Fails with "Can't open file '<path>'" in the words of the active lexicon, with the system's reason.
    // The reading modes open regular files only: a FIFO would block the reader for ever, and a directory or
    // device holds no data file. Outputs are created through OutputFile (base/safe_write.h).
    static Result<File> Open(const std::string& path, Mode mode);
    // The process's standard output, not closed by this object.
    static File StandardOutput();
    // Takes ownership of an open descriptor.
    static File FromDescriptor(int fd) { return File(fd, true); }
    // Gives up ownership: the descriptor stays open and is returned.
    int release() { return std::exchange(fd_, -1); }

    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool isOpen() const { return fd_ >= 0; }
    // Current size in bytes (0 when it cannot be told).
    uint64_t size() const;
    // Reads exactly n bytes at offset; false on a short read or an error.
    bool readAt(uint64_t offset, void* buffer, size_t n) const;
    // Reads up to n bytes at offset; returns the number read (0 at the end or on error).
    size_t readSomeAt(uint64_t offset, void* buffer, size_t n) const;
    // Writes all n bytes at offset; false on failure.
    bool writeAt(uint64_t offset, const void* data, size_t n);
    // Writes all n bytes at the current position (the end, for a file written from the start).
    bool write(const void* data, size_t n);
    // Cuts a regular file back to size bytes and continues writing there; does nothing on a device.
    void truncate(uint64_t size);
    // Pushes written data to the device, so that a power loss does not lose a record already counted.
    bool sync();
    Status close();

  private:
    explicit File(int fd, bool owned) : fd_(fd), owned_(owned) {}
    int fd_ = -1;
    bool owned_ = true;
};

// Collects text and writes it in large pieces. A failed write is remembered; finish() reports it.
class TextWriter {
  public:
    explicit TextWriter(File& file) : file_(file) { buffer_.reserve(kChunk * 2); }
    ~TextWriter() { flush(); }
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    std::string& buffer() { return buffer_; }
    void write(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() >= kChunk) flush();
    }
    // Writes the buffer when it has grown past the chunk size (call after appending to buffer()).
    void maybeFlush() {
        if (buffer_.size() >= kChunk) flush();
    }
    bool flush();
    bool failed() const { return failed_; }
    // The system's error number of the failed write (0 when none failed or none was given).
    int error() const { return error_; }

  private:
    static constexpr size_t kChunk = 1 << 16;
    File& file_;
    std::string buffer_;
    bool failed_ = false;
    int error_ = 0;
};

}  // namespace k470
