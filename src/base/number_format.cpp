// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/number_format.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace k470 {

namespace {

// printf writes "inf", "-inf" and "nan" for the values that to_chars also spells that way, so no special
// handling is needed; the buffer is sized for the longest fixed form of a double.
constexpr int kBufferSize = 400;

}  // namespace

void appendFixed(std::string& out, double value, int precision) {
    char buf[kBufferSize];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
    out.append(buf, r.ptr);
}

void appendGeneral(std::string& out, double value, int precision) {
    char buf[kBufferSize];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
    out.append(buf, r.ptr);
}

void appendInt(std::string& out, long long value, int width) {
    char buf[32];
    char* p = buf;
    if (value < 0) {
        *p++ = '-';
        --width;
    }
    unsigned long long magnitude =
        value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    char digits[24];
    auto r = std::to_chars(digits, digits + sizeof digits, magnitude);
    for (long long pad = width - (r.ptr - digits); pad > 0; --pad) *p++ = '0';
    out.append(buf, p);
    out.append(digits, r.ptr);
}

void appendHex8(std::string& out, uint32_t value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    char buf[8];
    for (int i = 7; i >= 0; --i) {
        buf[i] = kHex[value & 0xF];
        value >>= 4;
    }
    out.append(buf, 8);
}

std::string formatFixed(double value, int precision) {
    std::string s;
    appendFixed(s, value, precision);
    return s;
}

std::string formatGeneral(double value, int precision) {
    std::string s;
    appendGeneral(s, value, precision);
    return s;
}

std::string formatHex8(uint32_t value) {
    std::string s;
    appendHex8(s, value);
    return s;
}

bool parseDouble(std::string_view text, double& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto r = std::from_chars(first, last, value);
    if (r.ec != std::errc() || first == last) return false;
    for (const char* p = r.ptr; p != last; ++p)
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') return false;
    return true;
}

}  // namespace k470
