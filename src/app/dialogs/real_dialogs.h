// SPDX-License-Identifier: GPL-3.0-or-later
// The real dialogs behind the window's questions and messages: file dialogs, message boxes, input dialogs,
// the replay range menu at its button and the progress bar.
#pragma once

#include "app/dialogs/user_dialogs.h"

class QProgressBar;
class QWidget;

namespace k470::app {

void UseRealDialogs(UserDialogs& dialogs, QWidget& window, QProgressBar& progress, QWidget& rangeButton);

}  // namespace k470::app
