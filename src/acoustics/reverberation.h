// SPDX-License-Identifier: GPL-3.0-or-later
// Reverberation time in octave (63 Hz to 8 kHz) or 1/3-octave (50 Hz to 10 kHz) bands: the recording is
// split by the filter bank and each band's decay is analysed on its own. The kind of excitation (impulse
// response or interrupted noise) is told once from the broadband signal.
//
// The bands are filtered backwards in time (the recording reversed, filtered, and reversed again), so that
// the filters' own ringing falls before the decay instead of lengthening it; this lets narrow low bands
// measure short reverberation times. For interrupted noise the moment the noise stops is found on the
// broadband signal and used in every band.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/decay_analysis.h"
#include "base/result.h"

namespace k470::acoustics {

enum class ReverberationBands { Octave, Third };

struct BandDecay {
    std::string label;  // the nominal frequency: "63", "125", ... "1k", "1.25k", ... "10k"
    double midbandHz = 0.0;
    bool inRange = true;  // false for a band above half the sampling rate, which has no decay
    DecayResult decay;
};

struct ReverberationResult {
    DecayExcitation excitation = DecayExcitation::Impulse;
    std::vector<BandDecay> bands;
};

// Progress from 0 to 1; returning false cancels the analysis.
using ReverberationProgress = std::function<bool(double fraction)>;

// Fails on a sampling rate outside 8-192 kHz, NaN or infinite samples, a silent signal, or cancellation.
Result<ReverberationResult> AnalyzeReverberation(std::span<const double> signal, double sampleRate,
                                                 ReverberationBands bands,
                                                 const ReverberationProgress& progress = {});

// The note of a band's row: why values are missing, empty when all are there.
std::string bandNote(const BandDecay& band);

}  // namespace k470::acoustics
