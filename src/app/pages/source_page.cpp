// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/source_page.h"
#include "app/pages/record/multirecords_page.h"
#include "app/pages/record/spectra_page.h"
#include "app/pages/record/table_page.h"
#include "app/pages/signal/analysis_pages.h"

#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QPushButton>
#include <algorithm>

#include "app/dialogs/bounds_dialog.h"
#include "app/dialogs/plot_limits_dialog.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "frame/frame_settings.h"
#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "plot/plot_button.h"
#include "plot/plot_check_box.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::app {

QString PageTabText(views::PageKind kind) {
    switch (kind) {
        case views::PageKind::OctaveTable:
            return qs(lexicon().text(Word::OneOneOctaves));
        case views::PageKind::ThirdTable:
            return qs(lexicon().text(Word::OneThirdOctaves));
        case views::PageKind::BandTable:
            return qs(lexicon().text(Word::Bands));
        case views::PageKind::WeightedTable:
            return qs(lexicon().text(Word::WeightedLevels));
        case views::PageKind::Spectra:
            return QCoreApplication::translate("k470::app::SourcePage", "Spectra");
        case views::PageKind::Multirecords:
            return QCoreApplication::translate("k470::app::SourcePage", "Multirecords");
        case views::PageKind::Signal:
            return QCoreApplication::translate("k470::app::SourcePage", "Signal");
        default:
            break;
    }
    const AnalysisPageEntry* analysis = AnalysisPageOf(kind);
    return analysis ? AnalysisTabText(*analysis) : QString();
}

views::PlotLimits& SpectrumPlotLimits() {
    static views::PlotLimits limits;
    return limits;
}

SourcePage::SourcePage(PageContext& context, views::PageKind kind, QWidget* parent)
    : QWidget(parent), context_(context), kind_(kind) {}

void SourcePage::CopyToClipboard() const {
    QApplication::clipboard()->setText(ClipboardText());
}

void FollowChartCursors(plot::LineChart& chart, QPushButton& note) {
    note.setObjectName(QStringLiteral("toNotepad"));
    note.setEnabled(chart.anyCursorVisible());
    chart.onCursorsChanged = [&chart, button = QPointer<QPushButton>(&note)] {
        if (button) button->setEnabled(chart.anyCursorVisible());
    };
}

void NoteChartCursors(const plot::LineChart& chart, views::Notepad* notepad) {
    if (!notepad || chart.curves().empty()) return;
    const std::vector<double>& values = chart.curves().front().values;
    for (int c = 0; c < 2; ++c) {
        if (!chart.cursorVisible(c)) continue;
        const int64_t sample = chart.cursorSample(c);
        if (sample < 0 || sample >= static_cast<int64_t>(values.size())) continue;
        notepad->Add(chart.cursorX(c), values[static_cast<size_t>(sample)]);
    }
}

SourcePage* MakeLevelPage(PageContext& context, views::PageKind kind, QWidget* parent) {
    switch (kind) {
        case views::PageKind::Spectra:
            return new SpectraPage(context, parent);
        case views::PageKind::Multirecords:
            return new MultirecordsPage(context, parent);
        default:
            return new TablePage(context, kind, parent);
    }
}

}  // namespace k470::app
