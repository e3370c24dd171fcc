// SPDX-License-Identifier: GPL-3.0-or-later
// The "Vibration" page of a signal source whose channels are accelerations: the human-vibration figures of
// the signal since the start (ISO 2631-1 whole-body or ISO 5349-1 hand-arm): per axis the health
// weighting's r.m.s., VDV, MTVV and crest factor, the combined value and, for the exposure time entered,
// the daily exposure A(8). The figures come from the same core call as `k470-cli vibration --summary`, and
// "Copy" gives that CSV.
#pragma once

#include <optional>
#include <span>

#include "acoustics/vibration_analyser.h"
#include "acoustics/vibration_records.h"
#include "app/pages/signal/signal_analysis.h"
#include "app/sessions/session.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace k470::app {

class VibrationPage : public SignalAnalysisPage {
    Q_OBJECT
  public:
    VibrationPage(const SessionEnv& env, PageContext& context, SignalSourceRef source, QWidget* parent);
    // Whether a source's channels are accelerations, so that the page is offered.
    static bool Offered(const SignalSourceRef& source);

    void Restart() override;
    void Feed(std::span<const double> frames) override;
    void Refresh() override;
    // The summary as `k470-cli vibration --summary` writes it.
    QString ClipboardText() const override;

    // "Make vibration records...": the records of the file's records (one per second) in a .bin file of
    // the vibration meters' layout, which then opens as the window's source.
    void MakeVibrationRecords();

    // The rows shown, as the core computes them; empty before any signal.
    std::vector<acoustics::SummaryRow> summary() const;
    // The seconds of signal analysed since the start.
    double seconds() const { return analyser_ ? analyser_->current().durationSeconds : 0.0; }
    QComboBox* kindList() const { return kind_; }
    QDoubleSpinBox* exposureBox() const { return exposure_; }
    QTableWidget* table() const { return table_; }
    QLabel* stateLabel() const { return state_; }

  private:
    acoustics::VibrationKind kind() const;
    std::optional<double> exposureHours() const;

    SessionEnv env_;
    SignalSourceRef source_;
    std::optional<acoustics::VibrationAnalyser> analyser_;
    QString problem_;  // why there is no analysis (a rate the kind does not take)
    bool fresh_ = false;
    QComboBox* kind_ = nullptr;
    QDoubleSpinBox* exposure_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* records_ = nullptr;
    QLabel* state_ = nullptr;
};

}  // namespace k470::app
