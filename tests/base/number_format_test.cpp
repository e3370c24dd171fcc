// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

namespace k470 {
namespace {

std::string cFormat(const char* format, double v) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

TEST(NumberFormat, FixedAndGeneralGiveTheDigitsOfTheCFormats) {
    const double values[] = {0.0,    -0.0,    0.004999, 0.005,    1.005,         2.675,
                             -1.0,   62.5,    255.996,  1234.567, 1e-7,          1e21,
                             999.95, 0.00125, 1.0 / 3,  -4.69897, 123456789.125, 65535.0 / 256};
    for (double v : values) {
        EXPECT_EQ(formatFixed(v, 2), cFormat("%.2lf", v)) << v;
        EXPECT_EQ(formatGeneral(v, 3), cFormat("%.3lg", v)) << v;
        EXPECT_EQ(formatGeneral(v, 10), cFormat("%.10lg", v)) << v;
    }
}

TEST(NumberFormat, IntegersAndHex) {
    std::string s;
    appendInt(s, 7, 2);
    s += '|';
    appendInt(s, 123, 2);
    s += '|';
    appendInt(s, -5, 3);
    s += '|';
    appendInt(s, 0);
    s += '|';
    appendHex8(s, 0xAB12);
    EXPECT_EQ(s, "07|123|-05|0|0000AB12");
}

TEST(NumberFormat, ParseDoubleReadsWholeNumbersOnly) {
    double v = 0;
    EXPECT_TRUE(parseDouble("10", v));
    EXPECT_EQ(v, 10.0);
    EXPECT_TRUE(parseDouble(" 2.5e1 ", v));
    EXPECT_EQ(v, 25.0);
    EXPECT_FALSE(parseDouble("", v));
    EXPECT_FALSE(parseDouble("abc", v));
    EXPECT_FALSE(parseDouble("1,5", v));
}

TEST(NumberFormat, UnchangedUnderACommaLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale on this machine";
    const std::string cStyle = cFormat("%.2lf", 1234.567);
    const std::string ours = formatFixed(1234.567, 2);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(cStyle, "1234,57");  // the locale is really in force
    EXPECT_EQ(ours, "1234.57");
}

}  // namespace
}  // namespace k470
