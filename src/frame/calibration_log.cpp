// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/calibration_log.h"

#include <cmath>

#include "base/number_format.h"
#include "data/reference_values.h"
#include "signal/channel_setup.h"
#include "signal/signal_synth.h"

namespace k470::app {

namespace {

std::string key(const char* name, int channel) {
    return name + std::to_string(channel + 1);
}

// Enough digits that a sensitivity read back is the one written.
constexpr int kSensitivityDigits = 17;

bool readNumber(const SettingsStore& store, const std::string& k, double& value) {
    const std::string text = store.ReadString(keys::kCalibration, k, "");
    return !text.empty() && parseDouble(text, value) && std::isfinite(value);
}

bool parseDate(const std::string& text, CalendarTime& t) {
    // Fixed layout "YYYY-MM-DD HH:MM:SS" of ASCII digits.
    if (text.size() != 19) return false;
    auto field = [&text](size_t at, size_t n, int& out) {
        int v = 0;
        for (size_t i = at; i < at + n; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            v = v * 10 + (text[i] - '0');
        }
        out = v;
        return true;
    };
    return field(0, 4, t.year) && text[4] == '-' && field(5, 2, t.month) && text[7] == '-' &&
           field(8, 2, t.day) && text[10] == ' ' && field(11, 2, t.hours) && text[13] == ':' &&
           field(14, 2, t.minutes) && text[16] == ':' && field(17, 2, t.seconds);
}

}  // namespace

std::string CalibrationEntry::dateText() const {
    std::string s;
    appendInt(s, date.year, 4);
    s += '-';
    appendInt(s, date.month, 2);
    s += '-';
    appendInt(s, date.day, 2);
    s += ' ';
    appendInt(s, date.hours, 2);
    s += ':';
    appendInt(s, date.minutes, 2);
    s += ':';
    appendInt(s, date.seconds, 2);
    return s;
}

std::optional<CalibrationEntry> LoadCalibration(const SettingsStore& store, int channel) {
    CalibrationEntry e;
    if (!parseDate(store.ReadString(keys::kCalibration, key("Date", channel), ""), e.date))
        return std::nullopt;
    if (!readNumber(store, key("Level", channel), e.level)) return std::nullopt;
    if (!readNumber(store, key("Sensitivity", channel), e.sensitivity) || !(e.sensitivity > 0.0))
        return std::nullopt;
    double drift = 0.0;
    if (readNumber(store, key("Drift", channel), drift)) e.driftDb = drift;
    return e;
}

bool SaveCalibration(SettingsStore& store, int channel, const CalibrationEntry& e) {
    bool ok = store.WriteString(keys::kCalibration, key("Date", channel), e.dateText());
    ok = store.WriteString(keys::kCalibration, key("Level", channel), formatFixed(e.level, 2)) && ok;
    ok = store.WriteString(keys::kCalibration, key("Sensitivity", channel),
                           formatGeneral(e.sensitivity, kSensitivityDigits)) &&
         ok;
    ok = store.WriteString(keys::kCalibration, key("Drift", channel),
                           e.driftDb ? formatFixed(*e.driftDb, 2) : std::string()) &&
         ok;
    return ok;
}

StreamSensitivities LoadStreamSensitivities(const SettingsStore& store) {
    StreamSensitivities s{};
    for (int k = 0; k < 3; ++k) {
        double v = 0.0;
        if (readNumber(store, key("StreamSensitivity", k), v) && v > 0.0) s[static_cast<size_t>(k)] = v;
    }
    return s;
}

bool SaveStreamSensitivity(SettingsStore& store, int channel, double sensitivity) {
    return store.WriteString(keys::kCalibration, key("StreamSensitivity", channel),
                             formatGeneral(sensitivity, kSensitivityDigits));
}

void ApplyStreamSensitivities(SignalState& state, const StreamSensitivities& sensitivities) {
    if (state.presetActive) return;
    // A calibrated channel reads in pascals: the calibrator's level is a sound pressure level.
    for (size_t k = 0; k < 3; ++k) {
        if (!(sensitivities[k] > 0.0)) continue;
        SignalChannel& c = state.channels[k];
        c.sensitivity = sensitivities[k];
        c.units = "Pa";
        c.referenceValue = kReferenceSoundPressure;
        c.scaleOrigin = ScaleOrigin::Calibration;
        c.label = channelLabel(static_cast<int>(k), c);
    }
}

}  // namespace k470::app
