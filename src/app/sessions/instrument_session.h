// SPDX-License-Identifier: GPL-3.0-or-later
// A connected instrument as the window's source: the acquisition on its 30 ms timer over USB or the tele
// adapter, the pages of the instrument's device type (or the "Signal" page of the raw-signal
// instrument), "Start/stop", "Reset", "Save as binary", autorecording with markers, and the range and
// calibration controls of "Misc...". The session starts with "Data" and ends when the owner closes it or
// the instrument does not answer.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

#include "app/commands/stream_recording_commands.h"
#include "app/dialogs/recording_dialog.h"
#include "app/pages/signal/signal_analysis.h"
#include "app/pages/source_page.h"
#include "app/sessions/session.h"
#include "link/acquisition_controller.h"
#include "link/device_link.h"
#include "link/live_stream_handler.h"
#include "link/tele_link.h"
#include "signal/signal_recorder.h"
#include "views/signal_feed.h"
#include "views/signal_trace.h"

namespace k470::app {

// Where the instrument is looked for, and what lasts from one "Data" to the next: the serial devices, the
// tele adapter's port, the event that starts an armed recording, the reader of the raw sample stream and
// its processed samples.
class InstrumentLinks {
  public:
    explicit InstrumentLinks(ApplicationState& frame);

    // Other links for the next "Data": the devices a USB instrument may be found on and the tele adapter's
    // port.
    void UseLinks(std::unique_ptr<SerialPortProvider> provider, uint16_t telePort = kTelePort);
    // Another event to start an armed autorecording than the window's "K470StartAutoSaveEvent".
    void UseAutoSaveEvent(NamedEvent* event) { autoSaveEvent_ = event; }

    std::shared_ptr<SerialPortProvider> provider() const { return provider_; }
    uint16_t telePort() const { return telePort_; }
    NamedEvent* autoSaveEvent() const { return autoSaveEvent_; }
    StreamHandler& stream() { return *liveStream_; }
    // Another limit of the raw stream's backlog between two ticks (some 21 s of the stream unless set).
    void UseStreamBacklog(size_t bytes) { liveStream_->SetBacklogLimit(bytes); }
    // Frames of the raw sample stream lost on the PC's side since it started (the signal has gaps).
    uint64_t streamFramesLost() const { return liveStream_->framesLost(); }
    // The processed samples of the raw-signal instrument for the "Signal" page.
    views::SignalTrace& trace() { return trace_; }
    // The same samples, decimated, for the analysis pages.
    views::SignalFeed& feed() { return feed_; }
    // The last entries of the autorecording dialog.
    RecordingEntries& recordingEntries() { return lastEntries_; }
    // The tap of a recording of the stream behind the chain, or none; set with the signal lock held.
    void SetRecordingTap(RecordingTap* tap) { recordingTap_ = tap; }

  private:
    std::shared_ptr<SerialPortProvider> provider_;
    uint16_t telePort_ = kTelePort;
    NamedEvent* autoSaveEvent_ = nullptr;
    views::SignalTrace trace_;
    views::SignalFeed feed_;
    std::unique_ptr<LiveStreamHandler> liveStream_;
    RecordingTap* recordingTap_ = nullptr;
    RecordingEntries lastEntries_;
};

class InstrumentSession : public QObject, public Session, private AcquisitionView {
    Q_OBJECT
  public:
    // The acquisition's tick: the instrument sends a status message about every 30 ms, so each tick finds
    // about one (and takes up to kMessagesPerTick after a hold-up), and the pages follow its values as
    // they come. The raw stream's reader thread keeps up by itself; the tick only hands its samples on.
    static constexpr std::chrono::milliseconds kTickPeriod{30};

    InstrumentSession(const SessionEnv& env, InstrumentLinks& links);
    ~InstrumentSession() override;

    // "Data": the connect sequence; the instrument's pages come when it answers, and the session ends when
    // it does not.
    void Start();

    std::vector<Page> pages() const override;
    int initialTab() const override;
    views::ControlRow controlRow() const override;
    bool allowed(Command command) const override;
    std::string title() const override;
    QString status() const override;
    bool run(Command command) override;
    void selectChannel(int index) override;
    bool close(int shownTab) override;
    bool ended() const override { return ended_; }
    DeviceType deviceType() const override { return controller_->deviceType(); }
    const MeasurementRecord* shownRecord() const override { return liveRecord_ ? &*liveRecord_ : nullptr; }

    // Runs one acquisition tick now (the timer calls it; tests may too).
    void Tick();
    AcquisitionController& controller() { return *controller_; }
    const QTimer& timer() const { return timer_; }
    const views::SignalTrace& trace() const { return links_.trace(); }
    // The window's recording of the raw-signal instrument's stream.
    const StreamRecording& streamRecording() const { return streamRecording_.state(); }

  private:
    // AcquisitionView
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void ShowProgress(bool visible) override;
    void SetProgress(int position) override;
    void SetTitle(const std::string& title) override;
    void SetCommands(const AcquisitionCommands& commands) override;
    void SetStartStopChecked(bool checked) override;
    void SetStatusText(const std::string& text) override;
    void OpenPages(DeviceType type) override;
    void AcquisitionEnded() override;
    void NewData() override;
    void SetTimerRunning(bool running) override;

    void takeLiveRecord();
    void destroyPages();
    void onStartStop();
    void onSaveAsBinary();
    void onRecording();
    void onMisc();
    // "Enter calibration offset" for channel 0..2.
    void onCalibrationOffset(int channel);
    void changed(SessionObserver::Change change) { env_.observer.SessionChanged(change); }
    // The instrument sends its raw signal (the raw-signal instrument) instead of status messages: the
    // session then offers the signal chain, its presets and recording of the stream.
    bool streams() const { return controller_->deviceType() == kStreamDeviceType; }
    // The raw-signal instrument's stream runs: the window records it itself.
    bool streaming() const;

    SessionEnv env_;
    InstrumentLinks& links_;
    std::shared_ptr<SerialPortProvider> provider_;
    DeviceLink usb_;
    TeleLink tele_;
    QTimer timer_;
    bool timerWanted_ = false;
    PageContext context_;
    std::vector<SourcePage*> pages_;               // owned; hosted by the window's tabs
    std::unique_ptr<SignalAnalyses> analyses_;     // the raw-signal instrument's analysis pages
    std::optional<MeasurementRecord> liveRecord_;  // the instrument's current values as a record
    AcquisitionCommands reported_;
    bool answered_ = false;
    bool ended_ = false;
    std::string title_;
    std::string status_;
    uint64_t framesLostShown_ = 0;  // the stream's lost frames when the status last changed
    int progress_ = 0;
    StreamRecordingCommands streamRecording_;
    // Made last and gone first: it tells the instrument to stop while everything it reports to still exists.
    std::unique_ptr<AcquisitionController> controller_;
};

}  // namespace k470::app
