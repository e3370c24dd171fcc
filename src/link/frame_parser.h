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
    using Deliver = std::function<void(uint8_t type, const uint8_t* payload, uint32_t length)>;

    explicit FrameParser(Deliver deliver, uint32_t maxPayload = kMaxPayload);

    void Feed(const uint8_t* data, size_t n);
    // 0: looking for the preamble, 1..6: inside it, 7 type, 8..9 length, 10 payload, 11 checksum.
    int state() const { return state_; }

  private:
    Deliver deliver_;
    uint32_t maxPayload_;
    std::vector<uint8_t> payload_;
    int state_ = 0;
    uint8_t type_ = 0;
    uint32_t length_ = 0;
    uint32_t got_ = 0;
    uint8_t checksum_ = 0;
};

// One complete frame around a payload, as the instrument sends it.
std::vector<uint8_t> buildFrame(uint8_t type, const uint8_t* payload, size_t length);

}  // namespace k470
