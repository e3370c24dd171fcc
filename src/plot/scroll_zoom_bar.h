// SPDX-License-Identifier: GPL-3.0-or-later
// Eight plot buttons that move the visible sample window of the line charts attached to the bar: small
// and large shifts, zoom in and out around the middle, zoom onto the span between the first chart's
// cursors, and the whole data.
#pragma once

#include <array>
#include <vector>

#include "plot/plot_element.h"
#include "plot/view_window.h"

namespace k470::plot {

class LineChart;
class PlotButton;

class ScrollZoomBar : public PlotElement {
  public:
    ScrollZoomBar(PlotWindow& window, QRect rect);

    void Attach(LineChart& chart);
    // The whole data: samples dataFirst..dataLast, sample 0 at x0, xStep apart.
    void SetDataRange(int64_t dataFirst, int64_t dataLast, double x0, double xStep);
    // Shows count samples from first on every attached chart; nothing without a chart, without data or for
    // a count below 2.
    bool SetView(int64_t first, int64_t count);

    bool SmallShiftLeft() { return apply(view_.SmallShiftLeft()); }
    bool SmallShiftRight() { return apply(view_.SmallShiftRight()); }
    bool ShiftLeft() { return apply(view_.ShiftLeft()); }
    bool ShiftRight() { return apply(view_.ShiftRight()); }
    bool ZoomIn() { return apply(view_.ZoomIn()); }
    bool ZoomOut() { return apply(view_.ZoomOut()); }
    bool ZoomIntoHole();
    bool ZoomFull() { return apply(!charts_.empty() && view_.ZoomFull()); }

    const ViewWindow& view() const { return view_; }
    PlotButton& button(int i) const { return *buttons_[static_cast<size_t>(i)]; }
    static constexpr int kButtonCount = 8;

    void DrawFrame(QPainter& painter) override;
    void RectChanged() override { layoutButtons(); }

  private:
    bool apply(bool changed);
    void layoutButtons();

    ViewWindow view_;
    std::vector<LineChart*> charts_;
    std::array<PlotButton*, kButtonCount> buttons_{};
};

}  // namespace k470::plot
