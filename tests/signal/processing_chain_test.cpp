// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/processing_chain.h"

#include <gtest/gtest.h>

#include <cmath>

#include "signal/decimation_filters.h"

namespace k470 {
namespace {

TEST(LowPassAt, CentredOnHalfTheRingAndWrapping) {
    std::vector<double> o(8);
    for (int i = 0; i < 8; ++i) o[i] = i;
    const double h[] = {1, 2, 3};
    EXPECT_EQ(LowPassAt(o, 5, h), 1 * 2 + 2 * 1 + 3 * 0);  // start = 5 + 1 - 4 = 2
    EXPECT_EQ(LowPassAt(o, 1, h), 1 * 6 + 2 * 5 + 3 * 4);  // start = -2 + 8 = 6
    EXPECT_EQ(LowPassAt(o, 4, h), 1 * 1 + 2 * 0 + 3 * 7);  // wraps from 0 to N - 1
    EXPECT_EQ(LowPassAt(o, 1), 5);                         // half a ring old
    EXPECT_EQ(LowPassAt(o, 1, std::span<const double>{}), 0.0);
}

SignalState oneChannel() {
    SignalState s;
    s.channels[1].matrixRow = {};
    s.channels[2].matrixRow = {};
    return s;
}

// Expected decimated output by the definition: the newest input t, the ring half a ring behind, the filter
// centred on it; inputs before the first are 0.
double expectedLowPass(const std::vector<double>& x, long t, std::span<const double> h, int ringLength) {
    double sum = 0.0;
    const long centre = t - ringLength / 2 + static_cast<long>(h.size() / 2);
    for (size_t i = 0; i < h.size(); ++i) {
        const long at = centre - static_cast<long>(i);
        if (at >= 0) sum += h[i] * x[static_cast<size_t>(at)];
    }
    return sum;
}

TEST(ProcessingChain, FileModeDecimatesEnabledChannelsWithTheBuiltInFilter) {
    SignalState s = oneChannel();
    s.decimation = 3;
    s.channels[0].sensitivity = 2.0;
    s.channels[0].matrixRow = {0.5, 0.0, 1.0};
    s.channels[2].matrixRow = {0.0, 0.0, 0.0};
    s.channels[1].matrixRow = {0.0, 1.0, 0.0};
    FilterLibrary lib;
    ProcessingChain chain;
    chain.sizeRings({});
    chain.setChannels(s, lib);
    EXPECT_FALSE(chain.enabled(2));
    std::vector<double> x0, x1;
    const std::span<const double> h = builtInLowPass(3);
    for (long t = 0; t < 2000; ++t) {
        const double td = static_cast<double>(t);
        const double a = std::sin(0.01 * td) + static_cast<double>(t % 7), b = std::cos(0.03 * td);
        x0.push_back((0.5 * a + 1.0 * 0.25) * 2.0);
        x1.push_back(b);
        chain.ProcessSample({a, b, 0.25}, ChainMode::File);
        // Two values (channels 1 and 2) every third call, none for the channel with a zero row.
        ASSERT_EQ(chain.output().size(), static_cast<size_t>((t + 1) / 3 * 2));
        if ((t + 1) % 3 == 0) {
            EXPECT_NEAR(chain.output()[chain.output().size() - 2], expectedLowPass(x0, t, h, 402), 1e-12);
            EXPECT_NEAR(chain.output().back(), expectedLowPass(x1, t, h, 402), 1e-12);
        }
    }
    // The zero row still writes its ring, with zeros.
    EXPECT_EQ(chain.outputRing(2)[chain.newestIndex(2)], 0.0);
}

TEST(ProcessingChain, WithoutDecimationTheValueIsHalfARingOld) {
    SignalState s = oneChannel();
    FilterLibrary lib;
    ProcessingChain chain;
    chain.sizeRings({});
    chain.setChannels(s, lib);
    for (int t = 0; t < 500; ++t) chain.ProcessSample({double(t + 1), 0, 0}, ChainMode::File);
    ASSERT_EQ(chain.output().size(), 500u);
    EXPECT_EQ(chain.output()[200], 0.0);
    EXPECT_EQ(chain.output()[201], 1.0);  // input 0 after 201 = 402 / 2 further samples
    EXPECT_EQ(chain.output()[499], 299.0);
    // Live mode touches the rings only.
    chain.ProcessSample({1, 0, 0}, ChainMode::RingsOnly);
    EXPECT_EQ(chain.output().size(), 500u);
}

TEST(ProcessingChain, LibraryFiltersAreAlignedByTheirDelays) {
    FilterLibrary lib;
    FilterDefinition avg;  // two-tap average, delay 2
    avg.name = u"avg";
    avg.order = 2;
    avg.numerator = {0.5, 0.5};
    FilterDefinition echo;  // y[n] = x[n] + 0.5 y[n-1], delay 0
    echo.name = u"echo";
    echo.numerator = {1.0};
    echo.denominator = {-0.5};
    lib.filters = {avg, echo};
    SignalState s;
    s.channels[0].filterIndex = 0;
    s.channels[2].filterIndex = 1;
    ProcessingChain chain;
    chain.sizeRings({lib.at(0), nullptr, lib.at(1)});
    EXPECT_EQ(chain.alignmentDelay(), 2);
    EXPECT_EQ(chain.historyLength(), 2 + 1 + 2);
    chain.setChannels(s, lib);
    std::vector<std::array<double, 3>> out;
    for (int t = 0; t < 6; ++t) {
        chain.ProcessSample(t == 0 ? std::array<double, 3>{1, 1, 1} : std::array<double, 3>{},
                            ChainMode::RingsOnly);
        std::array<double, 3> v{};
        for (int k = 0; k < 3; ++k) v[k] = chain.outputRing(k)[chain.newestIndex(k)];
        out.push_back(v);
    }
    const double expected[6][3] = {{0.5, 0, 0}, {0.5, 0, 0},  {0, 1, 1},
                                   {0, 0, 0.5}, {0, 0, 0.25}, {0, 0, 0.125}};
    for (int t = 0; t < 6; ++t)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(out[t][k], expected[t][k]) << t << " " << k;
}

TEST(ProcessingChain, OutputRingGrowsWithTheLongestLowPassAndNeverShrinks) {
    FilterLibrary lib;
    FilterDefinition longOne;
    longOne.lowPass.assign(600, 1.0 / 600);
    longOne.numerator = {1.0};
    lib.filters = {longOne};
    ProcessingChain chain;
    EXPECT_EQ(chain.outputRingLength(), 402);
    chain.sizeRings({nullptr, lib.at(0), nullptr});
    EXPECT_EQ(chain.outputRingLength(), 601);
    chain.sizeRings({});
    EXPECT_EQ(chain.outputRingLength(), 601);
    EXPECT_EQ(chain.historyLength(), 1);
    // A decimation of 2 with the filter's own low-pass: a constant comes through at unity gain once the
    // ring is full.
    SignalState s = oneChannel();
    s.channels[0].filterIndex = 0;
    s.decimation = 2;
    chain.sizeRings({lib.at(0), nullptr, nullptr});
    chain.setChannels(s, lib);
    for (int t = 0; t < 2000; ++t) chain.ProcessSample({3.0, 0, 0}, ChainMode::File);
    EXPECT_NEAR(chain.output().back(), 3.0, 1e-12);
}

}  // namespace
}  // namespace k470
