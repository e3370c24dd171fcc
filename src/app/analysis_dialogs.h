// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs of the analysis commands: "Distribution histogram" (percentiles of a level over the records
// of several files, with the histogram drawn beside the numbers) and "Report" (the columns of a report,
// kept per device type in report.cfg).
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "export/level_locator.h"
#include "export/percentiles.h"
#include "export/report.h"
#include "export/report_config.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;

namespace k470::plot {
class BarChart;
class PlotWindow;
}  // namespace k470::plot

namespace k470::app {

// The level choice lists that both dialogs share: table, parameter, band and (for the three-channel
// types) channel; changing the table refills the parameter and band lists.
class LevelChoiceLists : public QObject {
    Q_OBJECT
  public:
    LevelChoiceLists(DeviceType type, QWidget* parent);
    LevelSelection selection() const;
    QComboBox* table() const { return table_; }
    QComboBox* parameter() const { return parameter_; }
    QComboBox* band() const { return band_; }
    QComboBox* channel() const { return channel_; }
    bool hasChannels() const { return hasChannels_; }
    // The four lists side by side, as a row of a dialog.
    QHBoxLayout* row() const;

  private:
    void refill();
    DeviceType type_;
    QComboBox* table_;
    QComboBox* parameter_;
    QComboBox* band_;
    QComboBox* channel_;
    bool hasChannels_ = false;
};

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

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

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

// report.cfg in the data directory ($K470_DATA_DIR, else $XDG_DATA_HOME/k470, else ~/.local/share/k470).
QString ReportConfigPath();

class ReportDialog : public QDialog {
    Q_OBJECT
  public:
    ReportDialog(QString configPath, DeviceType type, QWidget* parent);

    void Add();
    void All();
    void Delete();
    void MoveUp();
    void MoveDown();
    const ReportColumnList& columns() const { return columns_; }
    ReportSwitches switches() const;
    LevelChoiceLists& lists() { return *lists_; }
    QListWidget* list() const { return list_; }
    // The dialog closes (any way): the type's columns go back to report.cfg with the other types' entries.
    void done(int result) override;

  private:
    void showColumns(int selected);
    QString configPath_;
    DeviceType type_;
    ReportConfig config_;
    ReportColumnList columns_;
    LevelChoiceLists* lists_;
    QListWidget* list_;
    std::array<QCheckBox*, 5> switches_{};
};

}  // namespace k470::app
