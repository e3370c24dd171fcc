// SPDX-License-Identifier: GPL-3.0-or-later
// An instrument that the links can talk to: it serves the tele adapter's TCP port and a USB instrument on a
// pseudo-terminal, answers the instrument's commands and sends a status message every 30 ms while asked
// to, with levels that drift slowly. Faults can be switched on to test the links: split frames, garbage
// between frames, bad checksums, silence, a dropped connection, or a raw sample stream instead of messages.
// The raw-signal instrument (device type 26) sends its raw sample stream from the start, without commands.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/result.h"
#include "data/device_type.h"
#include "signal/signal_synth.h"

namespace k470 {

// The raw-signal instrument (device type 26, or any type with the stream fault) sends kStreamRate samples per
// second, paced by the real clock, and after every kStreamStatusEvery samples one status frame: value A,
// value B, then one that the PC must ignore. Its samples are the signal of SimulatorOptions::signal at
// kSimulatorCountsPerPascal (clipped to 24 bits); without one, the sum of these tones (in raw 24-bit sample
// units) with a little noise.
struct StreamTone {
    double frequency;  // Hz
    double amplitude;  // raw sample units
};
constexpr double kStreamRate = 48000.0;
constexpr std::array<StreamTone, 2> kStreamTones = {{{1000.0, 2'000'000.0}, {3000.0, 1'000'000.0}}};
constexpr int kStreamNoise = 512;  // peak of the noise added to every sample
constexpr int kStreamStatusEvery = 64;

struct SimulatorOptions {
    DeviceType type = 3;
    uint32_t vin = 0x00A1B2C3;
    bool tcp = true;
    std::string bindAddress = "127.0.0.1";
    uint16_t port = 10001;  // 0: any free port (see Simulator::tcpPort)
    bool pty = false;
    int periodMs = 30;
    bool runningAtStart = false;

    // Faults.
    bool splitFrames = false;  // every frame in three pieces, written apart
    bool garbage = false;      // stray bytes, preamble fragments among them, between frames
    int badChecksumEvery = 0;  // every n-th message with a wrong checksum (0: never)
    int silenceAfter = 0;      // no more messages after n (0: never)
    int dropAfter = 0;         // the connection is dropped after n messages (0: never)
    bool stream = false;       // a raw sample stream of 0xAA/0xBB frames instead of status messages

    // What happens when the PC does not take the frames in time. The instrument cannot wait: what does not
    // fit its output buffer is lost (and counted). With waitForReader the stream is held back instead, so a
    // slow reader still gets a continuous signal, later than the real clock.
    bool waitForReader = false;

    // The signal of the raw sample stream, in pascals; empty: the tones of kStreamTones.
    std::vector<SynthItem> signal;
    // The two status values of the raw sample stream.
    uint16_t streamStatusA = 3000;
    uint16_t streamStatusB = 250;
};

struct SimulatorState {
    bool sending = false;  // status messages are being sent (after the start command)
    bool running = false;  // the measurement runs
    int range = 0;
    std::array<double, 3> calibrationOffset{};
    int messagesSent = 0;
    int wakeUps = 0;  // wake-up bytes received
    int resets = 0;
};

class Simulator {
  public:
    // Fails when the port cannot be bound, the pseudo-terminal cannot be made, or the type has no layout
    // (except the raw-signal instrument, type 26).
    static Result<std::unique_ptr<Simulator>> Start(const SimulatorOptions& options);
    ~Simulator();

    uint16_t tcpPort() const { return tcpPort_; }
    // The terminal the USB instrument answers on (empty without --pty).
    const std::string& ptyPath() const { return ptyPath_; }

    SimulatorState state() const;
    // Frames (status messages, or frames of the raw stream) that the PC did not take in time and that were
    // lost, since the start; also those sent before any PC opened the port.
    uint64_t droppedFrames() const;
    // Every byte received from the PC, over either transport, in order.
    std::vector<uint8_t> receivedBytes() const;
    void Stop();

  private:
    Simulator() = default;
    void Run();
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::thread thread_;
    uint16_t tcpPort_ = 0;
    std::string ptyPath_;
};

}  // namespace k470
