// SPDX-License-Identifier: GPL-3.0-or-later
// How the "Signal" page looks at a trace that keeps growing, as a plain oscilloscope does: the part of the
// trace shown (the whole trace, or the user's zoom, kept while values flow), "Hold" that freezes the shown
// values while the stream goes on, and a level trigger that starts the window at the last crossing of the
// level with the chosen slope, so that a periodic signal stands still.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "views/signal_trace.h"

namespace k470::views {

enum class TriggerMode { Off, Level };
enum class TriggerSlope { Rising, Falling };

struct TraceTrigger {
    TriggerMode mode = TriggerMode::Off;
    TriggerSlope slope = TriggerSlope::Rising;
    double level = 0.0;  // in the channel's units
};

// The index of the last sample at or below `last` where the values cross the level with the slope: the
// sample before lies below (rising) or above (falling) the level, this one at or beyond it. Nothing when
// there is no such crossing.
std::optional<size_t> LastCrossing(std::span<const double> values, double level, TriggerSlope slope,
                                   size_t last);

// A window of sample indices: count samples from first.
struct TraceWindow {
    int64_t first = 0;
    int64_t count = 0;
    bool operator==(const TraceWindow&) const = default;
};

class TraceView {
  public:
    // "Hold": keeps a copy of the trace's three channels as they are now; the view shows the copy until
    // Release, while the trace goes on filling.
    void Hold(const SignalTrace& trace);
    void Release();
    bool held() const { return held_; }

    // Channel k's values to show (oldest first) and the time of the first of them, in seconds: the held
    // copy, or the trace as it is now.
    std::vector<double> Values(const SignalTrace& trace, int k) const;
    double StartTime(const SignalTrace& trace) const;

    // The user moved the view to count samples from first, while `size` values were shown. A view of all
    // of them (zoomed all the way out) follows the whole trace again; any other view is kept, at the same
    // distance from the newest value, as values flow.
    void UserView(int64_t first, int64_t count, int64_t size);
    bool zoomed() const { return zoom_.has_value(); }
    void ZoomFull() { zoom_.reset(); }

    void SetTrigger(const TraceTrigger& trigger) { trigger_ = trigger; }
    const TraceTrigger& trigger() const { return trigger_; }

    // The window of the values to show. Without a trigger: the whole trace, or the user's zoom. With the
    // level trigger the window (the zoom's width, or half the trace when not zoomed, so that a crossing has
    // room) starts at the last crossing after which it still fits; without such a crossing it shows the
    // newest values, as an oscilloscope in auto mode does.
    TraceWindow Window(std::span<const double> values) const;

  private:
    struct Zoom {
        int64_t fromEnd = 0;  // samples between the view's last value and the newest one
        int64_t count = 0;
    };
    bool held_ = false;
    std::array<std::vector<double>, 3> heldValues_;
    double heldStart_ = 0.0;
    std::optional<Zoom> zoom_;
    TraceTrigger trigger_;
};

}  // namespace k470::views
