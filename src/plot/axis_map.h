// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping between axis values and pixels: a reference pixel, the value shown there and a scale in
// pixels per unit. Values are rounded to the nearest pixel.
#pragma once

#include <cmath>

namespace k470::plot {

struct AxisMap {
    double refPixel = 0.0;  // P
    double refValue = 0.0;  // R, the value drawn at P
    double scale = 1.0;     // k, pixels per unit (negative for an axis that grows upwards)

    // The axis whose value lo lies at pixel from and hi at pixel to (from == to gives a zero scale).
    static AxisMap Spanning(double lo, double hi, double from, double to) {
        AxisMap m;
        m.refPixel = from;
        m.refValue = lo;
        m.scale = hi != lo ? (to - from) / (hi - lo) : 0.0;
        return m;
    }

    // floor(P - (R - x) * k + 0.5)
    int pixelOf(double x) const {
        return static_cast<int>(std::floor(refPixel - (refValue - x) * scale + 0.5));
    }
    // The same position without rounding, for drawing many points into one pixel column.
    double exactPixelOf(double x) const { return refPixel - (refValue - x) * scale; }
    // The value shown at a pixel.
    double valueAt(double pixel) const {
        return scale != 0.0 ? refValue + (pixel - refPixel) / scale : refValue;
    }
};

}  // namespace k470::plot
