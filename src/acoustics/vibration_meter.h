// SPDX-License-Identifier: GPL-3.0-or-later
// The detector of a vibration meter for one signal (a weighted acceleration or one band's filtered
// samples), in the signal's unit (m/s^2):
//   running r.m.s. with linear averaging over the last 1 s, 5 s and 10 s (ISO 8041-1), with its current
//   value, minimum and maximum over the interval, and the peak |a| within each of those last spans;
//   the r.m.s. of the whole interval (the equivalent value), its peak and crest factor;
//   the maximum transient vibration value MTVV: the largest running r.m.s. with exponential averaging of
//   time constant 1 s (ISO 2631-1, 6.3.1);
//   the fourth-power vibration dose value VDV = (integral of a^4 dt)^(1/4) over the interval (m/s^1.75).
//
// The running values start from rest, as an instrument's do when switched on: a linear average counts the
// time before the start as silent (so it never reads high), and the exponential average rises from zero.
// Maxima are taken from the start, a running value's minimum only once its span has filled with signal
// (counted from the first sample that is not zero, so that the delay of the band filters' rate halvings,
// seconds for the lowest bands, does not count as a silent span); an interval that ends before then has
// the value at its end as its minimum.
//
//     VibrationMeter m(3000.0);
//     m.process(block);  ...  VibrationReading r = m.reading();  m.startInterval();
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace k470::acoustics {

// The spans of the linear running r.m.s. (s), in the order of the vibration records: 1 s, 5 s, 10 s.
constexpr std::array<double, 3> kRunningSpans = {1.0, 5.0, 10.0};
// The time constant of the running r.m.s. behind the MTVV (s).
constexpr double kMtvvTimeConstant = 1.0;

struct RunningReading {
    double current = 0.0, min = 0.0, max = 0.0;  // r.m.s.
    double peak = 0.0;                           // largest |a| within the span before the interval's end
};

struct VibrationReading {
    double rms = 0.0;   // of the interval
    double peak = 0.0;  // largest |a| of the interval
    double mtvv = 0.0;
    double vdv = 0.0;
    std::array<RunningReading, 3> running;  // 1 s, 5 s, 10 s
    uint64_t samples = 0;

    double crestFactor() const { return rms > 0.0 ? peak / rms : 0.0; }
};

class VibrationMeter {
  public:
    // windowPeaks false: the peaks within the running spans are not kept (band rows hold none).
    explicit VibrationMeter(double sampleRate, bool windowPeaks = true);

    void process(std::span<const double> samples);
    VibrationReading reading() const;
    // A new interval: r.m.s., peak, VDV, MTVV and the running minima and maxima start again; the running
    // averages run on.
    void startInterval();

  private:
    void endStep();
    void endBlock();
    double runningMean(size_t k) const;

    double rate_;
    bool windowPeaks_;
    size_t step_;                      // samples per step of the exponential average
    size_t blockSteps_;                // steps per block of the linear averages' ring
    double mtvvFactor_;                // of the exponential average per step
    double perStep_ = 1.0;             // 1 / samples per step
    std::array<double, 3> perSpan_{};  // 1 / samples per span
    std::array<size_t, 3> spanBlocks_{};
    // The last blocks' energies (sum of a^2) and peaks (largest a^2), oldest overwritten first.
    std::vector<double> ringEnergy_, ringPeak_;
    size_t ringAt_ = 0;
    uint64_t blocks_ = 0;       // blocks since the start
    uint64_t heardBlocks_ = 0;  // blocks since the first sample that is not zero
    bool heard_ = false;
    std::array<double, 3> spanSum_{};  // energy within each span
    std::array<double, 3> runMin_{}, runMax_{};
    std::array<bool, 3> runMinSet_{};
    double stepSum_ = 0.0, blockSum_ = 0.0, blockPeak_ = 0.0;
    size_t stepFill_ = 0, blockFill_ = 0;
    double y_ = 0.0, yMax_ = 0.0;  // exponential average and its largest value in the interval
    double sum2_ = 0.0, sum4_ = 0.0, peak2_ = 0.0;
    uint64_t count_ = 0;
};

}  // namespace k470::acoustics
