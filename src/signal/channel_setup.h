// SPDX-License-Identifier: GPL-3.0-or-later
// Channel set-up by device type: fills the signal state from the instrument's type and range, from the header
// of a signal file being replayed, or keeps what an active processing preset set, and builds the labels of
// the channel list.
#pragma once

#include <array>

#include "data/sdt_container.h"
#include "signal/signal_state.h"

namespace k470 {

struct ChannelSetupSource {
    DeviceType deviceType = 0;
    int rangeIndex = 0;                                 // 0-based measuring range of the instrument
    double deviceCalibrationOffset = 0.0;               // dB
    std::array<double, 3> channelCalibrationOffsets{};  // dB, the offsets of the instrument's three channels
    // The header of the signal file being replayed or reprocessed; null otherwise.
    const SdtHeader* replayedFile = nullptr;
};

// Sets the channel quantities (see SignalState) for the source. Returns true when a channel label changed, so
// that the channel list has to be rebuilt; otherwise the list (and the user's selection in it) stays.
bool applyChannelSetup(SignalState& state, const ChannelSetupSource& source);

// The linear factor that a calibration offset (dB) applies to the samples: 10^(-0.05 * offset).
double calibrationFactorOf(double offsetDb);

// "channel 1, ref: 2e-05 [Pa]" in the words of the active lexicon.
std::string channelLabel(int channel, const SignalChannel& quantities);

}  // namespace k470
