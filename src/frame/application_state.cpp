// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/application_state.h"

#include "base/text_encoding.h"

#include <sys/stat.h>

namespace k470::app {

ApplicationState::ApplicationState(SettingsStore& store, std::string dataDir)
    : store_(store), dataDir_(std::move(dataDir)) {
    if (auto event = NamedEvent::Open(kAutoSaveEventName)) autoSaveEvent_.emplace(std::move(*event));
}

void ApplicationState::settingsToSignalState() {
    signal_.highPassStep = settings_.cutOffIndex;
    signal_.decimation = settings_.decimation;
    for (size_t k = 0; k < 3; ++k) signal_.channels[k].filterIndex = settings_.customFilter[k];
    signal_.presetActive = settings_.presetActive;
    signal_.presetName = settings_.presetName;
}

void ApplicationState::signalStateToSettings() {
    settings_.cutOffIndex = signal_.highPassStep;
    settings_.decimation = signal_.decimation;
    for (size_t k = 0; k < 3; ++k) settings_.customFilter[k] = signal_.channels[k].filterIndex;
    settings_.presetActive = signal_.presetActive;
    settings_.presetName = signal_.presetName;
}

void ApplicationState::Initialise() {
    settings_ = FrameSettings::Load(store_, false);
    settingsToSignalState();
    streamSensitivities_ = LoadStreamSensitivities(store_);
    // Damaged preset or library files give what could be read; the rest is left out without a message, as
    // for missing files.
    const std::string presetPath = dataDir_ + "/" + kPresetFileName;
    struct stat st {};
    presetsFileSeen_ = ::stat(presetPath.c_str(), &st) == 0;
    presets_ = loadPresets(presetPath).presets;
    addBuiltinPresets(presets_);
    library_ = loadFilterLibrary(dataDir_).library;
    applyActivePreset(signal_, presets_, library_, chain_);
    signalStateToSettings();
}

void ApplicationState::ApplyActivePreset() {
    std::lock_guard<std::mutex> guard(signalLock_);
    applyActivePreset(signal_, presets_, library_, chain_);
}

void ApplicationState::ChoosePresetIfNoneChosen(const std::u16string& name) {
    if (signal_.presetActive || findPreset(presets_, name) == nullptr) return;
    for (double s : streamSensitivities_)
        if (s > 0.0) return;
    signal_.presetActive = true;
    signal_.presetName = utf16ToUtf8(name);
    ApplyActivePreset();
}

void ApplicationState::Shutdown(WindowRect windowRect) {
    settings_.window = windowRect;
    signalStateToSettings();
    settings_.Save(store_, replayMode_);
    // The presets are written anew; a file that cannot be written does not keep the window from closing.
    // Without presets and without an earlier file nothing is created.
    // The built-in presets are offered again at the next start and are not saved unless changed.
    const std::vector<ProcessorPreset> own = withoutBuiltinPresets(presets_);
    if (!own.empty() || presetsFileSeen_) {
        ::mkdir(dataDir_.c_str(), 0700);
        (void)savePresets(dataDir_ + "/" + kPresetFileName, own);
    }
}

}  // namespace k470::app
