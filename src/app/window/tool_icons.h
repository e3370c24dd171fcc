// SPDX-License-Identifier: GPL-3.0-or-later
// The tool-bar pictures and the program's icon, drawn here with QPainter as vector shapes, so they stay
// sharp at every size and on HiDPI screens.
#pragma once

#include <QIcon>

#include "frame/commands.h"

namespace k470::app {

// The picture of a tool-bar command (an empty icon for an id without one).
QIcon ToolIcon(Command command);
// The program's icon: a level meter's dial.
QIcon ApplicationIcon();

}  // namespace k470::app
