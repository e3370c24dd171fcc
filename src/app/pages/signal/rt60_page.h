// SPDX-License-Identifier: GPL-3.0-or-later
// The "RT-60" page of a signal source: reverberation times per octave or third band of a stretch of the
// signal, calculated on request. For a replayed file the stretch is a range of a record read from the file
// (the current record and the replay range unless chosen otherwise); for the live stream it is the last
// seconds that flowed. A table of EDT, T20 and T30 with their correlations and a note where a value is
// missing, the decay curve of a chosen band with its fitted lines and noise floor, "Copy" and "Save CSV".
#pragma once

#include <optional>
#include <span>

#include "acoustics/reverberation_table.h"
#include "app/pages/signal/signal_analysis.h"
#include "app/sessions/session.h"
#include "views/signal_history.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;

namespace k470::plot {
class LineChart;
class PlotWindow;
}  // namespace k470::plot

namespace k470::app {

class Rt60Page : public SignalAnalysisPage {
    Q_OBJECT
  public:
    // The seconds of the live stream that "Calculate" analyses.
    static constexpr double kLiveSeconds = 10.0;

    Rt60Page(const SessionEnv& env, PageContext& context, SignalSourceRef source, QWidget* parent);
    void Restart() override;
    void Feed(std::span<const double> frames) override;
    void Refresh() override {}
    // The table, tab-separated with a header line.
    QString ClipboardText() const override;

    // "Calculate": reads and analyses the chosen stretch; false (with the message shown) when it fails.
    bool Calculate();
    // "Save CSV...": asks for the file and writes the table as `k470-cli rt60` does.
    void SaveCsvAsked();
    Status SaveCsv(const QString& path) const;

    const std::optional<acoustics::ReverberationResult>& result() const { return result_; }
    QSpinBox* recordBox() const { return record_; }
    QComboBox* startList() const { return start_; }
    QComboBox* endList() const { return end_; }
    QComboBox* bandsList() const { return bands_; }
    QComboBox* decayBandList() const { return decayBand_; }
    QPushButton* calculateButton() const { return calculate_; }
    QTableWidget* table() const { return table_; }
    QLabel* stateLabel() const { return state_; }
    plot::LineChart* chart() const { return chart_; }

  private:
    int channel() const;
    // The row of range, band and action controls with the state line, and the table over the decay plot.
    void addControls(QVBoxLayout& column);
    void addResults(QVBoxLayout& column);
    // The replay's range and markers of the current record in the start and end lists.
    void fillRange(const ReplayController& replay);
    void showResult();
    void showDecay();
    Result<acoustics::ReverberationResult> analyse(const acoustics::ReverberationProgress& progress);

    SessionEnv env_;
    SignalSourceRef source_;
    views::SignalHistory history_;
    std::optional<acoustics::ReverberationResult> result_;
    QSpinBox* record_ = nullptr;
    QComboBox* start_ = nullptr;
    QComboBox* end_ = nullptr;
    QComboBox* bands_ = nullptr;
    QPushButton* calculate_ = nullptr;
    QLabel* state_ = nullptr;
    QTableWidget* table_ = nullptr;
    QComboBox* decayBand_ = nullptr;
    plot::PlotWindow* plot_ = nullptr;
    plot::LineChart* chart_ = nullptr;
};

}  // namespace k470::app
