// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/sound_file_settings.h"

#include <cmath>
#include <optional>

#include "base/number_format.h"
#include "signal/signal_synth.h"

namespace k470::acoustics {

namespace {

std::optional<double> readPositive(const SettingsStore& store, const char* key) {
    double v = 0.0;
    const std::string text = store.ReadString(kSoundFileSection, key, "");
    if (text.empty() || !parseDouble(text, v) || !(v > 0.0) || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

SoundAsSignalOptions LoadSoundFileOptions(const SettingsStore& store) {
    SoundAsSignalOptions o;
    if (const auto scale = readPositive(store, "Scale")) {
        o.scale = *scale;
        o.units = "Pa";
        o.referenceValue = kReferencePressure;
        return o;
    }
    const std::string units = store.ReadString(kSoundFileSection, "Units", "");
    if (!units.empty()) o.units = units;
    if (const auto reference = readPositive(store, "Reference")) o.referenceValue = *reference;
    return o;
}

SignalInputOptions SoundFileInputOptions(const SettingsStore& store, const std::string& path) {
    SignalInputOptions o;
    if (isSoundFilePath(path))
        if (const auto scale = readPositive(store, "Scale")) o.scale = *scale;
    return o;
}

}  // namespace k470::acoustics
