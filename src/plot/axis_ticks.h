// SPDX-License-Identifier: GPL-3.0-or-later
// Tick marks of a chart axis: a step of 1, 0.5, 0.25 or 0.2 times a power of ten chosen so that the ticks
// stand at least a given number of pixels apart and fill the axis best, labels scaled by an engineering
// exponent (a multiple of 3, shown as "E+3", "E-6"), and the number of decimals that the labels need,
// limited by the chart's digit budget.
#pragma once

#include <string>
#include <vector>

namespace k470::plot {

struct AxisTicks {
    double step = 1.0;       // distance between ticks, in axis units
    double firstTick = 0.0;  // the first multiple of step at or above the axis start
    double lastTick = 0.0;   // the last multiple of step at or below the axis end
    int mantissaIndex = 0;   // index into 1, 0.5, 0.25, 0.2
    int stepExponent = 0;    // step = 10^stepExponent * mantissa
    int exponent = 0;        // engineering exponent: labels show value / 10^exponent
    int decimals = 0;        // decimals of the labels (0 or more)

    // Number of ticks from firstTick to lastTick (0 when none falls on the axis).
    int count() const;
    // Value of tick i (firstTick + i * step).
    double tick(int i) const { return firstTick + i * step; }
    // The label printf format of the ticks: "%1.0lf" or "%1.<decimals>lf".
    std::string labelFormat() const;
    // The label of a value on this axis: value / 10^exponent with the label's decimals.
    std::string label(double value) const;
    // "E+3" / "E-6" for a non-zero exponent, empty otherwise.
    std::string exponentLabel() const;
};

// Ticks for the axis [lo, lo + range] drawn over `pixels` pixels with ticks at least `minSpacing` pixels
// apart. `digitBudget` caps the decimals so that a label holds at most that many digits. A range that is
// not positive or not finite, or an axis without pixels, is treated as an axis of span 1 over minSpacing
// pixels, so the labels stay sensible instead of the search running on infinities.
AxisTicks ComputeAxisTicks(double lo, double range, int pixels, int minSpacing, int digitBudget);
// The same treatment of an unusable axis for every kind of ticks: a start that is not finite becomes 0, a
// span that is not positive or not finite (or an axis without pixels) a span of 1 over minSpacing pixels.
void MakeAxisUsable(double& lo, double& range, int& pixels, int& minSpacing);

// Ticks of a logarithmic axis: at 1, 2 and 5 times the powers of ten where those stand at least minSpacing
// pixels apart, else at the powers of ten (every one, or every second, third... decade when even those
// crowd). Labels are short: "0.5", "20", "500", "1k", "20k", "1M".
struct LogAxisTicks {
    std::vector<double> values;  // rising, all within the axis
    std::vector<std::string> labels;
};
// Nothing for an axis that does not run from a positive lo up to a higher hi over some pixels.
LogAxisTicks ComputeLogAxisTicks(double lo, double hi, int pixels, int minSpacing);
std::string LogTickLabel(double value);

}  // namespace k470::plot
