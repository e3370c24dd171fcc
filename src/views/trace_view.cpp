// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/trace_view.h"

#include <algorithm>

namespace k470::views {

std::optional<size_t> LastCrossing(std::span<const double> values, double level, TriggerSlope slope,
                                   size_t last) {
    if (values.size() < 2) return std::nullopt;
    last = std::min(last, values.size() - 1);
    for (size_t i = last; i >= 1; --i) {
        const double before = values[i - 1];
        const double now = values[i];
        const bool crossed =
            slope == TriggerSlope::Rising ? before < level && now >= level : before > level && now <= level;
        if (crossed) return i;
    }
    return std::nullopt;
}

void TraceView::Hold(const SignalTrace& trace) {
    for (int k = 0; k < 3; ++k) heldValues_[static_cast<size_t>(k)] = trace.Values(k);
    heldStart_ = trace.startTime();
    held_ = true;
}

void TraceView::Release() {
    held_ = false;
    for (auto& v : heldValues_) std::vector<double>().swap(v);
}

std::vector<double> TraceView::Values(const SignalTrace& trace, int k) const {
    if (held_) return heldValues_[static_cast<size_t>(std::clamp(k, 0, 2))];
    return trace.Values(k);
}

double TraceView::StartTime(const SignalTrace& trace) const {
    return held_ ? heldStart_ : trace.startTime();
}

void TraceView::UserView(int64_t first, int64_t count, int64_t size) {
    if (count >= size || count < 2 || first < 0) {
        zoom_.reset();
        return;
    }
    zoom_ = Zoom{std::max<int64_t>(0, size - (first + count)), count};
}

TraceWindow TraceView::Window(std::span<const double> values) const {
    const auto n = static_cast<int64_t>(values.size());
    const TraceWindow whole{0, n};
    if (n < 2) return whole;
    if (trigger_.mode == TriggerMode::Off) {
        if (!zoom_ || zoom_->count >= n) return whole;
        const int64_t first = std::max<int64_t>(0, n - zoom_->fromEnd - zoom_->count);
        return {first, zoom_->count};
    }
    const int64_t width = zoom_ ? std::min(zoom_->count, n) : n / 2;
    if (width < 2) return whole;
    // The window must fit behind the crossing: the crossing lies at n - width or before.
    if (auto at = LastCrossing(values, trigger_.level, trigger_.slope, static_cast<size_t>(n - width)))
        return {static_cast<int64_t>(*at), width};
    return {n - width, width};
}

}  // namespace k470::views
