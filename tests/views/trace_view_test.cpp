// SPDX-License-Identifier: GPL-3.0-or-later
// The live "Signal" view without widgets: a level trigger on a sine whose crossings are known from its
// phase, "Hold" against a trace that goes on filling, and a user's zoom kept while values flow.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "views/trace_view.h"

namespace k470::views {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(TraceView, LastCrossingFindsTheSlopeAndKeepsWithinTheBound) {
    const std::vector<double> v = {-1, 0, 1, 2, 1, 0, -1, -2, -1, 0.5, 1};
    struct Case {
        double level;
        TriggerSlope slope;
        size_t last;
        std::optional<size_t> expected;
    } cases[] = {
        {0.0, TriggerSlope::Rising, 100, 9},  // -1 -> 0.5 crosses; a value at the level counts
        {0.0, TriggerSlope::Rising, 8, 1},    // -1 -> 0 at index 1
        {0.0, TriggerSlope::Falling, 100, 5},
        {1.5, TriggerSlope::Rising, 100, 3},
        {1.5, TriggerSlope::Falling, 100, 4},
        {5.0, TriggerSlope::Rising, 100, std::nullopt},  // never reached
        {0.0, TriggerSlope::Rising, 0, std::nullopt},    // no sample before the first
    };
    for (const Case& c : cases)
        EXPECT_EQ(LastCrossing(v, c.level, c.slope, c.last), c.expected)
            << c.level << " " << static_cast<int>(c.slope) << " " << c.last;
    EXPECT_EQ(LastCrossing(std::vector<double>{}, 0.0, TriggerSlope::Rising, 5), std::nullopt);
    EXPECT_EQ(LastCrossing(std::vector<double>{1.0}, 0.0, TriggerSlope::Rising, 5), std::nullopt);
}

// A sine of a frequency that does not divide the rate flows into the trace piece by piece; after every
// piece the triggered window must start within one sample of a true crossing of the level with the slope
// (known from the sine's phase), so that the shown periods stand still.
TEST(TraceView, LevelTriggerStartsEachViewAtACrossingOfASine) {
    constexpr double rate = 48000.0, freq = 997.3, phase0 = 0.7;
    struct Case {
        TriggerSlope slope;
        double level;
        double crossingPhase;  // the phase of sin at which it crosses the level with that slope
    } cases[] = {
        {TriggerSlope::Rising, 0.0, 0.0},
        {TriggerSlope::Falling, 0.5, kPi - std::asin(0.5)},
        {TriggerSlope::Rising, -0.3, std::asin(-0.3)},
    };
    const double samplesPerPeriod = rate / freq;
    for (const Case& c : cases) {
        SignalTrace trace(4800);
        trace.Reset(rate);
        TraceView view;
        view.SetTrigger({TriggerMode::Level, c.slope, c.level});
        uint64_t n = 0;
        for (int piece = 0; piece < 40; ++piece) {
            for (int i = 0; i < 731; ++i, ++n) {
                const double x = std::sin(2 * kPi * freq * static_cast<double>(n) / rate + phase0);
                trace.Append({x, 0.0, 0.0});
            }
            const std::vector<double> values = view.Values(trace, 0);
            const TraceWindow w = view.Window(values);
            ASSERT_EQ(w.count, static_cast<int64_t>(values.size() / 2));
            ASSERT_LE(w.first + w.count, static_cast<int64_t>(values.size()));
            // The window's first sample as a sample of the whole signal, and its distance to the nearest
            // crossing, in samples.
            const double sample =
                static_cast<double>(trace.appended() - trace.size() + static_cast<uint64_t>(w.first));
            const double phase = 2 * kPi * freq * sample / rate + phase0 - c.crossingPhase;
            const double offset = std::remainder(phase, 2 * kPi) / (2 * kPi) * samplesPerPeriod;
            EXPECT_LE(std::abs(offset), 1.0) << "piece " << piece << " level " << c.level;
            // The crossing found is the last one that leaves room for the window: one period later there
            // is no room.
            EXPECT_GT(static_cast<double>(w.first) + samplesPerPeriod + 1.0,
                      static_cast<double>(values.size() - static_cast<size_t>(w.count)));
        }
    }
}

TEST(TraceView, WithoutACrossingOrTriggerTheNewestValuesShow) {
    TraceView view;
    const std::vector<double> flat(1000, 0.2);
    EXPECT_EQ(view.Window(flat), (TraceWindow{0, 1000}));  // no trigger: the whole trace
    view.SetTrigger({TriggerMode::Level, TriggerSlope::Rising, 0.5});
    EXPECT_EQ(view.Window(flat), (TraceWindow{500, 500}));  // never crosses: as an auto mode
    view.UserView(100, 200, 1000);
    EXPECT_EQ(view.Window(flat), (TraceWindow{800, 200}));
    EXPECT_EQ(view.Window(std::vector<double>{1.0}), (TraceWindow{0, 1}));
}

TEST(TraceView, ZoomIsKeptWhileValuesFlowUntilZoomedAllTheWayOut) {
    SignalTrace trace(1000);
    trace.Reset(1000.0);
    for (int i = 0; i < 500; ++i) trace.Append({double(i), 0.0, 0.0});
    TraceView view;
    EXPECT_FALSE(view.zoomed());
    EXPECT_EQ(view.Window(view.Values(trace, 0)), (TraceWindow{0, 500}));
    // The user looks at 100 values ending 50 before the newest.
    view.UserView(350, 100, 500);
    EXPECT_TRUE(view.zoomed());
    EXPECT_EQ(view.Window(view.Values(trace, 0)), (TraceWindow{350, 100}));
    // More values: the view keeps its width and its distance from the newest value, through the ring's
    // wrap.
    for (int i = 500; i < 2300; ++i) trace.Append({double(i), 0.0, 0.0});
    std::vector<double> values = view.Values(trace, 0);
    const TraceWindow w = view.Window(values);
    EXPECT_EQ(w, (TraceWindow{850, 100}));
    EXPECT_EQ(values[static_cast<size_t>(w.first + w.count - 1)], 2249.0);
    // Zoomed all the way out: the whole trace again, and it stays so.
    view.UserView(0, 1000, 1000);
    EXPECT_FALSE(view.zoomed());
    EXPECT_EQ(view.Window(values), (TraceWindow{0, 1000}));
    // A zoom wider than the values shown (the trace was emptied) shows them all.
    view.UserView(0, 800, 1000);
    EXPECT_EQ(view.Window(std::vector<double>(300, 0.0)), (TraceWindow{0, 300}));
}

TEST(TraceView, HoldKeepsTheValuesWhileNewOnesArrive) {
    SignalTrace trace(100);
    trace.Reset(10.0);
    for (int i = 0; i < 150; ++i) trace.Append({double(i), -double(i), 1.0});
    TraceView view;
    view.Hold(trace);
    ASSERT_TRUE(view.held());
    const std::vector<double> before0 = trace.Values(0), before1 = trace.Values(1);
    const double start = trace.startTime();
    EXPECT_DOUBLE_EQ(start, 5.0);
    for (int i = 150; i < 420; ++i) trace.Append({double(i), -double(i), 2.0});
    EXPECT_EQ(view.Values(trace, 0), before0);
    EXPECT_EQ(view.Values(trace, 1), before1);  // every channel is held, not only the one shown
    EXPECT_EQ(view.Values(trace, 2), std::vector<double>(100, 1.0));
    EXPECT_DOUBLE_EQ(view.StartTime(trace), start);
    view.Release();
    EXPECT_FALSE(view.held());
    EXPECT_EQ(view.Values(trace, 0).back(), 419.0);
    EXPECT_DOUBLE_EQ(view.StartTime(trace), 32.0);
}

}  // namespace
}  // namespace k470::views
