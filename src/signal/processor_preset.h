// SPDX-License-Identifier: GPL-3.0-or-later
// Named processing presets ("cust_proc.dat"): per channel the units, base level, calibration offset,
// sensitivity, matrix row and filter, and for all channels the high-pass step and the decimation. Applying
// the active preset also sizes the rings of the processing chain.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "signal/filter_library.h"
#include "signal/processing_chain.h"
#include "signal/signal_state.h"

namespace k470 {

constexpr size_t kPresetSize = 1952;  // bytes of one preset in the file
constexpr const char* kPresetFileName = "cust_proc.dat";

struct ProcessorPreset {
    std::array<uint8_t, 8> extra{};             // kept with the preset, written back unchanged
    uint32_t cutOffIndex = 1;                   // becomes "CutOffI"
    std::array<std::u16string, 3> filterNames;  // empty = no filter
    std::array<double, 3> referenceValue{};
    std::array<double, 3> calibrationOffset{};  // dB
    std::array<double, 3> sensitivity{};        // as stored: the reciprocal of the value entered
    std::array<std::u16string, 3> units;
    std::u16string name;                            // the key; at most 128 units
    uint32_t decimation = 1;                        // becomes "DecValue"
    std::array<std::array<double, 3>, 3> matrix{};  // matrixRow of channels 1..3

    static ProcessorPreset decode(const uint8_t* bytes);
    void encode(uint8_t* bytes) const;
};

struct PresetLoad {
    std::vector<ProcessorPreset> presets;
    std::optional<Error> problem;  // a file cut short: the presets before the cut are kept
};

// A missing file gives an empty list without a problem. The count is checked against the file size: a count
// beyond it loads the whole presets present and reports the rest as missing.
PresetLoad loadPresets(const std::string& path);
// Writes the file anew: the count, then every preset in list order.
Status savePresets(const std::string& path, const std::vector<ProcessorPreset>& presets);

// The presets that come with the program, added to the list when it holds none of their name: "simulator"
// takes channel 1 of k470-sim's raw-signal instrument in pascals (its fixed counts per pascal), without
// high-pass or decimation, the status channels off.
void addBuiltinPresets(std::vector<ProcessorPreset>& presets);
// The list without the built-in presets that are still as they came, for saving the user's own.
std::vector<ProcessorPreset> withoutBuiltinPresets(const std::vector<ProcessorPreset>& presets);
constexpr const char16_t* kSimulatorPresetName = u"simulator";

// The preset of that name (case-sensitive), or null.
const ProcessorPreset* findPreset(const std::vector<ProcessorPreset>& presets, const std::u16string& name);

// The current channel quantities as a preset of that name (the dialog's "Add").
ProcessorPreset presetFromState(const SignalState& state, const FilterLibrary& library, std::u16string name);

// Applies the active preset ("CustomK" and "ProcName" of the state) to the channel quantities, the filter
// selection, the high-pass step and the decimation; an active preset that does not exist is switched off
// (no preset, decimation 1, no filters). Then sizes the chain's rings from the filters selected.
void applyActivePreset(SignalState& state, const std::vector<ProcessorPreset>& presets,
                       const FilterLibrary& library, ProcessingChain& chain);

}  // namespace k470
