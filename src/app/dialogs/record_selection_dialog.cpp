// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/record_selection_dialog.h"
#include "app/qt_text.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace k470::app {

RecordSelectionDialog::RecordSelectionDialog(const std::vector<views::SignalRecordRow>& rows, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Select records"));
    auto* column = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({tr("Date"), tr("Time"), tr("VIN"), tr("Length (sec)")});
    for (size_t i = 0; i < rows.size(); ++i) {
        const views::SignalRecordRow& r = rows[i];
        auto* item = new QTreeWidgetItem(list_, {qs(r.date), qs(r.time), qs(r.vin), qs(r.length)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, i == 0 ? Qt::Checked : Qt::Unchecked);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    column->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    auto* all = new QPushButton(tr("Select all"), this);
    auto* none = new QPushButton(tr("Clear selection"), this);
    connect(all, &QPushButton::clicked, this, [this] { SetAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { SetAll(false); });
    row->addWidget(all);
    row->addWidget(none);
    row->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    row->addWidget(buttons);
    column->addLayout(row);
    resize(520, 320);
}

std::vector<bool> RecordSelectionDialog::checked() const {
    std::vector<bool> flags;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        flags.push_back(list_->topLevelItem(i)->checkState(0) == Qt::Checked);
    return flags;
}

void RecordSelectionDialog::SetAll(bool on) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        list_->topLevelItem(i)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
}

}  // namespace k470::app
