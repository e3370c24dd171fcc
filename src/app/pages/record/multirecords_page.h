// SPDX-License-Identifier: GPL-3.0-or-later
// The level over the records: one parameter of one band (and channel) through the whole file, with
// cursors, the level bounds and the time axis.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "app/pages/source_page.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "views/level_views.h"
#include "views/misc_views.h"

class QCheckBox;
class QComboBox;
class QTimer;

namespace k470::plot {
class LineChart;
class PlotWindow;
class ScrollZoomBar;
}  // namespace k470::plot

namespace k470::app {

class MultirecordsPage : public SourcePage {
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

}  // namespace k470::app
