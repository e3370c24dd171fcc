// SPDX-License-Identifier: GPL-3.0-or-later
// Mono or multi-channel WAV files written as a stream: the RIFF form "WAVE" with a 16-byte "fmt " chunk, the
// "data" chunk that grows with every Write, and on Close a "LIST" chunk of type "INFO" holding one "ICOP"
// chunk ("123" and a zero byte). The chunk sizes are filled in on Close.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/file.h"
#include "base/result.h"
#include "base/safe_write.h"

namespace k470 {

struct WavFormat {
    uint16_t formatTag = 3;  // IEEE floating point
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 0;
    uint32_t avgBytesPerSecond = 0;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 32;

    // 32-bit float mono at the given rate.
    static WavFormat FloatMono(uint32_t samplesPerSecond);
};

class WavFileWriter {
  public:
    WavFileWriter() = default;
    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;
    ~WavFileWriter() { (void)Close(); }

    // Creates the file and writes the RIFF, "fmt " and "data" chunk headers. Fails when the file cannot
    // be created, or when it is one of the files in keep (the inputs of the command); the writer then stays
    // closed. The file is a safe output (base/safe_write.h): it takes its name when Close succeeds, and a
    // writer that fails leaves nothing behind.
    Status Open(const std::string& path, const WavFormat& format, std::span<const std::string> keep = {});
    // Appends to the "data" chunk. Fails (and writes nothing) when the writer is not open; a failed write is
    // remembered and reported again by Close.
    Status Write(const void* bytes, size_t count);
    // Writes at a position of the "data" chunk (counted from its first sample byte), growing the chunk when
    // the bytes reach beyond its end; for filling a chunk of known size in any order.
    Status WriteAt(uint64_t dataPosition, const void* bytes, size_t count);
    // Finishes the chunks and puts the file in place; does nothing when not open. After a failed write the
    // file is dropped and the failure reported.
    Status Close();
    // Drops the file: nothing of it remains, and an earlier file of that name stays as it was.
    void Discard();

    bool isOpen() const { return open_; }
    const std::string& path() const { return path_; }
    uint64_t dataBytes() const { return dataBytes_; }

  private:
    Error writeError() const;
    OutputFile file_;
    std::string path_;
    uint64_t dataBytes_ = 0;
    bool open_ = false;
    bool failed_ = false;
    int failure_ = 0;  // the system's error of the failed write, reported again by Close
};

}  // namespace k470
