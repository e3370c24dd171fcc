// SPDX-License-Identifier: GPL-3.0-or-later
// "Select records": which records of a signal file to convert.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "signal/sdt_conversion.h"
#include "views/signal_commands.h"

class QTreeWidget;

namespace k470::app {

class RecordSelectionDialog : public QDialog {
    Q_OBJECT
  public:
    // One row per record; only the first is checked at the start.
    RecordSelectionDialog(const std::vector<views::SignalRecordRow>& rows, QWidget* parent);
    std::vector<bool> checked() const;
    void SetAll(bool on);
    QTreeWidget* list() const { return list_; }

  private:
    QTreeWidget* list_;
};

}  // namespace k470::app
