// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/dos_date_time.h"

#include <ctime>

#include "base/number_format.h"

namespace k470 {

uint16_t packDosDate(const CalendarTime& t) {
    int year = t.year - 1980;
    if (year < 0) year = 0;
    if (year > 127) year = 127;
    return static_cast<uint16_t>((t.day & 0x1F) | ((t.month & 0x0F) << 5) | (year << 9));
}

uint16_t packDosTime(const CalendarTime& t) {
    return static_cast<uint16_t>(((t.seconds / 2) & 0x1F) | ((t.minutes & 0x3F) << 5) |
                                 ((t.hours & 0x1F) << 11));
}

CalendarTime unpackDos(uint16_t date, uint16_t time) {
    CalendarTime t;
    t.day = date & 0x1F;
    t.month = (date >> 5) & 0x0F;
    t.year = 1980 + (date >> 9);
    t.seconds = 2 * (time & 0x1F);
    t.minutes = (time >> 5) & 0x3F;
    t.hours = time >> 11;
    return t;
}

uint32_t packEntryDate(const CalendarTime& t) {
    return static_cast<uint32_t>(t.day & 0x1F) | (static_cast<uint32_t>(t.month & 0x0F) << 5) |
           (static_cast<uint32_t>(t.year) << 9);
}

uint32_t packEntryTime(const CalendarTime& t) {
    return static_cast<uint32_t>(t.seconds & 0x3F) | (static_cast<uint32_t>(t.minutes & 0x3F) << 6) |
           (static_cast<uint32_t>(t.hours) << 12);
}

CalendarTime unpackEntry(uint32_t date, uint32_t time) {
    CalendarTime t;
    t.day = static_cast<int>(date & 0x1F);
    t.month = static_cast<int>((date >> 5) & 0x0F);
    t.year = static_cast<int>(date >> 9);
    t.seconds = static_cast<int>(time & 0x3F);
    t.minutes = static_cast<int>((time >> 6) & 0x3F);
    t.hours = static_cast<int>(time >> 12);
    return t;
}

void appendDate(std::string& out, const CalendarTime& t) {
    appendInt(out, t.day, 2);
    out += '/';
    appendInt(out, t.month, 2);
    out += '/';
    appendInt(out, t.year);
}

void appendTime(std::string& out, const CalendarTime& t) {
    appendInt(out, t.hours, 2);
    out += ':';
    appendInt(out, t.minutes, 2);
    out += ':';
    appendInt(out, t.seconds, 2);
}

namespace {

CalendarTime fromTm(const std::tm& tm) {
    CalendarTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hours = tm.tm_hour;
    t.minutes = tm.tm_min;
    t.seconds = tm.tm_sec;
    return t;
}

}  // namespace

CalendarTime localTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return fromTm(tm);
}

CalendarTime shiftedBy(const CalendarTime& t, int64_t seconds) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hours;
    tm.tm_min = t.minutes;
    tm.tm_sec = t.seconds;
    // Calendar arithmetic without a time zone, so a change of daylight saving time does not move it.
    const std::time_t shifted = timegm(&tm) + static_cast<std::time_t>(seconds);
    std::tm out{};
    gmtime_r(&shifted, &out);
    return fromTm(out);
}

}  // namespace k470
