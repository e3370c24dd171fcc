// SPDX-License-Identifier: GPL-3.0-or-later
// A sound file (WAV, FLAC) as the window's source: its signal is copied into a temporary signal file that
// replays like any other and is removed when the source closes; the window names the sound file. The
// units of a sound file come from the settings (acoustics/sound_file_settings.h).
#pragma once

#include <memory>
#include <string>

#include "acoustics/signal_input.h"
#include "acoustics/sound_file_settings.h"
#include "acoustics/sound_signal_file.h"
#include "app/sessions/session.h"
#include "base/settings_store.h"

namespace k470::app {

namespace keys {
inline constexpr const char* kSoundFile = acoustics::kSoundFileSection;
}

// Opens a sound file as a replayed signal; the message (libsndfile's for a file it cannot read) when not.
Result<std::unique_ptr<Session>> OpenSoundFileSession(const SessionEnv& env, const std::string& path);

}  // namespace k470::app
