// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/frame_settings.h"

#include <cmath>

#include "base/number_format.h"

namespace k470::app {

namespace {
const char* presetKey(bool replayMode) {
    return replayMode ? "ReplayProcName" : "ProcName";
}
const char* const kFilterKeys[3] = {"CustomFltN_0", "CustomFltN_1", "CustomFltN_2"};
}  // namespace

FrameSettings FrameSettings::Load(const SettingsStore& store, bool replayMode) {
    using namespace keys;
    FrameSettings s;
    s.linear = store.ReadInt(kMainWindow, "bLin", 0) != 0;
    s.window.left = store.ReadInt(kMainWindow, "Left", kDefaultWindowRect.left);
    s.window.top = store.ReadInt(kMainWindow, "Top", kDefaultWindowRect.top);
    s.window.right = store.ReadInt(kMainWindow, "Right", kDefaultWindowRect.right);
    s.window.bottom = store.ReadInt(kMainWindow, "Bottom", kDefaultWindowRect.bottom);
    s.cutOffIndex = store.ReadInt(kSignal, "CutOffI", 1);
    s.decimation = store.ReadInt(kSignal, "DecValue", 1);
    for (size_t i = 0; i < 3; ++i) s.customFilter[i] = store.ReadInt(kSignal, kFilterKeys[i], -1);
    s.presetActive = store.ReadInt(kSignal, "CustomK", 0) != 0;
    s.presetName = store.ReadString(kSignal, presetKey(replayMode), "");
    return s;
}

void FrameSettings::Save(SettingsStore& store, bool replayMode) const {
    using namespace keys;
    store.WriteInt(kMainWindow, "bLin", linear ? 1 : 0);
    store.WriteInt(kSignal, "CutOffI", cutOffIndex);
    store.WriteInt(kSignal, "DecValue", decimation);
    for (size_t i = 0; i < 3; ++i) store.WriteInt(kSignal, kFilterKeys[i], customFilter[i]);
    store.WriteInt(kMainWindow, "Left", window.left);
    store.WriteInt(kMainWindow, "Top", window.top);
    store.WriteInt(kMainWindow, "Right", window.right);
    store.WriteInt(kMainWindow, "Bottom", window.bottom);
    store.WriteInt(kSignal, "CustomK", presetActive ? 1 : 0);
    store.WriteString(kSignal, presetKey(replayMode), presetName);
}

TeleSettings TeleSettings::Load(const SettingsStore& store) {
    TeleSettings t;
    t.adapterKind = store.ReadInt(keys::kInit, keys::kAType, 0);
    t.adapterAddress = store.ReadString(keys::kInit, keys::kIp1, keys::kDefaultIp1);
    t.deviceAddress = store.ReadString(keys::kInit, keys::kIp2, keys::kDefaultIp2);
    return t;
}

void TeleSettings::Save(SettingsStore& store) const {
    store.WriteInt(keys::kInit, keys::kAType, adapterKind);
    store.WriteString(keys::kInit, keys::kIp1, adapterAddress);
    store.WriteString(keys::kInit, keys::kIp2, deviceAddress);
}

LevelAxisBounds LevelAxisBounds::Load(const SettingsStore& store) {
    LevelAxisBounds b;
    double v = 0;
    if (parseDouble(store.ReadString(keys::kMulti, "UpperBound", "150"), v) && std::isfinite(v)) b.upper = v;
    if (parseDouble(store.ReadString(keys::kMulti, "LowerBound", "0"), v) && std::isfinite(v)) b.lower = v;
    return b;
}

void LevelAxisBounds::Save(SettingsStore& store) const {
    store.WriteString(keys::kMulti, "UpperBound", formatGeneral(upper, 3));
    store.WriteString(keys::kMulti, "LowerBound", formatGeneral(lower, 3));
}

PercentileEntries PercentileEntries::Load(const SettingsStore& store) {
    PercentileEntries p;
    for (size_t i = 0; i < p.entries.size(); ++i)
        p.entries[i] = store.ReadString(keys::kHisto, "Pr" + std::to_string(i), "");
    return p;
}

void PercentileEntries::Save(SettingsStore& store) const {
    for (size_t i = 0; i < entries.size(); ++i)
        store.WriteString(keys::kHisto, "Pr" + std::to_string(i), entries[i]);
}

int LoadTablePos(const SettingsStore& store) {
    return store.ReadInt(keys::kCommon, keys::kTablePos, 0);
}

void SaveTablePos(SettingsStore& store, int index) {
    store.WriteInt(keys::kCommon, keys::kTablePos, index);
}

}  // namespace k470::app
