// SPDX-License-Identifier: GPL-3.0-or-later
// Signal files made up for trying the program without an instrument: a calibrator, pink noise, noise
// events, a room's impulse responses and a machine's vibration, each several records long with markers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace k470 {

enum class SampleSignalKind { Calibrator, Pink, Events, Room, Vibration, WholeBody, HandArm };

// "calibrator", "pink", "events", "room", "vibration", "whole-body" or "hand-arm" (the cases of
// signal/vibration_synth.h on three axes in m/c^2, of device types 1 and 2).
std::optional<SampleSignalKind> sampleSignalKindNamed(std::string_view name);
std::string_view sampleSignalKindNames();

// The reverberation times of the room sample in the octaves 125 Hz to 4 kHz, and its noise floor below the
// start of each octave's decay.
constexpr double kRoomOctaveCentres[6] = {125.0, 250.0, 500.0, 1000.0, 2000.0, 4000.0};
constexpr double kRoomReverberationTimes[6] = {1.8, 1.5, 1.2, 1.0, 0.8, 0.6};
constexpr double kRoomFloorDb = -70.0;

// Writes the sample file; it takes its name when whole. On failure nothing new is left, and an earlier
// file of that name stays as it was.
Status WriteSampleSignalFile(SampleSignalKind kind, const std::string& path);

}  // namespace k470
