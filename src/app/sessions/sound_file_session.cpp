// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sessions/sound_file_session.h"

#include "app/sessions/signal_file_session.h"
#include "frame/application_state.h"

namespace k470::app {

Result<std::unique_ptr<Session>> OpenSoundFileSession(const SessionEnv& env, const std::string& path) {
    auto scratch = acoustics::TemporaryFile::Create();
    if (!scratch) return scratch.error();
    if (Status s = acoustics::writeSoundAsSignalFile(path, scratch->path(),
                                                     acoustics::LoadSoundFileOptions(env.frame.store()));
        !s)
        return s.error();
    auto session = SignalFileSession::OpenConverted(env, std::move(*scratch), path);
    if (!session) return session.error();
    return std::unique_ptr<Session>(std::move(*session));
}

}  // namespace k470::app
