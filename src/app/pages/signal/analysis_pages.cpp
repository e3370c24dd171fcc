// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/analysis_pages.h"

#include <QCoreApplication>
#include <array>

#include "app/pages/signal/fft_page.h"
#include "app/pages/signal/levels_page.h"
#include "app/pages/signal/rt60_page.h"
#include "app/pages/signal/vibration_page.h"

namespace k470::app {

namespace {

constexpr const char* kMenuContext = "k470::app::MainWindow";
constexpr const char* kTabContext = "k470::app::SourcePage";

template <typename Page>
SignalAnalysisPage* make(const SessionEnv& env, PageContext& context, SignalSourceRef source) {
    return new Page(env, context, source, nullptr);
}

const std::array<AnalysisPageEntry, 4> kPages = {{
    {Command::Signal, views::PageKind::SignalLevels, QT_TRANSLATE_NOOP("k470::app::MainWindow", "Signal"),
     QT_TRANSLATE_NOOP("k470::app::SourcePage", "Levels"), make<LevelsPage>},
    {Command::Fft, views::PageKind::Fft, QT_TRANSLATE_NOOP("k470::app::MainWindow", "FFT"),
     QT_TRANSLATE_NOOP("k470::app::SourcePage", "FFT"),
     [](const SessionEnv&, PageContext& context, SignalSourceRef source) -> SignalAnalysisPage* {
         return new FftPage(context, source, nullptr);
     }},
    {Command::Rt60, views::PageKind::Rt60, QT_TRANSLATE_NOOP("k470::app::MainWindow", "RT-60"),
     QT_TRANSLATE_NOOP("k470::app::SourcePage", "RT-60"), make<Rt60Page>},
    {Command::Vibration, views::PageKind::Vibration, QT_TRANSLATE_NOOP("k470::app::MainWindow", "Vibration"),
     QT_TRANSLATE_NOOP("k470::app::SourcePage", "Vibration"), make<VibrationPage>, VibrationPage::Offered},
}};

}  // namespace

std::span<const AnalysisPageEntry> AnalysisPageTable() {
    return kPages;
}

const AnalysisPageEntry* AnalysisPageFor(Command command) {
    for (const AnalysisPageEntry& e : kPages)
        if (e.command == command) return &e;
    return nullptr;
}

const AnalysisPageEntry* AnalysisPageOf(views::PageKind kind) {
    for (const AnalysisPageEntry& e : kPages)
        if (e.kind == kind) return &e;
    return nullptr;
}

QString AnalysisMenuText(const AnalysisPageEntry& entry) {
    return QCoreApplication::translate(kMenuContext, entry.menuText);
}

QString AnalysisTabText(const AnalysisPageEntry& entry) {
    return QCoreApplication::translate(kTabContext, entry.tabText);
}

}  // namespace k470::app
