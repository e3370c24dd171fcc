// SPDX-License-Identifier: GPL-3.0-or-later
// The visible window of sample indices of a chart inside its data: set directly, shifted by a ninth or a
// third of its width, zoomed around its middle, zoomed onto the span between two cursors, or reset to all
// of the data. Indices are whole samples; the x value of sample i is x0 + i * xStep.
#pragma once

#include <cstdint>

namespace k470::plot {

class ViewWindow {
  public:
    // The whole data: samples dataFirst..dataLast (no data when dataLast < dataFirst).
    void SetDataRange(int64_t dataFirst, int64_t dataLast, double x0, double xStep);

    // Shows count samples from first, kept inside the data. Nothing happens without data or for a count
    // below 2; returns whether the view was set.
    bool SetView(int64_t first, int64_t count);

    // The moves of the scroll-and-zoom buttons. They act only once a view has been set; each returns
    // whether the view was set.
    bool SmallShiftLeft();
    bool SmallShiftRight();
    bool ShiftLeft();
    bool ShiftRight();
    bool ZoomIn();
    bool ZoomOut();
    // The samples between the x values of two cursors (0 for cursors that are not shown).
    bool ZoomIntoHole(double cursorX1, double cursorX2);
    // All of the data (acts also before any view was set).
    bool ZoomFull();

    bool hasData() const { return dataLast_ >= dataFirst_; }
    bool viewSet() const { return viewSet_; }
    int64_t dataFirst() const { return dataFirst_; }
    int64_t dataLast() const { return dataLast_; }
    int64_t first() const { return first_; }
    int64_t last() const { return last_; }
    double x0() const { return x0_; }
    double xStep() const { return xStep_; }
    double xOf(int64_t sample) const { return x0_ + static_cast<double>(sample) * xStep_; }

  private:
    int64_t width() const { return last_ - first_; }
    int64_t dataFirst_ = 0;
    int64_t dataLast_ = -1;
    int64_t first_ = 0;
    int64_t last_ = -1;
    double x0_ = 0.0;
    double xStep_ = 1.0;
    bool viewSet_ = false;
};

}  // namespace k470::plot
