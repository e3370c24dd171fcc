// SPDX-License-Identifier: GPL-3.0-or-later
// The levels of a flowing signal as a sound level meter shows them: the current F-weighted level, the
// equivalent level, the F maximum and the C peak since the start (or the last reset), and the Z-weighted
// equivalent level of every 1/3-octave band since then. A channel whose unit is not acoustic gets Z
// levels only.
//
//     auto live = LiveLevels::Create(48000.0, 2e-5, true);
//     live->process(block);  ...  LiveReadout r = live->readout();  live->reset();
//
// And the measurement of an acoustic calibrator's tone: the 1 kHz 1/3-octave band level and the broadband
// level over a fixed time of the flowing signal.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/frequency_weighting.h"
#include "acoustics/level_meter.h"
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
    // The 1/3-octave bands shown: 25 Hz .. 20 kHz.
    static BandRequest thirdBands();
    static std::vector<BandId> bandsShown();

    // Fails when the rate is outside what the weightings and the bank take (8..192 kHz).
    static Result<LiveLevels> Create(double sampleRate, double referenceValue, bool acoustic);

    double sampleRate() const { return rate_; }
    bool acoustic() const { return acoustic_; }
    void process(std::span<const double> samples);
    // The since-start values begin again; the time weighting runs on.
    void reset();
    LiveReadout readout() const;

  private:
    LiveLevels(OctaveFilterBank bank) : bank_(std::move(bank)) {}
    OctaveFilterBank bank_;
    std::vector<BandId> bandIds_;
    std::vector<int> bankIndex_;              // per shown band: index in the bank, -1 above fs/2
    std::optional<WeightingSet> weightings_;  // A and C
    std::vector<LevelMeter> meters_;          // main (A or Z), peak (C or Z)
    std::vector<LevelMeter> bandMeters_;
    double rate_ = 0.0;
    double reference_ = 1.0;
    bool acoustic_ = true;
    uint64_t samples_ = 0;
};

// The level of an acoustic calibrator's tone on the flowing signal: the 1 kHz 1/3-octave band and the
// broadband (Z) equivalent levels over `seconds` of signal.
class CalibratorMeasurement {
  public:
    static constexpr double kSeconds = 5.0;  // long enough for the band filter to settle many times over

    static Result<CalibratorMeasurement> Create(double sampleRate, double seconds = kSeconds);
    // Takes what is still wanted of the samples; the rest is ignored once the time is full.
    void process(std::span<const double> samples);
    bool done() const { return taken_ >= wanted_; }
    // 0..1 of the time measured.
    double fraction() const;
    // Mean squares (unit squared) of the 1 kHz band and of the whole signal so far.
    double bandMeanSquare() const;
    double broadbandMeanSquare() const;

  private:
    CalibratorMeasurement(OctaveFilterBank bank) : bank_(std::move(bank)) {}
    OctaveFilterBank bank_;
    double bandSum_ = 0.0;
    uint64_t bandCount_ = 0;
    double sum_ = 0.0;
    uint64_t taken_ = 0, wanted_ = 0;
};

// The outcome of a calibration: the channel's new sensitivity and what the tone read before.
struct Calibration {
    double sensitivity = 1.0;
    double measuredDb = 0.0;   // the 1 kHz band before the change, dB re the reference
    double broadbandDb = 0.0;  // the whole signal, dB re the reference
};

// How far a calibrator's band may lie below the broadband level before the signal is taken for something
// else than the calibrator's tone.
constexpr double kCalibratorToneMarginDb = 10.0;

// The sensitivity that makes the band read `wantedDb`: the current one corrected by the difference.
// Fails without a calibrator tone (band more than kCalibratorToneMarginDb below the broadband level, or
// no signal at all).
// sourceName names the signal in the message.
Result<Calibration> calibrate(double sensitivity, double bandMeanSquare, double broadbandMeanSquare,
                              double referenceValue, double wantedDb, const std::string& sourceName);

// The change of a channel's sensitivity since the previous calibration in dB (positive: the chain now
// amplifies more, i.e. the microphone had become less sensitive).
double calibrationDriftDb(double previousSensitivity, double sensitivity);

}  // namespace k470::acoustics
