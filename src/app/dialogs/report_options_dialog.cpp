// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/report_options_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialogs/level_choice_lists.h"

namespace k470::app {

ReportOptionsDialog::ReportOptionsDialog(DeviceType type, const ReportOptions& initial, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Report document"));
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    operator_ = new QLineEdit(initial.fields.operatorName, this);
    project_ = new QLineEdit(initial.fields.project, this);
    form->addRow(tr("Operator:"), operator_);
    form->addRow(tr("Project:"), project_);
    column->addLayout(form);
    lists_ = new LevelChoiceLists(type, this);
    lists_->Select(initial.level);
    auto* levelForm = new QFormLayout;
    levelForm->addRow(tr("Level to plot:"), lists_->row());
    column->addLayout(levelForm);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

ReportOptions ReportOptionsDialog::options() const {
    ReportOptions o;
    o.fields.operatorName = operator_->text();
    o.fields.project = project_->text();
    o.level = lists_->selection();
    return o;
}

}  // namespace k470::app
