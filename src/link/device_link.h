// SPDX-License-Identifier: GPL-3.0-or-later
// The USB link: the first FTDI bridge that opens, set up as 8N1 at the link's baud rate without flow
// control, with the writer and reader threads of MessageLink on top. Closing may keep the device open
// (the acquisition then talks to it directly) or release it.
#pragma once

#include <memory>
#include <mutex>

#include "link/message_link.h"
#include "link/serial_port.h"

namespace k470 {

class DeviceLink : public MessageLink {
  public:
    static constexpr uint32_t kDefaultBaudRate = 115'200;
    static constexpr uint32_t kFastBaudRate = 3'000'000;

    // Which device Open takes: the first one that opens (any device held is released first), or the one
    // still held from a Close that kept it.
    enum class OpenMode { Enumerate, ReuseHeld };
    // Whether Close lets go of the device or keeps holding it for direct use.
    enum class CloseMode { Release, KeepDevice };

    explicit DeviceLink(SerialPortProvider& provider) : provider_(provider) {}
    ~DeviceLink() override { Close(CloseMode::Release); }

    // Takes the device, then sets up the line and starts the threads. Callers test IsOpen afterwards.
    void Open(OpenMode mode);
    // Stops the threads and, with Release, lets go of the device.
    void Close(CloseMode mode);
    // A device is held.
    bool IsOpen() const { return port_ != nullptr; }

    // Takes effect at the next Open.
    void SetBaudRate(uint32_t baud) { baudRate_ = baud; }
    uint32_t baudRate() const { return baudRate_; }

    // The device held, for the line controls and direct reads of the acquisition (nothing when closed).
    SerialPort* port() { return port_.get(); }

  protected:
    void TransportWrite(const uint8_t* bytes, size_t n, const StopSignal& stop) override;
    size_t TransportRead(uint8_t* buffer, size_t capacity, const StopSignal& stop) override;

  private:
    SerialPortProvider& provider_;
    std::unique_ptr<SerialPort> port_;
    uint32_t baudRate_ = kDefaultBaudRate;
    std::mutex closeMutex_;
};

}  // namespace k470
