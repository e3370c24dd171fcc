// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/calibration.h"

#include <filesystem>
#include <mutex>

#include "base/lexicon.h"
#include "base/number_format.h"
#include "base/text_encoding.h"
#include "data/reference_values.h"
#include "frame/application_state.h"
#include "frame/calibration_log.h"
#include "signal/processor_preset.h"
#include "signal/signal_synth.h"

namespace k470::app {

namespace {

// The channel's own label, or "channel 2" in the user's language.
std::string channelName(const SignalChannel& channel, int k) {
    if (!channel.label.empty()) return channel.label;
    std::string name = lexicon().text(Word::Channel);
    name += ' ';
    appendInt(name, k + 1);
    return name;
}

Status keepInActivePreset(ApplicationState& frame, int k, double sensitivity) {
    const SignalState& state = frame.signalState();
    for (ProcessorPreset& p : frame.presets())
        if (p.name == utf8ToUtf16(state.presetName)) p.sensitivity[static_cast<size_t>(k)] = sensitivity;
    const std::string dir = frame.dataDir();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return savePresets(dir + "/" + kPresetFileName, withoutBuiltinPresets(frame.presets()));
}

}  // namespace

acoustics::CalibrationCheck CheckChannelCalibration(const ApplicationState& frame, int channel,
                                                    const acoustics::CalibratorMeasurement& measurement,
                                                    double calibratorLevelDb) {
    const SignalChannel& c = frame.signalState().channels[static_cast<size_t>(channel)];
    return acoustics::CheckCalibration(measurement, c.sensitivity, kReferenceSoundPressure, calibratorLevelDb,
                                       channelName(c, channel));
}

Status ApplyCalibration(ApplicationState& frame, int channel, const acoustics::CalibrationCheck& check,
                        double calibratorLevelDb, CalendarTime when) {
    const auto k = static_cast<size_t>(channel);
    SignalState& state = frame.signalState();
    {
        std::lock_guard<std::mutex> guard(frame.signalLock());
        state.channels[k].sensitivity = check.newSensitivity;
    }
    Status kept;
    if (state.presetActive) {
        kept = keepInActivePreset(frame, channel, check.newSensitivity);
    } else {
        frame.streamSensitivities()[k] = check.newSensitivity;
        SaveStreamSensitivity(frame.store(), channel, check.newSensitivity);
    }
    CalibrationEntry entry;
    entry.date = when;
    entry.level = calibratorLevelDb;
    entry.sensitivity = check.newSensitivity;
    if (const auto previous = LoadCalibration(frame.store(), channel))
        entry.driftDb = acoustics::calibrationDriftDb(previous->sensitivity, check.newSensitivity);
    SaveCalibration(frame.store(), channel, entry);
    return kept;
}

}  // namespace k470::app
