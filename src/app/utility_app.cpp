#include "app/utility_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include "app/frame_controller.h"
#include "app/language.h"
#include "app/main_dialog.h"
#include "base/settings_store.h"

namespace k470::app {

int UtilityApp::Run(QApplication& app) {
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
