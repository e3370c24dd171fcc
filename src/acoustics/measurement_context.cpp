// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/measurement_context.h"

#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "signal/signal_synth.h"

namespace k470::acoustics {

std::string MeasurementContext::levelUnit() const {
    if (fullScale()) return "dB FS";
    std::string s = "dB re ";
    if (units == "Pa" && referenceValue == kReferencePressure) return s + "20 \u00b5Pa";
    appendGeneral(s, referenceValue, 6);
    return s + ' ' + units;
}

MeasurementContext ContextOf(const SignalDescription& d) {
    MeasurementContext c;
    c.sampleRate = d.sampleRate;
    c.units = d.units;
    c.referenceValue = d.referenceValue;
    c.origin = d.scaleOrigin;
    if (!physicalUnit(c.units)) c.origin = ScaleOrigin::None;
    return c;
}

MeasurementContext ChainContext(const SignalState& state, int channel) {
    const SignalChannel& ch = state.channels[static_cast<size_t>(std::clamp(channel, 0, 2))];
    MeasurementContext c;
    c.sampleRate = state.outputRate();
    c.units = ch.units;
    c.referenceValue = ch.referenceValue;
    c.origin = physicalUnit(ch.units) ? ch.scaleOrigin : ScaleOrigin::None;
    return c;
}

}  // namespace k470::acoustics
