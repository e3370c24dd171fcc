// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_parser.h"

#include <algorithm>
#include <cstring>

namespace k470 {

namespace {

// The sum of the bytes modulo 256, in sixteen byte lanes that the compiler keeps in one vector register.
uint8_t byteSum(const uint8_t* p, size_t n) {
    uint8_t lanes[16] = {};
    size_t i = 0;
    for (; i + 16 <= n; i += 16)
        for (size_t j = 0; j < 16; ++j) lanes[j] = static_cast<uint8_t>(lanes[j] + p[i + j]);
    uint8_t sum = 0;
    for (size_t j = 0; j < 16; ++j) sum = static_cast<uint8_t>(sum + lanes[j]);
    for (; i < n; ++i) sum = static_cast<uint8_t>(sum + p[i]);
    return sum;
}

}  // namespace

FrameParser::FrameParser(Deliver deliver, uint32_t maxPayload)
    : deliver_(std::move(deliver)), maxPayload_(maxPayload), payload_(maxPayload) {}

void FrameParser::Feed(const uint8_t* data, size_t n) {
    const uint8_t* p = data;
    const uint8_t* end = data + n;
    while (p < end) {
        switch (state_) {
            case State::SeekPreamble: {
                // Most of a stream between frames is skipped here, so look for the first character in bulk.
                const void* t = std::memchr(p, kFramePreamble[0], static_cast<size_t>(end - p));
                if (!t) return;
                p = static_cast<const uint8_t*>(t) + 1;
                state_ = State::InPreamble;
                matched_ = 1;
                break;
            }
            case State::InPreamble: {
                const uint8_t b = *p++;
                if (b == static_cast<uint8_t>(kFramePreamble[matched_])) {
                    if (++matched_ == kPreambleLength) state_ = State::Type;
                } else if (b == static_cast<uint8_t>(kFramePreamble[0])) {
                    matched_ = 1;  // the stray byte may itself start a frame
                } else {
                    state_ = State::SeekPreamble;
                }
                break;
            }
            case State::Type:
                type_ = *p++;
                state_ = State::LengthLow;
                break;
            case State::LengthLow:
                length_ = *p++;
                state_ = State::LengthHigh;
                break;
            case State::LengthHigh:
                length_ |= static_cast<uint32_t>(*p++) << 8;
                checksum_ = 0;
                got_ = 0;
                state_ = length_ > maxPayload_ ? State::SeekPreamble
                                               : (length_ == 0 ? State::Checksum : State::Payload);
                break;
            case State::Payload: {
                size_t take = std::min<size_t>(length_ - got_, static_cast<size_t>(end - p));
                uint8_t* dst = payload_.data() + got_;
                std::memcpy(dst, p, take);
                checksum_ = static_cast<uint8_t>(checksum_ + byteSum(p, take));
                got_ += static_cast<uint32_t>(take);
                p += take;
                if (got_ == length_) state_ = State::Checksum;
                break;
            }
            case State::Checksum:
                if (*p++ == checksum_) deliver_(type_, payload_.data(), length_);
                state_ = State::SeekPreamble;
                break;
        }
    }
}

std::vector<uint8_t> buildFrame(uint8_t type, const uint8_t* payload, size_t length) {
    std::vector<uint8_t> f(length + kPreambleLength + 4);
    for (uint32_t i = 0; i < kPreambleLength; ++i) f[i] = static_cast<uint8_t>(kFramePreamble[i]);
    f[7] = type;
    f[8] = static_cast<uint8_t>(length);
    f[9] = static_cast<uint8_t>(length >> 8);
    uint8_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        f[10 + i] = payload[i];
        sum = static_cast<uint8_t>(sum + payload[i]);
    }
    f.back() = sum;
    return f;
}

}  // namespace k470
