// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/notepad_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/problem_line.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470::app {

NotepadDialog::NotepadDialog(views::Notepad& notepad, QWidget* parent) : QDialog(parent), notepad_(notepad) {
    setWindowTitle(tr("Notepad"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(tr("Points noted from the plots (choose two):"), this));
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (size_t i = 0; i < notepad_.points().size(); ++i) list_->addItem(qs(notepad_.PointText(i)));
    column->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Difference"), this));
    difference_ = new QLineEdit(this);
    difference_->setReadOnly(true);
    row->addWidget(difference_, 1);
    column->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton(tr("Clear"), this);
    auto* exit = new QPushButton(tr("Exit"), this);
    connect(clear, &QPushButton::clicked, this, &NotepadDialog::Clear);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    column->addLayout(buttons);
    connect(list_, &QListWidget::itemSelectionChanged, this, &NotepadDialog::showDifference);
}

void NotepadDialog::showDifference() {
    std::vector<size_t> chosen;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->isSelected()) chosen.push_back(static_cast<size_t>(i));
    difference_->setText(chosen.size() == 2 ? qs(notepad_.DifferenceText(chosen[0], chosen[1])) : QString());
}

void NotepadDialog::Clear() {
    notepad_.Clear();
    list_->clear();
    difference_->clear();
}

}  // namespace k470::app
