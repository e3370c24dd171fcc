// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's place: kept on the screen it opens on, also when the display scale makes the screen
// smaller in the window's units than the stored size.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/window/screen_placement.h"
#include "frame/window_placement.h"

namespace k470::app {
namespace {

TEST(WindowPlacement, KeptOnTheScreenShrunkWhereItIsLarger) {
    const WindowGeometry screen{0, 0, 1600, 1000};
    struct Case {
        WindowGeometry window, kept;
    } cases[] = {
        {{10, 20, 800, 500}, {10, 20, 800, 500}},       // fits: unchanged
        {{0, 0, 1600, 1000}, {0, 0, 1600, 1000}},       // exactly the screen
        {{0, 0, 1601, 1001}, {0, 0, 1600, 1000}},       // a pixel more: shrunk
        {{0, 0, 3200, 2000}, {0, 0, 1600, 1000}},       // a size stored at another display scale
        {{1200, 900, 800, 500}, {800, 500, 800, 500}},  // hanging over the right and bottom: moved back
        {{-2000, 50, 800, 500}, {0, 50, 800, 500}},     // left of the screen
        {{100, 100, 800, 500}, {100, 100, 800, 500}},
    };
    for (const Case& c : cases) EXPECT_EQ(KeepOnScreen(c.window, screen), c.kept) << c.window.width;
    // A second screen to the right keeps its own origin.
    EXPECT_EQ(KeepOnScreen({1500, 0, 900, 500}, {1600, 0, 1280, 1024}), (WindowGeometry{1600, 0, 900, 500}));
    EXPECT_EQ(KeepOnScreen({5, 5, 900, 500}, {0, 0, 0, 0}), (WindowGeometry{5, 5, 900, 500}));
}

TEST(WindowPlacement, RestoredWindowFitsItsScreen) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    const QRect available = screen->availableGeometry();
    QWidget window;
    // A rectangle stored on a screen twice as large in the window's units.
    RestorePlacement(window, StoredRect({0, 0, 2 * available.width() + 1, 2 * available.height() + 1}));
    EXPECT_TRUE(available.contains(window.geometry())) << window.width() << "x" << window.height();
    EXPECT_EQ(window.size(), available.size());
    // A window that fits keeps its stored place and size.
    RestorePlacement(window, StoredRect({available.x() + 10, available.y() + 20, 740, 445}));
    EXPECT_EQ(window.geometry(), QRect(available.x() + 10, available.y() + 20, 740, 445));
}

}  // namespace
}  // namespace k470::app
