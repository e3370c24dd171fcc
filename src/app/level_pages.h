// SPDX-License-Identifier: GPL-3.0-or-later
// The tab pages of a device data file: band and weighted-level tables, the spectrum bars and the level
// over the records. A page only shows what the views core computes from the record the window hands it.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "base/settings_store.h"
#include "data/bin_file.h"
#include "views/level_views.h"
#include "views/misc_views.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;

namespace k470::plot {
class BarChart;
class LineChart;
class PlotCheckBox;
class PlotWindow;
class ScrollZoomBar;
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
    double p0 = 2e-05;
    SettingsStore* store = nullptr;
    views::Notepad* notepad = nullptr;  // the points that the plots note
};

// The spectrum plot limits: one set for the whole process, not saved, kept while pages come and go.
views::PlotLimits& SpectrumPlotLimits();

class LevelPage : public QWidget {
    Q_OBJECT
  public:
    LevelPage(PageContext& context, views::PageKind kind, QWidget* parent);
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

// A band-table page (one or two tables with toggle headers) or the weighted-levels page (one table with
// the "OVERLOAD" and "Underrange" indicators).
class TablePage : public LevelPage {
    Q_OBJECT
  public:
    TablePage(PageContext& context, views::PageKind kind, QWidget* parent);
    void Refresh() override;
    QString ClipboardText() const override;
    // A toggle button (ids 110..509) clicked, with or without Ctrl; the selection goes over to the other
    // table.
    void ClickToggle(int id, bool ctrl);
    // A right click into table k: both of its selection sets are cleared.
    void ClearSelection(int table);
    QTableWidget* table(int k) const { return tables_[static_cast<size_t>(k)]; }
    int tableCount() const { return static_cast<int>(shown_.size()); }
    const views::TableSelection& selection(int k) const { return selection_[static_cast<size_t>(k)]; }
    QPushButton* overloadIndicator() const { return overload_; }
    QPushButton* underrangeIndicator() const { return underrange_; }
    const std::vector<views::LevelTable>& shown() const { return shown_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void paintSelection(int k);
    bool ctrlHeld() const;
    bool pressCtrl_ = false;
    std::vector<views::LevelTable> shown_;
    std::array<QTableWidget*, 2> tables_{};
    std::array<views::TableSelection, 2> selection_{};
    QPushButton* overload_ = nullptr;
    QPushButton* underrange_ = nullptr;
};

class SpectraPage : public LevelPage {
    Q_OBJECT
  public:
    SpectraPage(PageContext& context, QWidget* parent);
    void Refresh() override;
    QString ClipboardText() const override;
    // Selects a time weighting (0..3) as its radio button does.
    void SelectWeighting(int index);
    // Checks a correction box; the boxes act as one radio group.
    void SelectCorrection(views::Correction c);
    views::Correction correction() const { return correction_; }
    // "Plot": the limits dialog's values; refused (false) unless they are in order.
    bool ApplyLimits(const views::PlotLimits& limits);
    plot::BarChart* octaveChart() const { return octaves_; }
    plot::BarChart* thirdChart() const { return thirds_; }
    const views::Spectrum& spectrum() const { return spectrum_; }
    bool onLineState() const;
    plot::PlotWindow* plotWindow() const { return plot_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void layoutCharts();
    std::vector<views::TimeWeighting> weightings_;
    std::vector<QRadioButton*> radios_;
    int weighting_ = 0;
    views::Correction correction_ = views::Correction::Z;
    bool settingCorrection_ = false;  // checking one box clears the others, which call back
    views::Spectrum spectrum_;
    plot::PlotWindow* plot_ = nullptr;
    plot::BarChart* octaves_ = nullptr;
    plot::BarChart* thirds_ = nullptr;
    plot::PlotCheckBox* onLine_ = nullptr;
    std::array<plot::PlotCheckBox*, 3> boxes_{};  // C, A, Z
};

class MultirecordsPage : public LevelPage {
    Q_OBJECT
  public:
    MultirecordsPage(PageContext& context, QWidget* parent);
    ~MultirecordsPage() override;
    void Refresh() override;
    QString ClipboardText() const override;
    QComboBox* parameterList() const { return parameter_; }
    QComboBox* tableList() const { return table_; }
    QComboBox* bandList() const { return band_; }
    QCheckBox* clockTimeBox() const { return clock_; }
    // The level of the chosen value over the records, and the records' times; read from the records when
    // first asked for (or first shown), and again only when the choice or the channel changes.
    const std::vector<double>& series() const;
    const std::vector<double>& seconds() const;
    double lowerBound() const { return lower_; }
    double upperBound() const { return upper_; }
    // "Enter bounds" answered with these texts; a text that is not a number keeps its bound. Refused
    // (false, nothing changes) unless the lower bound is below the upper one.
    bool ApplyBounds(const QString& lower, const QString& upper);
    plot::LineChart* chart() const { return chart_; }
    plot::ScrollZoomBar* scrollZoomBar() const { return bar_; }
    // Notes the chart's shown cursors (time, level) in the notepad.
    void NoteCursors();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct Choice {
        int table = -1, parameter = -1, band = -1, channel = -1;
        const void* source = nullptr;
        bool operator==(const Choice&) const = default;
    };
    void fillLists();
    void fillBandAndParameter();
    Choice choice() const;
    // Reads the series again when the choice changed since the last reading.
    void load() const;
    // Puts the series on the chart when it is not there yet (the chart is drawn, not the page's state).
    void showSeries() const;
    void showTimeAxis() const;
    QComboBox* parameter_ = nullptr;
    QComboBox* table_ = nullptr;
    QComboBox* band_ = nullptr;
    QCheckBox* clock_ = nullptr;
    plot::PlotWindow* plot_ = nullptr;
    plot::LineChart* chart_ = nullptr;
    plot::ScrollZoomBar* bar_ = nullptr;
    QTimer* timer_ = nullptr;
    mutable views::LevelSeriesData series_;
    mutable Choice loaded_;
    mutable Choice shown_;
    double lower_ = 0.0;
    double upper_ = 150.0;
};

// "To notepad" is enabled only while the chart shows a cursor.
void FollowChartCursors(plot::LineChart& chart, QPushButton& note);
// Notes the shown cursors of a chart (x, and the first curve's value there) in the notepad.
void NoteChartCursors(const plot::LineChart& chart, views::Notepad* notepad);

// The page of a kind for the context.
LevelPage* MakeLevelPage(PageContext& context, views::PageKind kind, QWidget* parent);
// The tab text of a page.
QString PageTabText(views::PageKind kind);

}  // namespace k470::app
