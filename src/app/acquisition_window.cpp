#include "app/acquisition_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <chrono>
#include <thread>

#include "app/command_ids.h"
#include "app/instrument_source.h"
#include "app/main_dialog.h"
#include "app/tele_parameters_dialog.h"
#include "base/lexicon.h"

namespace k470::app {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

const QString kCaption = QStringLiteral("K470");

}  // namespace

AcquisitionWindow::AcquisitionWindow(MainDialog& window)
    : window_(window),
      provider_(std::make_unique<FtdiTtyProvider>()),
      autoSaveEvent_(window.frame().autoSaveEvent()) {
    timer_.setInterval(kTimerPeriodMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { onTick(); });
    askSavePath = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getSaveFileName(&window_, caption, QDir::currentPath(), filter);
    };
    runRecordingDialog = [](RecordingDialog& d) { return d.exec() == QDialog::Accepted; };
    runTeleDialog = [](TeleParametersDialog& d) { return d.exec() == QDialog::Accepted; };
    makeController();
    FrameController& frame = window_.frame();
    liveStream_ = std::make_unique<LiveStreamHandler>(LiveStreamDeps{
        frame.signalState(), frame.chain(), frame.filterLibrary(), frame.signalLock(), nullptr});
    liveStream_->stream().setSampleObserver(
        [this](const ProcessingChain& chain) { trace_.AppendNewest(chain); });
    SetStreamHandler(liveStream_.get());
    window_.frame().closeInstrument = [this] {
        if (controller_ && !closingSource_) controller_->StopAcquisition();
    };
}

AcquisitionWindow::~AcquisitionWindow() {
    FrameController& frame = window_.frame();
    frame.closeInstrument = nullptr;
    quiet_ = true;
    timer_.stop();
    controller_.reset();  // the instrument is told to stop and the links close
    if (frame.mode() == SourceMode::Instrument) frame.CloseSource(-1);
}

void AcquisitionWindow::makeController() {
    quiet_ = true;
    controller_.reset();  // it holds the links it was made with
    quiet_ = false;
    usb_ = std::make_unique<DeviceLink>(*provider_);
    AcquisitionDeps deps{*usb_,
                         tele_,
                         window_.frame().store(),
                         clock_,
                         [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
                         autoSaveEvent_,
                         nullptr,
                         telePort_};
    controller_ = std::make_unique<AcquisitionController>(std::move(deps), *this);
    controller_->SetStreamHandler(streamHandler_);
}

void AcquisitionWindow::UseAutoSaveEvent(NamedEvent* event) {
    if (window_.frame().mode() == SourceMode::Instrument) window_.frame().CloseSource(currentTab());
    autoSaveEvent_ = event;
    makeController();
    emit stateChanged();
}

void AcquisitionWindow::SetStreamHandler(StreamHandler* handler) {
    streamHandler_ = handler;
    controller_->SetStreamHandler(handler);
}

void AcquisitionWindow::UseLinks(std::unique_ptr<SerialPortProvider> provider, uint16_t telePort) {
    if (window_.frame().mode() == SourceMode::Instrument) window_.frame().CloseSource(currentTab());
    quiet_ = true;
    controller_.reset();
    usb_.reset();  // before the provider it was made with
    quiet_ = false;
    provider_ = std::move(provider);
    telePort_ = telePort;
    makeController();
    emit stateChanged();
}

int AcquisitionWindow::currentTab() const {
    return window_.tabs()->count() > 0 ? window_.tabs()->currentIndex() : -1;
}

void AcquisitionWindow::Command(int id) {
    switch (id) {
        case CmdData:
            onData();
            break;
        case CmdReset:
            controller_->Reset();
            break;
        case CmdStartStop:
            onStartStop();
            break;
        case CmdSaveAsBinary:
            onSaveAsBinary();
            break;
        case CmdStartRecording:
        case CmdStopRecording:
            onRecording();
            break;
        case CmdSetMarker:
            controller_->SetMarker();
            break;
        case CmdTeleParameters:
            TeleParametersDialog::Edit(window_.frame().store(), &window_, runTeleDialog, window_.showError);
            break;
        default:
            break;
    }
}

bool AcquisitionWindow::MayClose() {
    if (controller_->recording() != AcquisitionController::Recording::Active) return true;
    return window_.askYesNo(kCaption, qs(lexicon().text(Word::StopAutorecording)));
}

void AcquisitionWindow::onTick() {
    // A message box shown during a tick runs the event loop, and with it this timer: a tick never
    // starts inside another.
    if (inTick_) return;
    inTick_ = true;
    controller_->OnAcquisitionTimer();
    inTick_ = false;
}

void AcquisitionWindow::onData() {
    if (controller_->recording() == AcquisitionController::Recording::Active &&
        !window_.askYesNo(kCaption, qs(lexicon().text(Word::StopAutorecording))))
        return;
    // The current source closes first: a file's pages go, a running acquisition ends.
    FrameController& frame = window_.frame();
    if (frame.mode() != SourceMode::Instrument && frame.mode() != SourceMode::None) emit closePages();
    frame.CloseSource(currentTab());
    emit stateChanged();
    // The connect sequence holds the window for up to a few seconds: the pointer says so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    controller_->StartAcquisition();
    QApplication::restoreOverrideCursor();
    emit stateChanged();
}

void AcquisitionWindow::onStartStop() {
    controller_->StartStop();
    // The button shows what the instrument reports, not the click.
    if (auto* box = qobject_cast<QPushButton*>(window_.control(CmdStartStop)))
        box->setChecked(controller_->startStopChecked());
}

void AcquisitionWindow::onSaveAsBinary() {
    if (window_.tabs()->count() == 0) return;  // no page shows a result
    const QString path = askSavePath(tr("Save as binary"),
                                     tr("Binary files (*.bin)") + QStringLiteral(";;") + tr("All Files (*)"));
    if (path.isEmpty()) return;
    if (Status s = controller_->SaveAsBinary(path.toStdString()); !s)
        window_.showError(qs(s.error().message));
}

void AcquisitionWindow::onRecording() {
    if (controller_->recording() != AcquisitionController::Recording::Off) {
        controller_->StopRecording();
        return;
    }
    RecordingDialog dialog(lastEntries_, &window_);
    if (!runRecordingDialog(dialog)) return;
    lastEntries_ = dialog.entries();
    auto parameters = ParseRecordingParameters(
        lastEntries_.period.toStdString(), lastEntries_.records.toStdString(), lastEntries_.externalTrigger);
    if (!parameters) {
        window_.showError(qs(parameters.error().message));
        return;
    }
    const QString path = askSavePath(tr("Start recording"),
                                     tr("Binary files (*.bin)") + QStringLiteral(";;") + tr("All Files (*)"));
    if (path.isEmpty()) return;
    if (Status s = controller_->StartRecording(*parameters, path.toStdString()); !s)
        window_.showError(qs(s.error().message));
}

// AcquisitionView

namespace {
// A message during the connect sequence is answered with the normal pointer.
class NormalCursor {
  public:
    NormalCursor() : waiting_(QApplication::overrideCursor() != nullptr) {
        if (waiting_) QApplication::restoreOverrideCursor();
    }
    ~NormalCursor() {
        if (waiting_) QApplication::setOverrideCursor(Qt::WaitCursor);
    }

  private:
    bool waiting_;
};
}  // namespace

void AcquisitionWindow::ShowMessage(const std::string& text) {
    if (quiet_) return;
    NormalCursor normal;
    window_.showError(qs(text));
}

bool AcquisitionWindow::AskYesNo(const std::string& text) {
    if (quiet_) return true;
    NormalCursor normal;
    return window_.askYesNo(kCaption, qs(text));
}

void AcquisitionWindow::ShowProgress(bool /*visible*/) {
    // The bar stays in its place in the control row; it starts from and returns to 0.
    if (quiet_) return;
    if (auto* bar = qobject_cast<QProgressBar*>(window_.control(CtlProgress))) bar->setValue(0);
}

void AcquisitionWindow::SetProgress(int position) {
    if (quiet_) return;
    if (auto* bar = qobject_cast<QProgressBar*>(window_.control(CtlProgress))) {
        bar->setValue(position);
        bar->repaint();  // the connect sequence holds the event loop
    }
}

void AcquisitionWindow::SetTitle(const std::string& title) {
    // Only the instrument's own title: before it answers and after it is closed the window keeps its own.
    if (quiet_ || window_.frame().mode() != SourceMode::Instrument) return;
    window_.frame().SetTitle(title);
    window_.setWindowTitle(qs(title));
}

void AcquisitionWindow::SetCommands(const AcquisitionCommands& commands) {
    if (quiet_) return;
    ApplyAcquisitionCommands(window_.frame().commands(), commands);
    emit stateChanged();
}

void AcquisitionWindow::SetStartStopChecked(bool checked) {
    if (quiet_) return;
    if (auto* box = qobject_cast<QPushButton*>(window_.control(CmdStartStop))) box->setChecked(checked);
}

void AcquisitionWindow::SetStatusText(const std::string& text) {
    if (!quiet_) window_.statusField()->setText(qs(text));
}

void AcquisitionWindow::OpenPages(DeviceType type) {
    if (quiet_) return;
    window_.frame().InstrumentOpened(type, controller_->vin(), controller_->baseTitle());
    if (auto* channels = qobject_cast<QComboBox*>(window_.control(CtlChannel))) {
        const int selected = channels->currentIndex();
        channels->clear();
        for (int k = 1; k <= 3; ++k)
            channels->addItem(qs(lexicon().text(Word::Channel)) + QLatin1Char(' ') + QString::number(k));
        channels->setCurrentIndex(selected >= 0 && selected < 3 ? selected : 0);
    }
    emit openPages(type);
    emit stateChanged();
}

void AcquisitionWindow::ClosePages() {
    if (quiet_) return;
    const int tab = currentTab();
    emit closePages();
    // Closed by the acquisition itself (no answer, a new "Data"): the instrument stops being the source.
    if (window_.frame().mode() == SourceMode::Instrument) {
        closingSource_ = true;
        window_.frame().CloseSource(tab);
        closingSource_ = false;
    }
    emit stateChanged();
}

void AcquisitionWindow::NewData() {
    if (!quiet_) emit newData();
}

void AcquisitionWindow::SetTimerRunning(bool running) {
    if (running && !quiet_)
        timer_.start();
    else
        timer_.stop();
}

}  // namespace k470::app
