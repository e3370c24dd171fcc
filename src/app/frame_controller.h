// What the main window does without any widget: it owns the current source (nothing, a device data file,
// a signal file or the instrument), opens files by their extension, keeps the window title, the command
// states and the recent-file list, and reads and writes the frame's settings. The window shows this state
// and forwards the user's commands here.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "app/command_state.h"
#include "app/frame_settings.h"
#include "app/recent_file_list.h"
#include "base/named_event.h"
#include "base/paths.h"
#include "base/result.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sdt_container.h"
#include "signal/filter_library.h"
#include "signal/processing_chain.h"
#include "signal/processor_preset.h"
#include "signal/signal_state.h"

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
    // Creates the event that starts an armed autorecording ("K470StartAutoSaveEvent"); presets and filter
    // libraries are read from dataDir.
    explicit FrameController(SettingsStore& store, std::string dataDir = dataDirectory());

    // The window's start: command states, settings, the processing presets and the filter library with the
    // active preset applied, and the recent-file list.
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
    // The window closes: settings, the processing presets, the current source, then the recent-file list.
    void Shutdown(WindowRect windowRect, int selectedTab);

    // The instrument answered "Data": it is the current source, shown under its title.
    void InstrumentOpened(DeviceType type, uint32_t vin, std::string title);
    // The title of the current source changed (an autorecording shows its progress in it).
    void SetTitle(std::string title) { title_ = std::move(title); }
    // Ends the acquisition when the instrument is closed as the current source (its timer stops, its links
    // close); set by the window that runs the acquisition.
    std::function<void()> closeInstrument;

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
    SignalState& signalState() { return signal_; }
    ProcessingChain& chain() { return chain_; }
    const FilterLibrary& filterLibrary() const { return library_; }
    // Taken by everything that touches the signal state and the processing chain while samples flow.
    std::mutex& signalLock() { return signalLock_; }
    std::vector<ProcessorPreset>& presets() { return presets_; }
    // Null when the system could not create the event (autorecording then cannot be triggered from outside).
    NamedEvent* autoSaveEvent() { return autoSaveEvent_ ? &*autoSaveEvent_ : nullptr; }
    const std::string& dataDir() const { return dataDir_; }
    bool replayMode() const { return mode_ == SourceMode::SignalFile; }
    // The replay speed factor of "Signal parameters": 1, 10 or 100 (anything else reads as 1).
    int replaySpeedFactor() const { return replaySpeed_; }
    void setReplaySpeedFactor(int factor) { replaySpeed_ = factor == 10 || factor == 100 ? factor : 1; }

    static std::string DefaultTitle() { return "470 Utility"; }

  private:
    Status openBin(const std::string& path);
    Status openSdt(const std::string& path);

    // The signal settings of the frame settings into the signal state, and back.
    void settingsToSignalState();
    void signalStateToSettings();

    SettingsStore& store_;
    std::string dataDir_;
    std::optional<NamedEvent> autoSaveEvent_;
    FrameSettings settings_;
    SignalState signal_;
    ProcessingChain chain_;
    std::mutex signalLock_;
    FilterLibrary library_;
    std::vector<ProcessorPreset> presets_;
    bool presetsFileSeen_ = false;
    CommandState commands_;
    RecentFileList recent_;
    SourceMode mode_ = SourceMode::None;
    std::optional<BinFile> bin_;
    std::optional<SdtContainer> sdt_;
    std::optional<MeasurementRecord> record_;
    int currentRecord_ = 0;
    DeviceType deviceType_ = 0;
    uint32_t vin_ = 0;
    int replaySpeed_ = 1;
    std::string title_ = DefaultTitle();
};

}  // namespace k470::app
