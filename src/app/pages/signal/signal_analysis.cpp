// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/signal_analysis.h"

#include "app/pages/signal/fft_page.h"
#include "app/pages/signal/rt60_page.h"
#include "app/pages/signal/signal_levels_page.h"
#include "app/sessions/session.h"
#include "signal/replay_controller.h"

namespace k470::app {

acoustics::MeasurementContext SignalSourceRef::context(int channel) const {
    if (state == nullptr) return {};
    return acoustics::ChainContext(*state, channel);
}

double SignalSourceRef::startSeconds() const {
    if (replay == nullptr || !(replay->sampleRate() > 0.0)) return 0.0;
    return static_cast<double>(replay->position()) / replay->sampleRate();
}

SignalAnalyses::SignalAnalyses(const SessionEnv& env, PageContext& context, SignalSourceRef source) {
    pages_.push_back(new SignalLevelsPage(env, context, source, nullptr));
    pages_.push_back(new FftPage(context, source, nullptr));
    pages_.push_back(new Rt60Page(env, context, source, nullptr));
}

SignalAnalyses::~SignalAnalyses() {
    for (SignalAnalysisPage* p : pages_) delete p;
}

SignalAnalysisPage* SignalAnalyses::pageFor(Command command) const {
    for (SignalAnalysisPage* p : pages_)
        if (p->command() == command) return p;
    return nullptr;
}

bool SignalAnalyses::IsAnalysisCommand(Command command) {
    return command == Command::Signal || command == Command::Fft || command == Command::Rt60;
}

bool AnalysisAllowed(const SignalAnalyses* analyses, Command command) {
    return analyses && analyses->pageFor(command) != nullptr;
}

void ShowAnalysis(const SignalAnalyses* analyses, Command command, SessionObserver& observer) {
    if (SignalAnalysisPage* p = analyses ? analyses->pageFor(command) : nullptr) observer.ShowPage(p);
}

void SignalAnalyses::Restart() {
    for (SignalAnalysisPage* p : pages_) p->Restart();
}

void SignalAnalyses::Deliver(views::SignalFeed& feed, std::mutex& lock) {
    std::vector<double> frames;
    {
        std::lock_guard<std::mutex> guard(lock);
        frames = feed.Take();
    }
    if (frames.empty()) return;
    for (SignalAnalysisPage* p : pages_) p->Feed(frames);
}

}  // namespace k470::app
