// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/recording_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace k470::app {

RecordingDialog::RecordingDialog(const RecordingEntries& entries, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Autorecordind parameters"));
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    period_ = new QLineEdit(entries.period, this);
    records_ = new QLineEdit(entries.records, this);
    for (QLineEdit* e : {period_, records_}) e->setAlignment(Qt::AlignRight);
    form->addRow(tr("Saving period [sec]"), period_);
    form->addRow(tr("Number of records"), records_);
    column->addLayout(form);
    trigger_ = new QCheckBox(tr("External trigger"), this);
    trigger_->setChecked(entries.externalTrigger);
    column->addWidget(trigger_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

RecordingEntries RecordingDialog::entries() const {
    return {period_->text(), records_->text(), trigger_->isChecked()};
}

}  // namespace k470::app
