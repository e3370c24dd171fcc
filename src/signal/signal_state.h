// SPDX-License-Identifier: GPL-3.0-or-later
// The signal state of the main window: per channel the quantities that turn raw samples into physical values
// and label them, and for all channels the sample scale, the high-pass step and the decimation factor. The
// channel set-up, the preset application, the processing chain, the signal files and the replay read it.
#pragma once

#include <array>
#include <string>

#include "data/device_type.h"
#include "data/reference_values.h"

namespace k470 {

// The unit of the raw-signal instrument's samples before a preset or a calibration gives them a physical
// scale: the converter's counts.
constexpr const char* kRawSampleUnit = "counts";
// The unit of a sound file's values without a scale: full-scale units, levels in dB FS.
constexpr const char* kFullScaleUnit = "FS";
// The raw-signal instrument samples its inputs at this rate (frames per second).
constexpr double kStreamSampleRate = 48000.0;

// Where the scale of the chain's output to physical units comes from.
enum class ScaleOrigin {
    None,         // no physical scale: raw counts or full-scale units
    Source,       // the source's own: the instrument's conditioning, or the physical values a file stores
    Preset,       // the sensitivities of the active processing preset
    SoundFile,    // the scale given for a sound file
    Calibration,  // a calibrator measured on the channel
};

// Whether values in this unit have a physical scale (they are neither raw counts nor full-scale units).
bool physicalUnit(const std::string& units);

struct SignalChannel {
    double sensitivity = 1.0;        // electrical value to physical unit (the dialog shows its reciprocal)
    double calibrationOffset = 0.0;  // dB
    double calibrationFactor = 1.0;  // 10^(-0.05 * calibrationOffset)
    std::string units = "Pa";        // UTF-8
    double referenceValue = kReferenceSoundPressure;  // linear value of 0 dB in units
    std::array<double, 3> matrixRow{};                // output channel = sum of matrixRow[j] * input j
    int filterIndex = -1;                             // index into the filter library, -1 = none
    std::string label;                                // the channel's entry in the channel list
    ScaleOrigin scaleOrigin = ScaleOrigin::None;      // of the chain's output, set by the channel set-up
};

struct SignalState {
    SignalState() {
        for (int k = 0; k < 3; ++k) channels[k].matrixRow[k] = 1.0;
    }

    std::array<SignalChannel, 3> channels;
    double sampleScale = 1.0;               // raw sample to physical unit
    int highPassStep = 1;                   // "CutOffI": 0 = off, 1..13 = 0.125 * 2^(step-1) Hz
    int decimation = 1;                     // "DecValue": 1 = no decimation
    double sampleRate = kStreamSampleRate;  // fs of the acquisition; the replayed signal file sets it
    bool presetActive = false;              // "CustomK"
    std::string presetName;                 // "ProcName" (or "ReplayProcName" while replaying)
    // Whether the active preset acts on the signal now: a replayed file that is already in physical units
    // (or records that it was processed) is shown as it is stored.
    bool presetInEffect = false;

    // Frames per second at the chain's output, after decimation.
    double outputRate() const { return sampleRate / (decimation > 1 ? decimation : 1); }
};

// Output channel k is enabled when its matrix row is not all zero.
bool channelEnabled(const SignalChannel& channel);

}  // namespace k470
