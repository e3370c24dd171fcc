// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement context of a signal: what every analysis needs besides the samples themselves. The rate,
// the unit and 0 dB reference of the values, and where their scale to physical units came from. A file
// read by the command line (SignalDescription) and the processed output of the window's chain (SignalState)
// both give one, and the analysers are built from it, so that a figure is computed the same way whichever
// path the signal took.
//
//     MeasurementContext c = ContextOf(input.description());     // or ChainContext(state, channel)
//     auto levels = LevelAnalyser::Create(c, 0.0);
//     std::string unit = c.levelUnit();                           // "dB re 20 uPa", "dB FS", ...
#pragma once

#include <string>

#include "acoustics/signal_input.h"
#include "signal/signal_state.h"

namespace k470::acoustics {

// The unit of sound pressure levels.
constexpr const char* kSoundPressureLevelUnit = "dB re 20 \u00b5Pa";

struct MeasurementContext {
    double sampleRate = 0.0;  // frames per second of the values analysed
    std::string units;        // "Pa", "m/c^2", "mV", "FS" (full-scale units) or "counts" (raw)
    double referenceValue = 1.0;
    ScaleOrigin origin = ScaleOrigin::None;

    bool fullScale() const { return units == kFullScaleUnit; }
    // Whether the values are in a physical unit, so that their levels can be stored as records.
    bool physical() const { return origin != ScaleOrigin::None && physicalUnit(units); }
    // Sound: pascals, or a sound file's full-scale units. The A and C weightings apply.
    bool acoustic() const { return units == "Pa" || fullScale(); }
    // What the levels are re: "dB re 20 uPa" (with the micro sign), "dB FS", or "dB re <reference> <unit>".
    std::string levelUnit() const;

    bool operator==(const MeasurementContext&) const = default;
};

// Where a file's values have no physical scale (full-scale units, raw counts), its description and the
// channel set-up already say ScaleOrigin::None; the context takes what they say.
MeasurementContext ContextOf(const SignalDescription& description);
// The processed output of channel k (from 0) of a chain set up with this state.
MeasurementContext ChainContext(const SignalState& state, int channel);

}  // namespace k470::acoustics
