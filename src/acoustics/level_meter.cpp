// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/level_meter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace k470::acoustics {

double levelDb(double meanSquare, double reference) {
    if (!(meanSquare > 0.0)) return -std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(meanSquare / (reference * reference));
}

namespace {

// The factor of an exponential average of time constant tau at the given rate, exact for the sample step.
double factor(double tau, double rate) {
    return 1.0 - std::exp(-1.0 / (tau * rate));
}

// The time weightings run on the mean square of steps of this many samples per second at most: at 6 kHz a
// step is a sixth of a millisecond, far below the shortest time constant (35 ms), so the readings do not
// change, while the work per sample falls.
constexpr double kDetectorRate = 6000.0;

}  // namespace

LevelMeter::LevelMeter(double sampleRate)
    : rate_(sampleRate),
      fast_(factor(kFastSeconds, sampleRate)),
      slow_(factor(kSlowSeconds, sampleRate)),
      rise_(factor(kImpulseRiseSeconds, sampleRate)),
      decay_(factor(kImpulseDecaySeconds, sampleRate)),
      settle_(static_cast<uint64_t>(std::ceil(kSettleSeconds * sampleRate))),
      primed_(std::max(settle_, static_cast<uint64_t>(std::ceil(kImpulseDecaySeconds * sampleRate)))),
      step_(std::max<size_t>(1, static_cast<size_t>(sampleRate / kDetectorRate))),
      fastStep_(factor(kFastSeconds, sampleRate / static_cast<double>(step_))),
      slowStep_(factor(kSlowSeconds, sampleRate / static_cast<double>(step_))),
      riseStep_(factor(kImpulseRiseSeconds, sampleRate / static_cast<double>(step_))),
      decayStep_(factor(kImpulseDecaySeconds, sampleRate / static_cast<double>(step_))) {}

void LevelMeter::track(Detector& d) const {
    if (!d.seen) {
        d.max = d.min = d.y;
        d.seen = true;
    } else {
        d.max = std::max(d.max, d.y);
        d.min = std::min(d.min, d.y);
    }
}

void LevelMeter::process(std::span<const double> samples) {
    size_t at = 0;
    // The start: plain averages while fewer samples than a time constant have been seen.
    while (at < samples.size() && total_ < primed_) processStart(samples[at++]);
    count_ += samples.size();
    if (at == samples.size()) return;
    total_ += samples.size() - at;
    if (!f_.seen) {
        f_.max = f_.min = f_.y;
        s_.max = s_.min = s_.y;
        i_.max = i_.min = i_.y;
        f_.seen = s_.seen = i_.seen = true;
    }
    double sum = sum_, peak = peak_;
    while (at < samples.size()) {
        const size_t n = std::min(samples.size() - at, step_ - stepFill_);
        double part = 0.0;
        for (size_t k = at; k < at + n; ++k) {
            const double p = samples[k] * samples[k];
            part += p;
            peak = std::max(peak, p);
        }
        sum += part;
        stepSum_ += part;
        stepFill_ += n;
        at += n;
        if (stepFill_ == step_) stepDetectors();
    }
    sum_ = sum;
    peak_ = peak;
}

void LevelMeter::stepDetectors() {
    const double p = stepSum_ / static_cast<double>(step_);
    stepSum_ = 0.0;
    stepFill_ = 0;
    f_.y += (p - f_.y) * fastStep_;
    s_.y += (p - s_.y) * slowStep_;
    // I: a 35 ms exponential average followed by a peak hold that falls back with 1.5 s.
    y35_ += (p - y35_) * riseStep_;
    i_.y = y35_ > i_.y ? y35_ : i_.y + (y35_ - i_.y) * decayStep_;
    track(f_);
    track(s_);
    track(i_);
}

void LevelMeter::processStart(double x) {
    const double p = x * x;
    sum_ += p;
    peak_ = std::max(peak_, p);
    ++total_;
    // While fewer samples than a time constant's worth have been seen, each detector is their plain
    // average (1/n); then it is the exponential average.
    const double n = 1.0 / static_cast<double>(total_);
    f_.y += (p - f_.y) * std::max(fast_, n);
    s_.y += (p - s_.y) * std::max(slow_, n);
    y35_ += (p - y35_) * std::max(rise_, n);
    i_.y = y35_ > i_.y ? y35_ : i_.y + (y35_ - i_.y) * std::max(decay_, n);
    if (total_ >= settle_) {
        track(f_);
        track(s_);
        track(i_);
    }
}

LevelReading LevelMeter::reading() const {
    LevelReading r;
    r.samples = count_;
    r.leq = count_ ? sum_ / static_cast<double>(count_) : f_.y;
    r.peak = peak_;
    auto read = [](const Detector& d) {
        TimeWeightedReading t;
        t.current = d.y;
        t.max = d.seen ? d.max : d.y;
        t.min = d.seen ? d.min : d.y;
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
    f_.seen = s_.seen = i_.seen = false;
}

}  // namespace k470::acoustics
