// SPDX-License-Identifier: GPL-3.0-or-later
// The levels of a flowing signal as a sound level meter shows them: the current F-weighted level, the
// equivalent level, the F maximum and the C peak since the start (or the last reset), and the Z-weighted
// equivalent level of every 1/3-octave band since then. They are the levels of the levels command over the
// same samples (one LevelAnalyser interval from the start), so the page copies them as its CSV. A channel
// whose unit is not acoustic gets Z levels only.
//
//     auto live = LiveLevels::Create(ChainContext(state, channel), startSeconds);
//     live->process(block);  ...  LiveReadout r = live->readout();  live->csv();  live->reset();
//
// And the measurement of an acoustic calibrator's tone: the 1 kHz 1/3-octave band level and the broadband
// level over a fixed time of the flowing signal.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/frequency_weighting.h"
#include "acoustics/level_meter.h"
#include "acoustics/level_recorder.h"
#include "acoustics/measurement_context.h"
#include "acoustics/octave_filter_bank.h"
#include "base/result.h"

namespace k470::acoustics {

struct LiveReadout {
    Weighting main = Weighting::A;  // A for an acoustic channel, else Z
    // Levels in dB re the channel's reference; -inf before any signal.
    double fast = 0.0;     // the F-weighted level now
    double leq = 0.0;      // since the start
    double fastMax = 0.0;  // since the start (the detector starts from rest)
    double peak = 0.0;     // C-weighted for an acoustic channel, else Z-weighted
    Weighting peakWeighting = Weighting::C;
    std::vector<BandId> bands;    // the 1/3-octave bands of the chart, in order
    std::vector<double> bandLeq;  // Z-weighted Leq of each band since the start; NaN above fs/2
    double seconds = 0.0;         // of signal since the start
};

// The top of a level display (bar and band chart), a multiple of 20 dB, so that the highest level shown
// fits: levels re full scale lie below 0 dB, sound pressure levels far above. It moves only when the highest
// level comes within 5 dB of the top or falls more than 60 dB below it, so the scale does not jump with the
// signal. A highest level that is not finite keeps the top.
double LevelDisplayTop(double top, double highest);

// The highest finite level of a readout (F and the bands), or -inf.
double HighestLevel(const LiveReadout& r);

class LiveLevels {
  public:
    // The 1/3-octave bands of the chart: 25 Hz .. 20 kHz.
    static std::vector<BandId> bandsShown();

    // startSeconds: where in its record the signal starts (the CSV's start). Fails when the rate is outside
    // what the weightings and the bank take (8..192 kHz).
    static Result<LiveLevels> Create(const MeasurementContext& context, double startSeconds = 0.0);

    const MeasurementContext& context() const { return context_; }
    void process(std::span<const double> samples);
    // The since-start values begin again; the time weighting runs on.
    void reset();
    LiveReadout readout() const;
    // The levels since the start (or the last reset), timed from the start of the record.
    IntervalLevels levels() const;
    // Those levels as the levels command prints them with one interval: its header and one row.
    std::string csv() const;

  private:
    LiveLevels(LevelAnalyser analyser, MeasurementContext context)
        : analyser_(std::move(analyser)), context_(std::move(context)) {}
    LevelAnalyser analyser_;
    MeasurementContext context_;
    double startSeconds_ = 0.0;
    uint64_t before_ = 0;         // samples before the last reset
    std::vector<size_t> chart_;  // per band shown: its row among the analyser's bands
};

// The tone of an acoustic calibrator: 1 kHz for sound calibrators, 250 Hz for pistonphones.
enum class CalibratorTone { Hz1000, Hz250 };
double nominalHz(CalibratorTone tone);

// An acoustic calibrator's tone measured on a signal: the level of the tone's 1/3-octave band and of the
// whole signal, the tone's frequency (from the band's zero crossings) and how steady its level is (the
// spread of the band level over half-second blocks), over `seconds` of signal (0: all that is given).
class CalibratorMeasurement {
  public:
    static constexpr double kSeconds = 5.0;  // long enough for the band filter to settle many times over

    static Result<CalibratorMeasurement> Create(double sampleRate, CalibratorTone tone = CalibratorTone::Hz1000,
                                                double seconds = kSeconds);
    // Takes what is still wanted of the samples; the rest is ignored once the time is full.
    void process(std::span<const double> samples);
    bool done() const { return wanted_ > 0 && taken_ >= wanted_; }
    // 0..1 of the time measured.
    double fraction() const;
    CalibratorTone tone() const { return tone_; }
    // Mean squares (unit squared) of the tone's band and of the whole signal so far.
    double bandMeanSquare() const;
    double broadbandMeanSquare() const;
    // The tone's frequency in Hz; 0 before two rising zero crossings of its band.
    double toneHz() const;
    // Highest minus lowest band level of the complete half-second blocks, dB; 0 with fewer than two.
    double spreadDb() const;

  private:
    CalibratorMeasurement(OctaveFilterBank bank) : bank_(std::move(bank)) {}
    void takeBand(std::span<const double> y);
    OctaveFilterBank bank_;
    CalibratorTone tone_ = CalibratorTone::Hz1000;
    double bandRate_ = 0.0;
    uint64_t skip_ = 0;  // band samples of the filter ringing in
    double bandSum_ = 0.0;
    uint64_t bandCount_ = 0;
    double sum_ = 0.0;
    uint64_t taken_ = 0, wanted_ = 0;
    // Half-second blocks of the band: the running block and the extremes of the complete ones.
    uint64_t blockLength_ = 0, inBlock_ = 0, blocks_ = 0;
    double blockSum_ = 0.0, blockMin_ = 0.0, blockMax_ = 0.0;
    // Rising zero crossings of the band: the first and the last (in band samples, interpolated), and how many.
    double previous_ = 0.0, firstRise_ = 0.0, lastRise_ = 0.0;
    uint64_t rises_ = 0;
};

// What a calibration would do, for the user to see before it is applied.
struct CalibrationCheck {
    // The measured levels in dB re the reference, the tone's frequency and the spread of its level.
    double bandDb = 0.0;
    double broadbandDb = 0.0;
    double toneHz = 0.0;
    double spreadDb = 0.0;
    double oldSensitivity = 1.0;
    double newSensitivity = 1.0;  // makes the band read the calibrator's level
    double changeDb = 0.0;        // 20 lg(new / old)
    // Why it must not be applied: no single tone, not at the calibrator's frequency, not steady.
    std::optional<Error> refusal;

    // A change this large is more likely a wrong set-up than a drifting microphone: the user confirms it.
    static constexpr double kConfirmChangeDb = 10.0;
    bool needsConfirmation() const { return std::fabs(changeDb) > kConfirmChangeDb; }
};

// The rest of the signal must lie this far below the tone's band (a calibrator's tone with the room
// around it, not a signal of several components).
constexpr double kCalibratorToneMarginDb = 10.0;
// The tone's frequency may differ this much from the calibrator's (relative).
constexpr double kCalibratorFrequencyTolerance = 0.03;
// The tone's level may vary this much (dB) over the measurement.
constexpr double kCalibratorSteadinessDb = 0.2;

// Checks the measurement as a calibration of a channel of this sensitivity and reference to wantedDb.
// sourceName names the signal in the reasons.
CalibrationCheck CheckCalibration(const CalibratorMeasurement& m, double sensitivity, double referenceValue,
                                  double wantedDb, const std::string& sourceName);

// The change of a channel's sensitivity since the previous calibration in dB (positive: the chain now
// amplifies more, i.e. the microphone had become less sensitive).
double calibrationDriftDb(double previousSensitivity, double sensitivity);

}  // namespace k470::acoustics
