// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sound_file_session.h"

#include <cmath>
#include <optional>

#include "app/frame_controller.h"
#include "app/signal_file_session.h"
#include "base/number_format.h"
#include "data/signal_limits.h"

namespace k470::app {

namespace {

constexpr double kPascalReference = 2e-5;

// A setting within the range that every signal input takes; anything else counts as not given.
std::optional<double> readWithin(const SettingsStore& store, const char* key, double lowest, double highest) {
    double v = 0.0;
    const std::string text = store.ReadString(keys::kSoundFile, key, "");
    if (text.empty() || !parseDouble(text, v) || !(v >= lowest && v <= highest)) return std::nullopt;
    return v;
}

std::optional<double> readScale(const SettingsStore& store) {
    return readWithin(store, "Scale", kMinScale, kMaxScale);
}

}  // namespace

acoustics::SoundAsSignalOptions LoadSoundFileOptions(const SettingsStore& store) {
    acoustics::SoundAsSignalOptions o;
    if (const auto scale = readScale(store)) {
        o.scale = *scale;
        o.units = "Pa";
        o.referenceValue = kPascalReference;
        return o;
    }
    const std::string units = store.ReadString(keys::kSoundFile, "Units", "");
    if (!units.empty()) o.units = units;
    if (const auto reference = readWithin(store, "Reference", kMinReferenceValue, kMaxReferenceValue))
        o.referenceValue = *reference;
    return o;
}

acoustics::SignalInputOptions SoundFileInputOptions(const SettingsStore& store, const std::string& path) {
    acoustics::SignalInputOptions o;
    if (acoustics::isSoundFilePath(path))
        if (const auto scale = readScale(store)) o.scale = *scale;
    return o;
}

Result<std::unique_ptr<Session>> OpenSoundFileSession(const SessionEnv& env, const std::string& path) {
    auto scratch = acoustics::TemporaryFile::Create();
    if (!scratch) return scratch.error();
    if (Status s =
            acoustics::writeSoundAsSignalFile(path, scratch->path(), LoadSoundFileOptions(env.frame.store()));
        !s)
        return s.error();
    auto session = SignalFileSession::OpenConverted(env, std::move(*scratch), path);
    if (!session) return session.error();
    return std::unique_ptr<Session>(std::move(*session));
}

}  // namespace k470::app
