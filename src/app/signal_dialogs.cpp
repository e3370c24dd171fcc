// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/signal_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace k470::app {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

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

TranslationParametersDialog::TranslationParametersDialog(const TranslationParameters& start, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Translation parameters"));
    auto* column = new QVBoxLayout(this);
    auto group = [this, column](const QString& title, const std::array<QString, 3>& texts,
                                std::array<QRadioButton*, 3>& buttons, int chosen) {
        auto* box = new QGroupBox(title, this);
        auto* inner = new QVBoxLayout(box);
        for (size_t i = 0; i < buttons.size(); ++i) {
            buttons[i] = new QRadioButton(texts[i], box);
            buttons[i]->setChecked(static_cast<int>(i) == chosen);
            inner->addWidget(buttons[i]);
        }
        column->addWidget(box);
    };
    group(
        tr("Saving"),
        {tr("in separate files"), tr("every channel in separate file"), tr("every record in separate file")},
        saving_, static_cast<int>(start.savingMode));
    group(tr("Playback rate"), {tr("from device"), tr("set 24 kHz"), tr("set 48 kHz")}, rate_,
          static_cast<int>(start.playbackRate));
    normalize_ = new QCheckBox(tr("signal normalization"), this);
    normalize_->setChecked(start.normalize);
    column->addWidget(normalize_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

TranslationParameters TranslationParametersDialog::parameters() const {
    TranslationParameters p;
    for (size_t i = 0; i < saving_.size(); ++i)
        if (saving_[i]->isChecked()) p.savingMode = static_cast<SavingMode>(i);
    for (size_t i = 0; i < rate_.size(); ++i)
        if (rate_[i]->isChecked()) p.playbackRate = static_cast<PlaybackRate>(i);
    p.normalize = normalize_->isChecked();
    return p;
}

}  // namespace k470::app
