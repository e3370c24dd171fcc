// SPDX-License-Identifier: GPL-3.0-or-later
// Live acquisition without widgets: the connect sequence for the USB and the TCP link, the 30 ms tick that
// takes the instrument's status messages into the current values, "Save as binary", autorecording with
// markers and the external trigger, and the instrument's "Reset" and "Start/stop". What a window shows
// goes through AcquisitionView; time comes from an injected clock and pause function, so tests can drive
// the ticks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/result.h"
#include "data/bin_file.h"
#include "link/instrument_protocol.h"
#include "link/tele_link.h"

namespace k470 {

class DeviceLink;
class NamedEvent;
class SerialPort;
class SettingsStore;
class TeleLink;

// The menu and tool bar commands whose state the acquisition decides.
struct AcquisitionCommands {
    bool reset = false;
    bool startStop = false;
    bool saveAsBinary = false;
    bool saveAsText = false;
    bool startRecording = false;
    bool stopRecording = false;
    bool setMarker = false;
    bool markerButtonVisible = false;
    bool startStopBoxVisible = false;
};

// What the acquisition shows. Every operation does nothing by default.
class AcquisitionView {
  public:
    virtual ~AcquisitionView() = default;
    virtual void ShowMessage(const std::string& /*text*/) {}
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& /*text*/) { return true; }
    virtual void ShowProgress(bool /*visible*/) {}
    virtual void SetProgress(int /*position 0..100*/) {}
    virtual void SetTitle(const std::string& /*title*/) {}
    virtual void SetCommands(const AcquisitionCommands& /*commands*/) {}
    virtual void SetStartStopChecked(bool /*checked*/) {}
    virtual void SetStatusText(const std::string& /*text*/) {}
    // Build the pages of the device type / close them.
    virtual void OpenPages(DeviceType /*type*/) {}
    virtual void AcquisitionEnded() {}
    // New values: the pages redraw.
    virtual void NewData() {}
    // The 30 ms timer that calls OnAcquisitionTimer.
    virtual void SetTimerRunning(bool /*running*/) {}
};

// Reads and processes the raw sample stream of the raw-signal instrument on the tick (stream mode).
class StreamHandler {
  public:
    virtual ~StreamHandler() = default;
    // Called when the connect sequence has found a stream; the device is open without worker threads.
    virtual bool StartStream(SerialPort& /*port*/) { return true; }
    // One acquisition tick; true when new samples came (the views redraw).
    virtual bool OnStreamTick(SerialPort& port) = 0;
    virtual void StopStream() {}
};

struct AcquisitionDeps {
    DeviceLink& usb;
    TeleLink& tele;
    const SettingsStore& settings;  // "Init": "AType", "IP1", "IP2"
    const Clock& clock;
    std::function<void(uint32_t ms)> sleep;
    NamedEvent* autoSaveEvent = nullptr;  // the external trigger; none: recordings cannot be armed
    std::function<CalendarTime()> now;    // the PC's date and time for the records (default: local time)
    uint16_t telePort = kTelePort;
};

// A measurement interval packed as hours << 16 | minutes << 8 | seconds; all ones while unknown.
constexpr uint32_t kIntervalUnset = 0xFFFFFFFF;

// The device type hint of the connect sequence for a raw sample stream.
constexpr DeviceType kStreamDeviceType = 26;

// Whether probed bytes are a raw sample stream: more than 700 consecutive 4-byte frames opened by 0xAA or
// 0xBB at the end of the scan.
bool looksLikeRawStream(std::span<const uint8_t> bytes);

class AcquisitionController {
  public:
    static constexpr uint32_t kMaxRecords = 300'000;
    // The saving period is kept in milliseconds in 32 bits: a longer period would wrap to a short one.
    static constexpr uint32_t kMaxPeriodSeconds = 0xFFFFFFFFu / 1000u;
    static constexpr int kMessagesPerTick = 20;
    static constexpr uint32_t kStreamProbeThreshold = 3000;
    static constexpr uint32_t kStreamProbeSize = 32768;

    struct RecordingParameters {
        int periodSeconds = 1;
        long long records = 1;
        bool externalTrigger = false;
    };
    enum class Recording { Off, Armed, Active };

    AcquisitionController(AcquisitionDeps deps, AcquisitionView& view);
    ~AcquisitionController();

    void SetStreamHandler(StreamHandler* handler) { streamHandler_ = handler; }

    // "Data": connects, identifies the instrument from its first message and starts the timer. False when
    // it did not come to that (the view has been told why).
    bool StartAcquisition();
    // The connect sequence; hint 26 for an instrument that sends a raw sample stream.
    bool ConnectInstrument(DeviceType& hint);
    void OnAcquisitionTimer();
    void StopAcquisition();

    // The current values as a one-record file.
    Status SaveAsBinary(const std::string& path);

    // "Error in parameters" for 0 or more than 300,000 records or a period below 1 s.
    static Status CheckRecordingParameters(const RecordingParameters& p);
    // "Start recording" (when off): the file is created at once; without the external trigger the
    // recording starts now, with it when the trigger event is set.
    Status StartRecording(const RecordingParameters& p, const std::string& path);
    // "Stop recording" (when active or armed): writes one last record when active.
    void StopRecording();
    void SetMarker();

    // "Reset" and "Start/stop" of the instrument.
    void Reset();
    void StartStop();
    void SelectRange(int range);
    void SetCalibrationOffset(int channel, double offsetDb);

    // Whether an instrument's values are being acquired and shown (from a successful connect until the stop).
    bool acquiring() const { return window_ == InstrumentWindow::Acquiring; }
    DeviceType deviceType() const { return deviceType_; }
    uint32_t vin() const { return vin_; }
    const std::string& baseTitle() const { return baseTitle_; }
    const AcquiredValues& values() const { return values_; }
    // The current values as the record that "Save as binary" would write: type, VIN, interval and the
    // autorecording's comment filled in.
    MeasurementRecord currentRecord() const;
    uint32_t measurementInterval() const { return interval_; }
    Recording recording() const { return recording_; }
    uint32_t recordsWritten() const { return recordsWritten_; }
    bool startStopChecked() const { return startStopChecked_; }
    InstrumentCommands& commands() { return commands_; }

  private:
    MessageLink* chosenLink();
    bool ConnectTele(DeviceType& hint);
    bool ConnectUsb(DeviceType& hint);
    bool ReopenFast();
    int CountMessages();
    void ApplyRunningTime(bool running);
    void BeginRecording();
    bool WriteRecordingRecord();
    void EndRecording();
    void PublishCommands();
    void Fail(const std::string& message, bool stop);

    AcquisitionDeps deps_;
    AcquisitionView& view_;
    InstrumentCommands commands_;
    StreamHandler* streamHandler_ = nullptr;
    bool streaming_ = false;

    enum class InstrumentWindow { Closed, Acquiring };
    InstrumentWindow window_ = InstrumentWindow::Closed;
    LinkKind linkKind_ = LinkKind::Usb;
    DeviceType deviceType_ = 0;
    uint32_t vin_ = 0;
    std::string baseTitle_;
    AcquiredValues values_;
    std::vector<uint8_t> messageBuffer_ = std::vector<uint8_t>(kMaxStatusMessage);
    bool startStopChecked_ = false;

    uint32_t interval_ = kIntervalUnset;
    bool runningMark_ = false;
    uint32_t runningStartTick_ = 0;
    uint32_t intervalAtStart_ = kIntervalUnset;

    Recording recording_ = Recording::Off;
    uint32_t savingPeriodMs_ = 0;
    uint32_t recordsWanted_ = 0;
    uint32_t recordsWritten_ = 0;
    uint32_t nextSaveTick_ = 0;
    std::optional<BinFileAppender> recordingFile_;
    int markerCount_ = 0;
    std::array<uint8_t, 10> comment_{};
};

}  // namespace k470
