// SPDX-License-Identifier: GPL-3.0-or-later
// The level detector of a sound level meter for one signal (a weighted signal or one band's filtered
// samples): the time weightings F (125 ms), S (1 s) and I (35 ms average, peak hold decaying with 1.5 s) with
// their maximum and minimum over the current interval, the equivalent level (Leq) of the interval and its
// peak.
//
// Readings are mean squares in the signal's unit squared (the peak squared), so a level is
// 10 lg(value / reference^2); levelDb() does that. The detectors are exponential averages from the first
// sample on and start from rest (zero), as a meter's detectors do when it is switched on: a tone burst at
// the very start reads what it reads anywhere else, and a steady signal reads low while the detectors
// settle. Maxima are taken from the first sample (a detector rising from rest never reads high); minima
// only once a detector has run kMinimumSettleTimeConstants of its time constant (F 0.625 s, S 5 s,
// I 0.175 s), when it reads a steady signal within 0.03 dB. An interval that ends before then has the
// detector's reading at its end as its minimum.
//
//     LevelMeter m(48000.0);
//     m.process(block);  ...  LevelReading r = m.reading();  m.startInterval();
#pragma once

#include <cstdint>
#include <limits>
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

// 10 lg(meanSquare / reference^2), and never below kLevelFloorDb (-300 dB): the level of silence.
double levelDb(double meanSquare, double reference);

class LevelMeter {
  public:
    // A detector starting from rest reads a steady signal 10 lg(1 - e^(-t/tau)) low: after five time
    // constants that is 0.03 dB, and from then on its minimum means something.
    static constexpr double kMinimumSettleTimeConstants = 5.0;
    // How long a time weighting runs from rest before its minimum is taken (I settles with its 35 ms rise).
    static double minimumSettleSeconds(TimeWeighting t);

    explicit LevelMeter(double sampleRate);

    void process(std::span<const double> samples);
    // The readings of the interval since startInterval() (or the start).
    LevelReading reading() const;
    // A new interval: Leq, peak, maxima and minima start again; the time weightings run on.
    void startInterval();

  private:
    static constexpr double kNoMinimum = std::numeric_limits<double>::infinity();
    struct Detector {
        double y = 0.0, max = 0.0;
        double min = kNoMinimum;  // until the detector has settled in the interval
    };
    void stepDetectors(std::span<const double> means);  // the mean squares of whole steps, in order
    void stepSettling(double p);                        // one step while a detector still settles

    size_t step_;                                        // samples per detector step
    double fastStep_, slowStep_, riseStep_, decayStep_;  // factors per step
    uint64_t settleF_, settleS_, settleI_;               // steps from rest until each minimum is taken
    uint64_t settled_;                                   // the largest of them
    double stepSum_ = 0.0;
    size_t stepFill_ = 0;
    uint64_t steps_ = 0;  // steps since the start
    Detector f_, s_, i_;
    double y35_ = 0.0;  // the 35 ms average in front of the impulse peak hold
    double sum_ = 0.0;
    double peak_ = 0.0;
    uint64_t count_ = 0;
};

}  // namespace k470::acoustics
