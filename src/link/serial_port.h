// SPDX-License-Identifier: GPL-3.0-or-later
// The serial line to the instrument's USB bridge: the operations that the USB link and the acquisition use
// (line set-up, baud rate, flow control, DTR and RTS, the count of received bytes waiting, reads and writes
// that a stop signal interrupts), behind an interface so that other access layers can plug in. The Linux
// backend drives the kernel's FTDI serial driver (/dev/ttyUSB*); the same backend runs on a pseudo-terminal
// in the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace k470 {

class StopSignal;

enum class FlowControl { None, RtsCts };

struct IoResult {
    enum Status { Done, Stopped, TimedOut, Failed };
    Status status = Done;
    size_t count = 0;  // bytes moved, also when stopped, timed out or failed part-way
};

class SerialPort {
  public:
    virtual ~SerialPort() = default;
    virtual const std::string& name() const = 0;

    // 8 data bits, no parity, one stop bit, raw bytes (no echo, no character translation).
    virtual bool SetLine8N1() = 0;
    // Any rate from 1 to 3,000,000 baud.
    virtual bool SetBaudRate(uint32_t baud) = 0;
    virtual bool SetFlowControl(FlowControl flow) = 0;
    virtual bool SetDtr(bool on) = 0;
    virtual bool SetRts(bool on) = 0;
    // Received bytes waiting to be read.
    virtual bool QueueStatus(uint32_t& count) = 0;
    // Reads up to n bytes: returns as soon as some are there, when stop is set, or after timeoutMs
    // (negative: no time-out).
    virtual IoResult Read(uint8_t* buffer, size_t n, const StopSignal* stop, int timeoutMs) = 0;
    // Writes all n bytes unless stop is set or timeoutMs passes first (negative: no time-out).
    virtual IoResult Write(const uint8_t* data, size_t n, const StopSignal* stop, int timeoutMs) = 0;
};

// Finds and opens serial devices.
class SerialPortProvider {
  public:
    virtual ~SerialPortProvider() = default;
    // The devices in the order of enumeration.
    virtual std::vector<std::string> List() = 0;
    // The open device, or nothing when it cannot be opened (missing, in use by another program).
    virtual std::unique_ptr<SerialPort> Open(const std::string& device) = 0;
};

// Opens a terminal device (a USB serial port or a pseudo-terminal) for exclusive use; nothing when it is
// missing, not a terminal or already open in another program.
std::unique_ptr<SerialPort> OpenTtySerialPort(const std::string& path);

// The tty names ("ttyUSB0") whose USB device has the FTDI vendor id 0403, in natural order
// (ttyUSB2 before ttyUSB10). sysRoot is "/sys" except in tests.
std::vector<std::string> listFtdiTtys(const std::string& sysRoot = "/sys");

// The FTDI bridges found through sysfs, opened as /dev/<name>.
class FtdiTtyProvider : public SerialPortProvider {
  public:
    explicit FtdiTtyProvider(std::string sysRoot = "/sys", std::string devRoot = "/dev")
        : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}
    std::vector<std::string> List() override;
    std::unique_ptr<SerialPort> Open(const std::string& device) override;

  private:
    std::string sysRoot_, devRoot_;
};

// A fixed list of terminal devices: a device named on the command line, or pseudo-terminals in tests.
class FixedTtyProvider : public SerialPortProvider {
  public:
    explicit FixedTtyProvider(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    std::vector<std::string> List() override { return paths_; }
    std::unique_ptr<SerialPort> Open(const std::string& device) override { return OpenTtySerialPort(device); }

  private:
    std::vector<std::string> paths_;
};

}  // namespace k470
