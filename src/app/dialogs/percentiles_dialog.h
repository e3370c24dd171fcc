// SPDX-License-Identifier: GPL-3.0-or-later
// "Distribution histogram": percentiles of a level over the records of several files, with the
// histogram drawn beside the numbers.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs/level_choice_lists.h"
#include "base/settings_store.h"
#include "export/level_locator.h"
#include "export/percentiles.h"
#include "export/report.h"
#include "export/report_config.h"

class QLabel;
class QLineEdit;

namespace k470::plot {
class BarChart;
class PlotWindow;
}  // namespace k470::plot

namespace k470::app {

class PercentilesDialog : public QDialog {
    Q_OBJECT
  public:
    PercentilesDialog(SettingsStore& store, std::vector<std::string> paths, DeviceType type, QWidget* parent);
    ~PercentilesDialog() override;

    // "Calculate" and "Save to clipboard" as their buttons run them.
    void Calculate();
    void SaveToClipboard();
    LevelChoiceLists& lists() { return *lists_; }
    QLineEdit* percentField(int i) const { return percent_[static_cast<size_t>(i)]; }
    QLabel* resultField(int i) const { return result_[static_cast<size_t>(i)]; }
    QLabel* minimumField() const { return minimum_; }
    QLabel* maximumField() const { return maximum_; }
    plot::BarChart* histogram() const { return histogram_; }
    std::function<void(const QString&)> showError;

  private:
    PercentileForm form() const;
    SettingsStore& store_;
    std::vector<std::string> paths_;
    DeviceType type_;
    LevelChoiceLists* lists_;
    std::array<QLineEdit*, kPercentileFields> percent_{};
    std::array<QLabel*, kPercentileFields> result_{};
    QLabel* minimum_;
    QLabel* maximum_;
    plot::PlotWindow* plot_;
    plot::BarChart* histogram_;
};

}  // namespace k470::app
