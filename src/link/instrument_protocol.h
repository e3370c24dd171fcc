// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument's commands and its status message. Commands are raw two-byte register writes (no
// framing); the status message is the payload of a frame and is read field by field into the values that
// the acquisition keeps.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "data/measurement_record.h"

namespace k470 {

class DeviceLink;
class TeleLink;

using Command = std::array<uint8_t, 2>;

// Register r in the low nibble of the first byte; the 4-bit value v in the high nibble of the second, whose
// low nibble is always 0xA.
constexpr Command RegisterWrite(unsigned reg, unsigned value) {
    return {static_cast<uint8_t>(0xA0 + (reg & 0x0F)), static_cast<uint8_t>(((value << 4) | 0x0A) & 0xFF)};
}

// Register 0 values.
constexpr Command kStartCommand = RegisterWrite(0, 1);      // start sending status messages
constexpr Command kStopCommand = RegisterWrite(0, 2);       // stop sending status messages
constexpr Command kResetCommand = RegisterWrite(0, 3);      // reset the running measurement
constexpr Command kStartStopCommand = RegisterWrite(0, 4);  // start or stop the measurement
// Wake-up bytes of the connect sequence, sent as line pulses.
constexpr uint8_t kWakeUpByte = 0x28;
constexpr uint8_t kSecondWakeUpByte = 0x02;
// Every command waits this long for its write.
constexpr int kCommandTimeoutMs = 100;

// Range 0..3 (shown as 1..4): register 0 with value 7 + range.
constexpr Command RangeCommand(int range) {
    return RegisterWrite(0, static_cast<unsigned>(7 + range));
}

// The calibration offset w = floor(dB * 256 + 0.5) as a signed 16-bit word, sent as four nibbles through
// registers C, D, E, F (lowest first), then register 0 with value 11, 12 or 13 for channel 0, 1 or 2.
std::array<Command, 5> CalibrationOffsetCommands(int channel, double offsetDb);
// The number at the start of the entered text, 0 when it does not start with one.
double parseCalibrationText(std::string_view text);

// The header of every status message.
constexpr size_t kStatusTypeOffset = 0;
constexpr size_t kStatusRunningOffset = 4;
constexpr size_t kStatusRangeOffset = 8;
constexpr size_t kStatusVinOffset = 10;
constexpr size_t kIdentificationSize = 20;  // what is taken of the first message
constexpr size_t kMaxStatusMessage = 5120;

struct Identification {
    DeviceType deviceType = 0;
    uint32_t vin = 0;
};
// Type and serial number of a message; nothing when it is shorter than the header.
std::optional<Identification> ReadIdentification(std::span<const uint8_t> message);

enum class StatusLayout { None, ThreeChannel, SingleChannel };
// Status words at 14 and the result block at 32 (three-channel) or 22 (single-channel).
StatusLayout statusLayout(DeviceType type);
size_t resultBlockOffset(StatusLayout layout);
// Whether the message carries a range index that is kept (every decoded type but 1, 2 and 20).
bool keepsRangeIndex(DeviceType type);

// The instrument's current values, as the views show them and "Save as binary" stores them.
struct AcquiredValues {
    MeasurementRecord record;  // header (type, VIN, comment), levels, status trailer, range in the tail
    bool running = false;      // the instrument reports its measurement running
};

// Reads one status message into the values. The running word is always taken (when present); the rest
// only when the message's type has the layout of the values' record. A field that lies beyond the end of
// the message keeps its earlier value.
void ApplyStatusMessage(std::span<const uint8_t> message, AcquiredValues& values);

// A status message of the values' type, as an instrument sends it: the inverse of ApplyStatusMessage.
std::vector<uint8_t> EncodeStatusMessage(const AcquiredValues& values);

// Commands to the instrument over whichever link is open: the USB link first, then the TCP link.
class InstrumentCommands {
  public:
    using Sleep = std::function<void(uint32_t ms)>;
    InstrumentCommands(DeviceLink& usb, TeleLink& tele, Sleep sleep);

    // Posts the bytes and waits up to the time-out for the write; a USB device held without the link's
    // threads is written to directly. True when a link was open, whatever became of the write; false, with
    // nothing sent, when no link is open.
    bool SendCommand(const uint8_t* bytes, size_t n, int timeoutMs = kCommandTimeoutMs);
    bool SendCommand(const Command& c) { return SendCommand(c.data(), c.size()); }
    // One byte written while DTR is cleared (USB link only).
    void LinePulse(uint8_t byte);
    // Range 0..3.
    void SelectRange(int range);
    // Channel 0..2; nothing when no link is open.
    void SetCalibrationOffset(int channel, double offsetDb);

    bool AnyLinkOpen() const;

  private:
    DeviceLink& usb_;
    TeleLink& tele_;
    Sleep sleep_;
};

}  // namespace k470
