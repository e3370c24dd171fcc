// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/window_placement.h"

#include <algorithm>
#include <initializer_list>

namespace k470::app {

WindowGeometry PlaceMainWindow(WindowRect r, WindowGeometry current) {
    // Values no screen has come from a damaged file; the arithmetic below must not overflow on them.
    constexpr int kLimit = 1'000'000;
    for (int v : {r.left, r.top, r.right, r.bottom})
        if (v < -kLimit || v > kLimit) return current;
    if (r.right - r.left < kMinWindowWidth) r.right = r.left + kMinWindowWidth;
    if (r.bottom - r.top < kMinWindowHeight) r.bottom = r.top + kMinWindowHeight;
    if (r.left < 0 || r.top < 0) return current;
    return {r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1};
}

WindowGeometry KeepOnScreen(WindowGeometry g, WindowGeometry screen) {
    if (screen.width <= 0 || screen.height <= 0) return g;
    g.width = std::min(g.width, screen.width);
    g.height = std::min(g.height, screen.height);
    g.x = std::clamp(g.x, screen.x, screen.x + screen.width - g.width);
    g.y = std::clamp(g.y, screen.y, screen.y + screen.height - g.height);
    return g;
}

WindowRect StoredRect(WindowGeometry g) {
    return {g.x, g.y, g.x + g.width + 1, g.y + g.height + 1};
}

}  // namespace k470::app
