// SPDX-License-Identifier: GPL-3.0-or-later
// Reverberation time of one band from a recorded decay: an impulse response or the decay after an
// interrupted noise. The decay start is found (20 dB below the peak for an impulse response, the moment the
// excitation stops for interrupted noise), the noise floor and the truncation point by Lundeby's iterative
// method, the decay curve by Schroeder's backward integration with the energy lost by truncation added
// back, and EDT, T20 and T30 by least-squares lines through the curve.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace k470::acoustics {

enum class DecayExcitation { Impulse, InterruptedNoise };

struct DecayParameters {
    DecayExcitation excitation = DecayExcitation::Impulse;
    // Bandwidth of the band the signal was filtered to; 0 for a broadband signal. It sets the averaging
    // times of the envelope, which must be longer where the band envelope fluctuates slowly.
    double bandwidthHz = 0.0;
    // For interrupted noise: the moment the noise stopped, in seconds from the start of the signal, when it
    // is known from elsewhere (the broadband signal, whose stop is sharp); found from the signal otherwise.
    std::optional<double> stopSeconds;
};

// A line through part of the decay curve.
struct DecayFit {
    double seconds = 0.0;      // time for 60 dB of decay at the line's slope
    double correlation = 0.0;  // of level against time over the fitted part (near -1 for a clean decay)
    double slopeDbPerSecond = 0.0;
    double interceptDb = 0.0;  // the line's level at the decay start
    double fromSeconds = 0.0;  // the fitted part, from the decay start
    double toSeconds = 0.0;
};

enum class DecayQuantity { Edt, T20, T30 };

// Why a quantity has no value.
enum class DecayShortfall {
    None,
    NoSignal,      // the band holds no energy
    NoDecay,       // the level never falls clearly towards a floor (a steady signal)
    DynamicRange,  // the decay start is too little above the noise floor
    CurveTooShort  // the decay curve ends above the end of the fitted range
};

struct DecayResult {
    std::optional<DecayFit> edt, t20, t30;
    DecayShortfall edtShortfall = DecayShortfall::None;
    DecayShortfall t20Shortfall = DecayShortfall::None;
    DecayShortfall t30Shortfall = DecayShortfall::None;
    // The noise floor in dB relative to the level at the decay start (negative); none when the signal
    // ends in digital silence.
    std::optional<double> floorDb;
    double dynamicRangeDb = 0.0;
    double startSeconds = 0.0;       // the decay start, from the start of the signal
    double truncationSeconds = 0.0;  // Lundeby's crosspoint, from the decay start
    // The decay curve in dB (0 at the decay start) every curveStepSeconds from the decay start to the
    // truncation point, for drawing: about a millisecond, a whole number of samples at the rate analysed.
    double curveStepSeconds = 0.0;
    std::vector<double> curveDb;

    const std::optional<DecayFit>& fit(DecayQuantity q) const;
    DecayShortfall shortfall(DecayQuantity q) const;
};

// The dynamic range a quantity needs: 10 dB below the end of its fitted range (EDT 20, T20 35, T30 45 dB).
double requiredDynamicRangeDb(DecayQuantity quantity);

DecayResult AnalyzeDecay(std::span<const double> signal, double sampleRate,
                         const DecayParameters& parameters);

// The moment an interrupted noise stops, in seconds from the start of the signal (a little late rather
// than early, so that none of the steady part enters the decay).
double FindInterruption(std::span<const double> signal, double sampleRate);

// Tells an impulse response from an interrupted-noise decay by the broadband envelope: an impulse response
// falls from its first loud moment on, interrupted noise holds its level for a while first.
DecayExcitation DetectExcitation(std::span<const double> signal, double sampleRate);

// The reason for the missing quantities of a result, empty when all three have values
// ("dynamic range 31.2 dB; T20 needs 35 dB; T30 needs 45 dB").
std::string decayNote(const DecayResult& result);

}  // namespace k470::acoustics
