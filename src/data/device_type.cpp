// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/device_type.h"

#include <array>

#include "base/lexicon.h"
#include "data/reference_values.h"

namespace k470 {

namespace {

using G = ResultGroup;

// One row per type code: the stored record's dimensions (group None: no record layout) and whether the
// spectra of the type offer the A, C and Z frequency-weighting corrections.
struct DeviceTypeRow {
    RecordDimensions dimensions;
    bool spectrumCorrections = false;
};

constexpr RecordDimensions kNoLayout{G::None, 0, 0, 0, 0, kReferenceSoundPressure, false};

// Rows of the device-type table, indexed by type code. Three channels (c = 3) mark the three-channel
// instruments 1, 2 and 20.
constexpr std::array<DeviceTypeRow, kDeviceTypeCount> kTable = {{
    {kNoLayout, false},  // 0 unknown
    {{G::Vibration, 3, 8, 9, 1348, kReferenceAcceleration, true},
     false},  // 1 three-channel whole-body vibration
    {{G::Vibration, 3, 8, 2, 1348, kReferenceAcceleration, false},
     false},  // 2 three-channel hand-arm vibration
    {{G::SoundLevel, 1, 10, 3, 440, kReferenceSoundPressure, false}, true},   // 3 sound level and spectrum
    {{G::Vibration, 1, 8, 9, 1348, kReferenceAcceleration, true}, false},     // 4 whole-body vibration
    {{G::Vibration, 1, 8, 2, 1348, kReferenceAcceleration, false}, false},    // 5 hand-arm vibration
    {{G::Infrasound, 1, 8, 4, 256, kReferenceSoundPressure, false}, false},   // 6 infrasound
    {{G::Ultrasound, 1, 10, 1, 314, kReferenceSoundPressure, false}, false},  // 7 ultrasound
    {{G::SoundLevel, 1, 10, 3, 440, kReferenceSoundPressure, false}, true},   // 8 sound level, second series
    {{G::Vibration, 1, 8, 9, 1348, kReferenceAcceleration, true},
     false},  // 9 whole-body vibration, second series
    {{G::Vibration, 1, 8, 2, 1348, kReferenceAcceleration, false},
     false},  // 10 hand-arm vibration, second series
    {{G::Infrasound, 1, 8, 4, 256, kReferenceSoundPressure, false}, false},   // 11 infrasound, second series
    {{G::Ultrasound, 1, 10, 1, 314, kReferenceSoundPressure, false}, false},  // 12 ultrasound, second series
    {kNoLayout, true},                                                        // 13 sound level, third series
    {kNoLayout, false},                                                       // 14
    {kNoLayout, false},                                                       // 15
    {kNoLayout, false},                                                       // 16
    {kNoLayout, false},                                                       // 17
    {kNoLayout, false},                                                       // 18
    {{G::SoundLevel, 1, 10, 3, 440, kReferenceSoundPressure, false}, true},   // 19 compact noise meter
    {{G::Vibration, 3, 8, 2, 1348, kReferenceAcceleration, false},
     false},  // 20 compact vibration meter (hand-arm)
    {{G::SoundLevel, 1, 10, 3, 440, kReferenceSoundPressure, false},
     true},  // 21 sound level meter, sensor input
    {{G::FieldStrength, 1, 30, 1, 203, kReferenceElectricField, false}, false},  // 22 electric field
    {{G::FieldStrength, 1, 30, 1, 203, kReferenceMagneticField, false}, false},  // 23 magnetic field
    {{G::LayoutOnly, 2, 10, 3, 804, kReferenceSoundPressure, false}, true},      // 24 two-channel meter
    {kNoLayout, false},                                                          // 25
    {kNoLayout, false},                                                          // 26
}};

const DeviceTypeRow* rowOf(DeviceType type) {
    return type < kDeviceTypeCount ? &kTable[type] : nullptr;
}

}  // namespace

std::optional<RecordDimensions> lookupRecordDimensions(DeviceType type) {
    const DeviceTypeRow* row = rowOf(type);
    if (!row || row->dimensions.group == G::None) return std::nullopt;
    return row->dimensions;
}

ResultGroup resultGroup(DeviceType type) {
    const DeviceTypeRow* row = rowOf(type);
    return row ? row->dimensions.group : G::None;
}

double zeroDbReference(DeviceType type) {
    const DeviceTypeRow* row = rowOf(type);
    return row ? row->dimensions.referenceValue : kReferenceSoundPressure;
}

bool isThreeChannelType(DeviceType type) {
    const DeviceTypeRow* row = rowOf(type);
    return row && row->dimensions.channels == 3;
}

bool hasSpectrumCorrections(DeviceType type) {
    const DeviceTypeRow* row = rowOf(type);
    return row && row->spectrumCorrections;
}

const std::string& deviceTypeName(DeviceType type) {
    return lexicon().deviceTypeName(type);
}

}  // namespace k470
