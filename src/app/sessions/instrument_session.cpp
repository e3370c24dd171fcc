// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sessions/instrument_session.h"

#include "app/pages/signal/signal_filtration.h"

#include <QApplication>
#include <QDir>

#include "app/dialogs/parameters_dialog.h"
#include "app/dialogs/user_dialogs.h"
#include "app/pages/signal/signal_page.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "data/dos_date_time.h"
#include "frame/application_state.h"
#include "frame/frame_settings.h"
#include "frame/instrument_source.h"
#include "link/instrument_protocol.h"
#include "signal/channel_setup.h"

namespace k470::app {

namespace {

const QString kCaption = QStringLiteral("K470");

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

InstrumentLinks::InstrumentLinks(ApplicationState& frame)
    : provider_(std::make_shared<FtdiTtyProvider>()), autoSaveEvent_(frame.autoSaveEvent()) {
    // The raw-signal instrument's set-up, with the sensitivities of "Calibrate..." when no preset governs.
    auto renewSetup = [&frame](SignalState& state) {
        ChannelSetupSource source;
        source.deviceType = kStreamDeviceType;
        applyChannelSetup(state, source);
        ApplyStreamSensitivities(state, frame.streamSensitivities());
    };
    liveStream_ = std::make_unique<LiveStreamHandler>(LiveStreamDeps{
        frame.signalState(), frame.chain(), frame.filterLibrary(), frame.signalLock(), renewSetup});
    liveStream_->stream().setSampleObserver([this](const ProcessingChain& chain) {
        trace_.AppendNewest(chain);
        feed_.OnSample(chain);
        if (recordingTap_) recordingTap_->onSample(chain);
    });
}

void InstrumentLinks::UseLinks(std::unique_ptr<SerialPortProvider> provider, uint16_t telePort) {
    provider_ = std::move(provider);
    telePort_ = telePort;
}

InstrumentSession::InstrumentSession(const SessionEnv& env, InstrumentLinks& links)
    : env_(env), links_(links), provider_(links.provider()), usb_(*provider_), streamRecording_(env, links) {
    // One tick at a time: the timer fires once and is started again when the tick is over, so a message
    // box shown during a tick cannot start another inside it.
    timer_.setInterval(kTickPeriod);
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    AcquisitionDeps deps{
        usb_,    tele_,           env_.frame.store(), env_.time.clock, env_.time.pause, links.autoSaveEvent(),
        nullptr, links.telePort()};
    AcquisitionView& view = *this;
    controller_ = std::make_unique<AcquisitionController>(std::move(deps), view);
    controller_->SetStreamHandler(&links.stream());
}

InstrumentSession::~InstrumentSession() {
    // The owner closes the session: nothing is reported as ended any more.
    ended_ = true;
    timer_.stop();
    controller_.reset();  // the instrument is told to stop and the links close
    destroyPages();
}

void InstrumentSession::Start() {
    // The connect sequence holds the window for up to a few seconds: the pointer says so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool started = controller_->StartAcquisition();
    QApplication::restoreOverrideCursor();
    // Without an answer there is no source; the owner closes the session after the command.
    if (!started) ended_ = true;
    changed(SessionObserver::Change::State);
}

std::vector<Session::Page> InstrumentSession::pages() const {
    std::vector<Page> all = TabbedPages(pages_);
    if (analyses_)
        for (SignalAnalysisPage* p : analyses_->pages()) all.push_back(Page{p, PageTabText(p->kind())});
    return all;
}

int InstrumentSession::initialTab() const {
    return StoredTab(env_.frame.store(), static_cast<int>(pages().size()));
}

views::ControlRow InstrumentSession::controlRow() const {
    views::InstrumentFacts f;
    f.running = controller_->startStopChecked();
    f.recording =
        controller_->recording() != AcquisitionController::Recording::Off || streamRecording_.recording();
    f.armed = controller_->recording() == AcquisitionController::Recording::Armed;
    f.progress = progress_;
    f.channels = NumberedChannels(3);
    f.channelIndex = context_.channel;
    f.preset = streams() ? env_.frame.activePreset() : std::string();
    return views::InstrumentRow(f);
}

bool InstrumentSession::allowed(Command command) const {
    if (SignalAnalyses::IsAnalysisCommand(command)) return AnalysisAllowed(analyses_.get(), command);
    // The raw-signal instrument's processing (the preset above all) is chosen while its stream flows.
    if (command == Command::SignalFiltration) return streams();
    if (streams())
        if (auto a = StreamAllows(streaming(), streamRecording_.recording(), command)) return *a;
    return InstrumentAllows(reported_, !pages_.empty(), command);
}

std::string InstrumentSession::title() const {
    // Only the instrument's own title: before it answers the window keeps its own.
    return answered_ ? title_ : std::string();
}

bool InstrumentSession::streaming() const {
    return controller_->acquiring() && streams() && !pages_.empty();
}

QString InstrumentSession::status() const {
    QString text = streamRecording_.recording() ? streamRecording_.status()
                   : !status_.empty()           ? qs(status_)
                   : answered_                  ? tr("Instrument")
                                                : tr("No data source");
    // A signal with gaps must not pass for a whole one, least of all while it is recorded.
    if (const uint64_t lost = links_.streamFramesLost(); lost > 0 && streaming())
        text += QStringLiteral(" | ") +
                qs(substitute(lexicon().text(Word::StreamFramesLost), {std::to_string(lost)}));
    return text;
}

bool InstrumentSession::run(Command command) {
    switch (command) {
        case Command::Reset:
            controller_->Reset();
            return true;
        case Command::StartStop:
            onStartStop();
            return true;
        case Command::SaveAsBinary:
            onSaveAsBinary();
            return true;
        case Command::StartRecording:
        case Command::StopRecording:
            if (streams()) {
                if (command == Command::StartRecording && streaming())
                    streamRecording_.Start(controller_->vin());
                else
                    streamRecording_.Stop();
                changed(SessionObserver::Change::State);
            } else {
                onRecording();
            }
            return true;
        case Command::SetMarker:
            if (streamRecording_.recording())
                streamRecording_.SetMarker();
            else
                controller_->SetMarker();
            return true;
        case Command::Misc:
            onMisc();
            return true;
        case Command::SignalFiltration:
            RunSignalFiltration(env_.frame, env_.dialogs, env_.window, FiltrationInput{kStreamDeviceType},
                                [this] {
                                    // The chain's units, scale or rate may have changed: the analyses start
                                    // again.
                                    if (analyses_) analyses_->Restart();
                                    changed(SessionObserver::Change::State);
                                });
            return true;
        default:
            if (!SignalAnalyses::IsAnalysisCommand(command)) return false;
            ShowAnalysis(analyses_.get(), command, env_.observer);
            return true;
    }
}

void InstrumentSession::selectChannel(int index) {
    context_.channel = std::max(index, 0);
    for (SourcePage* p : pages_) p->Refresh();
}

bool InstrumentSession::close(int shownTab) {
    if (controller_->recording() == AcquisitionController::Recording::Active &&
        !env_.dialogs.askYesNo(kCaption, qs(lexicon().text(Word::StopAutorecording))))
        return false;
    if (!streamRecording_.AskClose()) return false;
    if (answered_ && shownTab >= 0) SaveTablePos(env_.frame.store(), shownTab);
    return true;
}

void InstrumentSession::Tick() {
    const auto recordingBefore = controller_->recording();
    controller_->OnAcquisitionTimer();
    // The trigger of an armed recording is seen in a tick: the row stops saying "armed".
    if (controller_->recording() != recordingBefore) changed(SessionObserver::Change::State);
    // The stream's frames go to its recording; the status shows its length.
    if (streamRecording_.Tick(controller_->vin())) changed(SessionObserver::Change::State);
    if (const uint64_t lost = links_.streamFramesLost(); lost != framesLostShown_) {
        framesLostShown_ = lost;
        changed(SessionObserver::Change::State);
    }
    if (timerWanted_ && !timer_.isActive()) timer_.start();
}

void InstrumentSession::onStartStop() {
    // "Start/stop" ends a recording of the stream: the file is complete.
    streamRecording_.Stop();
    controller_->StartStop();
    // The button shows what the instrument reports, not the click.
    changed(SessionObserver::Change::State);
}

void InstrumentSession::onSaveAsBinary() {
    const QString path =
        env_.dialogs.askSavePath(tr("Save as binary"), QDir::currentPath(),
                                 tr("Binary files (*.bin)") + QStringLiteral(";;") + tr("All Files (*)"));
    if (path.isEmpty()) return;
    if (Status s = controller_->SaveAsBinary(path.toStdString()); !s)
        env_.dialogs.showError(qs(s.error().message));
}

void InstrumentSession::onRecording() {
    if (controller_->recording() != AcquisitionController::Recording::Off) {
        controller_->StopRecording();
        changed(SessionObserver::Change::State);
        return;
    }
    RecordingEntries& entries = links_.recordingEntries();
    RecordingDialog dialog(entries, env_.window);
    if (env_.dialogs.runDialog(dialog) != QDialog::Accepted) return;
    entries = dialog.entries();
    auto parameters = ParseRecordingParameters(entries.period.toStdString(), entries.records.toStdString(),
                                               entries.externalTrigger);
    if (!parameters) {
        env_.dialogs.showError(qs(parameters.error().message));
        return;
    }
    const QString path =
        env_.dialogs.askSavePath(tr("Start recording"), QDir::currentPath(),
                                 tr("Binary files (*.bin)") + QStringLiteral(";;") + tr("All Files (*)"));
    if (path.isEmpty()) return;
    if (Status s = controller_->StartRecording(*parameters, path.toStdString()); !s)
        env_.dialogs.showError(qs(s.error().message));
    changed(SessionObserver::Change::State);
}

void InstrumentSession::onMisc() {
    ParametersDialog dialog([this] { return shownRecord(); }, context_, env_.window);
    dialog.AttachInstrument([this](int range) { controller_->SelectRange(range); },
                            [this](int channel) { onCalibrationOffset(channel); });
    env_.dialogs.runDialog(dialog);
    // "Linear" is a setting kept for the next start; the pages show the levels again in any case.
    env_.frame.settings().linear = context_.linear;
    for (SourcePage* p : pages_) p->Refresh();
}

void InstrumentSession::onCalibrationOffset(int channel) {
    // Without an open link there is no instrument to tell.
    if (!controller_->commands().AnyLinkOpen()) return;
    const auto text = env_.dialogs.askText(tr("Enter calibration offset"), tr("dB"), QStringLiteral("0"));
    if (!text) return;
    controller_->SetCalibrationOffset(channel, parseCalibrationText(text->toStdString()));
}

void InstrumentSession::takeLiveRecord() {
    liveRecord_ = controller_->currentRecord();
    // The values are those of this moment: "Parameters" shows today's date and the time of the latest ones.
    const CalendarTime now = localTimeNow();
    liveRecord_->header.date = packDosDate(now);
    liveRecord_->header.time = packDosTime(now);
    context_.record = &*liveRecord_;
}

void InstrumentSession::destroyPages() {
    analyses_.reset();
    for (SourcePage* p : pages_) delete p;
    pages_.clear();
}

// AcquisitionView

void InstrumentSession::ShowMessage(const std::string& text) {
    NormalCursor normal;
    env_.dialogs.showError(qs(text));
}

bool InstrumentSession::AskYesNo(const std::string& text) {
    NormalCursor normal;
    return env_.dialogs.askYesNo(kCaption, qs(text));
}

void InstrumentSession::ShowProgress(bool /*visible*/) {
    // The bar stays in its place in the control row; it starts from and returns to 0.
    SetProgress(0);
}

void InstrumentSession::SetProgress(int position) {
    progress_ = position;
    changed(SessionObserver::Change::State);
}

void InstrumentSession::SetTitle(const std::string& title) {
    title_ = title;
    changed(SessionObserver::Change::State);
}

void InstrumentSession::SetCommands(const AcquisitionCommands& commands) {
    reported_ = commands;
    changed(SessionObserver::Change::State);
}

void InstrumentSession::SetStartStopChecked(bool /*checked*/) {
    changed(SessionObserver::Change::State);
}

void InstrumentSession::SetStatusText(const std::string& text) {
    if (text == status_) return;
    status_ = text;
    changed(SessionObserver::Change::State);
}

void InstrumentSession::OpenPages(DeviceType type) {
    // The instrument answered: it is the source now, under its own title, with the pages of its type.
    answered_ = true;
    title_ = controller_->baseTitle();
    destroyPages();
    const int channel = context_.channel;
    context_ = NewPageContext(env_, type);
    context_.channel = channel;
    takeLiveRecord();
    if (type == kStreamDeviceType) {
        // The raw-signal instrument sends samples, not levels: its page shows the processed signal.
        links_.trace().Reset(env_.frame.signalState().sampleRate);
        pages_.push_back(new SignalPage(context_, links_.trace(), env_.frame.signalState(), nullptr));
        {
            std::lock_guard<std::mutex> guard(env_.frame.signalLock());
            links_.feed().Clear();
        }
        analyses_ = std::make_unique<SignalAnalyses>(
            env_, context_, SignalSourceRef{&env_.frame.signalState(), nullptr, nullptr, {}});
        analyses_->Restart();
    } else {
        for (views::PageKind kind : views::PagesFor(type, 1))
            pages_.push_back(MakeLevelPage(context_, kind, nullptr));
    }
    changed(SessionObserver::Change::Pages);
}

void InstrumentSession::AcquisitionEnded() {
    // The acquisition ended by itself (no answer, a failed link): the owner closes the session. A recording
    // of the stream keeps what arrived; the user hears of it unless the session is being closed anyway.
    streamRecording_.StreamEnded(!ended_);
    destroyPages();
    if (ended_) return;  // being closed already
    ended_ = true;
    changed(SessionObserver::Change::Pages);
    env_.observer.SessionEnded();
}

void InstrumentSession::NewData() {
    if (pages_.empty()) return;
    if (analyses_) analyses_->Deliver(links_.feed(), env_.frame.signalLock());
    takeLiveRecord();
    changed(SessionObserver::Change::Values);
}

void InstrumentSession::SetTimerRunning(bool running) {
    timerWanted_ = running;
    if (running)
        timer_.start();
    else
        timer_.stop();
}

}  // namespace k470::app
