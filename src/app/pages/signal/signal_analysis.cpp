// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/signal_analysis.h"

#include <filesystem>

#include "app/pages/signal/analysis_pages.h"
#include "app/sessions/session.h"
#include "base/path_util.h"
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

std::vector<std::string> SignalSourceRef::inputs() const {
    if (path.empty()) return {};
    return {path};
}

std::string SignalSourceRef::proposedOutput(const std::string& suffix, const std::string& fallback) const {
    if (path.empty()) return (std::filesystem::current_path() / fallback).string();
    return withoutExtension(path) + suffix;
}

SignalAnalyses::SignalAnalyses(const SessionEnv& env, PageContext& context, SignalSourceRef source) {
    for (const AnalysisPageEntry& entry : AnalysisPageTable())
        if (!entry.offered || entry.offered(source)) pages_.push_back(entry.make(env, context, source));
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
    return AnalysisPageFor(command) != nullptr;
}

bool AnalysisAllowed(const SignalAnalyses* analyses, Command command) {
    return analyses && analyses->pageFor(command) != nullptr;
}

void ShowAnalysis(const SignalAnalyses* analyses, Command command, SessionObserver& observer) {
    if (SignalAnalysisPage* p = analyses ? analyses->pageFor(command) : nullptr) observer.ShowPage(p);
}

Command SignalAnalysisPage::command() const {
    return AnalysisPageOf(kind())->command;
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
