// SPDX-License-Identifier: GPL-3.0-or-later
// A signal file (.sdt) as the window's source: its records replayed on a 30 ms timer through the
// processing chain, the "Signal" page with the processed values, the record and replay range controls,
// and "Signal filtration" with reprocessing of the file.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

#include "acoustics/sound_signal_file.h"
#include "app/pages/signal/signal_analysis.h"
#include "app/pages/source_page.h"
#include "app/sessions/session.h"
#include "frame/signal_parameters.h"
#include "signal/replay_controller.h"
#include "views/signal_feed.h"
#include "views/signal_trace.h"

namespace k470::app {

class SignalFileSession : public QObject, public Session {
    Q_OBJECT
  public:
    // The replay's tick: the frames due since the last tick go through the chain at the pace of the
    // session's clock; 30 ms as the instrument's acquisition, so a replayed signal moves on the pages as a
    // live one does.
    static constexpr std::chrono::milliseconds kTickPeriod{30};

    // Opens path and starts replaying its first record; the message when it cannot be replayed.
    static Result<std::unique_ptr<SignalFileSession>> Open(const SessionEnv& env, const std::string& path);
    // A signal made from another file (a sound file): replays `replayed`, which goes with the session, and
    // is named by `shown`, which the analyses read as well.
    static Result<std::unique_ptr<SignalFileSession>> OpenConverted(const SessionEnv& env,
                                                                    acoustics::TemporaryFile replayed,
                                                                    const std::string& shown);
    ~SignalFileSession() override;

    std::vector<Page> pages() const override;
    views::ControlRow controlRow() const override;
    bool allowed(Command command) const override;
    std::string title() const override;
    QString status() const override;
    bool run(Command command) override;
    void selectChannel(int index) override;
    // The window's up-down control: -1 the previous record, +1 the next; nothing at the ends.
    void stepRecord(int step) override;
    bool close(int /*shownTab*/) override { return true; }
    DeviceType deviceType() const override { return 0; }
    const MeasurementRecord* shownRecord() const override { return nullptr; }

    // Runs one timer tick now (the timer calls it; tests may too).
    void Tick();
    const ReplayController& controller() const { return controller_; }
    const views::SignalTrace& trace() const { return trace_; }
    const SignalAnalyses* analyses() const { return analyses_.get(); }
    const QTimer& timer() const { return timer_; }
    // The signal file made by the last "Process" of "Signal filtration"; removed when the session goes.
    const ProcessedFile* processedFile() const { return processed_.get(); }

  private:
    class ReplayFeed;
    explicit SignalFileSession(const SessionEnv& env);
    Status start(const std::string& path, const std::string& shown);
    // "Enter record position": a number from 1 to the record count; anything else changes nothing.
    void onRecordPosition();
    void onReplayRange();
    void onSignalFiltration();
    // The channel list of the file, labelled by the channel set-up.
    std::vector<std::string> channelNames() const;
    std::vector<int> channelNumbers() const;
    void changed(SessionObserver::Change change) { env_.observer.SessionChanged(change); }

    SessionEnv env_;
    views::SignalTrace trace_;
    views::SignalFeed feed_;  // the processed frames for the analysis pages
    ReplayController controller_;
    std::unique_ptr<ReplayFeed> replayFeed_;
    QTimer timer_;
    PageContext context_;
    SourcePage* page_ = nullptr;  // owned; hosted by the window's tabs
    std::unique_ptr<SignalAnalyses> analyses_;
    ProcessedFileHolder processed_;
    std::string shown_;                                // the file the window names
    std::optional<acoustics::TemporaryFile> scratch_;  // the converted signal being replayed
};

}  // namespace k470::app
