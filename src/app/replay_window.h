// The replay of an opened signal file in the main window: the ReplayController on the window's 30 ms timer,
// its frames through the processing chain under the signal lock, the processed values kept for the
// "Signal" page, and the window's record, "Play", "Pause" and replay range controls.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <mutex>
#include <optional>

#include "base/clock.h"
#include "signal/replay_controller.h"
#include "views/signal_trace.h"

namespace k470::app {

class FrameController;

class ReplayWindow : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTimerPeriodMs = 30;

    explicit ReplayWindow(FrameController& frame);
    ~ReplayWindow() override;

    // The signal file became the window's source: its first record replays at once.
    Status Start(const std::string& path);
    // The source closes: the replay ends.
    void Stop();
    bool active() const { return controller_.state() != ReplayState::NoFile; }

    void Play();
    void Pause();
    // The window's up-down control: +1 the previous record, -1 the next; nothing at the ends.
    void StepRecord(int step);
    // "Enter record position": a number from 1 to the record count; anything else changes nothing.
    void SelectRecord(long number);
    void SetReplayStart(uint32_t frame) { controller_.setReplayStart(frame); }
    void SetReplayEnd(uint32_t frame) { controller_.setReplayEnd(frame); }

    // Holds the replay's ticks while the signal settings are edited or the file is reprocessed, so that no
    // frame meets a half-changed chain; the replay goes on when the hold ends.
    class Hold {
      public:
        explicit Hold(ReplayWindow& replay) : replay_(replay), running_(replay.timer_.isActive()) {
            replay_.timer_.stop();
        }
        ~Hold() {
            if (running_ && replay_.active()) replay_.timer_.start();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        ReplayWindow& replay_;
        bool running_;
    };

    // Runs one timer tick now (the timer calls it; tests may too).
    void Tick();

    const ReplayController& controller() const { return controller_; }
    const views::SignalTrace& trace() const { return trace_; }
    const QTimer& timer() const { return timer_; }
    // Replay progress in percent of the current record.
    int progress() const;

  signals:
    // A record was chosen: the pages redraw from the file.
    void recordChanged();
    // "Play": the pages clear their traces.
    void replayStarted();
    // New processed samples.
    void newData();
    // The record, the pause or the replay state changed: the window's controls show it.
    void stateChanged();

  private:
    class Sink;
    FrameController& frame_;
    SteadyClock clock_;
    views::SignalTrace trace_;
    ReplayController controller_;
    std::unique_ptr<Sink> sink_;
    QTimer timer_;
};

}  // namespace k470::app
