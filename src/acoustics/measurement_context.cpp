// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/measurement_context.h"

#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "data/reference_values.h"
#include "signal/signal_synth.h"

namespace k470::acoustics {

std::string MeasurementContext::levelUnit() const {
    if (fullScale()) return "dB FS";
    if (units == "Pa" && referenceValue == kReferenceSoundPressure) return kSoundPressureLevelUnit;
    std::string s = "dB re ";
    appendGeneral(s, referenceValue, 6);
    return s + ' ' + units;
}

MeasurementContext ContextOf(const SignalDescription& d) {
    MeasurementContext c;
    c.sampleRate = d.sampleRate;
    c.units = d.units;
    c.referenceValue = d.referenceValue;
    c.origin = d.scaleOrigin;
    return c;
}

MeasurementContext ChainContext(const SignalState& state, int channel) {
    const SignalChannel& ch = state.channels[static_cast<size_t>(std::clamp(channel, 0, 2))];
    MeasurementContext c;
    c.sampleRate = state.outputRate();
    c.units = ch.units;
    c.referenceValue = ch.referenceValue;
    c.origin = ch.scaleOrigin;
    return c;
}

}  // namespace k470::acoustics
