// SPDX-License-Identifier: GPL-3.0-or-later
// Placing a top-level window from its stored rectangle on the screen it opens on.
#pragma once

#include "frame/window_placement.h"

class QWidget;

namespace k470::app {

// Moves and sizes the window as PlaceMainWindow says, kept inside the available area of the screen under
// the stored corner (or of the primary screen when no screen is there).
void RestorePlacement(QWidget& window, WindowRect stored);

}  // namespace k470::app
