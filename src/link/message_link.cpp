// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/message_link.h"

#include <pthread.h>
#include <sched.h>
#include <algorithm>
#include <chrono>
#include <cstring>

namespace k470 {

void raiseThreadPriority() {
    sched_param p{};
    p.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &p);  // refused without the privilege: fine
}

bool MessageLink::Post(const uint8_t* bytes, size_t n) {
    std::lock_guard lock(writeMutex_);
    if (pendingLength_ != 0) return false;
    if (writeBuffer_.size() < n) writeBuffer_.resize(n);
    if (n) std::memcpy(writeBuffer_.data(), bytes, n);
    pendingLength_ = n;
    writeDone_ = false;
    writeRequested_ = true;
    writeChanged_.notify_all();
    return true;
}

bool MessageLink::PostAndWait(const uint8_t* bytes, size_t n, int timeoutMs) {
    if (WritePending()) return false;
    if (n == 0) return true;
    if (!Post(bytes, n)) return false;
    return WaitWriteDone(timeoutMs);
}

bool MessageLink::WaitWriteDone(int timeoutMs) {
    std::unique_lock lock(writeMutex_);
    return writeChanged_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                  [&] { return writeDone_; });
}

bool MessageLink::WritePending() const {
    std::lock_guard lock(writeMutex_);
    return pendingLength_ != 0;
}

uint32_t MessageLink::Receive(uint8_t* buffer, uint32_t capacity, uint32_t* type) {
    if (!buffer || !HasMessages()) return 0;
    std::lock_guard lock(queueMutex_);
    if (queue_.empty()) return 0;
    LinkMessage& m = queue_.front();
    uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(m.payload.size()), capacity);
    if (n) std::memcpy(buffer, m.payload.data(), n);
    if (type) *type = m.type;
    queue_.pop_front();
    pending_.store(!queue_.empty(), std::memory_order_release);
    return n;
}

size_t MessageLink::MessageCount() const {
    std::lock_guard lock(queueMutex_);
    return queue_.size();
}

bool MessageLink::WaitForMessage(int timeoutMs) {
    std::unique_lock lock(queueMutex_);
    return messageArrived_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                    [&] { return !queue_.empty(); });
}

void MessageLink::DiscardMessages() {
    std::lock_guard lock(queueMutex_);
    queue_.clear();
    pending_.store(false, std::memory_order_release);
}

void MessageLink::Deliver(uint8_t type, const uint8_t* payload, uint32_t length) {
    LinkMessage m;
    m.payload.assign(payload, payload + length);
    m.type = type;
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(std::move(m));
        pending_.store(true, std::memory_order_release);
    }
    messageArrived_.notify_all();
}

void MessageLink::StartWorkers() {
    if (WorkersRunning()) return;
    stop_.Clear();
    {
        std::lock_guard lock(writeMutex_);
        stopping_ = false;
    }
    writer_ = std::thread([this] { WriterLoop(); });
    reader_ = std::thread([this] { ReaderLoop(); });
}

void MessageLink::StopWorkers() {
    stop_.Set();
    {
        std::lock_guard lock(writeMutex_);
        stopping_ = true;
        writeChanged_.notify_all();
    }
    if (writer_.joinable()) writer_.join();
    if (reader_.joinable()) reader_.join();
    stop_.Clear();
    std::lock_guard lock(writeMutex_);
    // A write cut short by the stop is forgotten; it would otherwise block every later Post.
    pendingLength_ = 0;
    writeRequested_ = false;
    stopping_ = false;
}

void MessageLink::WriterLoop() {
    raiseThreadPriority();
    for (;;) {
        size_t n = 0;
        {
            std::unique_lock lock(writeMutex_);
            writeChanged_.wait(lock, [&] { return writeRequested_ || stopping_; });
            if (stopping_) return;
            writeRequested_ = false;
            n = pendingLength_;
            if (n) writeDone_ = false;
        }
        // Post leaves the buffer alone while the length is pending, so it is read here without the lock.
        if (n) TransportWrite(writeBuffer_.data(), n, stop_);
        std::lock_guard lock(writeMutex_);
        if (stopping_) return;  // not done: the stop interrupted it
        pendingLength_ = 0;
        writeDone_ = true;
        writeChanged_.notify_all();
    }
}

void MessageLink::ReaderLoop() {
    raiseThreadPriority();
    std::vector<uint8_t> buffer(65536);
    FrameParser parser([this](uint8_t type, const uint8_t* p, uint32_t n) { Deliver(type, p, n); },
                       maxPayload_);
    while (!stop_.IsSet()) {
        size_t got = TransportRead(buffer.data(), buffer.size(), stop_);
        if (got) parser.Feed(buffer.data(), got);
    }
}

}  // namespace k470
