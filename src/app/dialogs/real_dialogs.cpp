// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/real_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>

#include "app/commands/output_paths.h"
#include "app/qt_text.h"
#include "app/window/main_window.h"
#include "app/window/tool_icons.h"
#include "data/file_kind.h"

namespace k470::app {

namespace {

// "Open" offers every kind of file the window opens, then each kind alone, from the file-kind table.
QString OpenFilter() {
    const auto patterns = [](std::optional<FileKind> kind) { return qs(fileKindPatterns(kind)); };
    return MainWindow::tr("All device files (%1)").arg(patterns(std::nullopt)) + QStringLiteral(";;") +
           MainWindow::tr("Binary files (%1)").arg(patterns(FileKind::Records)) + QStringLiteral(";;") +
           MainWindow::tr("Data files (%1)").arg(patterns(FileKind::Signal)) + QStringLiteral(";;") +
           MainWindow::tr("Sound files (%1)").arg(patterns(FileKind::Sound)) + QStringLiteral(";;") +
           MainWindow::tr("All Files (*)");
}

}  // namespace

void UseRealDialogs(UserDialogs& d, QWidget& window, QProgressBar& progress, QWidget& rangeButton) {
    d.askOpenPath = [&window] {
        return QFileDialog::getOpenFileName(&window, MainWindow::tr("Open"), QDir::currentPath(),
                                            OpenFilter());
    };
    d.askOpenFile = [&window](const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileName(&window, title, QDir::currentPath(), filter);
    };
    d.showError = [&window](const QString& message) {
        QMessageBox::warning(&window, QStringLiteral("K470"), message);
    };
    d.askYesNo = [&window](const QString& title, const QString& question) {
        return QMessageBox::question(&window, title, question, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    d.runLanguageDialog = [] { return false; };
    d.askSavePath = [&window](const QString& title, const QString& proposed, const QString& filter) {
        QString chosenFilter;
        const QString path = QFileDialog::getSaveFileName(&window, title, proposed, filter, &chosenFilter);
        // The name gets the extension of the filter it was saved under.
        return WithFilterExtension(path, chosenFilter.isEmpty() ? filter : chosenFilter);
    };
    d.askOpenPaths = [&window](const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileNames(&window, title, QDir::currentPath(), filter);
    };
    d.askNumber = [&window](const QString& title, const QString& label, int value) -> std::optional<int> {
        bool ok = false;
        const int n = QInputDialog::getInt(&window, title, label, value, 0, 1000000000, 1, &ok);
        return ok ? std::optional<int>(n) : std::nullopt;
    };
    d.askText = [&window](const QString& title, const QString& label,
                          const QString& value) -> std::optional<QString> {
        bool ok = false;
        const QString t = QInputDialog::getText(&window, title, label, QLineEdit::Normal, value, &ok);
        return ok ? std::optional<QString>(t) : std::nullopt;
    };
    d.askMarker = [&window](const QString& title, const QStringList& names) -> std::optional<int> {
        bool ok = false;
        const QString chosen =
            QInputDialog::getItem(&window, title, MainWindow::tr("Marker"), names, 0, false, &ok);
        if (!ok) return std::nullopt;
        const int i = static_cast<int>(names.indexOf(chosen));
        return i >= 0 ? std::optional<int>(i) : std::nullopt;
    };
    d.runMenu = [&rangeButton](QMenu& menu) {
        return menu.exec(rangeButton.mapToGlobal(QPoint(0, rangeButton.height())));
    };
    d.runDialog = [](QDialog& dialog) { return dialog.exec(); };
    d.showProgress = [&progress](int percent) {
        progress.setValue(percent);
        progress.repaint();  // long work holds the event loop
    };
    d.showAbout = [&window] {
        QMessageBox box(&window);
        box.setWindowTitle(MainWindow::tr("About K470"));
        box.setIconPixmap(ApplicationIcon().pixmap(64, 64));
        box.setText(MainWindow::tr("<b>K470</b> version %1").arg(QStringLiteral(K470_VERSION)));
        box.setInformativeText(
            MainWindow::tr("Utility for sound level, vibration, infrasound, ultrasound and field meters: "
                           "live data, device data files, text export and signal replay."));
        box.exec();
    };
}

}  // namespace k470::app
