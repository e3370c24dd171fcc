// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_text.h"

#include <algorithm>
#include <cmath>

#include "base/number_format.h"

namespace k470::plot {

std::string ReadoutValue(double value) {
    return formatFixed(value, 6);
}

std::string CursorReadout(double x, double y, int64_t sample, bool withSample) {
    return CursorReadout(formatFixed(x, 6), y, sample, withSample);
}

std::string CursorReadout(std::string_view xText, double y, int64_t sample, bool withSample) {
    std::string s(xText);
    if (withSample) {
        s += " (";
        appendInt(s, sample);
        s += ')';
    }
    if (std::isfinite(y)) {
        s += "; ";
        s += formatFixed(y, 6);
    }
    return s;
}

std::string CursorPairReadout(double x1, double x2) {
    std::string s = formatFixed(std::fabs(x2 - x1), 6);
    s += " (";
    appendGeneral(s, x1, 6);
    s += ", ";
    appendGeneral(s, x2, 6);
    s += ')';
    return s;
}

std::string PointsReadout(int64_t count) {
    std::string s;
    appendInt(s, count);
    return s + " points";
}

std::string ChartTextTable(std::string_view header, std::span<const TableColumn> columns) {
    size_t rows = 0;
    for (const auto& c : columns) rows = std::max(rows, c.values.size());
    std::string out(header);
    out += '\n';
    for (size_t r = 0; r < rows; ++r) {
        for (const auto& c : columns) {
            if (r < c.values.size()) appendGeneral(out, c.values[r], 6);
            out += '\t';
        }
        out += '\n';
    }
    return out;
}

std::string ScreenshotFileName(int day, int hour, int minute, int second, std::string_view extension) {
    std::string s;
    for (int v : {day, hour, minute, second}) appendInt(s, v, 2);
    s += '.';
    s += extension;
    return s;
}

}  // namespace k470::plot
