// What the main window does without any widget: it owns the current source (nothing, a device data file,
// a signal file or the instrument), opens files by their extension, keeps the window title, the command
// states and the recent-file list, and reads and writes the frame's settings. The window shows this state
// and forwards the user's commands here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/command_state.h"
#include "app/frame_settings.h"
#include "app/recent_file_list.h"
#include "base/result.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sdt_container.h"

namespace k470::app {

enum class SourceMode { None, DataFile, SignalFile, Instrument };
enum class FileKind { Bin, Sdt };

// A path whose last four characters, in lower case, are ".bin" is a record file; anything else is opened
// as a signal container.
FileKind KindOfPath(std::string_view path);
// "%s (%s, VIN: %08X)": path, device type name, serial number.
std::string DataFileTitle(std::string_view path, std::string_view typeName, uint32_t vin);

// "%d/%d": the current record and the count.
std::string PositionText(int current, int count);
// "%d:%02d:%02d" (hours, minutes, seconds) of a record's interval; empty when the interval is not known.
std::string IntervalText(const RecordTail& tail);

class FrameController {
  public:
    explicit FrameController(SettingsStore& store);

    // The window's start: command states, settings and the recent-file list.
    void Initialise();
    // Closes the current source and opens path; on success the file goes to the top of the recent list.
    // On failure the message is returned and no source is open.
    // selectedTab is the tab shown for the source being closed (-1 for none).
    Status Open(const std::string& path, int selectedTab = -1);
    // Opens the file of a recent-file item; nothing (and no error) for an item without a file.
    std::optional<Status> OpenRecent(int commandId, int selectedTab = -1);
    // Shows record k (1-based) of the open data file; "Error in parameters" (nothing changes) outside
    // 1..count, the read or decode error when the record cannot be shown.
    Status GoToRecord(int k);
    // Closes the current source; the selected tab is kept under "Common"/"TablePos" for a data file or
    // the instrument.
    void CloseSource(int selectedTab);
    // The tab to show first among the tabCount pages of a newly opened source: the one stored under
    // "Common"/"TablePos" when there is such a tab, else the first.
    int InitialTab(int tabCount) const;
    // The window closes: settings, the current source, then the recent-file list.
    void Shutdown(WindowRect windowRect, int selectedTab);

    SourceMode mode() const { return mode_; }
    const std::string& title() const { return title_; }
    const BinFile* binFile() const { return bin_ ? &*bin_ : nullptr; }
    const SdtContainer* signalFile() const { return sdt_ ? &*sdt_ : nullptr; }
    int currentRecord() const { return currentRecord_; }
    int recordCount() const { return bin_ ? bin_->recordCount() : 0; }
    DeviceType deviceType() const { return deviceType_; }
    // The record shown (decoded when the file was opened).
    const MeasurementRecord* record() const { return record_ ? &*record_ : nullptr; }
    uint32_t vin() const { return vin_; }

    CommandState& commands() { return commands_; }
    const CommandState& commands() const { return commands_; }
    const RecentFileList& recentFiles() const { return recent_; }
    FrameSettings& settings() { return settings_; }
    const SettingsStore& store() const { return store_; }
    SettingsStore& store() { return store_; }
    bool replayMode() const { return mode_ == SourceMode::SignalFile; }

    static std::string DefaultTitle() { return "470 Utility"; }

  private:
    Status openBin(const std::string& path);
    Status openSdt(const std::string& path);

    SettingsStore& store_;
    FrameSettings settings_;
    CommandState commands_;
    RecentFileList recent_;
    SourceMode mode_ = SourceMode::None;
    std::optional<BinFile> bin_;
    std::optional<SdtContainer> sdt_;
    std::optional<MeasurementRecord> record_;
    int currentRecord_ = 0;
    DeviceType deviceType_ = 0;
    uint32_t vin_ = 0;
    std::string title_ = DefaultTitle();
};

}  // namespace k470::app
