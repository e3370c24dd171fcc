// SPDX-License-Identifier: GPL-3.0-or-later
// The settings that the application frame reads when the main window starts and writes when it closes,
// with their sections, keys and defaults.
#pragma once

#include <array>
#include <string>

#include "base/settings_store.h"
#include "frame/window_placement.h"
#include "link/tele_link.h"

namespace k470::app {

// Keys read and written elsewhere, named here once.
namespace keys {
inline constexpr const char* kInit = "Init";
inline constexpr const char* kLanguage = "Language";
inline constexpr const char* kAType = "AType";
inline constexpr const char* kIp1 = "IP1";
inline constexpr const char* kIp2 = "IP2";
inline constexpr const char* kMainWindow = "K470Dlg";
inline constexpr const char* kSignal = "Signal";
inline constexpr const char* kCommon = "Common";
inline constexpr const char* kTablePos = "TablePos";
inline constexpr const char* kMulti = "Multi";
inline constexpr const char* kHisto = "Histo";
// Default addresses of the WiFi adapter and of the instrument behind it (the tele link's own defaults).
inline constexpr const char* kDefaultIp1 = kDefaultLocalAddress;
inline constexpr const char* kDefaultIp2 = kDefaultRemoteAddress;
}  // namespace keys

struct FrameSettings {
    bool linear = false;                             // "K470Dlg"/"bLin"
    WindowRect window = kDefaultWindowRect;          // "K470Dlg"/"Left".."Bottom"
    int cutOffIndex = 1;                             // "Signal"/"CutOffI"
    int decimation = 1;                              // "Signal"/"DecValue"
    std::array<int, 3> customFilter = {-1, -1, -1};  // "Signal"/"CustomFltN_0".."_2"
    bool presetActive = false;                       // "Signal"/"CustomK"
    std::string presetName;  // "Signal"/"ProcName", or "ReplayProcName" in replay mode

    // Reads every key; missing keys and values that are not numbers give the defaults.
    static FrameSettings Load(const SettingsStore& store, bool replayMode);
    // Writes every key, in the order of the shutdown.
    void Save(SettingsStore& store, bool replayMode) const;
};

// "Init"/"AType", "IP1", "IP2": the telemetry adapter kind and the addresses of the WiFi adapter and of
// the instrument.
struct TeleSettings {
    int adapterKind = 0;
    std::string adapterAddress = keys::kDefaultIp1;
    std::string deviceAddress = keys::kDefaultIp2;

    static TeleSettings Load(const SettingsStore& store);
    void Save(SettingsStore& store) const;
};

// "Multi"/"UpperBound", "LowerBound": the level axis of the level views in dB, stored as text written
// with "%.3lg"; a stored text that is not a number gives the default.
struct LevelAxisBounds {
    double upper = 150.0;
    double lower = 0.0;

    static LevelAxisBounds Load(const SettingsStore& store);
    void Save(SettingsStore& store) const;
};

// "Histo"/"Pr0".."Pr5": the six percentile entries of the histogram dialog, as typed.
struct PercentileEntries {
    std::array<std::string, 6> entries;

    static PercentileEntries Load(const SettingsStore& store);
    void Save(SettingsStore& store) const;
};

// "Common"/"TablePos": the tab that was selected when the last file's pages were closed.
int LoadTablePos(const SettingsStore& store);
void SaveTablePos(SettingsStore& store, int index);

}  // namespace k470::app
