// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/clock_ticks.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

#include "base/number_format.h"
#include "plot/axis_ticks.h"

namespace k470::plot {

namespace {

constexpr int64_t kDay = 86400;
// Steps that a clock reader counts in: they divide the minute, the hour or the day evenly.
constexpr std::array<int64_t, 22> kSteps = {
    1,    2,    5,    10,    15,    30,    60,   120,      300,      600,       900,
    1800, 3600, 7200, 10800, 21600, 43200, kDay, 2 * kDay, 7 * kDay, 14 * kDay, 28 * kDay};

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

std::string clockText(int64_t origin, double value, bool withDate, bool seconds) {
    const auto at = origin + static_cast<int64_t>(std::llround(std::clamp(value, -1e15, 1e15)));
    const int64_t days = floorDiv(at, kDay);
    const int64_t s = at - days * kDay;
    std::string out;
    if (withDate) {
        const std::chrono::year_month_day date{std::chrono::sys_days(std::chrono::days(days))};
        appendInt(out, static_cast<unsigned>(date.day()), 2);
        out += '.';
        appendInt(out, static_cast<unsigned>(date.month()), 2);
        out += ' ';
    }
    appendInt(out, s / 3600, 2);
    out += ':';
    appendInt(out, s / 60 % 60, 2);
    if (seconds) {
        out += ':';
        appendInt(out, s % 60, 2);
    }
    return out;
}

}  // namespace

int ClockTicks::count() const {
    if (!(step > 0) || lastTick < firstTick) return 0;
    return static_cast<int>(std::floor((lastTick - firstTick) / step + 0.5)) + 1;
}

std::string ClockTicks::label(double value) const {
    return clockText(origin, value, withDate, !withDate);
}

std::string ClockReadout(int64_t origin, double value) {
    return clockText(origin, value, true, true);
}

ClockTicks ComputeClockTicks(int64_t origin, double lo, double range, int pixels, int minSpacing) {
    MakeAxisUsable(lo, range, pixels, minSpacing);
    ClockTicks t;
    t.origin = origin;
    t.withDate = range >= static_cast<double>(kDay);
    // The smallest step that keeps the ticks apart; beyond the table, whole multiples of its last step.
    const double wanted = range * minSpacing / pixels;
    double step = static_cast<double>(kSteps.back()) * std::ceil(wanted / static_cast<double>(kSteps.back()));
    for (int64_t s : kSteps)
        if (static_cast<double>(s) >= wanted) {
            step = static_cast<double>(s);
            break;
        }
    t.step = step;
    // Ticks stand on whole steps of the clock, not of the axis start.
    const double o = static_cast<double>(origin);
    t.firstTick = std::ceil((o + lo) / step) * step - o;
    t.lastTick = std::floor((o + lo + range) / step) * step - o;
    return t;
}

}  // namespace k470::plot
