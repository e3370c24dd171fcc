// SPDX-License-Identifier: GPL-3.0-or-later
// "Enter bounds": the multi-record level bounds; the dialog stays open with the typed values and says
// what is wrong until they are in order.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "views/level_views.h"

class QLabel;
class QLineEdit;

namespace k470::app {

// "Enter bounds": the lower and upper level bound. A text that is not a number keeps its bound; OK closes
// the dialog only when the lower bound is below the upper one.
class BoundsDialog : public QDialog {
    Q_OBJECT
  public:
    BoundsDialog(double lower, double upper, QWidget* parent);
    double lower() const;
    double upper() const;
    QLineEdit* lowerEdit() const { return lowerEdit_; }
    QLineEdit* upperEdit() const { return upperEdit_; }
    QString problem() const;
    void accept() override;

  private:
    double oldLower_;
    double oldUpper_;
    QLineEdit* lowerEdit_;
    QLineEdit* upperEdit_;
    QLabel* problem_;
};

}  // namespace k470::app
