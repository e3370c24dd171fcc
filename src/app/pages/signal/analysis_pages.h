// SPDX-License-Identifier: GPL-3.0-or-later
// The one table of the analysis pages of signal sources. Each row names the command that brings the page
// to the front, the page's kind, its menu and tab texts and how it is made; the sessions, the window's
// "Acquisition" menu and the tab texts read only this table, so a new analysis page is one row here plus
// the page's own files (and its command and page-kind names).
#pragma once

#include <span>

#include "app/pages/signal/signal_analysis.h"

class QString;

namespace k470::app {

struct AnalysisPageEntry {
    Command command;  // brings the page to the front ("Signal", "FFT", "RT-60")
    views::PageKind kind;
    const char* menuText;  // in menu "Acquisition" (translated in the main window's context)
    const char* tabText;   // on the page's tab (translated in the record pages' context)
    SignalAnalysisPage* (*make)(const SessionEnv& env, PageContext& context, SignalSourceRef source);
    bool (*offered)(const SignalSourceRef& source) = nullptr;  // none: every signal source has the page
};

// The rows, in tab and menu order.
std::span<const AnalysisPageEntry> AnalysisPageTable();
// The row of a command or of a page kind; none for any other.
const AnalysisPageEntry* AnalysisPageFor(Command command);
const AnalysisPageEntry* AnalysisPageOf(views::PageKind kind);

QString AnalysisMenuText(const AnalysisPageEntry& entry);
QString AnalysisTabText(const AnalysisPageEntry& entry);

}  // namespace k470::app
