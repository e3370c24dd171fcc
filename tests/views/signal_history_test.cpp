// SPDX-License-Identifier: GPL-3.0-or-later
// The ring of the last seconds of a flowing signal: what stays after pieces of every size.
#include "views/signal_history.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace k470::views {
namespace {

// Frames from..to-1 of three channels; frame i holds 10 i, 10 i + 1, 10 i + 2.
std::vector<double> frames(int from, int to) {
    std::vector<double> f;
    for (int i = from; i < to; ++i)
        for (int k = 0; k < 3; ++k) f.push_back(10.0 * i + k);
    return f;
}

std::vector<double> channelOf(int from, int to, int k) {
    std::vector<double> v;
    for (int i = from; i < to; ++i) v.push_back(10.0 * i + k);
    return v;
}

struct HistoryCase {
    const char* name;
    std::vector<int> pieces;  // frames per Append, numbered on from 0
    int kept;                 // frames the ring keeps at the end (capacity 10 frames)
};

const HistoryCase kCases[] = {
    {"nothing", {}, 0},
    {"below_capacity", {3, 4}, 7},
    {"exactly_full", {10}, 10},
    {"one_over", {10, 1}, 10},
    {"wrapping_in_small_pieces", {3, 3, 3, 3, 3, 3, 3}, 10},
    {"one_piece_longer_than_the_ring", {2, 25}, 10},
};

class SignalHistoryTest : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(SignalHistoryTest, KeepsTheNewestFramesOldestFirst) {
    const HistoryCase& c = GetParam();
    SignalHistory h;
    h.Restart(1000.0, 0.01);  // 10 frames
    ASSERT_EQ(h.capacity(), 10u);
    int next = 0;
    for (int n : c.pieces) {
        h.Append(frames(next, next + n));
        next += n;
    }
    EXPECT_EQ(h.frames(), static_cast<size_t>(c.kept));
    EXPECT_DOUBLE_EQ(h.seconds(), c.kept / 1000.0);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(h.Channel(static_cast<size_t>(k)), channelOf(next - c.kept, next, k)) << k;
    EXPECT_TRUE(h.Channel(3).empty());
}

INSTANTIATE_TEST_SUITE_P(Ring, SignalHistoryTest, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SignalHistory, RestartEmptiesAndUnusableSettingsKeepNothing) {
    SignalHistory h;
    h.Append(frames(0, 5));  // never started
    EXPECT_EQ(h.frames(), 0u);
    h.Restart(1000.0, 0.01);
    h.Append(frames(0, 5));
    h.Append(std::vector<double>{1.0, 2.0});  // a partial frame is no frame
    EXPECT_EQ(h.frames(), 5u);
    h.Restart(2000.0, 0.01);
    EXPECT_EQ(h.frames(), 0u);
    EXPECT_EQ(h.capacity(), 20u);
    for (auto [rate, seconds] : {std::pair{0.0, 10.0}, std::pair{48000.0, 0.0}, std::pair{-1.0, 1.0}}) {
        h.Restart(rate, seconds);
        h.Append(frames(0, 5));
        EXPECT_EQ(h.frames(), 0u);
        EXPECT_EQ(h.seconds(), 0.0);
    }
}

}  // namespace
}  // namespace k470::views
