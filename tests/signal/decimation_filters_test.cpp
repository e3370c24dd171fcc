// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/decimation_filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>

namespace k470 {
namespace {

constexpr double kPi = std::numbers::pi;

double gainDb(std::span<const double> h, double f) {
    return 20.0 * std::log10(filterResponse(2 * kPi * f, h));
}

TEST(FilterResponse, FirAndRecursiveFilters) {
    const double avg[] = {0.5, 0.5};
    for (double w : {0.0, 0.3, 1.0, 2.5, kPi})
        EXPECT_NEAR(filterResponse(w, avg), std::fabs(std::cos(w / 2)), 1e-15);
    // y[n] = x[n] + 0.5 y[n-1]: the denominator holds a[0] = -0.5 for z^1.
    const double one[] = {1.0};
    const double a[] = {-0.5};
    EXPECT_NEAR(filterResponse(0.0, one, a), 2.0, 1e-15);
    EXPECT_NEAR(filterResponse(kPi, one, a), 2.0 / 3.0, 1e-15);
    EXPECT_NEAR(filterResponse(kPi / 2, one, a), 1.0 / std::sqrt(1.25), 1e-15);
    EXPECT_EQ(filterResponse(1.0, {}), 0.0);
}

TEST(BuiltInLowPass, LengthsUnityGainAndLinearPhase) {
    EXPECT_TRUE(builtInLowPass(1).empty());
    EXPECT_TRUE(builtInLowPass(5).empty());
    for (int r : {2, 3, 4}) {
        const std::span<const double> h = builtInLowPass(r);
        ASSERT_EQ(static_cast<int>(h.size()), 100 * r + 1);
        EXPECT_EQ(builtInLowPassLength(r), 100 * r + 1);
        EXPECT_NEAR(std::accumulate(h.begin(), h.end(), 0.0), 1.0, 1e-12) << r;
        for (size_t i = 0; i < h.size(); ++i) ASSERT_NEAR(h[i], h[h.size() - 1 - i], 1e-17) << r;
        EXPECT_NEAR(filterResponse(0.0, h), 1.0, 1e-12);
    }
}

TEST(BuiltInLowPass, CornerPassBandAndStopBand) {
    const double corners[] = {0.236, 0.157, 0.118};
    for (int r : {2, 3, 4}) {
        SCOPED_TRACE(r);
        const std::span<const double> h = builtInLowPass(r);
        const double corner = corners[r - 2];
        EXPECT_NEAR(gainDb(h, corner), -3.0103, 0.01);
        EXPECT_GT(gainDb(h, corner - 0.002), -3.0103);
        EXPECT_LT(gainDb(h, corner + 0.002), -3.0103);
        // Flat pass band up to 80 % of the corner.
        for (double f = 0; f <= 0.8 * corner; f += 0.0005) ASSERT_NEAR(gainDb(h, f), 0.0, 0.01) << f;
        // Below -90 dB wherever a component would alias into the band up to the corner.
        double worst = -1000;
        for (double f = 1.0 / r - corner; f <= 0.5; f += 0.00005) worst = std::max(worst, gainDb(h, f));
        EXPECT_LT(worst, -90.0);
    }
}

}  // namespace
}  // namespace k470
