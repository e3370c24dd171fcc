// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/sound_file_settings.h"

#include <optional>

#include "base/number_format.h"
#include "data/file_kind.h"
#include "data/reference_values.h"
#include "data/signal_limits.h"
#include "signal/signal_synth.h"

namespace k470::acoustics {

namespace {

// A setting within the range that every signal input takes; anything else counts as not given.
std::optional<double> readWithin(const SettingsStore& store, const char* key, double lowest, double highest) {
    double v = 0.0;
    const std::string text = store.ReadString(kSoundFileSection, key, "");
    if (text.empty() || !parseDouble(text, v) || !(v >= lowest && v <= highest)) return std::nullopt;
    return v;
}

std::optional<double> readScale(const SettingsStore& store) {
    return readWithin(store, "Scale", kMinScale, kMaxScale);
}

}  // namespace

SoundAsSignalOptions LoadSoundFileOptions(const SettingsStore& store) {
    SoundAsSignalOptions o;
    if (const auto scale = readScale(store)) {
        o.scale = *scale;
        o.units = "Pa";
        o.referenceValue = kReferenceSoundPressure;
        return o;
    }
    const std::string units = store.ReadString(kSoundFileSection, "Units", "");
    if (!units.empty()) o.units = units;
    if (const auto reference = readWithin(store, "Reference", kMinReferenceValue, kMaxReferenceValue))
        o.referenceValue = *reference;
    return o;
}

SignalInputOptions SoundFileInputOptions(const SettingsStore& store, const std::string& path) {
    SignalInputOptions o;
    if (fileKindOfPath(path) == FileKind::Sound)
        if (const auto scale = readScale(store)) o.scale = *scale;
    return o;
}

}  // namespace k470::acoustics
