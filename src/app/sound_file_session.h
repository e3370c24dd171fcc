// SPDX-License-Identifier: GPL-3.0-or-later
// A sound file (WAV, FLAC) as the window's source: its signal is copied into a temporary signal file that
// replays like any other and is removed when the source closes; the window names the sound file. The
// units of a sound file come from the settings: section "SoundFile", "Scale" (units per full scale; when
// given, the signal is in pascals re 20 uPa), else "Units" and "Reference" (by default "FS" and 1.0,
// levels in dB re full scale).
#pragma once

#include <memory>
#include <string>

#include "acoustics/signal_input.h"
#include "acoustics/sound_signal_file.h"
#include "app/session.h"
#include "base/settings_store.h"

namespace k470::app {

namespace keys {
inline constexpr const char* kSoundFile = "SoundFile";
}

acoustics::SoundAsSignalOptions LoadSoundFileOptions(const SettingsStore& store);
// What the analyses of a file read it with: a sound file gets the scale of the settings.
acoustics::SignalInputOptions SoundFileInputOptions(const SettingsStore& store, const std::string& path);

// Opens a sound file as a replayed signal; the message (libsndfile's for a file it cannot read) when not.
Result<std::unique_ptr<Session>> OpenSoundFileSession(const SessionEnv& env, const std::string& path);

}  // namespace k470::app
