// SPDX-License-Identifier: GPL-3.0-or-later
// The line chart's layout in pixels, shared by its geometry and its drawing.
#pragma once

namespace k470::plot::line_chart_layout {

constexpr int kReadoutHeight = 20;
constexpr int kButtonRowHeight = 24;
constexpr int kLeftMargin = 62;
constexpr int kRightMargin = 18;
constexpr int kAxisLabelsHeight = 36;
constexpr int kMinXTickSpacing = 70;
constexpr int kMinClockTickSpacing = 90;  // room for "dd.mm hh:mm"
constexpr int kMinLogTickSpacing = 40;    // the short labels of a logarithmic axis ("200", "5k")
constexpr int kMinYTickSpacing = 30;
constexpr int kDragThreshold = 4;

}  // namespace k470::plot::line_chart_layout
