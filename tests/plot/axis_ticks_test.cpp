// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/axis_ticks.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "plot/axis_map.h"

namespace k470::plot {
namespace {

struct TickCase {
    const char* name;
    double lo, range;
    int pixels, minSpacing, budget;
    double step, first, last;
    int exponent, decimals;
    const char* exponentText;
    const char* format;
};

// Steps worked out by hand from the four mantissas 1, 0.5, 0.25 and 0.2: for each the power of ten
// E = ceil(log10(range * spacing / (pixels * m))) and the pixels left over, pixels - spacing * (range / step
// - 1); the smallest leftover wins.
const TickCase kTicks[] = {
    // leftovers 50, 450, 350, 300: step 1 wins.
    {"ten_over_500_pixels", 0, 10, 500, 50, 6, 1.0, 0, 10, 0, 0, "", "%1.0lf"},
    // E = 4 for every mantissa: leftovers 392, 344, 248, 200: step 2000; labels in thousands, E+3;
    // decimals 1 - 4 + 3 = 0.
    {"to_12000_in_thousands", 0, 12000, 400, 40, 6, 2000, 0, 12000, 3, 0, "E+3", "%1.0lf"},
    // E = -3, -3, -2, -2: steps 0.001, 0.0005, 0.0025, 0.002, leftovers 220, 70, 310, 295: step 0.0005;
    // exponent -3, decimals 1 + 3 - 3 = 1.
    {"milli_range", 0, 0.003, 320, 50, 6, 0.0005, 0, 0.003, -3, 1, "E-3", "%1.1lf"},
    // Same search one thousand times smaller: steps 1e-6, 5e-7, 2.5e-6, 2e-6, leftovers 75, 25, 105, 100.
    {"micro_range", 0, 2e-6, 100, 25, 6, 5e-7, 0, 2e-6, -6, 1, "E-6", "%1.1lf"},
    // E = 0, 0, 1, 1: steps 1, 0.5, 2.5, 2, leftovers 75, 25, 105, 100: step 0.5 from -1 to 1.
    {"minus_one_to_one", -1, 2, 100, 25, 6, 0.5, -1, 1, 0, 1, "", "%1.1lf"},
    // The milli search around 123.4: 4 decimals wanted (1 + 3 - 0), the budget of 5 digits leaves
    // 5 - (2 - 0 + 1) - 1 = 1; a budget of 10 leaves all 4.
    {"digit_budget_caps_decimals", 123.4001, 0.003, 320, 50, 5, 0.0005, 123.4005, 123.403, 0, 1, "",
     "%1.1lf"},
    {"digit_budget_large_enough", 123.4001, 0.003, 320, 50, 10, 0.0005, 123.4005, 123.403, 0, 4, "",
     "%1.4lf"},
    // E = 1 for all: steps 10, 5, 2.5, 2, leftovers 105, 85, 45, 25: step 2.
    {"eight_over_100_pixels", 0, 8, 100, 25, 6, 2, 0, 8, 0, 0, "", "%1.0lf"},
    // E = 0, 0, 1, 1: steps 1, 0.5, 2.5, 2, leftovers 150, 50, 210, 200: step 0.5.
    {"two_over_200_pixels", 0, 2, 200, 50, 6, 0.5, 0, 2, 0, 1, "", "%1.1lf"},
};

void PrintTo(const TickCase& c, std::ostream* os) {
    *os << c.name;
}

class AxisTicksTable : public ::testing::TestWithParam<TickCase> {};

TEST_P(AxisTicksTable, StepTicksExponentAndDecimals) {
    const TickCase& c = GetParam();
    AxisTicks t = ComputeAxisTicks(c.lo, c.range, c.pixels, c.minSpacing, c.budget);
    EXPECT_DOUBLE_EQ(t.step, c.step);
    EXPECT_NEAR(t.firstTick, c.first, c.step * 1e-9);
    EXPECT_NEAR(t.lastTick, c.last, c.step * 1e-9);
    EXPECT_EQ(t.exponent, c.exponent);
    EXPECT_EQ(t.decimals, c.decimals);
    EXPECT_EQ(t.exponentLabel(), c.exponentText);
    EXPECT_EQ(t.labelFormat(), c.format);
}

INSTANTIATE_TEST_SUITE_P(Cases, AxisTicksTable, ::testing::ValuesIn(kTicks),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(AxisTicks, LabelsAreScaledByTheExponentAndIgnoreTheLocale) {
    AxisTicks t = ComputeAxisTicks(0, 12000, 400, 40, 6);
    EXPECT_EQ(t.count(), 7);
    EXPECT_EQ(t.label(t.tick(0)), "0");
    EXPECT_EQ(t.label(t.tick(6)), "12");
    AxisTicks m = ComputeAxisTicks(0, 0.003, 320, 50, 6);
    EXPECT_EQ(m.label(0.0025), "2.5");
    EXPECT_EQ(m.exponentLabel(), "E-3");
}

TEST(AxisTicks, DegenerateAxesGiveFiniteTicks) {
    for (double range : {0.0, -5.0, std::numeric_limits<double>::infinity(), std::nan("")}) {
        AxisTicks t = ComputeAxisTicks(3.0, range, 300, 30, 6);
        EXPECT_TRUE(std::isfinite(t.step) && t.step > 0) << range;
        EXPECT_GE(t.count(), 1) << range;
    }
    AxisTicks zero = ComputeAxisTicks(0.0, 1.0, 0, 30, 6);
    EXPECT_TRUE(std::isfinite(zero.step));
    // An axis around zero only: no exponent from log10(0).
    AxisTicks atZero = ComputeAxisTicks(-0.4, 0.8, 30, 50, 6);
    EXPECT_EQ(atZero.exponent, 0);
    EXPECT_EQ(atZero.label(atZero.firstTick), "0");
}

TEST(AxisMap, ValuesRoundToTheNearestPixel) {
    // P = 100, R = 0, k = -2 (values grow upwards): x = 10 -> floor(100 - 20 + 0.5) = 80.
    AxisMap m{100.0, 0.0, -2.0};
    EXPECT_EQ(m.pixelOf(10.0), 80);
    EXPECT_EQ(m.pixelOf(0.25), 100);   // 99.5 + 0.5 -> 100
    EXPECT_EQ(m.pixelOf(0.2), 100);    // 99.6 + 0.5 -> 100
    EXPECT_EQ(m.pixelOf(0.3), 99);     // 99.4 + 0.5 -> 99
    EXPECT_EQ(m.pixelOf(-0.25), 101);  // 100.5 + 0.5 -> 101
    AxisMap s = AxisMap::Spanning(0.0, 10.0, 50.0, 550.0);
    EXPECT_EQ(s.pixelOf(0.0), 50);
    EXPECT_EQ(s.pixelOf(10.0), 550);
    EXPECT_DOUBLE_EQ(s.valueAt(300.0), 5.0);
}

struct LogTickCase {
    const char* name;
    double lo, hi;
    int pixels, minSpacing;
    std::vector<std::string> labels;
};

// Pixels per decade = pixels / log10(hi / lo); 1-2-5 needs log10(2) of that (about 0.3) per minSpacing.
const LogTickCase kLogTicks[] = {
    // 300 pixels a decade, 90 between 1 and 2: the 1-2-5 ticks of the audio range.
    {"audio_range_one_two_five",
     20,
     20000,
     900,
     45,
     {"20", "50", "100", "200", "500", "1k", "2k", "5k", "10k", "20k"}},
    // 100 pixels a decade, only 30 between 1 and 2: every decade.
    {"decades_only", 10, 100000, 400, 45, {"10", "100", "1k", "10k", "100k"}},
    // 25 pixels a decade: every second decade.
    {"every_second_decade", 1, 1e8, 200, 45, {"1", "100", "10k", "1M", "100M"}},
    // Below one: the fractions keep their decimals.
    {"fractions", 0.5, 2, 300, 45, {"0.5", "1", "2"}},
    // Nothing drawable: no positive start, an empty span, no pixels.
    {"zero_start", 0, 100, 300, 45, {}},
    {"empty_span", 100, 100, 300, 45, {}},
    {"no_pixels", 1, 100, 0, 45, {}},
};

class LogTicksTest : public ::testing::TestWithParam<LogTickCase> {};

TEST_P(LogTicksTest, TicksAndLabels) {
    const LogTickCase& c = GetParam();
    const LogAxisTicks t = ComputeLogAxisTicks(c.lo, c.hi, c.pixels, c.minSpacing);
    EXPECT_EQ(t.labels, c.labels);
    ASSERT_EQ(t.values.size(), t.labels.size());
    for (size_t i = 0; i < t.values.size(); ++i) {
        EXPECT_GE(t.values[i], c.lo * (1 - 1e-9));
        EXPECT_LE(t.values[i], c.hi * (1 + 1e-9));
        if (i > 0) {
            // Far enough apart on the axis.
            const double gap = c.pixels * std::log10(t.values[i] / t.values[i - 1]) / std::log10(c.hi / c.lo);
            EXPECT_GE(gap, c.minSpacing) << t.labels[i];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AxisTicks, LogTicksTest, ::testing::ValuesIn(kLogTicks),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace k470::plot
