// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument family's device types: for each type code its result group, the dimensions of its
// stored record, the linear value of its 0 dB reference, its channels and its spectrum corrections. Code
// that needs a per-type fact asks here instead of listing type codes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace k470 {

using DeviceType = uint16_t;

// Codes 0..26 are defined; 27 and above show as "Unknown type".
constexpr int kDeviceTypeCount = 27;

enum class ResultGroup {
    None,           // no record layout
    Vibration,      // 1, 2, 4, 5, 9, 10, 20
    SoundLevel,     // 3, 8, 19, 21
    Infrasound,     // 6, 11
    Ultrasound,     // 7, 12
    FieldStrength,  // 22, 23
    LayoutOnly      // 24: dimensions known, results not decoded
};

struct RecordDimensions {
    ResultGroup group = ResultGroup::None;
    int channels = 0;       // c
    int bands = 0;          // b: octave bands, or plain bands of the field meters
    int weightedCount = 0;  // a: frequency-weighted levels
    int wordCount = 0;      // N: result words including the status trailer
    double referenceValue = 0.0;
    bool wholeBody = false;  // vibration types 1, 4, 9 use the whole-body band set

    // Words before the status trailer (the levels): N-10 for the Vibration group, N-4 otherwise.
    int levelWordCount() const { return group == ResultGroup::Vibration ? wordCount - 10 : wordCount - 4; }
    // Words of the status trailer: nine for Vibration (three channel slots), three otherwise.
    int trailerWordCount() const { return group == ResultGroup::Vibration ? 9 : 3; }
};

// Dimensions of a type, or nothing for a type without a record layout (including codes >= 27).
std::optional<RecordDimensions> lookupRecordDimensions(DeviceType type);

// Result group of a type (None for types without a layout).
ResultGroup resultGroup(DeviceType type);

// The linear value of 0 dB that the level views and the linear text form use for the type: the table's
// reference, and 2e-5 (Pa) for a type without a record layout.
double zeroDbReference(DeviceType type);

// The three-channel instruments (types 1, 2 and 20): three measuring channels, no measuring range, and a
// channel matrix that mixes the three inputs.
bool isThreeChannelType(DeviceType type);

// The sound-level types whose spectra offer the A, C and Z frequency-weighting corrections.
bool hasSpectrumCorrections(DeviceType type);

// The display name in the words of the active lexicon.
const std::string& deviceTypeName(DeviceType type);

}  // namespace k470
