// SPDX-License-Identifier: GPL-3.0-or-later
// The level detector of a sound level meter for one signal (a weighted signal or one band's filtered
// samples): the time weightings F (125 ms), S (1 s) and I (35 ms average, peak hold decaying with 1.5 s) with
// their maximum and minimum over the current interval, the equivalent level (Leq) of the interval and its
// peak.
//
// Readings are mean squares in the signal's unit squared (the peak squared), so a level is
// 10 lg(value / reference^2); levelDb() does that. The detectors start by averaging all they have seen
// (so the first readings are not dragged up from zero) and turn into exponential averaging once a time
// constant has passed; maxima and minima are taken from kSettleSeconds on.
//
//     LevelMeter m(48000.0);
//     m.process(block);  ...  LevelReading r = m.reading();  m.startInterval();
#pragma once

#include <cstdint>
#include <span>

namespace k470::acoustics {

enum class TimeWeighting { Fast, Slow, Impulse };

constexpr double kFastSeconds = 0.125;
constexpr double kSlowSeconds = 1.0;
constexpr double kImpulseRiseSeconds = 0.035;
constexpr double kImpulseDecaySeconds = 1.5;

struct TimeWeightedReading {
    double current = 0.0;  // at the end of the interval
    double max = 0.0;
    double min = 0.0;
};

struct LevelReading {
    double leq = 0.0;
    TimeWeightedReading fast, slow, impulse;
    double peak = 0.0;     // the largest |x| squared
    uint64_t samples = 0;  // samples in the interval

    const TimeWeightedReading& of(TimeWeighting t) const {
        return t == TimeWeighting::Fast ? fast : t == TimeWeighting::Slow ? slow : impulse;
    }
};

// 10 lg(meanSquare / reference^2); -inf for 0.
double levelDb(double meanSquare, double reference);

class LevelMeter {
  public:
    // Maxima and minima are taken once the detectors have run this long: the F time constant, after which
    // every time weighting averages over at least that much signal.
    static constexpr double kSettleSeconds = kFastSeconds;

    explicit LevelMeter(double sampleRate);

    void process(std::span<const double> samples);
    // The readings of the interval since startInterval() (or the start).
    LevelReading reading() const;
    // A new interval: Leq, peak, maxima and minima start again; the time weightings run on.
    void startInterval();

  private:
    struct Detector {
        double y = 0.0, max = 0.0, min = 0.0;
        bool seen = false;
    };
    void track(Detector& d) const;
    void processStart(double x);
    void stepDetectors(std::span<const double> means);  // the mean squares of whole steps, in order

    double fast_, slow_, rise_, decay_;  // per-sample factors 1/(tau*rate)
    uint64_t settle_;
    uint64_t primed_;  // samples after which every detector averages exponentially
    size_t step_;      // samples per detector step once primed
    double fastStep_, slowStep_, riseStep_, decayStep_;  // factors per step
    double stepSum_ = 0.0;
    size_t stepFill_ = 0;
    uint64_t total_ = 0;  // samples since the start
    Detector f_, s_, i_;
    double y35_ = 0.0;  // the 35 ms average in front of the impulse peak hold
    double sum_ = 0.0;
    double peak_ = 0.0;
    uint64_t count_ = 0;
};

}  // namespace k470::acoustics
