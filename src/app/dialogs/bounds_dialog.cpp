// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/bounds_dialog.h"

#include <QFormLayout>
#include <QLineEdit>

#include "app/dialogs/problem_line.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470::app {

BoundsDialog::BoundsDialog(double lower, double upper, QWidget* parent)
    : QDialog(parent), oldLower_(lower), oldUpper_(upper) {
    setWindowTitle(tr("Enter bounds"));
    auto* form = new QFormLayout(this);
    lowerEdit_ = new QLineEdit(qs(views::BoundText(lower)), this);
    upperEdit_ = new QLineEdit(qs(views::BoundText(upper)), this);
    form->addRow(tr("Lower limit"), lowerEdit_);
    form->addRow(tr("Upper limit"), upperEdit_);
    problem_ = addProblemAndButtons(*this, *form);
}

double BoundsDialog::lower() const {
    return views::ParseBound(lowerEdit_->text().toStdString(), oldLower_);
}

double BoundsDialog::upper() const {
    return views::ParseBound(upperEdit_->text().toStdString(), oldUpper_);
}

QString BoundsDialog::problem() const {
    if (lower() < upper()) return {};
    return tr("The lower limit (%1) must be below the upper limit (%2).")
        .arg(qs(views::BoundText(lower())), qs(views::BoundText(upper())));
}

void BoundsDialog::accept() {
    const QString why = problem();
    showProblem(*problem_, why);
    if (why.isEmpty()) QDialog::accept();
}

}  // namespace k470::app
