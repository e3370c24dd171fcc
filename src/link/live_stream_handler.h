// SPDX-License-Identifier: GPL-3.0-or-later
// Stream mode of the acquisition: the raw sample stream of the raw-signal instrument is read straight from
// the USB device (its link's threads are stopped) by a reader of its own as fast as it arrives; every tick
// passes what came since the last one through the stream decoder and the processing chain, whose output
// rings the views show.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "link/acquisition_controller.h"
#include "link/stream_reader.h"
#include "signal/live_stream.h"

namespace k470 {

class FilterLibrary;
class ProcessingChain;
class SerialPort;
struct SignalState;

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
    ~LiveStreamHandler() override;

    // Starts the reader on the device.
    bool StartStream(SerialPort& port) override;
    // One tick: everything the reader took since the last tick (up to the tick's cap), in pieces, each
    // decoded and processed under the signal lock. True when bytes were there (the views get new data).
    bool OnStreamTick(SerialPort& port) override;
    // Ends the reader; the device may be closed after this.
    void StopStream() override;

    // The decoder (with the two status values) and the high-pass state; they last across acquisitions.
    LiveSignalStream& stream() { return stream_; }
    const StreamTickResult& lastTick() const { return lastTick_; }
    uint64_t samplesProcessed() const { return samples_; }
    // Frames of the stream lost on the PC's side since the stream started (the reader's backlog was full):
    // the processed signal has gaps. A frame cut by the loss counts as lost.
    uint64_t framesLost() const;
    const StreamReader& reader() const { return reader_; }
    // The most stream bytes held between two ticks (StreamReader::kBacklogLimit unless set); beyond it
    // they are lost, and counted.
    void SetBacklogLimit(size_t bytes) { reader_.SetLimit(bytes); }

  private:
    LiveStreamDeps deps_;
    StreamReader reader_;
    LiveSignalStream stream_;
    StreamTickResult lastTick_;
    uint64_t samples_ = 0;
};

}  // namespace k470
