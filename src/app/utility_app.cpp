#include "app/utility_app.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>

#include "app/frame_controller.h"
#include "app/language.h"
#include "app/main_dialog.h"
#include "base/settings_store.h"

namespace k470::app {

namespace {

// SIGTERM, SIGINT and SIGHUP (a session ending, Ctrl+C in the shell) close the main window the normal way,
// so that the settings and the recent files are written as on any other exit. The handler only writes a
// byte into a pipe; the event loop does the rest.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// Installed first thing, so that a signal arriving during start-up is kept until the window can close.
void catchTerminationSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

void closeOnTerminationSignals(QWidget& window) {
    if (signalPipe[0] < 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        window.close();
    });
}

}  // namespace

int UtilityApp::Run(QApplication& app) {
    catchTerminationSignals();
    QApplication::setApplicationName(QStringLiteral("k470"));
    QApplication::setApplicationDisplayName(QStringLiteral("K470"));
    QApplication::setApplicationVersion(QStringLiteral(K470_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("k470"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Utility for hand-held measuring instruments"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("a device data file (.bin or .sdt) to open"));
    const QCommandLineOption exitWhenShown(
        QStringLiteral("exit-when-shown"),
        QStringLiteral("quit as soon as the main window is drawn (start-up timing)"));
    parser.addOption(exitWhenShown);
    parser.process(app);

    SettingsStore store(SettingsStore::defaultPath());
    const QStringList dirs = DataDirectories();
    const QString language = QString::fromStdString(store.ReadString("Init", "Language", ""));
    if (!language.isEmpty()) {
        InstallLanguage(language, dirs);  // a file that does not load leaves English in use
    } else {
        // First start: ask once; Cancel keeps English and asks again next time.
        LanguageDialog dialog(store, dirs);
        const bool chosen = dialog.files().size() > 1 && dialog.exec() == QDialog::Accepted;
        // Without a choice the desktop's language decides between the two that come with the program.
        if (!chosen && QLocale::system().language() == QLocale::Russian)
            InstallLanguage(QStringLiteral("zrus.qm"), dirs);
    }
    InstallLexicon();

    FrameController frame(store);
    MainDialog window(frame);
    window.runLanguageDialog = [&store, dirs, &window] {
        LanguageDialog dialog(store, dirs, &window);
        return dialog.exec() == QDialog::Accepted;
    };
    closeOnTerminationSignals(window);
    window.show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) window.OpenPath(QFileInfo(files.first()).absoluteFilePath());
    if (parser.isSet(exitWhenShown)) {
        QTimer::singleShot(0, &window, [&window] {
            window.repaint();
            QCoreApplication::exit(0);
        });
    }
    return app.exec();
}

}  // namespace k470::app
