// The live acquisition in the main window: runs the AcquisitionController with the program's USB and TCP
// links, its 30 ms timer, the progress bar, the status field, the "Start/stop" button, message boxes and
// the dialogs of "Save as binary", "Start recording" and "Tele parameters". The instrument becomes the
// window's current source when it has answered; the level pages attach to openPages, closePages and
// newData.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/recording_dialog.h"
#include "base/clock.h"
#include "link/acquisition_controller.h"
#include "link/device_link.h"
#include "link/live_stream_handler.h"
#include "link/tele_link.h"
#include "views/signal_trace.h"

namespace k470::app {

class MainDialog;
class TeleParametersDialog;

class AcquisitionWindow : public QObject, public AcquisitionView {
    Q_OBJECT
  public:
    static constexpr int kTimerPeriodMs = 30;

    // The links reach the FTDI bridges of the system and the tele adapter on port 10001.
    explicit AcquisitionWindow(MainDialog& window);
    ~AcquisitionWindow() override;

    // Other links: the devices a USB instrument may be found on and the tele adapter's port. Ends a running
    // acquisition first.
    void UseLinks(std::unique_ptr<SerialPortProvider> provider, uint16_t telePort = kTelePort);

    // Another event to start an armed autorecording than the window's "K470StartAutoSaveEvent".
    void UseAutoSaveEvent(NamedEvent* event);
    // The reader of the raw-signal instrument's sample stream; kept when the links change. By default the
    // window's own reader, which feeds the processing chain and the trace.
    void SetStreamHandler(StreamHandler* handler);
    // The processed samples of the raw-signal instrument for the "Signal" page.
    views::SignalTrace& trace() { return trace_; }

    // "Data", "Reset", "Start/stop", "Save as binary", "Start recording", "Stop recording", "Set marker"
    // and "Tele parameters".
    void Command(int id);
    // Whether the window may close now: while an autorecording is active the user is asked first.
    bool MayClose();

    // The acquisition itself: its values for the pages, its range and calibration commands.
    AcquisitionController& controller() { return *controller_; }
    const QTimer& timer() const { return timer_; }

    // The user's side of the dialogs, replaceable so that the acquisition can be driven without a person.
    // An empty path cancels.
    std::function<QString(const QString& caption, const QString& filter)> askSavePath;
    std::function<bool(RecordingDialog&)> runRecordingDialog;
    std::function<bool(TeleParametersDialog&)> runTeleDialog;

  signals:
    // The instrument answered: build the pages of its device type.
    void openPages(quint16 deviceType);
    // The current source goes: remove its pages.
    void closePages();
    // New values from the instrument: the pages redraw.
    void newData();
    // Title, commands or the kind of source changed: the window shows them again.
    void stateChanged();

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
    void ClosePages() override;
    void NewData() override;
    void SetTimerRunning(bool running) override;

    void makeController();
    void onTick();
    void onData();
    void onSaveAsBinary();
    void onRecording();
    void onStartStop();
    int currentTab() const;

    MainDialog& window_;
    QTimer timer_;
    bool inTick_ = false;
    bool closingSource_ = false;  // the acquisition itself ends the instrument as the window's source
    bool quiet_ = false;          // the controller is being replaced: its last reports change nothing
    RecordingEntries lastEntries_;

    std::unique_ptr<SerialPortProvider> provider_;
    std::unique_ptr<DeviceLink> usb_;
    TeleLink tele_;
    SteadyClock clock_;
    uint16_t telePort_ = kTelePort;
    StreamHandler* streamHandler_ = nullptr;
    views::SignalTrace trace_;
    std::unique_ptr<LiveStreamHandler> liveStream_;
    NamedEvent* autoSaveEvent_ = nullptr;
    std::unique_ptr<AcquisitionController> controller_;
};

}  // namespace k470::app
