// SPDX-License-Identifier: GPL-3.0-or-later
// Packed dates and times of the stored records (DOS format) and of signal-file directory entries.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

struct CalendarTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// DOS date: bits 0-4 day, 5-8 month, 9-15 year - 1980. DOS time: bits 0-4 seconds/2, 5-10 minutes,
// 11-15 hours.
// The DOS time keeps seconds in steps of this many: a record's stamp lies up to that much before its start.
constexpr int kDosSecondsStep = 2;
uint16_t packDosDate(const CalendarTime& t);
uint16_t packDosTime(const CalendarTime& t);
CalendarTime unpackDos(uint16_t date, uint16_t time);

// Signal-file entries: date bits 0-4 day, 5-8 month, 9 and up the full year; time bits 0-5 seconds,
// 6-11 minutes, 12 and up hours.
uint32_t packEntryDate(const CalendarTime& t);
uint32_t packEntryTime(const CalendarTime& t);
CalendarTime unpackEntry(uint32_t date, uint32_t time);

// "dd/mm/yyyy" ("%02d/%02d/%d") and "hh:mm:ss" ("%02d:%02d:%02d"), as the text outputs write them.
void appendDate(std::string& out, const CalendarTime& t);
void appendTime(std::string& out, const CalendarTime& t);

// The local date and time now.
CalendarTime localTimeNow();
// The wall-clock date and time that many seconds later (earlier when negative).
CalendarTime shiftedBy(const CalendarTime& t, int64_t seconds);

}  // namespace k470
