// SPDX-License-Identifier: GPL-3.0-or-later
// What the settings say about sound files (WAV, FLAC), section "SoundFile": "Scale" (units per full scale;
// when given, the signal is in pascals re 20 uPa), else "Units" and "Reference" (by default "FS" and 1.0,
// levels in dB re full scale). A scale or reference outside the ranges every signal input takes
// (data/signal_limits.h) counts as not given, and so does an empty unit.
#pragma once

#include <string>

#include "acoustics/signal_input.h"
#include "acoustics/sound_signal_file.h"
#include "base/settings_store.h"

namespace k470::acoustics {

inline constexpr const char* kSoundFileSection = "SoundFile";

// The units, reference and scale a sound file is replayed with.
SoundAsSignalOptions LoadSoundFileOptions(const SettingsStore& store);
// What the analyses of a file read it with: a sound file gets the scale of the settings.
SignalInputOptions SoundFileInputOptions(const SettingsStore& store, const std::string& path);

}  // namespace k470::acoustics
