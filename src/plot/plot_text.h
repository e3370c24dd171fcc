// SPDX-License-Identifier: GPL-3.0-or-later
// Texts that the plot control writes: cursor and pointer readouts, the chart's data as a tab-separated
// table, and the names of screenshot files. All numbers are formatted without the process locale.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace k470::plot {

// A value in a readout: "%1.6lf".
std::string ReadoutValue(double value);
// A cursor's readout: its x value "%1.6lf", followed by " (%d)" with its sample number when withSample is
// set, then "; " and the curve's value there ("%1.6lf"), which is left out when it is not a number.
std::string CursorReadout(double x, double y, int64_t sample, bool withSample);
// The same with the x value already written (a clock time).
std::string CursorReadout(std::string_view xText, double y, int64_t sample, bool withSample);
// The readout of the cursor pair: "%1.6lf (%.6lg, %.6lg)" with the distance and the two x values.
std::string CursorPairReadout(double x1, double x2);
// "%1ld points"
std::string PointsReadout(int64_t count);

// One column of the chart's text table.
struct TableColumn {
    std::span<const double> values;
};

// The text table: the header line, then one line per row, every value written with "%.6lg" and a tab
// after it. Rows run over the longest column; shorter columns leave their place empty.
std::string ChartTextTable(std::string_view header, std::span<const TableColumn> columns);

// "%02d%02d%02d%02d.<extension>" from the day of the month, hour, minute and second.
std::string ScreenshotFileName(int day, int hour, int minute, int second, std::string_view extension);

}  // namespace k470::plot
