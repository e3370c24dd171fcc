// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the widget tests: a QApplication around the GoogleTest run. The tests run on the
// off-screen platform (set by ctest), so they need no display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
