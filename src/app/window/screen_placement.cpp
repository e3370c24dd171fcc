// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/screen_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace k470::app {

void RestorePlacement(QWidget& window, WindowRect stored) {
    const WindowGeometry current{window.x(), window.y(), window.width(), window.height()};
    WindowGeometry g = PlaceMainWindow(stored, current);
    QScreen* screen = QGuiApplication::screenAt(QPoint(g.x, g.y));
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect a = screen->availableGeometry();
        g = KeepOnScreen(g, {a.x(), a.y(), a.width(), a.height()});
    }
    window.move(g.x, g.y);
    window.resize(g.width, g.height);
}

}  // namespace k470::app
