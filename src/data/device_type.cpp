#include "data/device_type.h"

#include <array>

#include "base/lexicon.h"

namespace k470 {

namespace {

using G = ResultGroup;

// Rows of the device-type table, indexed by type code.
constexpr std::array<RecordDimensions, kDeviceTypeCount> kTable = {{
    {},                                               // 0 unknown
    {G::Vibration, 3, 8, 9, 1348, 1e-6, true},        // 1 three-channel whole-body vibration
    {G::Vibration, 3, 8, 2, 1348, 1e-6, false},       // 2 three-channel hand-arm vibration
    {G::SoundLevel, 1, 10, 3, 440, 2e-5, false},      // 3 sound level and spectrum
    {G::Vibration, 1, 8, 9, 1348, 1e-6, true},        // 4 whole-body vibration
    {G::Vibration, 1, 8, 2, 1348, 1e-6, false},       // 5 hand-arm vibration
    {G::Infrasound, 1, 8, 4, 256, 2e-5, false},       // 6 infrasound
    {G::Ultrasound, 1, 10, 1, 314, 2e-5, false},      // 7 ultrasound
    {G::SoundLevel, 1, 10, 3, 440, 2e-5, false},      // 8 sound level, second series
    {G::Vibration, 1, 8, 9, 1348, 1e-6, true},        // 9 whole-body vibration, second series
    {G::Vibration, 1, 8, 2, 1348, 1e-6, false},       // 10 hand-arm vibration, second series
    {G::Infrasound, 1, 8, 4, 256, 2e-5, false},       // 11 infrasound, second series
    {G::Ultrasound, 1, 10, 1, 314, 2e-5, false},      // 12 ultrasound, second series
    {},                                               // 13
    {},                                               // 14
    {},                                               // 15
    {},                                               // 16
    {},                                               // 17
    {},                                               // 18
    {G::SoundLevel, 1, 10, 3, 440, 2e-5, false},      // 19 compact noise meter
    {G::Vibration, 3, 8, 2, 1348, 1e-6, false},       // 20 compact vibration meter (hand-arm bands)
    {G::SoundLevel, 1, 10, 3, 440, 2e-5, false},      // 21 sound level meter with sensor input
    {G::FieldStrength, 1, 30, 1, 203, 0.1, false},    // 22 electric field
    {G::FieldStrength, 1, 30, 1, 203, 0.001, false},  // 23 magnetic field
    {G::LayoutOnly, 2, 10, 3, 804, 2e-5, false},      // 24 two-channel meter
    {},                                               // 25
    {},                                               // 26
}};

}  // namespace

std::optional<RecordDimensions> lookupRecordDimensions(DeviceType type) {
    if (type >= kDeviceTypeCount || kTable[type].group == G::None) return std::nullopt;
    return kTable[type];
}

ResultGroup resultGroup(DeviceType type) {
    return type < kDeviceTypeCount ? kTable[type].group : G::None;
}

const std::string& deviceTypeName(DeviceType type) {
    return lexicon().deviceTypeName(type);
}

}  // namespace k470
