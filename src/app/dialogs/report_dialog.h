// SPDX-License-Identifier: GPL-3.0-or-later
// "Report": the columns of a report, kept per device type in report.cfg.
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

class QCheckBox;
class QListWidget;

namespace k470::app {

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
