#include "app/window_placement.h"

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

WindowRect StoredRect(WindowGeometry g) {
    return {g.x, g.y, g.x + g.width + 1, g.y + g.height + 1};
}

}  // namespace k470::app
