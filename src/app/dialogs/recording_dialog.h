// SPDX-License-Identifier: GPL-3.0-or-later
// The autorecording parameters: the saving period in seconds, the number of records and whether the
// recording waits for the external trigger. The texts are checked by ParseRecordingParameters.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace k470::app {

struct RecordingEntries {
    QString period = QStringLiteral("1");
    QString records = QStringLiteral("10");
    bool externalTrigger = false;
};

class RecordingDialog : public QDialog {
    Q_OBJECT
  public:
    explicit RecordingDialog(const RecordingEntries& entries, QWidget* parent = nullptr);

    RecordingEntries entries() const;

    QLineEdit* periodEdit() const { return period_; }
    QLineEdit* recordsEdit() const { return records_; }
    QCheckBox* externalTriggerBox() const { return trigger_; }

  private:
    QLineEdit* period_ = nullptr;
    QLineEdit* records_ = nullptr;
    QCheckBox* trigger_ = nullptr;
};

}  // namespace k470::app
