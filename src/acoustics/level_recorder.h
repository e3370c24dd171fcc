// SPDX-License-Identifier: GPL-3.0-or-later
// Sound levels of a signal, interval by interval, and their sound-level records (device type 3 layout).
//
// LevelAnalyser runs one channel through the A, C and Z weightings and the octave and 1/3-octave bank, with
// a LevelMeter on every weighted signal and every band, and hands over the levels of each interval when it
// is complete (a last, shorter interval when finish() is called). LevelRecorder drives a SignalInput
// through it and turns every interval into a MeasurementRecord: the band rows of Imp, Fast, Slow with their
// minima and maxima and Leq, the weighted rows C, A, Z with their peaks. Levels are in dB re the channel's
// referenceValue. A channel whose unit is not "Pa" (nor dB re full scale) gets Z levels only.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "acoustics/frequency_weighting.h"
#include "acoustics/interval_splitter.h"
#include "acoustics/level_meter.h"
#include "acoustics/measurement_context.h"
#include "acoustics/octave_filter_bank.h"
#include "acoustics/signal_input.h"
#include "base/result.h"
#include "data/measurement_record.h"

namespace k470::acoustics {

// The levels of one row in dB; peak only for the weighted rows.
struct LevelRow {
    double leq = 0.0;
    double fast = 0.0, fastMax = 0.0, fastMin = 0.0;
    double slow = 0.0, slowMax = 0.0, slowMin = 0.0;
    double imp = 0.0, impMax = 0.0, impMin = 0.0;
    double peak = 0.0;
};

// Weighted rows in the order of the sound-level record: C, A, Z.
constexpr std::array<Weighting, 3> kRecordWeightings = {Weighting::C, Weighting::A, Weighting::Z};

struct IntervalLevels {
    double startSeconds = 0.0;  // from the start of the record
    double durationSeconds = 0.0;
    std::array<std::optional<LevelRow>, 3> weighted;  // C, A, Z; A and C absent for a non-acoustic unit
    std::vector<std::optional<LevelRow>> bands;       // in the bank's request order; absent above fs/2
    std::vector<BandId> bandIds;                      // the band of each row

    const std::optional<LevelRow>& weightedRow(Weighting w) const {
        return weighted[w == Weighting::C ? 0 : w == Weighting::A ? 1 : 2];
    }
};

using IntervalFn = std::function<Status(const IntervalLevels&)>;

// The frequency weightings an analyser applies: A, C and Z for sound pressure, Z alone for any other
// quantity (the A and C curves belong to hearing).
enum class LevelWeightings { AcousticACZ, ZOnly };

class LevelAnalyser {
  public:
    // intervalSeconds 0: one interval for the whole signal.
    static Result<LevelAnalyser> Create(double sampleRate, double referenceValue, double intervalSeconds,
                                        LevelWeightings weightings, const BandRequest& bands = {});
    // The analyser every path builds for a signal: its rate and reference, A and C for sound.
    static Result<LevelAnalyser> Create(const MeasurementContext& context, double intervalSeconds);

    // The bands of the rows, present or not, in order.
    const std::vector<BandId>& bandIds() const { return bandIds_; }
    const OctaveFilterBank& bank() const { return bank_; }

    Status process(std::span<const double> samples, const IntervalFn& onInterval);
    // Hands over the last, shorter interval when it holds samples.
    Status finish(const IntervalFn& onInterval);
    // The levels of the interval so far, without closing it (what a meter shows while it runs).
    IntervalLevels current() const;
    // Samples in the interval so far.
    uint64_t currentSamples() const { return intervals_.samplesInInterval(); }

  private:
    LevelAnalyser(OctaveFilterBank bank) : bank_(std::move(bank)) {}
    void feed(std::span<const double> samples);
    Status closeInterval(const IntervalFn& onInterval);

    OctaveFilterBank bank_;
    std::vector<BandId> bandIds_;
    std::vector<int> bankIndex_;              // per row: index in the bank, -1 when absent
    std::optional<WeightingSet> weightings_;  // C and A, absent for Z only
    std::vector<LevelMeter> weightedMeters_;  // C, A, Z or Z only
    std::vector<LevelMeter> bandMeters_;      // per bank band
    double reference_ = 1.0;
    bool withAC_ = true;  // A and C besides Z
    IntervalSplitter intervals_;
};

// A sound-level record (type 3) of an interval: levels in dB, the interval's duration rounded to whole
// seconds, VIN and range from the source. A level below 0 dB is stored as 0 and flags the record under-range;
// one above 255.99 dB is stored as 255.99 and flags it overloaded (channel 1's status words).
MeasurementRecord soundLevelRecord(const IntervalLevels& levels, uint32_t vin);
// Stores an interval's duration, rounded to whole seconds, in the record's tail.
void setRecordInterval(MeasurementRecord& r, double seconds);

// The date and time of an interval's start: the record's own when the file has them, else `fallback`.
CalendarTime intervalStart(const SignalDescription& d, double startSeconds, const CalendarTime& fallback);

struct LevelProgress {
    uint64_t frames = 0, total = 0;
};
// Called now and then; returning false cancels.
using LevelProgressFn = std::function<bool(const LevelProgress&)>;

// Runs the input to its end through an analyser; intervals are timed from the start of the record
// (the input's start offset included). Fails on the input's errors, the sink's errors and cancellation.
class LevelRecorder {
  public:
    static Result<LevelRecorder> Create(const SignalDescription& input, double intervalSeconds);
    const LevelAnalyser& analyser() const { return analyser_; }
    Status run(SignalInput& input, const IntervalFn& onInterval, const LevelProgressFn& progress = {});

  private:
    explicit LevelRecorder(LevelAnalyser a) : analyser_(std::move(a)) {}
    LevelAnalyser analyser_;
};

}  // namespace k470::acoustics
