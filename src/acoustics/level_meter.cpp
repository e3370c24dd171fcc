// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/level_meter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "acoustics/vector_width.h"
#include "data/signal_limits.h"

namespace k470::acoustics {

double levelDb(double meanSquare, double reference) {
    if (!(meanSquare > 0.0)) return kLevelFloorDb;
    return std::max(10.0 * std::log10(meanSquare / (reference * reference)), kLevelFloorDb);
}

namespace {

// The factor of an exponential average of time constant tau at the given rate, exact for the sample step.
double factor(double tau, double rate) {
    return 1.0 - std::exp(-1.0 / (tau * rate));
}

// The time weightings run on the mean square of steps of this many samples per second at most: at 2 kHz a
// step is half a millisecond, a seventieth of the shortest time constant (35 ms). Every sample's energy
// still enters the detectors within that half millisecond, so a reading moves by less than 0.07 dB
// (the I rise over one step), while the work per sample falls.
constexpr double kDetectorRate = 2000.0;

// Adds the squares of x to sum and raises peak to the largest of them; eight samples at a time in vector
// lanes.
template <size_t W>
[[gnu::always_inline]] inline void addEnergyAndPeakBody(const double* x, size_t n, double& sum,
                                                        double& peak) {
    constexpr size_t kVectors = 8 / W;
    Vec<W> s[kVectors] = {}, m[kVectors];
#pragma GCC unroll 8
    for (size_t v = 0; v < kVectors; ++v)
#pragma GCC unroll 8
        for (size_t l = 0; l < W; ++l) m[v][l] = peak;
    size_t k = 0;
    for (; k + 8 <= n; k += 8) {
#pragma GCC unroll 8
        for (size_t v = 0; v < kVectors; ++v) {
            Vec<W> a;
            std::memcpy(&a, x + k + v * W, sizeof a);
            a *= a;
            s[v] += a;
            m[v] = a > m[v] ? a : m[v];
        }
    }
    double total = 0.0, top = peak;
#pragma GCC unroll 8
    for (size_t v = 0; v < kVectors; ++v)
#pragma GCC unroll 8
        for (size_t l = 0; l < W; ++l) {
            total += s[v][l];
            top = std::max(top, m[v][l]);
        }
    for (; k < n; ++k) {
        total += x[k] * x[k];
        top = std::max(top, x[k] * x[k]);
    }
    sum += total;
    peak = top;
}

K470_WIDTH_DISPATCH(addEnergyAndPeak, (const double* x, size_t n, double& sum, double& peak),
                    (x, n, sum, peak))

}  // namespace

double LevelMeter::minimumSettleSeconds(TimeWeighting t) {
    const double tau = t == TimeWeighting::Fast   ? kFastSeconds
                       : t == TimeWeighting::Slow ? kSlowSeconds
                                                  : kImpulseRiseSeconds;
    return kMinimumSettleTimeConstants * tau;
}

LevelMeter::LevelMeter(double sampleRate)
    : step_(std::max<size_t>(1, static_cast<size_t>(sampleRate / kDetectorRate))) {
    const double stepRate = sampleRate / static_cast<double>(step_);
    fastStep_ = factor(kFastSeconds, stepRate);
    slowStep_ = factor(kSlowSeconds, stepRate);
    riseStep_ = factor(kImpulseRiseSeconds, stepRate);
    decayStep_ = factor(kImpulseDecaySeconds, stepRate);
    auto settleSteps = [stepRate](TimeWeighting t) {
        return static_cast<uint64_t>(std::ceil(minimumSettleSeconds(t) * stepRate));
    };
    settleF_ = settleSteps(TimeWeighting::Fast);
    settleS_ = settleSteps(TimeWeighting::Slow);
    settleI_ = settleSteps(TimeWeighting::Impulse);
    settled_ = std::max({settleF_, settleS_, settleI_});
}

void LevelMeter::process(std::span<const double> samples) {
    count_ += samples.size();
    const double* x = samples.data();
    const size_t count = samples.size();
    addEnergyAndPeak(x, count, sum_, peak_);
    // The mean squares of the steps completed in this call are gathered and then run through the
    // detectors together, so the detectors' states stay in registers from step to step.
    constexpr size_t kBatch = 64;
    double means[kBatch];
    size_t steps = 0;
    const double perStep = 1.0 / static_cast<double>(step_);
    for (size_t k = 0; k < count;) {
        const size_t end = std::min(count, k + (step_ - stepFill_));
        // Four running sums, so that the additions within a step do not wait on one another.
        double p0 = stepSum_, p1 = 0.0, p2 = 0.0, p3 = 0.0;
        size_t j = k;
        for (; j + 4 <= end; j += 4) {
            p0 += x[j] * x[j];
            p1 += x[j + 1] * x[j + 1];
            p2 += x[j + 2] * x[j + 2];
            p3 += x[j + 3] * x[j + 3];
        }
        for (; j < end; ++j) p0 += x[j] * x[j];
        const double part = (p0 + p1) + (p2 + p3);
        stepFill_ += end - k;
        k = end;
        if (stepFill_ < step_) {
            stepSum_ = part;
            break;
        }
        means[steps++] = part * perStep;
        stepSum_ = 0.0;
        stepFill_ = 0;
        if (steps == kBatch) {
            stepDetectors(std::span(means, steps));
            steps = 0;
        }
    }
    stepDetectors(std::span(means, steps));
}

void LevelMeter::stepSettling(double p) {
    f_.y = f_.y * (1.0 - fastStep_) + p * fastStep_;
    s_.y = s_.y * (1.0 - slowStep_) + p * slowStep_;
    y35_ = y35_ * (1.0 - riseStep_) + p * riseStep_;
    i_.y = std::max(y35_, i_.y * (1.0 - decayStep_) + y35_ * decayStep_);
    ++steps_;
    for (auto [d, settle] : {std::pair{&f_, settleF_}, {&s_, settleS_}, {&i_, settleI_}}) {
        d->max = std::max(d->max, d->y);
        if (steps_ >= settle) d->min = std::min(d->min, d->y);
    }
}

void LevelMeter::stepDetectors(std::span<const double> means) {
    // The first steps from rest go one by one, as the minima wait for their detectors to settle.
    while (!means.empty() && steps_ < settled_) {
        stepSettling(means.front());
        means = means.subspan(1);
    }
    Detector f = f_, s = s_, i = i_;
    double y35 = y35_;
    for (const double p : means) {
        // Each average as y * (1 - c) + p * c, so that a step waits on the previous one through one
        // multiply-add; no branches, as the levels rise and fall at random.
        f.y = f.y * (1.0 - fastStep_) + p * fastStep_;
        s.y = s.y * (1.0 - slowStep_) + p * slowStep_;
        // I: a 35 ms exponential average followed by a peak hold that falls back with 1.5 s (the decay
        // never falls below the average it follows, so the larger of the two is the held value).
        y35 = y35 * (1.0 - riseStep_) + p * riseStep_;
        i.y = std::max(y35, i.y * (1.0 - decayStep_) + y35 * decayStep_);
        f.max = std::max(f.max, f.y), f.min = std::min(f.min, f.y);
        s.max = std::max(s.max, s.y), s.min = std::min(s.min, s.y);
        i.max = std::max(i.max, i.y), i.min = std::min(i.min, i.y);
    }
    steps_ += means.size();
    f_ = f, s_ = s, i_ = i;
    y35_ = y35;
}

LevelReading LevelMeter::reading() const {
    LevelReading r;
    r.samples = count_;
    r.leq = count_ ? sum_ / static_cast<double>(count_) : f_.y;
    r.peak = peak_;
    auto read = [](const Detector& d) {
        TimeWeightedReading t;
        t.current = d.y;
        t.max = d.max;
        t.min = d.min == kNoMinimum ? d.y : d.min;
        return t;
    };
    r.fast = read(f_);
    r.slow = read(s_);
    r.impulse = read(i_);
    return r;
}

void LevelMeter::startInterval() {
    sum_ = 0.0;
    peak_ = 0.0;
    count_ = 0;
    // The maxima and the minima of the new interval start from the readings at its start; a minimum only
    // once its detector has settled.
    for (auto [d, settle] : {std::pair{&f_, settleF_}, {&s_, settleS_}, {&i_, settleI_}}) {
        d->max = d->y;
        d->min = steps_ >= settle ? d->y : kNoMinimum;
    }
}

}  // namespace k470::acoustics
