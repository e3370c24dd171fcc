// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/view_window.h"

#include <gtest/gtest.h>

#include <ostream>

#include <functional>

namespace k470::plot {
namespace {

// Data of samples 0..99 shown from 30 to 59 (w = 29): a ninth is 3, a third 9.
ViewWindow windowOver100(int64_t first, int64_t count) {
    ViewWindow v;
    v.SetDataRange(0, 99, 0.0, 1.0);
    EXPECT_TRUE(v.SetView(first, count));
    return v;
}

struct MoveCase {
    const char* name;
    int64_t first, count;
    std::function<bool(ViewWindow&)> move;
    int64_t wantFirst, wantLast;
};

const MoveCase kMoves[] = {
    {"small_right", 30, 30, [](ViewWindow& v) { return v.SmallShiftRight(); }, 34, 63},  // + 29/9 + 1
    {"small_left", 30, 30, [](ViewWindow& v) { return v.SmallShiftLeft(); }, 26, 55},
    {"right", 30, 30, [](ViewWindow& v) { return v.ShiftRight(); }, 40, 69},  // + 29/3 + 1
    {"left", 30, 30, [](ViewWindow& v) { return v.ShiftLeft(); }, 20, 49},
    // n = 29/4 + 1 = 8: first = (30 + 59)/2 - 8 + 1 = 37, 16 samples.
    {"zoom_in", 30, 30, [](ViewWindow& v) { return v.ZoomIn(); }, 37, 52},
    // n = 30: first = 44 - 30 + 1 = 15, 60 samples.
    {"zoom_out", 30, 30, [](ViewWindow& v) { return v.ZoomOut(); }, 15, 74},
    {"full", 30, 30, [](ViewWindow& v) { return v.ZoomFull(); }, 0, 99},
    // At the data start "<" keeps first at the data start and the count.
    {"small_left_at_start", 0, 30, [](ViewWindow& v) { return v.SmallShiftLeft(); }, 0, 29},
    // At the data end ">>" keeps the count, ending at the last sample.
    {"right_at_end", 70, 30, [](ViewWindow& v) { return v.ShiftRight(); }, 70, 99},
    // Three samples (w = 2): n = 1, two samples from the middle one.
    {"zoom_in_three_samples", 10, 3, [](ViewWindow& v) { return v.ZoomIn(); }, 11, 12},
    // Two samples: n = 1 again, the window stays at two samples.
    {"zoom_in_two_samples", 10, 2, [](ViewWindow& v) { return v.ZoomIn(); }, 10, 11},
    // Out from a window over all data stays at all data.
    {"zoom_out_of_everything", 0, 100, [](ViewWindow& v) { return v.ZoomOut(); }, 0, 99},
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

class ViewMoves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(ViewMoves, MoveTheWindowInsideTheData) {
    const MoveCase& c = GetParam();
    ViewWindow v = windowOver100(c.first, c.count);
    EXPECT_TRUE(c.move(v));
    EXPECT_EQ(v.first(), c.wantFirst);
    EXPECT_EQ(v.last(), c.wantLast);
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewMoves, ::testing::ValuesIn(kMoves),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ViewWindow, SetViewNeedsDataAndTwoSamples) {
    ViewWindow v;
    EXPECT_FALSE(v.SetView(0, 10));  // no data yet
    v.SetDataRange(0, 99, 0.0, 1.0);
    EXPECT_FALSE(v.SetView(5, 1));
    EXPECT_FALSE(v.viewSet());
    EXPECT_TRUE(v.SetView(-20, 10));  // clamped to the data start
    EXPECT_EQ(v.first(), 0);
    EXPECT_EQ(v.last(), 9);
    EXPECT_TRUE(v.SetView(95, 500));  // longer than the data: all of it
    EXPECT_EQ(v.first(), 0);
    EXPECT_EQ(v.last(), 99);
}

TEST(ViewWindow, MovesWaitForTheFirstView) {
    ViewWindow v;
    v.SetDataRange(0, 99, 0.0, 1.0);
    EXPECT_FALSE(v.SmallShiftRight());
    EXPECT_FALSE(v.ZoomIn());
    EXPECT_FALSE(v.ZoomIntoHole(1.0, 5.0));
    EXPECT_FALSE(v.viewSet());
    EXPECT_TRUE(v.ZoomFull());
    EXPECT_TRUE(v.SmallShiftRight());
}

TEST(ViewWindow, ZoomIntoHoleTakesTheSamplesBetweenTheCursors) {
    ViewWindow v;
    v.SetDataRange(0, 99, 10.0, 0.5);  // sample i at x = 10 + i/2
    ASSERT_TRUE(v.ZoomFull());
    // Positions 2*(12.2-10) = 4.4 and 2*(20.1-10) = 20.2: first 4, count floor(21.2) - 4 + 1 = 18.
    EXPECT_TRUE(v.ZoomIntoHole(12.2, 20.1));
    EXPECT_EQ(v.first(), 4);
    EXPECT_EQ(v.last(), 21);
    // A cursor at or beyond the last sample counts as the one before it: positions 98 and 98 -> 98..99.
    ASSERT_TRUE(v.ZoomFull());
    EXPECT_TRUE(v.ZoomIntoHole(1e9, 1e9));
    EXPECT_EQ(v.first(), 98);
    EXPECT_EQ(v.last(), 99);
    // Cursors the wrong way round give a count below 2: nothing changes.
    EXPECT_FALSE(v.ZoomIntoHole(30.0, 12.0));
    EXPECT_EQ(v.first(), 98);
    // Without a sample step no cursor maps to a sample.
    v.SetDataRange(0, 99, 0.0, 0.0);
    EXPECT_FALSE(v.ZoomIntoHole(1.0, 2.0));
}

}  // namespace
}  // namespace k470::plot
