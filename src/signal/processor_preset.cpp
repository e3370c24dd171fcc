// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/processor_preset.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"
#include "base/file.h"
#include "base/lexicon.h"
#include "base/safe_write.h"
#include "base/text_encoding.h"
#include "data/reference_values.h"
#include "signal/signal_synth.h"

namespace k470 {

namespace {

constexpr size_t kStringBytes = 256;

// Up to 128 units, without the need of a terminator.
std::u16string readString(const uint8_t* p) {
    std::u16string s;
    for (size_t i = 0; i < kStringBytes / 2; ++i) {
        const char16_t c = readU16(p + 2 * i);
        if (c == 0) break;
        s += c;
    }
    return s;
}

// At most 128 units into a zeroed field: a name of 128 units has no terminator.
void writeString(uint8_t* p, const std::u16string& s) {
    std::memset(p, 0, kStringBytes);
    for (size_t i = 0; i < std::min<size_t>(s.size(), kStringBytes / 2); ++i) writeU16(p + 2 * i, s[i]);
}

}  // namespace

ProcessorPreset ProcessorPreset::decode(const uint8_t* p) {
    ProcessorPreset r;
    std::memcpy(r.extra.data(), p, 8);
    r.cutOffIndex = readU32(p + 8);
    size_t at = 12;
    for (auto& s : r.filterNames) {
        s = readString(p + at);
        at += kStringBytes;
    }
    for (auto* values : {&r.referenceValue, &r.calibrationOffset, &r.sensitivity})
        for (double& v : *values) {
            v = readF64(p + at);
            at += 8;
        }
    for (auto& s : r.units) {
        s = readString(p + at);
        at += kStringBytes;
    }
    r.name = readString(p + at);
    at += kStringBytes;
    r.decimation = readU32(p + at);
    at += 4;
    for (auto& row : r.matrix)
        for (double& v : row) {
            v = readF64(p + at);
            at += 8;
        }
    return r;
}

void ProcessorPreset::encode(uint8_t* p) const {
    std::memcpy(p, extra.data(), 8);
    writeU32(p + 8, cutOffIndex);
    size_t at = 12;
    for (const auto& s : filterNames) {
        writeString(p + at, s);
        at += kStringBytes;
    }
    for (const auto* values : {&referenceValue, &calibrationOffset, &sensitivity})
        for (double v : *values) {
            writeF64(p + at, v);
            at += 8;
        }
    for (const auto& s : units) {
        writeString(p + at, s);
        at += kStringBytes;
    }
    writeString(p + at, name);
    at += kStringBytes;
    writeU32(p + at, decimation);
    at += 4;
    for (const auto& row : matrix)
        for (double v : row) {
            writeF64(p + at, v);
            at += 8;
        }
}

PresetLoad loadPresets(const std::string& path) {
    PresetLoad load;
    auto file = File::Open(path, File::Mode::Read);
    if (!file) return load;  // no presets saved yet
    const uint64_t size = file->size();
    uint8_t countBytes[4];
    if (size < 4 || !file->readAt(0, countBytes, 4)) {
        if (size != 0) load.problem = fail(Word::PresetFileCutShort, {path});
        return load;
    }
    const uint32_t count = readU32(countBytes);
    const uint64_t fit = (size - 4) / kPresetSize;
    const uint64_t n = std::min<uint64_t>(count, fit);
    load.presets.reserve(static_cast<size_t>(n));
    std::vector<uint8_t> bytes(kPresetSize);
    for (uint64_t i = 0; i < n; ++i) {
        if (!file->readAt(4 + i * kPresetSize, bytes.data(), bytes.size())) break;
        load.presets.push_back(ProcessorPreset::decode(bytes.data()));
    }
    if (load.presets.size() < count)
        load.problem = fail(Word::PresetFileHoldsSome,
                            {path, std::to_string(load.presets.size()), std::to_string(count)});
    return load;
}

Status savePresets(const std::string& path, const std::vector<ProcessorPreset>& presets) {
    std::vector<uint8_t> bytes(4 + kPresetSize * presets.size());
    writeU32(bytes.data(), static_cast<uint32_t>(presets.size()));
    for (size_t i = 0; i < presets.size(); ++i) presets[i].encode(&bytes[4 + i * kPresetSize]);
    return WriteFileSafely(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

namespace {

ProcessorPreset simulatorPreset() {
    ProcessorPreset p;
    p.name = kSimulatorPresetName;
    p.cutOffIndex = 0;
    p.decimation = 1;
    for (size_t k = 0; k < 3; ++k) {
        p.units[k] = u"Pa";
        p.referenceValue[k] = kReferenceSoundPressure;
        p.sensitivity[k] = 1.0;
    }
    p.sensitivity[0] = 1.0 / kSimulatorCountsPerPascal;
    p.matrix[0] = {1.0, 0.0, 0.0};
    return p;
}

std::vector<uint8_t> encoded(const ProcessorPreset& p) {
    std::vector<uint8_t> bytes(kPresetSize);
    p.encode(bytes.data());
    return bytes;
}

}  // namespace

void addBuiltinPresets(std::vector<ProcessorPreset>& presets) {
    if (findPreset(presets, kSimulatorPresetName) == nullptr) presets.push_back(simulatorPreset());
}

std::vector<ProcessorPreset> withoutBuiltinPresets(const std::vector<ProcessorPreset>& presets) {
    const std::vector<uint8_t> builtin = encoded(simulatorPreset());
    std::vector<ProcessorPreset> own;
    for (const ProcessorPreset& p : presets)
        if (encoded(p) != builtin) own.push_back(p);
    return own;
}

const ProcessorPreset* findPreset(const std::vector<ProcessorPreset>& presets, const std::u16string& name) {
    for (const ProcessorPreset& p : presets)
        if (p.name == name) return &p;
    return nullptr;
}

ProcessorPreset presetFromState(const SignalState& state, const FilterLibrary& library, std::u16string name) {
    ProcessorPreset p;
    p.cutOffIndex = static_cast<uint32_t>(std::max(0, state.highPassStep));
    p.decimation = static_cast<uint32_t>(std::max(1, state.decimation));
    p.name = std::move(name);
    for (size_t k = 0; k < 3; ++k) {
        const SignalChannel& c = state.channels[k];
        if (const FilterDefinition* f = library.at(c.filterIndex)) p.filterNames[k] = f->name;
        p.referenceValue[k] = c.referenceValue;
        p.calibrationOffset[k] = c.calibrationOffset;
        p.sensitivity[k] = c.sensitivity;
        p.units[k] = utf8ToUtf16(c.units);
        p.matrix[k] = c.matrixRow;
    }
    return p;
}

void applyActivePreset(SignalState& state, const std::vector<ProcessorPreset>& presets,
                       const FilterLibrary& library, ProcessingChain& chain) {
    if (state.presetActive) {
        const ProcessorPreset* p = findPreset(presets, utf8ToUtf16(state.presetName));
        if (p == nullptr) {
            state.presetActive = false;
            state.decimation = 1;
            for (SignalChannel& c : state.channels) c.filterIndex = -1;
        } else {
            for (size_t k = 0; k < 3; ++k) {
                SignalChannel& c = state.channels[k];
                c.sensitivity = p->sensitivity[k];
                c.calibrationOffset = p->calibrationOffset[k];
                c.referenceValue = p->referenceValue[k];
                c.units = utf16ToUtf8(p->units[k]);
                c.matrixRow = p->matrix[k];
                c.filterIndex = p->filterNames[k].empty() ? -1 : library.find(p->filterNames[k]);
            }
            state.highPassStep = static_cast<int>(std::min<uint32_t>(p->cutOffIndex, 1u << 30));
            state.decimation = static_cast<int>(std::clamp<uint32_t>(p->decimation, 1u, 1u << 30));
        }
    }
    chain.sizeRings({library.at(state.channels[0].filterIndex), library.at(state.channels[1].filterIndex),
                     library.at(state.channels[2].filterIndex)});
}

}  // namespace k470
