// SPDX-License-Identifier: GPL-3.0-or-later
// A tab page of a device data file, and what every page reads: the shown record, the source's type and
// records, the selected channel and the level text settings. A page only shows what the views core
// computes from the record the window hands it.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/reference_values.h"
#include "views/level_views.h"
#include "views/misc_views.h"

class QPushButton;

namespace k470::plot {
class LineChart;
}  // namespace k470::plot

namespace k470::app {

// What every page reads: the shown record (the current one, or the average of a range), the source's
// type and records, the selected channel and the level text settings.
struct PageContext {
    DeviceType type = 0;
    const MeasurementRecord* record = nullptr;
    const BinFile* file = nullptr;
    // The source's records read on demand; without them, those of `file`.
    const views::RecordsByIndex* records = nullptr;
    int channel = 0;
    bool linear = false;
    double zeroDbReference = kReferenceSoundPressure;  // the linear value of 0 dB in the level texts
    SettingsStore* store = nullptr;
    views::Notepad* notepad = nullptr;  // the points that the plots note
};

// The spectrum plot limits: one set for the whole process, not saved, kept while pages come and go.
views::PlotLimits& SpectrumPlotLimits();

class SourcePage : public QWidget {
    Q_OBJECT
  public:
    SourcePage(PageContext& context, views::PageKind kind, QWidget* parent);
    views::PageKind kind() const { return kind_; }
    // The record, the channel or the averaging changed: show the values again.
    virtual void Refresh() = 0;
    // The page's text for the clipboard.
    virtual QString ClipboardText() const = 0;
    void CopyToClipboard() const;

  protected:
    PageContext& context_;
    views::PageKind kind_;
};

// "To notepad" is enabled only while the chart shows a cursor.
void FollowChartCursors(plot::LineChart& chart, QPushButton& note);

// Notes the shown cursors of a chart (x, and the first curve's value there) in the notepad.
void NoteChartCursors(const plot::LineChart& chart, views::Notepad* notepad);

// The page of a kind for the context.
SourcePage* MakeLevelPage(PageContext& context, views::PageKind kind, QWidget* parent);

// The tab text of a page.
QString PageTabText(views::PageKind kind);

}  // namespace k470::app
