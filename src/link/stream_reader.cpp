// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/stream_reader.h"

#include <algorithm>
#include <cstring>

#include "link/serial_port.h"

namespace k470 {

StreamReader::StreamReader(size_t backlogLimit) : limit_(backlogLimit) {}

StreamReader::~StreamReader() {
    Stop();
}

void StreamReader::Start(SerialPort& port) {
    Stop();
    {
        std::lock_guard<std::mutex> guard(lock_);
        backlog_.clear();
        head_ = 0;
    }
    bytesRead_ = 0;
    bytesLost_ = 0;
    failed_ = false;
    stop_.Clear();
    thread_ = std::thread([this, &port] { Run(port); });
}

void StreamReader::SetLimit(size_t bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    limit_ = bytes;
}

void StreamReader::Stop() {
    if (!thread_.joinable()) return;
    stop_.Set();
    thread_.join();
    stop_.Clear();
}

void StreamReader::Run(SerialPort& port) {
    std::vector<uint8_t> piece(kReadPiece);
    for (;;) {
        // No time-out: the read returns with the first bytes, or when the stop signal is set.
        const IoResult r = port.Read(piece.data(), piece.size(), &stop_, -1);
        if (r.count > 0) Append(piece.data(), r.count);
        if (r.status == IoResult::Stopped) return;
        if (r.status == IoResult::Failed) {
            failed_ = true;
            return;
        }
    }
}

void StreamReader::Append(const uint8_t* bytes, size_t n) {
    bytesRead_ += n;
    std::lock_guard<std::mutex> guard(lock_);
    // What was taken goes before the new bytes come in, so the backlog does not grow with the taken part.
    if (head_ > 0 && head_ >= backlog_.size() / 2) {
        backlog_.erase(backlog_.begin(), backlog_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    const size_t room = limit_ - std::min(limit_, backlog_.size() - head_);
    const size_t kept = std::min(room, n);
    backlog_.insert(backlog_.end(), bytes, bytes + kept);
    if (kept < n) bytesLost_ += n - kept;
}

size_t StreamReader::queued() {
    std::lock_guard<std::mutex> guard(lock_);
    return backlog_.size() - head_;
}

size_t StreamReader::read(uint8_t* buffer, size_t n) {
    std::lock_guard<std::mutex> guard(lock_);
    const size_t k = std::min(n, backlog_.size() - head_);
    if (k > 0) std::memcpy(buffer, backlog_.data() + head_, k);
    head_ += k;
    if (head_ == backlog_.size()) {
        backlog_.clear();
        head_ = 0;
    }
    return k;
}

}  // namespace k470
