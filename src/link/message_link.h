// SPDX-License-Identifier: GPL-3.0-or-later
// What the USB link and the TCP link share: a writer thread that sends the one write posted at a time, a
// reader thread that cuts the incoming bytes into frames and queues them as messages, and the queue that
// the acquisition takes them from. The transports supply only their read and write.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "link/frame_parser.h"
#include "link/stop_signal.h"

namespace k470 {

struct LinkMessage {
    std::vector<uint8_t> payload;
    uint32_t type = 0;  // the frame's type byte
};

class MessageLink {
  public:
    // The longest a PostAndWait waits for its write: long enough for any command at any line rate, short
    // enough that a vanished peer cannot hold the caller.
    static constexpr int kPostAndWaitLimitMs = 2000;

    MessageLink(uint32_t maxPayload = kMaxPayload) : maxPayload_(maxPayload) {}
    virtual ~MessageLink() = default;
    MessageLink(const MessageLink&) = delete;
    MessageLink& operator=(const MessageLink&) = delete;

    // Hands the bytes to the writer thread. False, with nothing sent, while an earlier write is pending.
    bool Post(const uint8_t* bytes, size_t n);
    // Post and wait until the write is done (true at once for no bytes). False when a write is pending or
    // the write did not finish within the limit.
    bool PostAndWait(const uint8_t* bytes, size_t n, int timeoutMs = kPostAndWaitLimitMs);
    // Waits up to timeoutMs for the posted write to be done.
    bool WaitWriteDone(int timeoutMs);
    bool WritePending() const;

    // Copies the oldest message (cut to the capacity) into the buffer and removes it; its frame type goes
    // to *type. Returns the bytes copied, 0 when the buffer is missing or there is no message.
    uint32_t Receive(uint8_t* buffer, uint32_t capacity, uint32_t* type = nullptr);
    bool HasMessages() const { return pending_.load(std::memory_order_acquire); }
    size_t MessageCount() const;
    // Waits up to timeoutMs for a message to be queued; true when one is there.
    bool WaitForMessage(int timeoutMs);
    // Drops every queued message.
    void DiscardMessages();
    // Queues a message as if it had arrived (captured traffic, tests, benchmarks).
    void Inject(uint8_t type, const uint8_t* payload, uint32_t length) { Deliver(type, payload, length); }

    // Whether the worker threads run.
    bool WorkersRunning() const { return writer_.joinable(); }

  protected:
    void StartWorkers();
    // Stops both threads and waits for them; a write they interrupted is forgotten, so that Post works
    // again after the link is reopened. Never call it from a worker thread.
    void StopWorkers();

    // Writes all bytes, or gives up when stop is set or the transport fails.
    virtual void TransportWrite(const uint8_t* bytes, size_t n, const StopSignal& stop) = 0;
    // One pass of the reader: reads what there is into the buffer (pausing a few milliseconds when
    // nothing comes) and returns the count.
    virtual size_t TransportRead(uint8_t* buffer, size_t capacity, const StopSignal& stop) = 0;

    StopSignal& stopSignal() { return stop_; }

  private:
    void WriterLoop();
    void ReaderLoop();
    void Deliver(uint8_t type, const uint8_t* payload, uint32_t length);

    uint32_t maxPayload_;
    StopSignal stop_;
    std::thread writer_, reader_;

    mutable std::mutex writeMutex_;
    std::condition_variable writeChanged_;
    bool writeRequested_ = false;
    bool writeDone_ = false;
    size_t pendingLength_ = 0;
    std::vector<uint8_t> writeBuffer_;
    bool stopping_ = false;

    mutable std::mutex queueMutex_;
    std::condition_variable messageArrived_;
    std::deque<LinkMessage> queue_;
    std::atomic<bool> pending_{false};
};

// Asks for real-time scheduling of the calling thread; keeps the normal scheduling when the system refuses.
void raiseThreadPriority();

}  // namespace k470
