#include "app/frame_settings.h"

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

int LoadTablePos(const SettingsStore& store) {
    return store.ReadInt(keys::kCommon, keys::kTablePos, 0);
}

void SaveTablePos(SettingsStore& store, int index) {
    store.WriteInt(keys::kCommon, keys::kTablePos, index);
}

}  // namespace k470::app
