// SPDX-License-Identifier: GPL-3.0-or-later
// The window's lasting state without widgets: the frame's settings (read at the start, written at the
// end), and the signal state with its processing chain, filter library and presets, which every source
// shares. The open source itself is a session; the window owns it.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/named_event.h"
#include "base/paths.h"
#include "base/settings_store.h"
#include "frame/calibration_log.h"
#include "frame/frame_settings.h"
#include "signal/filter_library.h"
#include "signal/processing_chain.h"
#include "signal/processor_preset.h"
#include "signal/signal_state.h"

namespace k470::app {

class ApplicationState {
  public:
    // Creates the event that starts an armed autorecording ("K470StartAutoSaveEvent"); presets and filter
    // libraries are read from dataDir.
    explicit ApplicationState(SettingsStore& store, std::string dataDir = dataDirectory());

    // The window's start: settings, the processing presets and the filter library with the active preset
    // applied.
    void Initialise();
    // The active preset's quantities into the signal state again (under the signal lock): a replayed file
    // that the preset does not act on set its own channels in their place.
    void ApplyActivePreset();
    // Activates the preset of that name when no preset is active and no channel of the raw-signal instrument
    // was calibrated: the preset that fits the instrument attached.
    void ChoosePresetIfNoneChosen(const std::u16string& name);
    // The window closes: the settings with its place, and the processing presets.
    void Shutdown(WindowRect windowRect);

    FrameSettings& settings() { return settings_; }
    const SettingsStore& store() const { return store_; }
    SettingsStore& store() { return store_; }
    SignalState& signalState() { return signal_; }
    const SignalState& signalState() const { return signal_; }
    ProcessingChain& chain() { return chain_; }
    const FilterLibrary& filterLibrary() const { return library_; }
    // Taken by everything that touches the signal state and the processing chain while samples flow.
    std::mutex& signalLock() { return signalLock_; }
    std::vector<ProcessorPreset>& presets() { return presets_; }
    // Null when the system could not create the event (autorecording then cannot be triggered from outside).
    NamedEvent* autoSaveEvent() { return autoSaveEvent_ ? &*autoSaveEvent_ : nullptr; }
    const std::string& dataDir() const { return dataDir_; }
    // The replay speed factor of "Signal parameters": 1, 10 or 100 (anything else reads as 1).
    int replaySpeedFactor() const { return replaySpeed_; }
    void setReplaySpeedFactor(int factor) { replaySpeed_ = factor == 10 || factor == 100 ? factor : 1; }
    // Whether a signal file was the last source (the replay keeps its own preset key).
    void setReplayMode(bool replay) { replayMode_ = replay; }
    // The name of the active processing preset; empty when none is active.
    std::string activePreset() const { return signal_.presetActive ? signal_.presetName : std::string(); }
    // The raw-signal instrument's sensitivities set by "Calibrate..." without a preset (read at the start).
    StreamSensitivities& streamSensitivities() { return streamSensitivities_; }

  private:
    // The signal settings of the frame settings into the signal state, and back.
    void settingsToSignalState();
    void signalStateToSettings();

    SettingsStore& store_;
    std::string dataDir_;
    std::optional<NamedEvent> autoSaveEvent_;
    FrameSettings settings_;
    SignalState signal_;
    ProcessingChain chain_;
    std::mutex signalLock_;
    FilterLibrary library_;
    std::vector<ProcessorPreset> presets_;
    bool presetsFileSeen_ = false;
    bool replayMode_ = false;
    int replaySpeed_ = 1;
    StreamSensitivities streamSensitivities_{};
};

}  // namespace k470::app
