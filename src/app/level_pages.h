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
// type, the selected channel and the level text settings that live as long as the process.
struct PageContext {
    DeviceType type = 0;
    const MeasurementRecord* record = nullptr;
    const BinFile* file = nullptr;
    int channel = 0;
    bool linear = false;
    double p0 = 2e-05;
    views::PlotLimits limits;
    SettingsStore* store = nullptr;
    views::Notepad* notepad = nullptr;  // the points that the plots note
};

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
    const std::vector<double>& series() const { return series_; }
    double lowerBound() const { return lower_; }
    double upperBound() const { return upper_; }
    // "Enter bounds" answered with these texts; a text that is not a number keeps its bound.
    void ApplyBounds(const QString& lower, const QString& upper);
    plot::LineChart* chart() const { return chart_; }
    // Notes the chart's shown cursors (time, level) in the notepad.
    void NoteCursors();

  private:
    void fillLists();
    void fillBandAndParameter();
    void reload();
    QComboBox* parameter_ = nullptr;
    QComboBox* table_ = nullptr;
    QComboBox* band_ = nullptr;
    plot::PlotWindow* plot_ = nullptr;
    plot::LineChart* chart_ = nullptr;
    plot::ScrollZoomBar* bar_ = nullptr;
    QTimer* timer_ = nullptr;
    std::vector<double> series_;
    double lower_ = 0.0;
    double upper_ = 150.0;
};

// Notes the shown cursors of a chart (x, and the first curve's value there) in the notepad.
void NoteChartCursors(const plot::LineChart& chart, views::Notepad* notepad);

// The page of a kind for the context.
LevelPage* MakeLevelPage(PageContext& context, views::PageKind kind, QWidget* parent);
// The tab text of a page.
QString PageTabText(views::PageKind kind);

}  // namespace k470::app
