// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/signal_parameters.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <set>

#include "base/number_format.h"
#include "base/text_encoding.h"
#include "signal/decimation_filters.h"

namespace k470::app {

namespace {

// The longest name a preset keeps (its name field holds 128 UTF-16 units).
constexpr size_t kPresetNameUnits = 128;
// Decimations beyond this are not taken from item texts (the chain's counters are ints).
constexpr long long kMaxDecimation = 1 << 30;

std::string numberText(double v) {
    return formatGeneral(v, 6);
}

// The edit's number when it holds a finite one; otherwise the old value stays.
double readNumber(const std::string& text, double old) {
    double v = 0.0;
    return parseDouble(text, v) && std::isfinite(v) ? v : old;
}

}  // namespace

std::vector<std::string> CutOffItems(const SignalParametersWords& words) {
    static constexpr const char* kCorners[] = {"0.125 ", "0.25 ", "0.5 ", "1 ",   "2 ",   "4 ",  "8 ",
                                               "16 ",    "32 ",   "64 ",  "128 ", "256 ", "512 "};
    std::vector<std::string> items{words.none};
    for (const char* c : kCorners) items.push_back(c + words.hz);
    return items;
}

std::vector<int> BaseDecimations(const FilterLibrary& library) {
    std::set<long long> all{1, 2, 3, 4};
    for (const FilterDefinition& f : library.filters) all.insert(f.decimation);
    std::vector<int> out;
    for (long long d : all)
        if (d <= kMaxDecimation) out.push_back(static_cast<int>(d));
    return out;
}

int ParseDecimation(const std::string& text) {
    double v = 0.0;
    if (!parseDouble(text, v) || !std::isfinite(v) || v < 1.0) return 1;
    return static_cast<int>(std::min<double>(std::trunc(v), kMaxDecimation));
}

std::vector<FilterItem> FilterItems(const FilterLibrary& library, int decimation,
                                    const SignalParametersWords& words) {
    std::string first = words.decimation + ' ';
    appendInt(first, decimation);
    std::vector<FilterItem> items{{std::move(first), -1}};
    for (size_t i = 0; i < library.filters.size(); ++i) {
        const FilterDefinition& f = library.filters[i];
        if (decimation >= 1 && f.decimation == static_cast<uint32_t>(decimation))
            items.push_back({utf16ToUtf8(f.name), static_cast<int>(i)});
    }
    return items;
}

std::array<double, 3> NormalisedRow(const std::array<double, 3>& row) {
    const double length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
    if (!(length > 0.0) || !std::isfinite(length)) return row;
    return {row[0] / length, row[1] / length, row[2] / length};
}

ResponseCurve FilterResponseCurve(const FilterDefinition& filter, double sampleRate, int decimation) {
    const int r = std::max(decimation, 1);
    ResponseCurve curve;
    curve.decibels.resize(kResponsePoints);
    curve.frequencyStep = sampleRate / r / 2.0 / (kResponsePoints - 1);
    for (int i = 0; i < kResponsePoints; ++i) {
        // Point i lies at i/(n-1) of half the decimated rate: omega = pi * i / (n-1) / r at the input rate.
        const double omega = std::numbers::pi * i / (kResponsePoints - 1) / r;
        const double h = filterResponse(omega, filter.numerator, filter.denominator);
        // A zero of the response (or no number at all) is drawn at the floor, a pole at the ceiling.
        curve.decibels[static_cast<size_t>(i)] =
            h > 0.0 ? std::clamp(20.0 * std::log10(h), kResponseFloorDb, -kResponseFloorDb)
                    : kResponseFloorDb;
    }
    return curve;
}

std::string CalibrationFactorText(const std::string& offsetText) {
    double offset = 0.0;
    if (!parseDouble(offsetText, offset) || !std::isfinite(offset)) return {};
    return numberText(calibrationFactorOf(offset));
}

ChannelSetupSource ChannelSetupSourceOf(DeviceType type, const MeasurementRecord* record,
                                        const SdtContainer* replayed) {
    ChannelSetupSource source;
    source.deviceType = type;
    if (record) {
        source.rangeIndex = record->tail.rangeIndex;
        source.deviceCalibrationOffset = record->trailer.calibrationOffset[0];
        source.channelCalibrationOffsets = record->trailer.calibrationOffset;
    }
    if (replayed) source.replayedFile = &replayed->header();
    return source;
}

SignalParameters::SignalParameters(const SignalState& state, std::vector<ProcessorPreset> presets,
                                   const FilterLibrary& library, Setup setup, SignalParametersWords words)
    : library_(library),
      setup_(setup),
      words_(std::move(words)),
      state_(state),
      presets_(std::move(presets)),
      cutOffItems_(CutOffItems(words_)) {
    state_.decimation = std::max(state_.decimation, 1);
    setReplaySpeed(setup_.replaySpeed);
    processed_ = state.presetActive;
    for (size_t i = 0; i < presets_.size(); ++i)
        if (utf16ToUtf8(presets_[i].name) == state_.presetName) {
            presetSelection_ = static_cast<int>(i);
            break;
        }
    loadTexts(state_);
    refillFilters();
}

void SignalParameters::loadTexts(const SignalState& from) {
    for (size_t k = 0; k < 3; ++k) {
        const SignalChannel& c = from.channels[k];
        ChannelTexts& t = texts_[k];
        t.calibrationOffset = numberText(c.calibrationOffset);
        for (size_t j = 0; j < 3; ++j) t.matrix[j] = numberText(c.matrixRow[j]);
        t.sensitivity = numberText(1.0 / c.sensitivity);
        t.units = c.units;
        t.referenceValue = numberText(c.referenceValue);
    }
}

void SignalParameters::readTexts() {
    for (size_t k = 0; k < 3; ++k) {
        SignalChannel& c = state_.channels[k];
        const ChannelTexts& t = texts_[k];
        c.calibrationOffset = readNumber(t.calibrationOffset, c.calibrationOffset);
        for (size_t j = 0; j < 3; ++j) c.matrixRow[j] = readNumber(t.matrix[j], c.matrixRow[j]);
        // A sensitivity of 0 or below (or no number) leaves the stored one as it is.
        const double shown = readNumber(t.sensitivity, 0.0);
        if (shown > 0.0) c.sensitivity = 1.0 / shown;
        c.units = t.units;
        c.referenceValue = readNumber(t.referenceValue, c.referenceValue);
    }
}

void SignalParameters::refillFilters() {
    filterItems_ = FilterItems(library_, state_.decimation, words_);
    // A filter of another decimation is no longer offered: the channel falls back to the first item.
    for (int k = 0; k < 3; ++k)
        if (filterSelection(k) == 0) state_.channels[static_cast<size_t>(k)].filterIndex = -1;
}

int SignalParameters::cutOffSelection() const {
    if (setup_.replayMode) return -1;
    return state_.highPassStep >= 0 && state_.highPassStep < kCutOffItemCount ? state_.highPassStep : -1;
}

void SignalParameters::selectCutOff(int index) {
    if (index >= 0 && index < kCutOffItemCount) state_.highPassStep = index;
}

std::vector<std::string> SignalParameters::decimationItems() const {
    std::vector<std::string> items;
    for (int d : BaseDecimations(library_)) {
        std::string s;
        appendInt(s, d);
        items.push_back(std::move(s));
    }
    return items;
}

int SignalParameters::decimationSelection() const {
    const std::vector<int> all = BaseDecimations(library_);
    const auto it = std::find(all.begin(), all.end(), state_.decimation);
    return it == all.end() ? -1 : static_cast<int>(it - all.begin());
}

void SignalParameters::selectDecimation(const std::string& itemText) {
    state_.decimation = ParseDecimation(itemText);
    refillFilters();
}

int SignalParameters::filterSelection(int channel) const {
    const int index = state_.channels[static_cast<size_t>(channel)].filterIndex;
    for (size_t i = 1; i < filterItems_.size(); ++i)
        if (filterItems_[i].libraryIndex == index) return static_cast<int>(i);
    return 0;
}

void SignalParameters::selectFilter(int channel, int item) {
    if (item < 0 || item >= static_cast<int>(filterItems_.size())) return;
    state_.channels[static_cast<size_t>(channel)].filterIndex =
        filterItems_[static_cast<size_t>(item)].libraryIndex;
}

std::optional<ResponseCurve> SignalParameters::Response(int channel) const {
    const FilterDefinition* f = library_.at(state_.channels[static_cast<size_t>(channel)].filterIndex);
    if (f == nullptr) return std::nullopt;
    return FilterResponseCurve(*f, state_.sampleRate, state_.decimation);
}

void SignalParameters::NormaliseRow(int channel) {
    ChannelTexts& t = texts_[static_cast<size_t>(channel)];
    std::array<double, 3> row{};
    for (size_t j = 0; j < 3; ++j) row[j] = readNumber(t.matrix[j], 0.0);
    const std::array<double, 3> unit = NormalisedRow(row);
    if (unit == row) return;  // a zero row stays as the user typed it
    for (size_t j = 0; j < 3; ++j) t.matrix[j] = numberText(unit[j]);
}

void SignalParameters::setReplaySpeed(int factor) {
    replaySpeed_ = factor == 10 || factor == 100 ? factor : 1;
}

void SignalParameters::ChooseOriginal(const SignalState& windowNow) {
    processed_ = false;
    state_.decimation = 1;
    state_.highPassStep = 1;
    for (size_t k = 0; k < 3; ++k) state_.channels[k] = windowNow.channels[k];
    loadTexts(state_);
    refillFilters();
}

void SignalParameters::ChooseProcessed() {
    processed_ = true;
    if (presetSelection_ >= 0) loadPreset(presets_[static_cast<size_t>(presetSelection_)]);
}

bool SignalParameters::matrixEditable(int row, int column) const {
    (void)row;
    // A one-channel instrument feeds input 1 only: each output may take it, but not the other inputs.
    return processed_ && (setup_.threeChannelInput || column == 0);
}

std::vector<std::string> SignalParameters::presetNames() const {
    std::vector<std::string> names;
    for (const ProcessorPreset& p : presets_) names.push_back(utf16ToUtf8(p.name));
    return names;
}

void SignalParameters::selectPreset(int index) {
    if (index < 0 || index >= static_cast<int>(presets_.size())) {
        presetSelection_ = -1;
        return;
    }
    presetSelection_ = index;
    if (processed_) loadPreset(presets_[static_cast<size_t>(index)]);
}

void SignalParameters::loadPreset(const ProcessorPreset& p) {
    state_.decimation = static_cast<int>(std::clamp<uint32_t>(p.decimation, 1u, 1u << 30));
    state_.highPassStep = static_cast<int>(std::min<uint32_t>(p.cutOffIndex, 1u << 30));
    for (size_t k = 0; k < 3; ++k) {
        SignalChannel& c = state_.channels[k];
        c.units = utf16ToUtf8(p.units[k]);
        c.sensitivity = p.sensitivity[k];
        c.calibrationOffset = p.calibrationOffset[k];
        c.referenceValue = p.referenceValue[k];
        c.matrixRow = p.matrix[k];
        c.filterIndex = p.filterNames[k].empty() ? -1 : library_.find(p.filterNames[k]);
    }
    loadTexts(state_);
    refillFilters();
}

ProcessorPreset SignalParameters::currentAsPreset(std::u16string name) {
    readTexts();
    return presetFromState(state_, library_, std::move(name));
}

SignalParameters::AddResult SignalParameters::AddPreset(const std::string& name,
                                                        const std::function<bool()>& confirmOverwrite) {
    std::u16string key = utf8ToUtf16(name).substr(0, kPresetNameUnits);
    if (key.empty()) return AddResult::NoName;
    auto same = std::find_if(presets_.begin(), presets_.end(),
                             [&](const ProcessorPreset& p) { return p.name == key; });
    if (same != presets_.end() && !(confirmOverwrite && confirmOverwrite())) return AddResult::Declined;
    ProcessorPreset preset = currentAsPreset(key);
    if (same != presets_.end()) {
        preset.extra = same->extra;
        *same = std::move(preset);
        presetSelection_ = static_cast<int>(same - presets_.begin());
        return AddResult::Replaced;
    }
    presets_.push_back(std::move(preset));
    presetSelection_ = static_cast<int>(presets_.size()) - 1;
    return AddResult::Added;
}

void SignalParameters::DeletePreset() {
    if (presetSelection_ < 0 || presetSelection_ >= static_cast<int>(presets_.size())) return;
    presets_.erase(presets_.begin() + presetSelection_);
    presetSelection_ = -1;
}

std::optional<std::string> SignalParameters::Confirm() {
    readTexts();
    if (processed_) {
        if (presetSelection_ < 0 || presets_[static_cast<size_t>(presetSelection_)].name.empty())
            return words_.selectProcessorName;
        ProcessorPreset& chosen = presets_[static_cast<size_t>(presetSelection_)];
        ProcessorPreset current = presetFromState(state_, library_, chosen.name);
        current.extra = chosen.extra;
        chosen = std::move(current);
        state_.presetName = utf16ToUtf8(chosen.name);
    }
    state_.presetActive = processed_;
    return std::nullopt;
}

namespace {

void settle(SignalState& state, const std::vector<ProcessorPreset>& presets, const FilterLibrary& library,
            ProcessingChain& chain, const ChannelSetupSource& setup) {
    applyActivePreset(state, presets, library, chain);
    applyChannelSetup(state, setup);
    chain.setChannels(state, library);
}

}  // namespace

void ApplySignalParameters(const SignalParameters& dialog, SignalState& state,
                           std::vector<ProcessorPreset>& presets, int& replaySpeed,
                           const FilterLibrary& library, ProcessingChain& chain,
                           const ChannelSetupSource& setup) {
    const SignalState& chosen = dialog.state();
    for (size_t k = 0; k < 3; ++k) {
        SignalChannel& c = state.channels[k];
        const SignalChannel& d = chosen.channels[k];
        c.sensitivity = d.sensitivity;
        c.calibrationOffset = d.calibrationOffset;
        c.units = d.units;
        c.referenceValue = d.referenceValue;
        c.matrixRow = d.matrixRow;
        c.filterIndex = d.filterIndex;
    }
    state.highPassStep = chosen.highPassStep;
    state.decimation = chosen.decimation;
    state.presetName = chosen.presetName;
    state.presetActive = chosen.presetActive;
    replaySpeed = dialog.replaySpeed();
    presets = dialog.presets();
    settle(state, presets, library, chain, setup);
}

void RestoreSignalParameters(const SignalParameters& dialog, bool presetActiveBefore, SignalState& state,
                             std::vector<ProcessorPreset>& presets, const FilterLibrary& library,
                             ProcessingChain& chain, const ChannelSetupSource& setup) {
    state.presetActive = presetActiveBefore;
    presets = dialog.presets();
    settle(state, presets, library, chain, setup);
}

void ProcessedFileHolder::keep(ProcessedFile file) {
    reset();
    file_.emplace(std::move(file));
}

void ProcessedFileHolder::reset() {
    if (!file_) return;
    std::error_code ec;
    std::filesystem::remove(file_->path, ec);
    file_.reset();
}

}  // namespace k470::app
