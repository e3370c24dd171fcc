// SPDX-License-Identifier: GPL-3.0-or-later
// Made-up records must make sense to whoever opens them: every minimum <= its value <= its maximum <= its
// peak, every Leq within its minimum and maximum, and for the sound level meters octaves that sum their
// thirds and C, A and Z levels that sum the thirds with the standard's weightings. Read by the record
// layouts, row by row.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/sample_records.h"

namespace k470 {
namespace {

// Columns of a row: lo <= value <= hi.
struct Span {
    int lo, value, hi;
};

struct RowCheck {
    DeviceType type;
    int first, rows, width;
    std::vector<Span> spans;
};

std::vector<MeasurementRecord> records(DeviceType type) {
    std::vector<MeasurementRecord> out;
    for (uint32_t seed : {1u, 7u})
        for (int index : {0, 5, 33}) {
            auto r = makeSampleRecord({type, 0x1234, seed, index});
            EXPECT_TRUE(r.ok()) << type;
            if (r) out.push_back(std::move(*r));
        }
    return out;
}

TEST(SampleRecordsTest, EveryValueLiesWithinItsMinimumAndMaximumAndEveryPeakAbove) {
    // Sound level rows: Imp, Fast, Slow, Leq, Imp min, Imp max, Fast min, Fast max, Slow min, Slow max; the
    // weighted rows put an unshown word and the Peak after Leq.
    const std::vector<Span> ten = {{4, 0, 5}, {6, 1, 7}, {8, 2, 9}, {6, 3, 7}};
    const std::vector<Span> twelve = {{6, 0, 7}, {8, 1, 9}, {10, 2, 11}, {8, 3, 9}, {7, 5, 5}};
    const RowCheck checks[] = {
        {3, 0, 40, 10, ten},
        {3, 400, 3, 12, twelve},
        {8, 400, 3, 12, twelve},
        {7, 0, 31, 10, ten},
        // Infrasound: Slow, ESlow, Leq, Slow min, Slow max, ESlow min, ESlow max.
        {6, 0, 36, 7, {{3, 0, 4}, {5, 1, 6}, {3, 2, 4}}},
        // Field strength: Fast, Fast min, Fast max, Slow, Slow min, Slow max.
        {22, 0, 30, 6, {{1, 0, 2}, {4, 3, 5}}},
        // Vibration octave blocks of 40: 1 s, 5 s, 10 s rms and Leq of the octave, then min and max pairs.
        {1, 0, 8, 40, {{16, 0, 17}, {24, 4, 25}, {32, 8, 33}, {16, 12, 17}, {18, 1, 19}, {38, 11, 39}}},
        {2, 446 * 2, 8, 40, {{16, 0, 17}, {24, 4, 25}, {32, 8, 33}, {16, 12, 17}}},
        // Vibration weighted rows of 14: peaks (0..2) above the maxima of 1 s, 5 s, 10 s; Pk above 1 s max.
        {1,
         320,
         9,
         14,
         {{8, 3, 9}, {10, 4, 11}, {12, 5, 13}, {8, 6, 9}, {9, 0, 0}, {11, 1, 1}, {13, 2, 2}, {9, 7, 7}}},
    };
    for (const RowCheck& c : checks)
        for (const MeasurementRecord& r : records(c.type))
            for (int row = 0; row < c.rows; ++row)
                for (const Span& s : c.spans) {
                    const int at = c.first + row * c.width;
                    const double lo = r.levels[static_cast<size_t>(at + s.lo)];
                    const double v = r.levels[static_cast<size_t>(at + s.value)];
                    const double hi = r.levels[static_cast<size_t>(at + s.hi)];
                    EXPECT_LE(lo, v) << "type " << c.type << " word " << at + s.value;
                    EXPECT_LE(v, hi) << "type " << c.type << " word " << at + s.value;
                }
}

// IEC 61672-1 nominal A and C weightings at the thirds 25 Hz .. 20 kHz.
constexpr double kA[30] = {-44.7, -39.4, -34.6, -30.2, -26.2, -22.5, -19.1, -16.1, -13.4, -10.9,
                           -8.6,  -6.6,  -4.8,  -3.2,  -1.9,  -0.8,  0.0,   0.6,   1.0,   1.2,
                           1.3,   1.2,   1.0,   0.5,   -0.1,  -1.1,  -2.5,  -4.3,  -6.6,  -9.3};
constexpr double kC[30] = {-4.4, -3.0, -2.0, -1.3, -0.8, -0.5, -0.3, -0.2, -0.1, 0.0,
                           0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  -0.1, -0.2,
                           -0.3, -0.5, -0.8, -1.3, -2.0, -3.0, -4.4, -6.2, -8.5, -11.2};

TEST(SampleRecordsTest, SoundLevelOctavesAndWeightedLevelsSumTheirThirds) {
    for (const MeasurementRecord& r : records(3)) {
        auto fast = [&](int row) {
            return r.levels[static_cast<size_t>(row < 40 ? 10 * row + 1 : 400 + 12 * (row - 40) + 1)];
        };
        auto sum = [&](int from, int count, const double* weighting) {
            double e = 0.0;
            for (int k = from; k < from + count; ++k)
                e += std::pow(10.0, (fast(10 + k) + (weighting ? weighting[k] : 0.0)) / 10.0);
            return 10.0 * std::log10(e);
        };
        for (int octave = 0; octave < 10; ++octave)
            EXPECT_NEAR(fast(octave), sum(3 * octave, 3, nullptr), 0.01) << octave;
        EXPECT_NEAR(fast(40), sum(0, 30, kC), 0.2);
        EXPECT_NEAR(fast(41), sum(0, 30, kA), 0.2);
        EXPECT_NEAR(fast(42), sum(0, 30, nullptr), 0.01);
        // A plausible shape: the A level below the unweighted one, the top octave well below the middle.
        EXPECT_LT(fast(41), fast(42));
        EXPECT_LT(fast(9), fast(5) - 6.0);
    }
}

}  // namespace
}  // namespace k470
