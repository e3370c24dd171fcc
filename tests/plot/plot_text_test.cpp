// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_text.h"
#include "plot/clock_ticks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <vector>

namespace k470::plot {
namespace {

TEST(PlotText, ReadoutsUseTheirFormats) {
    EXPECT_EQ(ReadoutValue(1.5), "1.500000");
    const double none = std::nan("");
    EXPECT_EQ(CursorReadout(-2.25, none, 17, false), "-2.250000");
    EXPECT_EQ(CursorReadout(-2.25, none, 17, true), "-2.250000 (17)");
    // The level at the cursor is read out beside its time.
    EXPECT_EQ(CursorReadout(-2.25, 85.5, 17, true), "-2.250000 (17); 85.500000");
    EXPECT_EQ(CursorReadout(60.0, 0.0, 2, false), "60.000000; 0.000000");
    EXPECT_EQ(CursorPairReadout(0.5, 2.0), "1.500000 (0.5, 2)");
    EXPECT_EQ(CursorPairReadout(3.0, 1.0), "2.000000 (3, 1)");
    EXPECT_EQ(PointsReadout(1234), "1234 points");
}

TEST(PlotText, TableHasHeaderAndTabAfterEveryValue) {
    const std::vector<double> x = {0.0, 0.5, 1.0};
    const std::vector<double> y = {1234567.0, 0.000125};
    const TableColumn columns[] = {{x}, {y}};
    EXPECT_EQ(ChartTextTable("x\ty", columns),
              "x\ty\n"
              "0\t1.23457e+06\t\n"
              "0.5\t0.000125\t\n"
              "1\t\t\n");
}

TEST(PlotText, TableIgnoresACommaLocale) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
    const std::vector<double> x = {0.5};
    const TableColumn columns[] = {{x}};
    EXPECT_EQ(ChartTextTable("h", columns), "h\n0.5\t\n");
    EXPECT_EQ(ReadoutValue(0.5), "0.500000");
    std::setlocale(LC_ALL, "C");
}

// Clock seconds of a local date and time.
int64_t clock(int y, unsigned m, unsigned d, int h, int min, int s) {
    using namespace std::chrono;
    return sys_days(year_month_day{year{y}, month{m}, day{d}}).time_since_epoch().count() * int64_t{86400} +
           h * 3600 + min * 60 + s;
}

TEST(ClockTicks, StepsFollowTheClockAndLabelsReadAsTimeOfDay) {
    const int64_t nine = clock(2026, 12, 1, 9, 0, 10);
    struct Case {
        double lo, range;
        int pixels;
        double step, first;
        std::string firstLabel, lastLabel;
    } cases[] = {
        // 19 minutes over 600 pixels, ticks 90 pixels apart: 171 s wanted, 5 min given, on whole 5 min.
        {0.0, 1140.0, 600, 300.0, 290.0, "09:05:00", "09:15:00"},
        // Ten seconds: 2 s steps on even seconds.
        {0.0, 10.0, 500, 2.0, 0.0, "09:00:10", "09:00:20"},
        // A span of days: whole days at midnight, labelled with the date.
        {0.0, 19.0 * 86400, 600, 7.0 * 86400, 140390.0, "03.12 00:00", "17.12 00:00"},
    };
    for (const Case& c : cases) {
        const ClockTicks t = ComputeClockTicks(nine, c.lo, c.range, c.pixels, 90);
        EXPECT_EQ(t.step, c.step) << c.range;
        EXPECT_EQ(t.firstTick, c.first) << c.range;
        ASSERT_GE(t.count(), 2) << c.range;
        EXPECT_EQ(t.label(t.tick(0)), c.firstLabel);
        EXPECT_EQ(t.label(t.tick(t.count() - 1)), c.lastLabel);
        EXPECT_GE(t.step * c.pixels / c.range, 90.0) << c.range;
    }
    // Across midnight the time of day starts again; the calendar runs over the month and the leap day.
    EXPECT_EQ(ComputeClockTicks(clock(2024, 2, 28, 23, 59, 58), 0, 4, 400, 90).label(3), "00:00:01");
    EXPECT_EQ(ComputeClockTicks(clock(2024, 2, 28, 12, 0, 0), 0, 3 * 86400, 400, 90).label(86400 + 43200),
              "01.03 00:00");
    EXPECT_EQ(ClockReadout(clock(2024, 2, 28, 12, 0, 0), 86400 + 43200 + 61), "01.03 00:01:01");
}

TEST(PlotText, ScreenshotNamesHaveTwoDigitsEach) {
    EXPECT_EQ(ScreenshotFileName(3, 14, 5, 9, "bmp"), "03140509.bmp");
    EXPECT_EQ(ScreenshotFileName(31, 0, 0, 0, "png"), "31000000.png");
}

}  // namespace
}  // namespace k470::plot
