// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/wav_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/byte_order.h"
#include "base/lexicon.h"

namespace k470 {

namespace {

constexpr size_t kHeaderBytes = 44;  // RIFF header 12, "fmt " chunk 24, "data" chunk header 8
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 60;  // the RIFF size field must still hold the whole form

}  // namespace

WavFormat WavFormat::FloatMono(uint32_t samplesPerSecond) {
    WavFormat f;
    f.samplesPerSecond = samplesPerSecond;
    f.avgBytesPerSecond = 4 * samplesPerSecond;
    return f;
}

Error WavFileWriter::writeError() const {
    return fail(lexicon().cantWriteFile(path_), std::strerror(errno != 0 ? errno : EIO));
}

Status WavFileWriter::Open(const std::string& path, const WavFormat& format,
                           std::span<const std::string> keep) {
    (void)Close();
    if (auto s = refuseOutputOverInput(path, keep); !s) return s;
    auto file = OutputFile::Create(path);
    if (!file) return file.error();
    uint8_t h[kHeaderBytes] = {};
    std::memcpy(h, "RIFF", 4);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    writeU32(h + 16, 16);
    writeU16(h + 20, format.formatTag);
    writeU16(h + 22, format.channels);
    writeU32(h + 24, format.samplesPerSecond);
    writeU32(h + 28, format.avgBytesPerSecond);
    writeU16(h + 32, format.blockAlign);
    writeU16(h + 34, format.bitsPerSample);
    std::memcpy(h + 36, "data", 4);
    if (!file->file().write(h, sizeof h)) return fail(lexicon().cantWriteFile(path), std::strerror(errno));
    file_ = std::move(*file);
    path_ = path;
    dataBytes_ = 0;
    failed_ = false;
    open_ = true;
    return {};
}

Status WavFileWriter::Write(const void* bytes, size_t count) {
    return WriteAt(dataBytes_, bytes, count);
}

Status WavFileWriter::WriteAt(uint64_t dataPosition, const void* bytes, size_t count) {
    if (!open_) return fail("The WAV file is not open");
    if (failed_) return fail(lexicon().cantWriteFile(path_), std::strerror(failure_));
    const uint64_t end = dataPosition + count;
    if (end > kMaxDataBytes) {
        failed_ = true;
        failure_ = EFBIG;
        return fail("The WAV file '" + path_ + "' would exceed 4 GB");
    }
    if (!file_.file().writeAt(kHeaderBytes + dataPosition, bytes, count)) {
        failed_ = true;
        failure_ = errno != 0 ? errno : EIO;
        return writeError();
    }
    dataBytes_ = std::max(dataBytes_, end);
    return {};
}

void WavFileWriter::Discard() {
    open_ = false;
    file_.Discard();
}

Status WavFileWriter::Close() {
    if (!open_) return {};
    open_ = false;
    if (failed_) {
        // What was written is dropped: a WAV file that is there is whole.
        file_.Discard();
        return fail(lexicon().cantWriteFile(path_), std::strerror(failure_ != 0 ? failure_ : EIO));
    }
    bool ok = true;
    const uint32_t data = static_cast<uint32_t>(dataBytes_);
    // A chunk of odd size is followed by a pad byte that its size does not count.
    const uint32_t pad = data & 1u;
    uint8_t tail[1 + 24] = {};
    size_t n = pad;
    std::memcpy(tail + n, "LIST", 4);
    writeU32(tail + n + 4, 16);
    std::memcpy(tail + n + 8, "INFO", 4);
    std::memcpy(tail + n + 12, "ICOP", 4);
    writeU32(tail + n + 16, 4);
    std::memcpy(tail + n + 20, "123", 4);  // with its zero byte
    n += 24;
    File& file = file_.file();
    ok = ok && file.writeAt(kHeaderBytes + dataBytes_, tail, n);
    uint8_t size[4];
    writeU32(size, 4 + 24 + 8 + data + pad + 24);
    ok = ok && file.writeAt(4, size, 4);
    writeU32(size, data);
    ok = ok && file.writeAt(40, size, 4);
    if (!ok) {
        const Error e = writeError();
        file_.Discard();
        return e;
    }
    return file_.Commit();
}

}  // namespace k470
