// SPDX-License-Identifier: GPL-3.0-or-later
// Channel set-up by device type: fills the signal state from the instrument's type and range, from the header
// of a signal file being replayed, or keeps what an active processing preset set, and builds the labels of
// the channel list.
#pragma once

#include <array>

#include "data/sdt_container.h"
#include "signal/signal_state.h"

namespace k470 {

// Which signals an active preset acts on: on a replay only the instrument's raw counts (a file in physical
// units is shown as stored); when a file is reprocessed with a preset, the user asked for it on any file.
enum class PresetScope { RawSignals, AnySignal };

struct ChannelSetupSource {
    DeviceType deviceType = 0;
    int rangeIndex = 0;                                 // 0-based measuring range of the instrument
    double deviceCalibrationOffset = 0.0;               // dB
    std::array<double, 3> channelCalibrationOffsets{};  // dB, the offsets of the instrument's three channels
    // The header of the signal file being replayed or reprocessed; null otherwise.
    const SdtHeader* replayedFile = nullptr;
    PresetScope presetScope = PresetScope::RawSignals;
};

// Sets the channel quantities (see SignalState) for the source. Returns true when a channel label changed, so
// that the channel list has to be rebuilt; otherwise the list (and the user's selection in it) stays.
bool applyChannelSetup(SignalState& state, const ChannelSetupSource& source);

// Whether an active preset acts on a replayed file: only on the instrument's raw counts, never on a file
// that is in physical or full-scale units or names the preset it was processed with.
bool presetActsOn(const SdtHeader& header);

// The linear factor that a calibration offset (dB) applies to the samples: 10^(-0.05 * offset).
double calibrationFactorOf(double offsetDb);

// "channel 1, ref: 2e-05 [Pa]" in the words of the active lexicon.
std::string channelLabel(int channel, const SignalChannel& quantities);

}  // namespace k470
