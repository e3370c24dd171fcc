// SPDX-License-Identifier: GPL-3.0-or-later
// Stream mode of the acquisition: on every tick the raw sample stream of the raw-signal instrument is read
// straight from the USB device (its link's threads are stopped) and passed through the stream decoder and
// the processing chain, whose output rings the views show.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "link/acquisition_controller.h"
#include "signal/live_stream.h"

namespace k470 {

class FilterLibrary;
class ProcessingChain;
class SerialPort;
struct SignalState;

// The stream bytes that the serial driver holds, read from the device directly.
class SerialPortByteSource : public StreamByteSource {
  public:
    // The longest one read may wait; the bytes asked for are already queued, so it never waits long.
    static constexpr int kReadLimitMs = 1000;

    explicit SerialPortByteSource(SerialPort& port) : port_(port) {}
    size_t queued() override;
    // Reads until n bytes are in, the device fails, or nothing came for the read limit.
    size_t read(uint8_t* buffer, size_t n) override;

  private:
    SerialPort& port_;
};

// What the stream feeds: the main window's signal state, its processing chain and filter library, and the
// lock that every user of the signal state takes.
struct LiveStreamDeps {
    SignalState& state;
    ProcessingChain& chain;
    const FilterLibrary& library;
    std::mutex& signalLock;
    // Renews the channel set-up before the reads of a tick (called under the signal lock). None: the set-up
    // of the raw-signal instrument (device type 26) without a replayed file.
    std::function<void(SignalState&)> renewSetup;
};

class LiveStreamHandler : public StreamHandler {
  public:
    explicit LiveStreamHandler(LiveStreamDeps deps);

    // One tick: up to 20 reads of the queued stream bytes, each decoded and processed under the signal
    // lock. True when bytes were queued (the views get new data).
    bool OnStreamTick(SerialPort& port) override;

    // The decoder (with the two status values) and the high-pass state; they last across acquisitions.
    LiveSignalStream& stream() { return stream_; }
    const StreamTickResult& lastTick() const { return lastTick_; }
    uint64_t samplesProcessed() const { return samples_; }

  private:
    LiveStreamDeps deps_;
    LiveSignalStream stream_;
    StreamTickResult lastTick_;
    uint64_t samples_ = 0;
};

}  // namespace k470
