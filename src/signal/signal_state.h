// SPDX-License-Identifier: GPL-3.0-or-later
// The signal state of the main window: per channel the quantities that turn raw samples into physical values
// and label them, and for all channels the sample scale, the high-pass step and the decimation factor. The
// channel set-up, the preset application, the processing chain, the signal files and the replay read it.
#pragma once

#include <array>
#include <string>

#include "data/device_type.h"

namespace k470 {

struct SignalChannel {
    double sensitivity = 1.0;           // electrical value to physical unit (the dialog shows its reciprocal)
    double calibrationOffset = 0.0;     // dB
    double calibrationFactor = 1.0;     // 10^(-0.05 * calibrationOffset)
    std::string units = "Pa";           // UTF-8
    double referenceValue = 2e-05;      // linear value of 0 dB in units
    std::array<double, 3> matrixRow{};  // output channel = sum of matrixRow[j] * input j
    int filterIndex = -1;               // index into the filter library, -1 = none
    std::string label;                  // the channel's entry in the channel list
};

struct SignalState {
    SignalState() {
        for (int k = 0; k < 3; ++k) channels[k].matrixRow[k] = 1.0;
    }

    std::array<SignalChannel, 3> channels;
    double sampleScale = 1.0;     // raw sample to physical unit
    int highPassStep = 1;         // "CutOffI": 0 = off, 1..13 = 0.125 * 2^(step-1) Hz
    int decimation = 1;           // "DecValue": 1 = no decimation
    double sampleRate = 48000.0;  // fs of the acquisition; the last opened signal file sets it
    bool presetActive = false;    // "CustomK"
    std::string presetName;       // "ProcName" (or "ReplayProcName" while replaying)

    // Frames per second at the chain's output, after decimation.
    double outputRate() const { return sampleRate / (decimation > 1 ? decimation : 1); }
};

// Output channel k is enabled when its matrix row is not all zero.
bool channelEnabled(const SignalChannel& channel);

}  // namespace k470
