// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick of the start-up benchmark: a Qt Widgets program that shows an empty window of the main
// window's size and quits as soon as it is drawn.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(739, 444);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        window.repaint();
        QCoreApplication::exit(0);
    });
    return app.exec();
}
