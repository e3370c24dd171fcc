#include "app/replay_window.h"

#include "app/frame_controller.h"

namespace k470::app {

// Feeds the chain and keeps, after every frame, the newest processed value of each channel for the page.
class ReplayWindow::Sink : public ChainReplaySink {
  public:
    Sink(ReplayWindow& owner, FrameController& frame, std::mutex& lock)
        : ChainReplaySink(frame.signalState(), frame.filterLibrary(), frame.chain(), lock,
                          ChannelSetupSource{}),
          owner_(owner) {
        setFrameObserver([this](const ProcessingChain& chain) { owner_.trace_.AppendNewest(chain); });
    }
    void Post(ReplayEvent e) override {
        switch (e) {
            case ReplayEvent::RecordChanged:
                owner_.trace_.Reset(owner_.controller_.sampleRate());
                emit owner_.recordChanged();
                break;
            case ReplayEvent::ReplayStarted:
                owner_.trace_.Reset(owner_.controller_.sampleRate());
                emit owner_.replayStarted();
                break;
            case ReplayEvent::NewData:
            case ReplayEvent::AccumulationReached:
                emit owner_.newData();
                break;
        }
    }

  private:
    ReplayWindow& owner_;
};

ReplayWindow::ReplayWindow(FrameController& frame)
    : frame_(frame),
      controller_(clock_),
      sink_(std::make_unique<Sink>(*this, frame, frame.signalLock())) {
    timer_.setInterval(kTimerPeriodMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

ReplayWindow::~ReplayWindow() {
    timer_.stop();
}

Status ReplayWindow::Start(const std::string& path) {
    Stop();
    if (Status s = controller_.Open(path, *sink_); !s) return s;
    sink_->setFile(&controller_.file()->header());
    {
        // The chain takes the file's channels before the first frames arrive.
        std::lock_guard<std::mutex> guard(frame_.signalLock());
        frame_.chain().resetHistories();
    }
    sink_->BeginTick();
    timer_.start();
    emit stateChanged();
    return {};
}

void ReplayWindow::Stop() {
    if (!active()) return;
    timer_.stop();
    controller_.Close();
    sink_->setFile(nullptr);
    trace_.Reset(1.0);
    emit stateChanged();
}

void ReplayWindow::Play() {
    if (!active()) return;
    controller_.Play(*sink_);
    emit stateChanged();
}

void ReplayWindow::Pause() {
    if (!active()) return;
    controller_.Pause();
    emit stateChanged();
}

void ReplayWindow::StepRecord(int step) {
    if (controller_.StepRecord(step, *sink_)) emit stateChanged();
}

void ReplayWindow::SelectRecord(long number) {
    if (controller_.SelectRecord(number, *sink_)) emit stateChanged();
}

void ReplayWindow::Tick() {
    if (!active()) return;
    // The replay speed of "Signal parameters" applies from the next tick on.
    controller_.setSpeedFactor(frame_.replaySpeedFactor());
    const bool wasReplaying = controller_.state() == ReplayState::Replaying;
    controller_.Tick(*sink_);
    if (wasReplaying && controller_.state() != ReplayState::Replaying) emit stateChanged();
}

int ReplayWindow::progress() const {
    const uint32_t length = controller_.recordLength();
    if (length == 0) return 0;
    return static_cast<int>(static_cast<uint64_t>(controller_.position()) * 100u / length);
}

}  // namespace k470::app
