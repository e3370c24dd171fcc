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

}  // namespace

LevelMeter::LevelMeter(double sampleRate)
    : rate_(sampleRate),
      fast_(factor(kFastSeconds, sampleRate)),
      slow_(factor(kSlowSeconds, sampleRate)),
      rise_(factor(kImpulseRiseSeconds, sampleRate)),
      decay_(factor(kImpulseDecaySeconds, sampleRate)),
      settle_(static_cast<uint64_t>(std::ceil(kSettleSeconds * sampleRate))) {}

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
    double yf = f_.y, ys = s_.y, yi = i_.y, y35 = y35_;
    for (double x : samples) {
        const double p = x * x;
        sum_ += p;
        peak_ = std::max(peak_, p);
        ++total_;
        // While fewer samples than a time constant's worth have been seen, the detector is their plain
        // average (1/n); then it is the exponential average.
        const double n = 1.0 / static_cast<double>(total_);
        yf += (p - yf) * std::max(fast_, n);
        ys += (p - ys) * std::max(slow_, n);
        // I: a 35 ms exponential average followed by a peak hold that falls back with 1.5 s.
        y35 += (p - y35) * std::max(rise_, n);
        yi = y35 > yi ? y35 : yi + (y35 - yi) * std::max(decay_, n);
        if (total_ >= settle_) {
            f_.y = yf;
            s_.y = ys;
            i_.y = yi;
            track(f_);
            track(s_);
            track(i_);
        }
    }
    f_.y = yf;
    s_.y = ys;
    i_.y = yi;
    y35_ = y35;
    count_ += samples.size();
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
