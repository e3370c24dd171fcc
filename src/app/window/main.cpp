// SPDX-License-Identifier: GPL-3.0-or-later
// k470: the desktop application.
#include <QApplication>
#include <string_view>

#include "app/window/utility_app.h"

int main(int argc, char** argv) {
    // --help, --version and usage errors answer on a machine without a display: the window system starts
    // only when a window is wanted. A report written headless draws on the off-screen platform, display or
    // not.
    k470::app::UtilityApp::AnswerCommandLine(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--") break;
        if (a == "--report-pdf" || a.starts_with("--report-pdf=")) qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return k470::app::UtilityApp::Run(app);
}
