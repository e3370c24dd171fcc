// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start and end: settings, the language (asked for once on a first start), the words of the
// core, the main window (opening a file named on the command line, as "Open" would), and the run until
// the window closes.
#pragma once

#include <QStringList>

class QApplication;

namespace k470::app {

class UtilityApp {
  public:
    // Runs the whole program; returns the process's exit code.
    static int Run(QApplication& app);
    // Answers --help and --version (and a command line error) and ends the process, without a window
    // system; returns only when the command line asks for a window.
    static void AnswerCommandLine(int argc, char** argv);
};

}  // namespace k470::app
