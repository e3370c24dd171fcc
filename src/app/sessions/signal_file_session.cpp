// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sessions/signal_file_session.h"

#include <QAction>
#include <QMenu>
#include <mutex>

#include "app/dialogs/user_dialogs.h"
#include "app/pages/signal/signal_filtration.h"
#include "app/pages/signal/signal_page.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "frame/application_state.h"
#include "views/signal_commands.h"

namespace k470::app {

// Feeds the chain and keeps, after every frame, the newest processed value of each channel for the page.
class SignalFileSession::ReplayFeed : public ChainReplaySink {
  public:
    ReplayFeed(SignalFileSession& owner, ApplicationState& frame)
        : ChainReplaySink(frame.signalState(), frame.filterLibrary(), frame.chain(), frame.signalLock(),
                          ChannelSetupSource{}),
          owner_(owner),
          frame_(frame) {
        setFrameObserver([this](const ProcessingChain& chain) {
            owner_.trace_.AppendNewest(chain);
            owner_.feed_.OnSample(chain);
        });
    }
    void Post(ReplayEvent e) override {
        switch (e) {
            case ReplayEvent::RecordChanged:
            case ReplayEvent::ReplayStarted:
                // The replay starts here: the time axis counts from this frame and shows the record's
                // markers.
                owner_.trace_.Reset(owner_.controller_.sampleRate(), owner_.controller_.position(),
                                    views::TraceMarkers(owner_.controller_.startChoices()));
                owner_.feed_.Clear();
                if (owner_.analyses_) owner_.analyses_->Restart();
                if (owner_.page_) owner_.page_->Refresh();
                owner_.changed(SessionObserver::Change::State);
                break;
            case ReplayEvent::NewData:
            case ReplayEvent::AccumulationReached:
                if (owner_.analyses_) owner_.analyses_->Deliver(owner_.feed_, frame_.signalLock());
                owner_.changed(SessionObserver::Change::Values);
                break;
        }
    }

  private:
    SignalFileSession& owner_;
    ApplicationState& frame_;
};

SignalFileSession::SignalFileSession(const SessionEnv& env)
    : env_(env), controller_(env.time.clock), replayFeed_(std::make_unique<ReplayFeed>(*this, env.frame)) {
    timer_.setInterval(kTickPeriod);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    env_.frame.setReplayMode(true);
}

SignalFileSession::~SignalFileSession() {
    timer_.stop();
    analyses_.reset();
    delete page_;
    controller_.Close();
    env_.frame.setReplayMode(false);
    // The next source gets the preset as it was chosen, whatever the replayed file made of the channels.
    env_.frame.ApplyActivePreset();
}

Result<std::unique_ptr<SignalFileSession>> SignalFileSession::Open(const SessionEnv& env,
                                                                   const std::string& path) {
    std::unique_ptr<SignalFileSession> session(new SignalFileSession(env));
    if (Status s = session->start(path, path); !s) return s.error();
    return session;
}

Result<std::unique_ptr<SignalFileSession>> SignalFileSession::OpenConverted(const SessionEnv& env,
                                                                            acoustics::TemporaryFile replayed,
                                                                            const std::string& shown) {
    std::unique_ptr<SignalFileSession> session(new SignalFileSession(env));
    const std::string path = replayed.path();
    session->scratch_.emplace(std::move(replayed));
    if (Status s = session->start(path, shown); !s) return s.error();
    return session;
}

Status SignalFileSession::start(const std::string& path, const std::string& shown) {
    shown_ = shown;
    if (Status s = controller_.Open(path, *replayFeed_); !s) return s;
    replayFeed_->setFile(&controller_.file()->header());
    {
        // The chain takes the file's channels before the first frames arrive.
        std::lock_guard<std::mutex> guard(env_.frame.signalLock());
        env_.frame.chain().resetHistories();
    }
    replayFeed_->BeginTick();
    context_ = NewPageContext(env_, 0);
    const std::vector<int> numbers = channelNumbers();
    context_.channel = numbers.empty() ? 0 : numbers.front();
    page_ = new SignalPage(context_, trace_, env_.frame.signalState(), nullptr);
    analyses_ = std::make_unique<SignalAnalyses>(
        env_, context_, SignalSourceRef{&env_.frame.signalState(), controller_.file(), &controller_, shown});
    analyses_->Restart();
    timer_.start();
    return {};
}

std::vector<Session::Page> SignalFileSession::pages() const {
    std::vector<Page> all{Page{page_, PageTabText(views::PageKind::Signal)}};
    if (analyses_)
        for (SignalAnalysisPage* p : analyses_->pages()) all.push_back(Page{p, PageTabText(p->kind())});
    return all;
}

std::vector<int> SignalFileSession::channelNumbers() const {
    std::vector<int> numbers;
    const uint16_t mask = controller_.file()->header().channelMask;
    for (int k = 0; k < 3; ++k)
        if (mask & (1u << k)) numbers.push_back(k);
    return numbers;
}

std::vector<std::string> SignalFileSession::channelNames() const {
    std::vector<std::string> names;
    for (int k : channelNumbers()) {
        const std::string& label = env_.frame.signalState().channels[static_cast<size_t>(k)].label;
        names.push_back(label.empty() ? NumberedChannels(k + 1).back() : label);
    }
    return names;
}

views::ControlRow SignalFileSession::controlRow() const {
    views::ReplayFacts f;
    f.active = controller_.state() != ReplayState::NoFile;
    f.paused = controller_.paused();
    f.counter = controller_.counterText();
    const uint32_t length = controller_.recordLength();
    f.progress = length == 0 ? 0 : static_cast<int>(uint64_t{controller_.position()} * 100u / length);
    f.channels = channelNames();
    const std::vector<int> numbers = channelNumbers();
    for (size_t i = 0; i < numbers.size(); ++i)
        if (numbers[i] == context_.channel) f.channelIndex = static_cast<int>(i);
    f.preset = env_.frame.activePreset();
    // A preset acts on raw counts only: over a file already in physical or full-scale units it says so.
    const SignalState& state = env_.frame.signalState();
    if (!f.preset.empty() && !state.presetInEffect)
        f.preset +=
            tr(" (not applied: the file is stored in %1)").arg(qs(state.channels[0].units)).toStdString();
    return views::ReplayRow(f);
}

bool SignalFileSession::allowed(Command command) const {
    switch (command) {
        case Command::RecordPosition:
        case Command::Play:
        case Command::Pause:
        case Command::ReplayRange:
        case Command::CopyToClipboard:
            return true;
        default:
            if (SignalAnalyses::IsAnalysisCommand(command)) return AnalysisAllowed(analyses_.get(), command);
            return IsGlobalCommand(command);
    }
}

std::string SignalFileSession::title() const {
    return shown_.empty() ? controller_.file()->path() : shown_;
}

QString SignalFileSession::status() const {
    // A damaged record or a failed read is said where the source is named.
    if (controller_.problem()) return qs(controller_.problem()->message);
    return tr("Signal file");
}

bool SignalFileSession::run(Command command) {
    switch (command) {
        case Command::RecordPosition:
            onRecordPosition();
            return true;
        case Command::Play:
            controller_.Play(*replayFeed_);
            changed(SessionObserver::Change::State);
            return true;
        case Command::Pause:
            controller_.Pause();
            changed(SessionObserver::Change::State);
            return true;
        case Command::ReplayRange:
            onReplayRange();
            return true;
        case Command::SignalFiltration:
            onSignalFiltration();
            return true;
        default:
            if (!SignalAnalyses::IsAnalysisCommand(command)) return false;
            ShowAnalysis(analyses_.get(), command, env_.observer);
            return true;
    }
}

void SignalFileSession::selectChannel(int index) {
    const std::vector<int> numbers = channelNumbers();
    if (index >= 0 && index < static_cast<int>(numbers.size()))
        context_.channel = numbers[static_cast<size_t>(index)];
    page_->Refresh();
}

void SignalFileSession::stepRecord(int step) {
    // The records of a signal file are counted the other way round from the arrows.
    if (controller_.StepRecord(-step, *replayFeed_)) changed(SessionObserver::Change::State);
}

void SignalFileSession::onRecordPosition() {
    const auto n = env_.dialogs.askNumber(tr("Enter record position"), tr("Record position"),
                                          controller_.currentRecord() + 1);
    if (n && controller_.SelectRecord(*n, *replayFeed_)) changed(SessionObserver::Change::State);
}

void SignalFileSession::Tick() {
    // The replay speed of "Signal parameters" applies from the next tick on.
    controller_.setSpeedFactor(env_.frame.replaySpeedFactor());
    const bool wasReplaying = controller_.state() == ReplayState::Replaying;
    controller_.Tick(*replayFeed_);
    if (wasReplaying && controller_.state() != ReplayState::Replaying)
        changed(SessionObserver::Change::State);
}

void SignalFileSession::onReplayRange() {
    // The menu comes back after each choice until it is dismissed without one.
    for (;;) {
        const double rate = controller_.sampleRate();
        QMenu menu(env_.window);
        QAction* start = menu.addAction(
            tr("Replay start: %1 sec").arg(qs(views::SecondsText(controller_.replayStart(), rate))));
        QAction* end = menu.addAction(
            tr("Replay end: %1 sec").arg(qs(views::SecondsText(controller_.replayEnd(), rate))));
        if (controller_.paused()) {
            menu.addSeparator();
            menu.addAction(tr("Current replay position: %1 sec")
                               .arg(qs(views::SecondsText(controller_.position(), rate))))
                ->setEnabled(false);
        }
        QAction* chosen = env_.dialogs.runMenu(menu);
        if (chosen != start && chosen != end) return;
        const bool isStart = chosen == start;
        const std::vector<ReplayMark> marks = isStart ? controller_.startChoices() : controller_.endChoices();
        QStringList names;
        for (const ReplayMark& m : marks)
            names << (m.boundary ? (isStart ? tr("Record begin") : tr("Record end"))
                                 : QString::fromStdU16String(m.name));
        const auto i = env_.dialogs.askMarker(tr("Select marker"), names);
        if (!i || *i < 0 || *i >= static_cast<int>(marks.size())) continue;
        const uint32_t frame = marks[static_cast<size_t>(*i)].frame;
        if (isStart)
            controller_.setReplayStart(frame);
        else
            controller_.setReplayEnd(frame);
    }
}

void SignalFileSession::onSignalFiltration() {
    // No replayed frame reaches the chain while its settings change or the file is reprocessed; the replay
    // goes on afterwards.
    const bool running = timer_.isActive();
    timer_.stop();
    RunSignalFiltration(env_.frame, env_.dialogs, env_.window,
                        FiltrationInput{0, nullptr, controller_.file(), &processed_}, [this] {
                            page_->Refresh();
                            // The chain's output rate or units may have changed: the analyses start again.
                            analyses_->Restart();
                            changed(SessionObserver::Change::State);  // labels and the preset may change
                        });
    if (running) timer_.start();
}

}  // namespace k470::app
