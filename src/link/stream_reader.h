// SPDX-License-Identifier: GPL-3.0-or-later
// The raw sample stream taken off the serial device as fast as it arrives: a thread reads the device
// without pause into a backlog, and the acquisition tick takes the backlog. The instrument cannot wait for
// the PC (it sends about 195 kB/s whatever happens), and the driver holds only a fraction of a second, so
// a reader that looked only on the 30 ms tick would lose frames whenever a tick came late or read short.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "link/stop_signal.h"
#include "signal/live_stream.h"

namespace k470 {

class SerialPort;

class StreamReader : public StreamByteSource {
  public:
    // The most the backlog holds: some 21 s of the stream, far longer than any stall of the window. Bytes
    // that arrive when it is full are lost, and counted.
    static constexpr size_t kBacklogLimit = size_t{4} << 20;
    // One read from the device; the terminal hands over at most its line buffer (4 KB) at a time anyway.
    static constexpr size_t kReadPiece = 65536;

    explicit StreamReader(size_t backlogLimit = kBacklogLimit);
    ~StreamReader() override;
    StreamReader(const StreamReader&) = delete;
    StreamReader& operator=(const StreamReader&) = delete;

    // Starts reading the device; the port must stay open until Stop. A reader already running is stopped
    // first. The backlog and the counts start empty.
    void Start(SerialPort& port);
    // Ends the reads (at once: the thread waits on the stop signal beside the device). The backlog stays
    // for the last takes.
    void Stop();
    bool running() const { return thread_.joinable(); }
    // Another limit of the backlog, from now on.
    void SetLimit(size_t bytes);

    // Bytes waiting in the backlog.
    size_t queued() override;
    // Takes up to n bytes of the backlog, oldest first; never waits.
    size_t read(uint8_t* buffer, size_t n) override;

    // Bytes read from the device since Start, and those of them lost because the backlog was full.
    uint64_t bytesRead() const { return bytesRead_.load(); }
    uint64_t bytesLost() const { return bytesLost_.load(); }
    // The device failed or went away (the reads have ended).
    bool failed() const { return failed_.load(); }

  private:
    void Run(SerialPort& port);
    void Append(const uint8_t* bytes, size_t n);

    size_t limit_;  // under lock_
    StopSignal stop_;
    std::thread thread_;
    std::mutex lock_;
    std::vector<uint8_t> backlog_;  // bytes from head_ on are waiting
    size_t head_ = 0;
    std::atomic<uint64_t> bytesRead_{0};
    std::atomic<uint64_t> bytesLost_{0};
    std::atomic<bool> failed_{false};
};

}  // namespace k470
