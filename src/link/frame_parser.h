// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts the instrument's byte stream into frames: the preamble "Tq-vorn", a type byte, a 16-bit
// little-endian payload length, the payload and a checksum byte (the payload bytes summed modulo 256).
// Frames with a wrong checksum or a length above the limit are dropped and the parser looks for the next
// preamble. The state survives from one piece of input to the next, so frames may arrive split anyhow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace k470 {

constexpr char kFramePreamble[] = "Tq-vorn";
constexpr uint32_t kPreambleLength = 7;
constexpr uint32_t kFrameHeaderLength = 2;
// The largest message the instrument sends.
constexpr uint32_t kNominalMessageSize = 5120;
// The largest payload accepted: the nominal size plus preamble, header and two bytes of slack.
constexpr uint32_t kMaxPayload = kNominalMessageSize + kPreambleLength + kFrameHeaderLength + 2;

class FrameParser {
  public:
    // Where the parser stands in a frame.
    enum class State {
        SeekPreamble,  // looking for the preamble's first character
        InPreamble,    // matched part of the preamble (preambleMatched() characters)
        Type,          // the type byte comes next
        LengthLow,     // the payload length, low byte
        LengthHigh,    // the payload length, high byte
        Payload,       // inside the payload
        Checksum       // the checksum byte comes next
    };

    using Deliver = std::function<void(uint8_t type, const uint8_t* payload, uint32_t length)>;

    explicit FrameParser(Deliver deliver, uint32_t maxPayload = kMaxPayload);

    void Feed(const uint8_t* data, size_t n);
    State state() const { return state_; }
    uint32_t preambleMatched() const { return matched_; }

  private:
    Deliver deliver_;
    uint32_t maxPayload_;
    std::vector<uint8_t> payload_;
    State state_ = State::SeekPreamble;
    uint32_t matched_ = 0;  // preamble characters matched while InPreamble
    uint8_t type_ = 0;
    uint32_t length_ = 0;
    uint32_t got_ = 0;
    uint8_t checksum_ = 0;
};

// One complete frame around a payload, as the instrument sends it.
std::vector<uint8_t> buildFrame(uint8_t type, const uint8_t* payload, size_t length);

}  // namespace k470
