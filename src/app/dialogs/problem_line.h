// SPDX-License-Identifier: GPL-3.0-or-later
// The line under a dialog's fields that says what keeps the dialog open, above its OK and Cancel buttons.
#pragma once

class QDialog;
class QFormLayout;
class QLabel;
class QString;

namespace k470::app {

// Adds the (hidden) problem line and the OK and Cancel buttons to the form; returns the line.
QLabel* addProblemAndButtons(QDialog& dialog, QFormLayout& form);

// Shows the text on the line, or hides the line for an empty text.
void showProblem(QLabel& label, const QString& text);

}  // namespace k470::app
