// SPDX-License-Identifier: GPL-3.0-or-later
// Tick marks of a time axis labelled with the clock: the axis runs in seconds from an origin given as a
// local date and time (seconds since 1970-01-01 00:00, no time zone), the ticks fall on whole clock steps
// (1 s ... 30 s, 1 min ... 30 min, 1 h ... 12 h, days) at least a given number of pixels apart, and each is
// labelled "hh:mm:ss", or "dd.mm hh:mm" when the axis spans a day or more.
#pragma once

#include <cstdint>
#include <string>

namespace k470::plot {

struct ClockTicks {
    int64_t origin = 0;      // clock seconds of axis value 0
    double step = 1.0;       // seconds between ticks
    double firstTick = 0.0;  // axis values (seconds from the origin) of the first and last tick
    double lastTick = 0.0;
    bool withDate = false;

    int count() const;
    double tick(int i) const { return firstTick + i * step; }
    // The clock text of an axis value.
    std::string label(double value) const;
};

// The clock time of a value on a clock axis to the second, "dd.mm hh:mm:ss".
std::string ClockReadout(int64_t origin, double value);

// Ticks for the axis [lo, lo + range] seconds after origin over `pixels` pixels.
ClockTicks ComputeClockTicks(int64_t origin, double lo, double range, int pixels, int minSpacing);

}  // namespace k470::plot
