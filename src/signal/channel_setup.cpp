// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/channel_setup.h"

#include <cmath>
#include <optional>

#include "base/lexicon.h"
#include "base/number_format.h"
#include "base/text_encoding.h"
#include "data/reference_values.h"

namespace k470 {

namespace {

enum class Offset { Device, PerChannel, Channel1, Zero };
enum class Matrix { Identity, FirstOnly };
enum class Scale { Fixed, StepsOfRange, TableA, TableB };
enum class Factor { PerChannel, Channel1 };

// One row of the defaults by device type.
struct ChannelDefaults {
    const char* units;
    double referenceValue;
    double sensitivity;
    Offset offset;
    Matrix matrix;
    int highPassStep;
    Scale scale;
    double scaleValue;  // the fixed scale, or the base value at range 1 for StepsOfRange
    Factor factor;
};

// Sample scales by range index of the sound and field instruments (table A) and of the second-series
// vibration meters (table B), from the instruments' converter ranges.
constexpr double kTableA[4] = {0.003933994884910486, 0.0008556641221374045, 0.00020607438016528927,
                               0.00059605};
constexpr double kTableB[4] = {0.0019198602096854717, 0.0004190877367896311, 0.00010044310171198389,
                               0.00059605};

constexpr ChannelDefaults kThreeAxisVibration{
    "m/c^2", kReferenceAcceleration, 1.0,         Offset::PerChannel, Matrix::Identity,
    1,       Scale::Fixed,           0.000304465, Factor::PerChannel};
constexpr ChannelDefaults kSound{
    "Pa", kReferenceSoundPressure, 0.02,       Offset::Device,  Matrix::FirstOnly,
    1,    Scale::StepsOfRange,     0.00152635, Factor::Channel1};
constexpr ChannelDefaults kSoundSecondSeries{
    "Pa", kReferenceSoundPressure, 0.02, Offset::Device,  Matrix::FirstOnly,
    1,    Scale::TableA,           0.0,  Factor::Channel1};
constexpr ChannelDefaults kVibrationSecondSeries{
    "m/c^2", kReferenceAcceleration, 0.1, Offset::Channel1, Matrix::FirstOnly,
    1,       Scale::TableB,          0.0, Factor::Channel1};
constexpr ChannelDefaults kVoltageRanged{"mV", 0.001,         1.0, Offset::Device,  Matrix::FirstOnly,
                                         1,    Scale::TableA, 0.0, Factor::Channel1};
constexpr ChannelDefaults kThreeChannelVoltage{
    "mV", 0.001, 1.0, Offset::PerChannel, Matrix::Identity, 1, Scale::Fixed, 0.000304465, Factor::PerChannel};
constexpr ChannelDefaults kSoundSensorInput{
    "Pa",        kReferenceSoundPressure, 0.02, Offset::Device, Matrix::FirstOnly, 1, Scale::Fixed,
    0.000304465, Factor::Channel1};
// The raw-signal instrument's samples are converter counts until a preset or a calibration scales them.
constexpr ChannelDefaults kRawSignal{
    kRawSampleUnit, 1.0, 1.0, Offset::Zero, Matrix::Identity, 0, Scale::Fixed, 1.0, Factor::PerChannel};
constexpr ChannelDefaults kOtherType{
    "m/c^2", kReferenceAcceleration, 0.1,        Offset::Channel1, Matrix::FirstOnly,
    1,       Scale::StepsOfRange,    0.00077358, Factor::Channel1};

// The defaults of a type; none for the two-channel meter (type 24), which keeps what the previous
// instrument set.
std::optional<ChannelDefaults> defaultsFor(DeviceType type) {
    switch (type) {
        case 1:
        case 2:
            return kThreeAxisVibration;
        case 3:
        case 6:
        case 7:
            return kSound;
        case 8:
        case 11:
        case 12:
            return kSoundSecondSeries;
        case 9:
        case 10:
            return kVibrationSecondSeries;
        case 19:
        case 22:
        case 23:
            return kVoltageRanged;
        case 20:
            return kThreeChannelVoltage;
        case 21:
            return kSoundSensorInput;
        case 24:
            return std::nullopt;
        case 26:
            return kRawSignal;
        default:
            return kOtherType;
    }
}

void setSampleScale(SignalState& state, const ChannelDefaults& d, int range) {
    switch (d.scale) {
        case Scale::Fixed:
            state.sampleScale = d.scaleValue;
            break;
        case Scale::StepsOfRange:
            state.sampleScale = d.scaleValue * std::pow(10.0, -0.75 * (range - 1));
            break;
        case Scale::TableA:
            if (range >= 0 && range < 4) state.sampleScale = kTableA[range];
            break;
        case Scale::TableB:
            if (range >= 0 && range < 4) state.sampleScale = kTableB[range];
            break;
    }
}

bool updateLabels(SignalState& state) {
    bool changed = false;
    for (int k = 0; k < 3; ++k) {
        std::string label = channelLabel(k, state.channels[k]);
        if (label != state.channels[k].label) changed = true;
        state.channels[k].label = std::move(label);
    }
    return changed;
}

}  // namespace

double calibrationFactorOf(double offsetDb) {
    return std::pow(10.0, -0.05 * offsetDb);
}

bool channelEnabled(const SignalChannel& c) {
    return std::fabs(c.matrixRow[0]) + std::fabs(c.matrixRow[1]) + std::fabs(c.matrixRow[2]) != 0.0;
}

std::string channelLabel(int channel, const SignalChannel& q) {
    std::string s = lexicon().text(Word::Channel);
    s += ' ';
    appendInt(s, channel + 1);
    s += ", ref: ";
    appendGeneral(s, q.referenceValue, 6);
    s += " [";
    s += q.units;
    s += ']';
    return s;
}

bool physicalUnit(const std::string& units) {
    return units != kRawSampleUnit && units != kFullScaleUnit;
}

bool presetActsOn(const SdtHeader& header) {
    // A processed file names the preset it went through; a file in physical units (or full-scale units)
    // was scaled when it was made. Only the instrument's raw counts take the preset's gains.
    if (!header.processor.empty()) return false;
    for (int k = 0; k < 3; ++k)
        if ((header.channelMask & (1u << k)) && utf16ToUtf8(header.units[k]) != kRawSampleUnit) return false;
    return header.presentChannels() > 0;
}

namespace {

// The replayed file's channels as the file stores them: its units and references, no gain, no filter, no
// decimation.
void takeFileChannels(SignalState& state, const SdtHeader& header, double calibrationOffset) {
    for (int k = 0; k < 3; ++k) {
        SignalChannel& c = state.channels[k];
        c.sensitivity = 1.0;
        c.calibrationOffset = calibrationOffset;
        c.units = utf16ToUtf8(header.units[k]);
        c.referenceValue = header.referenceValue[k];
        c.matrixRow = {};
        c.matrixRow[k] = 1.0;
        c.filterIndex = -1;
    }
    state.highPassStep = 1;
}

void setOrigins(SignalState& state, ScaleOrigin physical) {
    for (SignalChannel& c : state.channels)
        c.scaleOrigin = physicalUnit(c.units) ? physical : ScaleOrigin::None;
}

}  // namespace

bool applyChannelSetup(SignalState& state, const ChannelSetupSource& source) {
    if (source.replayedFile != nullptr) {
        const SdtHeader& header = *source.replayedFile;
        if (header.sampleRate > 0.0 && std::isfinite(header.sampleRate)) state.sampleRate = header.sampleRate;
        // A recorded signal keeps its own units and references; an active preset acts only on raw counts.
        state.presetInEffect =
            state.presetActive && (source.presetScope == PresetScope::AnySignal || presetActsOn(header));
        if (!state.presetInEffect) {
            takeFileChannels(state, header, source.deviceCalibrationOffset);
            // A preset's decimation was meant for the instrument's rate, not for a file already made.
            if (state.presetActive) state.decimation = 1;
        }
        setOrigins(state, state.presetInEffect ? ScaleOrigin::Preset : ScaleOrigin::Source);
        return updateLabels(state);
    }
    state.presetInEffect = state.presetActive;
    const std::optional<ChannelDefaults> d = defaultsFor(source.deviceType);
    if (!d) return updateLabels(state);
    if (!state.presetActive) {
        for (int k = 0; k < 3; ++k) {
            SignalChannel& c = state.channels[k];
            c.sensitivity = d->sensitivity;
            switch (d->offset) {
                case Offset::Device:
                    c.calibrationOffset = source.deviceCalibrationOffset;
                    break;
                case Offset::PerChannel:
                    c.calibrationOffset = source.channelCalibrationOffsets[k];
                    break;
                case Offset::Channel1:
                    c.calibrationOffset = source.channelCalibrationOffsets[0];
                    break;
                case Offset::Zero:
                    c.calibrationOffset = 0.0;
                    break;
            }
            c.units = d->units;
            c.referenceValue = d->referenceValue;
            c.filterIndex = -1;
            c.matrixRow = {};
            if (d->matrix == Matrix::Identity || k == 0) c.matrixRow[k] = 1.0;
        }
        state.highPassStep = d->highPassStep;
    }
    setSampleScale(state, *d, source.rangeIndex);
    const int factors = d->factor == Factor::PerChannel ? 3 : 1;
    for (int k = 0; k < factors; ++k)
        state.channels[k].calibrationFactor = calibrationFactorOf(state.channels[k].calibrationOffset);
    setOrigins(state, state.presetActive ? ScaleOrigin::Preset : ScaleOrigin::Source);
    return updateLabels(state);
}

}  // namespace k470
