// SPDX-License-Identifier: GPL-3.0-or-later
// The pages that analyse the processed signal of a signal source while it flows (sound levels, spectrum,
// reverberation time), for the replay of a signal file and the live stream of the raw-signal instrument
// alike. The session gathers the chain's output in a views::SignalFeed behind the chain and hands it to
// the pages at each tick; "Signal", "FFT" and "RT-60" bring their page to the front.
#pragma once

#include <mutex>
#include <span>
#include <vector>

#include "acoustics/measurement_context.h"
#include "app/pages/source_page.h"
#include "frame/commands.h"
#include "signal/signal_state.h"
#include "views/signal_feed.h"

namespace k470 {
class SdtContainer;
class ReplayController;
}  // namespace k470

namespace k470::app {

class ApplicationState;
struct SessionEnv;
class SessionObserver;

// What a page may know of the source besides the flowing signal.
struct SignalSourceRef {
    const SignalState* state = nullptr;        // the channel set-up: units and 0 dB references
    const SdtContainer* file = nullptr;        // the replayed file; none for the live stream
    const ReplayController* replay = nullptr;  // its replay: record, range and markers
    std::string path;                          // the replayed file's path; empty for the live stream

    // The measurement context of output channel k of the chain: rate, unit, reference, scale.
    acoustics::MeasurementContext context(int channel) const;
    // Where in its record the signal delivered from now on starts, in seconds (0 for the live stream).
    double startSeconds() const;

    // What the source offers, so that a page never asks which kind of source it shows:
    // records that can be read again, with the replay's range and markers (none: the signal only flows);
    const ReplayController* recordings() const { return file ? replay : nullptr; }
    // an input whose sensitivity a calibrator sets (a recorded file keeps the sensitivity it was made with);
    bool calibratable() const { return file == nullptr; }
    // the files an output must not replace;
    std::vector<std::string> inputs() const;
    // the name proposed for an output: the source file's name with the suffix beside it, else the fallback
    // in the working directory.
    std::string proposedOutput(const std::string& suffix, const std::string& fallback) const;
};

class SignalAnalysisPage : public SourcePage {
    Q_OBJECT
  public:
    using SourcePage::SourcePage;
    // The signal starts again (another record, a replay from its start, the stream started, new chain
    // settings); the page takes the source's measurement context anew.
    virtual void Restart() = 0;
    // The frames that passed the chain since the last call, views::SignalFeed::kChannels values each, in
    // the units of the channel set-up.
    virtual void Feed(std::span<const double> frames) = 0;
    // The command that brings this page to the front (from the analysis page table).
    Command command() const;
};

// The analysis pages of one source, in tab order after the source's own "Signal" page.
class SignalAnalyses {
  public:
    SignalAnalyses(const SessionEnv& env, PageContext& context, SignalSourceRef source);
    ~SignalAnalyses();
    SignalAnalyses(const SignalAnalyses&) = delete;
    SignalAnalyses& operator=(const SignalAnalyses&) = delete;

    const std::vector<SignalAnalysisPage*>& pages() const { return pages_; }
    // The page a command brings to the front; none for a command of no analysis page.
    SignalAnalysisPage* pageFor(Command command) const;
    // Whether the command brings an analysis page to the front.
    static bool IsAnalysisCommand(Command command);
    void Restart();
    // Hands what the feed gathered to every page; the lock guards the feed against the stream.
    void Deliver(views::SignalFeed& feed, std::mutex& lock);

  private:
    std::vector<SignalAnalysisPage*> pages_;  // owned; hosted by the window's tabs
};

// What a session answers for "Signal", "FFT" and "RT-60": allowed when the source has the command's page,
// and running it brings that page to the front.
bool AnalysisAllowed(const SignalAnalyses* analyses, Command command);
void ShowAnalysis(const SignalAnalyses* analyses, Command command, SessionObserver& observer);

}  // namespace k470::app
