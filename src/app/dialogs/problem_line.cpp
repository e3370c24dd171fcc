// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/problem_line.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

namespace k470::app {

QLabel* addProblemAndButtons(QDialog& dialog, QFormLayout& form) {
    auto* problem = new QLabel(&dialog);
    problem->setObjectName(QStringLiteral("problem"));
    problem->setStyleSheet(QStringLiteral("color: #c00000;"));
    problem->setWordWrap(true);
    problem->hide();
    form.addRow(problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form.addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return problem;
}

void showProblem(QLabel& label, const QString& text) {
    label.setText(text);
    label.setVisible(!text.isEmpty());
    label.window()->adjustSize();  // room for the wrapped lines
}

}  // namespace k470::app
