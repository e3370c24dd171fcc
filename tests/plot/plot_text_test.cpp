#include "plot/plot_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <vector>

namespace k470::plot {
namespace {

TEST(PlotText, ReadoutsUseTheirFormats) {
    EXPECT_EQ(ReadoutValue(1.5), "1.500000");
    EXPECT_EQ(CursorReadout(-2.25, 17, false), "-2.250000");
    EXPECT_EQ(CursorReadout(-2.25, 17, true), "-2.250000 (17)");
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

TEST(PlotText, ScreenshotNamesHaveTwoDigitsEach) {
    EXPECT_EQ(ScreenshotFileName(3, 14, 5, 9, "bmp"), "03140509.bmp");
    EXPECT_EQ(ScreenshotFileName(31, 0, 0, 0, "png"), "31000000.png");
}

}  // namespace
}  // namespace k470::plot
