// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/view_window.h"

#include <algorithm>
#include <cmath>

namespace k470::plot {

void ViewWindow::SetDataRange(int64_t dataFirst, int64_t dataLast, double x0, double xStep) {
    dataFirst_ = dataFirst;
    dataLast_ = dataLast;
    x0_ = x0;
    xStep_ = xStep;
}

bool ViewWindow::SetView(int64_t first, int64_t count) {
    if (!hasData() || count < 2) return false;
    first = std::max(first, dataFirst_);
    int64_t last = first + count - 1;
    if (last > dataLast_) {
        last = dataLast_;
        first = std::max(dataLast_ - count + 1, dataFirst_);
    }
    first_ = first;
    last_ = last;
    viewSet_ = true;
    return true;
}

bool ViewWindow::SmallShiftLeft() {
    return viewSet_ && SetView(first_ - width() / 9 - 1, width() + 1);
}

bool ViewWindow::SmallShiftRight() {
    return viewSet_ && SetView(first_ + width() / 9 + 1, width() + 1);
}

bool ViewWindow::ShiftLeft() {
    return viewSet_ && SetView(first_ - width() / 3 - 1, width() + 1);
}

bool ViewWindow::ShiftRight() {
    return viewSet_ && SetView(first_ + width() / 3 + 1, width() + 1);
}

bool ViewWindow::ZoomIn() {
    if (!viewSet_) return false;
    const int64_t n = width() / 4 + 1;
    return SetView((first_ + last_) / 2 - n + 1, 2 * n);
}

bool ViewWindow::ZoomOut() {
    if (!viewSet_) return false;
    const int64_t n = width() + 1;
    return SetView((first_ + last_) / 2 - n + 1, 2 * n);
}

bool ViewWindow::ZoomIntoHole(double cursorX1, double cursorX2) {
    // Without a sample step no cursor maps to a sample.
    if (!viewSet_ || xStep_ == 0.0 || !std::isfinite(xStep_)) return false;
    auto position = [this](double x) {
        double p = (x - x0_) / xStep_;
        const double limit = static_cast<double>(dataLast_);
        if (!std::isfinite(p)) return limit - 1;
        if (p >= limit) p = limit - 1;
        // Far before the data the window is clamped to the data start anyway.
        return std::max(p, static_cast<double>(dataFirst_) - 1.0);
    };
    const auto p1 = static_cast<int64_t>(std::floor(position(cursorX1)));
    const auto p2 = static_cast<int64_t>(std::floor(position(cursorX2) + 1.0));
    return SetView(p1, p2 - p1 + 1);
}

bool ViewWindow::ZoomFull() {
    return SetView(dataFirst_, dataLast_ - dataFirst_ + 1);
}

}  // namespace k470::plot
