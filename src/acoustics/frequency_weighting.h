// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency weightings A, C and Z of sound level meters (IEC 61672-1), class 1, at any rate 8..192 kHz.
//
// The analogue weighting's poles (20.6 Hz twice, 107.7 Hz, 737.9 Hz, 12194 Hz twice) go through the bilinear
// transform, which alone reads low towards half the sampling rate (1.2 dB at 10 kHz at 48 kHz). A short
// linear-phase correction filter, fitted at construction to the ratio of the analogue weighting to the
// bilinear one, brings the response within 0.1 dB of the analogue weighting up to 10 kHz (or 0.8 of half
// the rate, below 25 kHz) and within the class-1 tolerance above. Z is the signal as it stands.
//
//     auto w = FrequencyWeighting::Create(Weighting::A, 48000.0);
//     w->process(block);   // in place, block after block
#pragma once

#include <span>
#include <vector>

#include "acoustics/biquad.h"
#include "acoustics/biquad_lanes.h"
#include "acoustics/block_fir.h"
#include "base/result.h"
#include "data/frequency_weighting.h"

namespace k470::acoustics {

using Weighting = FrequencyWeighting;

// The weighting's analogue response in dB at f Hz, 0 dB at 1 kHz (the standard's closed formulas).
double analogWeightingDb(Weighting w, double f);

class FrequencyWeighting {
  public:
    // Fails for rates outside 8..192 kHz.
    static Result<FrequencyWeighting> Create(Weighting weighting, double sampleRate);

    Weighting weighting() const { return weighting_; }
    void process(std::span<double> samples);
    // The IIR part and the correction alone, for running the IIR parts of several weightings side by side:
    // correct() appends the corrected `iirOutput` to `out`.
    const BiquadCascade& sections() const { return iir_; }
    void correct(std::span<const double> iirOutput, std::vector<double>& out);
    // The designed response in dB at f Hz (IIR sections and correction), for the design's checks.
    double responseDb(double f) const;
    void reset();

  private:
    FrequencyWeighting() = default;
    Weighting weighting_ = Weighting::Z;
    double sampleRate_ = 0.0;
    BiquadCascade iir_;
    std::vector<double> taps_;  // the symmetric correction filter, 2M+1 taps
    BlockFir correction_;
    std::vector<double> corrected_;
};

// Several weightings of one signal at once: their IIR sections run side by side in the lanes of a vector
// (see BiquadLanes), then each weighting's correction follows. The outputs match FrequencyWeighting's.
//
//     auto set = WeightingSet::Create({Weighting::C, Weighting::A}, 48000.0);
//     set->process(block);   set->output(1) ...   // the A-weighted block, until the next call
class WeightingSet {
  public:
    // At most BiquadLanes::kLanes weightings; fails for rates outside 8..192 kHz.
    static Result<WeightingSet> Create(std::span<const Weighting> weightings, double sampleRate);
    size_t size() const { return weightings_.size(); }
    void process(std::span<const double> samples);
    std::span<const double> output(size_t k) const { return outputs_[k]; }
    void reset();

  private:
    explicit WeightingSet(std::vector<FrequencyWeighting> w);
    std::vector<FrequencyWeighting> weightings_;
    BiquadLanes iir_;
    std::vector<double> lanes_;
    std::vector<std::vector<double>> outputs_;
};

}  // namespace k470::acoustics
