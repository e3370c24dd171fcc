#include "app/frame_controller.h"

#include <sys/stat.h>

#include "app/command_ids.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "base/path_util.h"
#include "data/device_type.h"

namespace k470::app {

FileKind KindOfPath(std::string_view path) {
    const std::string lower = lowerCasePath(path);
    return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".bin") == 0 ? FileKind::Bin
                                                                                : FileKind::Sdt;
}

std::string DataFileTitle(std::string_view path, std::string_view typeName, uint32_t vin) {
    std::string s(path);
    s += " (";
    s += typeName;
    s += ", VIN: ";
    appendHex8(s, vin);
    s += ')';
    return s;
}

std::string PositionText(int current, int count) {
    std::string s;
    appendInt(s, current);
    s += '/';
    appendInt(s, count);
    return s;
}

std::string IntervalText(const RecordTail& tail) {
    if (!tail.intervalKnown()) return {};
    std::string s;
    appendInt(s, tail.intervalHours);
    s += ':';
    appendInt(s, tail.intervalMinutes, 2);
    s += ':';
    appendInt(s, tail.intervalSeconds, 2);
    return s;
}

FrameController::FrameController(SettingsStore& store, std::string dataDir)
    : store_(store), dataDir_(std::move(dataDir)) {
    if (auto event = NamedEvent::Open(kAutoSaveEventName)) autoSaveEvent_.emplace(std::move(*event));
}

void FrameController::settingsToSignalState() {
    signal_.highPassStep = settings_.cutOffIndex;
    signal_.decimation = settings_.decimation;
    for (size_t k = 0; k < 3; ++k) signal_.channels[k].filterIndex = settings_.customFilter[k];
    signal_.presetActive = settings_.presetActive;
    signal_.presetName = settings_.presetName;
}

void FrameController::signalStateToSettings() {
    settings_.cutOffIndex = signal_.highPassStep;
    settings_.decimation = signal_.decimation;
    for (size_t k = 0; k < 3; ++k) settings_.customFilter[k] = signal_.channels[k].filterIndex;
    settings_.presetActive = signal_.presetActive;
    settings_.presetName = signal_.presetName;
}

void FrameController::Initialise() {
    commands_.Initialise();
    settings_ = FrameSettings::Load(store_, false);
    settingsToSignalState();
    // Damaged preset or library files give what could be read; the rest is left out without a message, as
    // for missing files.
    const std::string presetPath = dataDir_ + "/" + kPresetFileName;
    struct stat st {};
    presetsFileSeen_ = ::stat(presetPath.c_str(), &st) == 0;
    presets_ = loadPresets(presetPath).presets;
    addBuiltinPresets(presets_);
    library_ = loadFilterLibrary(dataDir_).library;
    applyActivePreset(signal_, presets_, library_, chain_);
    signalStateToSettings();
    recent_.Load(store_);
}

Status FrameController::Open(const std::string& path, int selectedTab) {
    CloseSource(selectedTab);
    Status s = KindOfPath(path) == FileKind::Bin ? openBin(path) : openSdt(path);
    if (s) recent_.Add(path);
    return s;
}

Status FrameController::openBin(const std::string& path) {
    auto file = BinFile::Open(path);
    if (!file) return file.error();
    // A file shorter than one record holds nothing to show.
    if (file->recordCount() < 1) return fail(lexicon().text(Word::UnknownFileFormat));
    auto header = file->ReadHeader(1);
    if (!header) return header.error();
    title_ = DataFileTitle(path, lexicon().deviceTypeName(header->deviceType), header->vin);
    // The record must decode for its type (the title already names the file, type and serial number).
    auto record = file->ReadRecord(1);
    if (!record) return record.error();
    deviceType_ = header->deviceType;
    vin_ = header->vin;
    bin_.emplace(std::move(*file));
    record_.emplace(std::move(*record));
    currentRecord_ = 1;
    mode_ = SourceMode::DataFile;
    commands_.DataFileOpened();
    return {};
}

Status FrameController::openSdt(const std::string& path) {
    auto file = SdtContainer::Open(path);
    if (!file) return file.error();
    sdt_.emplace(std::move(*file));
    mode_ = SourceMode::SignalFile;
    title_ = path;
    return {};
}

Status FrameController::GoToRecord(int k) {
    if (!bin_ || k < 1 || k > bin_->recordCount()) return fail(lexicon().text(Word::ErrorInParameters));
    auto record = bin_->ReadRecord(k);
    if (!record) return record.error();
    record_.emplace(std::move(*record));
    currentRecord_ = k;
    return {};
}

std::optional<Status> FrameController::OpenRecent(int commandId, int selectedTab) {
    const auto path = recent_.FileForCommand(commandId);
    if (!path) return std::nullopt;
    return Open(*path, selectedTab);
}

void FrameController::CloseSource(int selectedTab) {
    const SourceMode closing = mode_;
    mode_ = SourceMode::None;
    if (closing == SourceMode::Instrument && closeInstrument) closeInstrument();
    if ((closing == SourceMode::DataFile || closing == SourceMode::Instrument) && selectedTab >= 0)
        SaveTablePos(store_, selectedTab);
    bin_.reset();
    sdt_.reset();
    record_.reset();
    mode_ = SourceMode::None;
    currentRecord_ = 0;
    deviceType_ = 0;
    vin_ = 0;
    title_ = DefaultTitle();
    commands_.SourceClosed();
}

void FrameController::InstrumentOpened(DeviceType type, uint32_t vin, std::string title) {
    mode_ = SourceMode::Instrument;
    deviceType_ = type;
    vin_ = vin;
    title_ = std::move(title);
    commands_.InstrumentConnected();
}

int FrameController::InitialTab(int tabCount) const {
    const int stored = LoadTablePos(store_);
    return stored >= 0 && stored < tabCount ? stored : 0;
}

void FrameController::Shutdown(WindowRect windowRect, int selectedTab) {
    settings_.window = windowRect;
    signalStateToSettings();
    settings_.Save(store_, replayMode());
    // The presets are written anew; a file that cannot be written does not keep the window from closing.
    // Without presets and without an earlier file nothing is created.
    // The built-in presets are offered again at the next start and are not saved unless changed.
    const std::vector<ProcessorPreset> own = withoutBuiltinPresets(presets_);
    if (!own.empty() || presetsFileSeen_) {
        ::mkdir(dataDir_.c_str(), 0700);
        (void)savePresets(dataDir_ + "/" + kPresetFileName, own);
    }
    CloseSource(selectedTab);
    recent_.Save(store_);
}

}  // namespace k470::app
