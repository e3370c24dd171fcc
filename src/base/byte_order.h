// SPDX-License-Identifier: GPL-3.0-or-later
// Little-endian field access for the binary file formats and the instrument's messages. Fields are always
// read and written one by one with explicit widths, never by copying structs.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace k470 {

inline uint16_t readU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline int16_t readI16(const uint8_t* p) {
    return static_cast<int16_t>(readU16(p));
}
inline uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t readU64(const uint8_t* p) {
    return static_cast<uint64_t>(readU32(p)) | (static_cast<uint64_t>(readU32(p + 4)) << 32);
}
inline double readF64(const uint8_t* p) {
    return std::bit_cast<double>(readU64(p));
}

inline void writeU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void writeI16(uint8_t* p, int16_t v) {
    writeU16(p, static_cast<uint16_t>(v));
}
inline void writeU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void writeU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void writeF64(uint8_t* p, double v) {
    writeU64(p, std::bit_cast<uint64_t>(v));
}

}  // namespace k470
