// SPDX-License-Identifier: GPL-3.0-or-later
// "Report document": what a report asks for before it is made.
#pragma once

#include <QDialog>

#include "app/commands/report_document.h"
#include "data/device_type.h"
#include "export/level_locator.h"

class QLineEdit;

namespace k470::app {

class LevelChoiceLists;

struct ReportOptions {
    ReportFields fields;
    LevelSelection level;
};

// "Report document": operator, project and the level to plot (table, parameter, band and, for the
// three-channel types, channel).
class ReportOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    ReportOptionsDialog(DeviceType type, const ReportOptions& initial, QWidget* parent = nullptr);
    ReportOptions options() const;

    QLineEdit* operatorEdit() const { return operator_; }
    QLineEdit* projectEdit() const { return project_; }
    LevelChoiceLists& lists() const { return *lists_; }

  private:
    QLineEdit* operator_;
    QLineEdit* project_;
    LevelChoiceLists* lists_;
};

}  // namespace k470::app
