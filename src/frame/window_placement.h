// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window opens: the stored rectangle, widened to at least 740 x 445, or the place the
// desktop chose when the stored corner is off the screen to the left or above; and then kept on the screen
// it opens on, whose size in the window's units shrinks with the display scale (QT_SCALE_FACTOR).
#pragma once

namespace k470::app {

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;   // left + width + 1, as stored
    int bottom = 0;  // top + height + 1, as stored
};

struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

constexpr int kMinWindowWidth = 740;
constexpr int kMinWindowHeight = 445;
constexpr WindowRect kDefaultWindowRect{0, 0, kMinWindowWidth, kMinWindowHeight};

// The window's place from the stored rectangle: width right - left - 1, height bottom - top - 1 after
// widening to the minimum; a stored negative left or top (or a value beyond any screen) keeps the
// current geometry.
WindowGeometry PlaceMainWindow(WindowRect stored, WindowGeometry current);
// The window moved onto the screen's available area, and shrunk to it where it is larger: the screen wins
// over the minimum size. An empty screen area changes nothing.
WindowGeometry KeepOnScreen(WindowGeometry window, WindowGeometry screen);
// The rectangle to store for a window at this geometry, chosen so that PlaceMainWindow gives the same
// geometry back (the window keeps its size from run to run).
WindowRect StoredRect(WindowGeometry geometry);

}  // namespace k470::app
