// SPDX-License-Identifier: GPL-3.0-or-later
// "Notepad": the points noted from the plots and the difference of two of them.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "views/misc_views.h"

class QLineEdit;
class QListWidget;

namespace k470::app {

class NotepadDialog : public QDialog {
    Q_OBJECT
  public:
    NotepadDialog(views::Notepad& notepad, QWidget* parent);
    QListWidget* list() const { return list_; }
    QLineEdit* difference() const { return difference_; }
    void Clear();

  private:
    void showDifference();
    views::Notepad& notepad_;
    QListWidget* list_;
    QLineEdit* difference_;
};

}  // namespace k470::app
