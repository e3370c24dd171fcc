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
};

}  // namespace k470::app
