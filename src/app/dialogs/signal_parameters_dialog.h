// SPDX-License-Identifier: GPL-3.0-or-later
// "Signal parameters": per channel the calibration offset, the channel matrix row, the sensitivity, the
// units, the filter and the base level; for all channels the high-pass cut-off, the base decimation, the
// replay speed, original or processed signal and the processing presets. A channel's "->" shows the response
// of its library filter in place of the controls. The dialog shows a SignalParameters and forwards the user's
// input to it.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "frame/signal_parameters.h"

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace k470::plot {
class LineChart;
class PlotWindow;
}  // namespace k470::plot

namespace k470::app {

class SignalParametersDialog : public QDialog {
    Q_OBJECT
  public:
    // original holds the channel quantities that "original signal" loads into the edits.
    SignalParametersDialog(SignalParameters model, const SignalState& original, QWidget* parent);
    ~SignalParametersDialog() override;

    // The words of the items and messages in the language of the window.
    static SignalParametersWords Words();

    SignalParameters& model() { return model_; }
    // The dialog was closed by "OK" or "Process" with its values confirmed.
    bool confirmed() const { return confirmed_; }
    // "Process" closed it: the open signal file is to be reprocessed.
    bool processRequested() const { return process_; }

    // The user's side of the questions, replaceable so that the dialog can be driven without a person.
    std::function<std::optional<QString>()> askPresetName;
    std::function<bool()> askOverwrite;
    std::function<void(const QString& message)> showError;
    // "Filter reset": set by the window, which clears the processing chain's histories.
    std::function<void()> resetFilters;

    QComboBox* cutOff() const { return cutOff_; }
    QComboBox* decimation() const { return decimation_; }
    QComboBox* filter(int k) const { return at(filters_, k); }
    QLineEdit* offsetEdit(int k) const { return at(offsets_, k); }
    QLineEdit* offsetFactor(int k) const { return at(factors_, k); }
    QLineEdit* matrixEdit(int k, int j) const { return at(at(matrix_, k), j); }
    QLineEdit* sensitivityEdit(int k) const { return at(sensitivities_, k); }
    QLineEdit* unitsEdit(int k) const { return at(units_, k); }
    QLineEdit* baseLevelEdit(int k) const { return at(baseLevels_, k); }
    QPushButton* normaliseButton(int k) const { return at(normalise_, k); }
    QPushButton* responseButton(int k) const { return at(response_, k); }
    QRadioButton* replaySpeedButton(int i) const { return at(speeds_, i); }
    QRadioButton* originalButton() const { return original_; }
    QRadioButton* processedButton() const { return processed_; }
    QComboBox* presetCombo() const { return presets_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* filterResetButton() const { return filterReset_; }
    QPushButton* processButton() const { return processButton_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    plot::LineChart* chart() const { return chart_; }
    // The response plot is shown in place of the controls.
    bool responseShown() const;
    QPushButton* backButton() const { return back_; }

  private:
    template <class A>
    static typename A::value_type at(const A& a, int i) {
        return a[static_cast<size_t>(i)];
    }
    void buildChannels(QGridLayout* grid);
    // The row of the filter, decimation, speed, processing and preset choices.
    QHBoxLayout* buildCommonRow(QWidget* controls);
    // "Filter reset", "Process", "OK", "Cancel".
    QHBoxLayout* buildActions(QWidget* controls);
    // A filter's response in place of the controls.
    void buildResponsePage();
    void connectControls();
    void showValues();
    void showFilters();
    void showPresets();
    void updateEnabled();
    void confirm(bool process);
    void onAdd();
    void showResponse(int channel);

    SignalParameters model_;
    const SignalState& originalQuantities_;
    bool confirmed_ = false;
    bool process_ = false;
    QStackedWidget* pages_;
    QComboBox* cutOff_;
    QComboBox* decimation_;
    std::array<QComboBox*, 3> filters_{};
    std::array<QLineEdit*, 3> offsets_{};
    std::array<QLineEdit*, 3> factors_{};
    std::array<std::array<QLineEdit*, 3>, 3> matrix_{};
    std::array<QLineEdit*, 3> sensitivities_{};
    std::array<QLineEdit*, 3> units_{};
    std::array<QLineEdit*, 3> baseLevels_{};
    std::array<QPushButton*, 3> normalise_{};
    std::array<QPushButton*, 3> response_{};
    std::array<QRadioButton*, 3> speeds_{};
    QRadioButton* original_;
    QRadioButton* processed_;
    QComboBox* presets_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* filterReset_;
    QPushButton* processButton_;
    QPushButton* ok_;
    QPushButton* cancel_;
    plot::PlotWindow* plot_;
    plot::LineChart* chart_;
    QPushButton* back_;
};

}  // namespace k470::app
