// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/plot_limits_dialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

#include "app/dialogs/problem_line.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470::app {

PlotLimitsDialog::PlotLimitsDialog(const views::PlotLimits& l, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Plot"));
    auto* form = new QFormLayout(this);
    const int values[] = {l.lower, l.upper, l.threshold1, l.threshold2, l.threshold3};
    const QString names[] = {tr("Lower limit [dB]"), tr("Upper limit [dB]"), tr("Threshold 1[dB]"),
                             tr("Threshold 2[dB]"), tr("Threshold 3[dB]")};
    for (size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = new QSpinBox(this);
        boxes_[i]->setRange(-1000, 1000);
        boxes_[i]->setValue(values[i]);
        form->addRow(names[i], boxes_[i]);
        connect(boxes_[i], &QSpinBox::valueChanged, this, [this] {
            if (problem_->isVisible()) showProblem(*problem_, problem());
        });
    }
    problem_ = addProblemAndButtons(*this, *form);
}

views::PlotLimits PlotLimitsDialog::limits() const {
    return {boxes_[0]->value(), boxes_[1]->value(), boxes_[2]->value(), boxes_[3]->value(),
            boxes_[4]->value()};
}

QString PlotLimitsDialog::problem() const {
    const views::PlotLimits l = limits();
    QString why;
    if (l.lower >= l.threshold1)
        why = tr("the lower limit must be below threshold 1");
    else if (l.threshold1 >= l.threshold2)
        why = tr("threshold 1 must be below threshold 2");
    else if (l.threshold2 >= l.upper)
        why = tr("threshold 2 must be below the upper limit");
    else if (l.lower >= l.threshold3)
        why = tr("threshold 3 must be above the lower limit");
    if (why.isEmpty()) return {};
    return qs(lexicon().text(Word::ErrorInParameters)) + QStringLiteral(": ") + why;
}

void PlotLimitsDialog::accept() {
    const QString why = problem();
    showProblem(*problem_, why);
    if (why.isEmpty()) QDialog::accept();
}

}  // namespace k470::app
