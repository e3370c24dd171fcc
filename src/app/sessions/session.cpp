// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sessions/session.h"

#include <chrono>
#include <thread>

#include "app/pages/source_page.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "frame/application_state.h"
#include "frame/frame_settings.h"
#include "views/level_views.h"

namespace k470::app {

SessionTime SteadyTime() {
    static const SteadyClock clock;
    return {clock, [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }};
}

PageContext NewPageContext(const SessionEnv& env, DeviceType type) {
    PageContext context;
    context.type = type;
    context.linear = env.frame.settings().linear;
    context.zeroDbReference = zeroDbReference(type);
    context.store = &env.frame.store();
    context.notepad = &env.notepad;
    return context;
}

std::vector<std::string> NumberedChannels(int n) {
    std::vector<std::string> names;
    for (int c = 1; c <= n; ++c) {
        std::string name = lexicon().text(Word::Channel);
        name += ' ';
        appendInt(name, c);
        names.push_back(std::move(name));
    }
    return names;
}

std::vector<Session::Page> TabbedPages(const std::vector<SourcePage*>& pages) {
    std::vector<Session::Page> all;
    for (SourcePage* p : pages) all.push_back({p, PageTabText(p->kind())});
    return all;
}

int StoredTab(const SettingsStore& store, int count) {
    const int stored = LoadTablePos(store);
    return stored >= 0 && stored < count ? stored : 0;
}

}  // namespace k470::app
