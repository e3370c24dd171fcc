// SPDX-License-Identifier: GPL-3.0-or-later
// The user's side of the window's dialogs: every question, message and modal dialog goes through one of
// these, so that the window, the global commands and the sessions can be driven without a person. The
// main window sets them to the real dialogs; tests answer them.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QAction;
class QDialog;
class QMenu;

namespace k470::app {

struct UserDialogs {
    std::function<QString()> askOpenPath;
    // A single-file open dialog with a title and filter; empty when cancelled.
    std::function<QString(const QString& title, const QString& filter)> askOpenFile;
    std::function<void(const QString& message)> showError;
    std::function<bool(const QString& title, const QString& question)> askYesNo;
    std::function<bool()> runLanguageDialog;
    std::function<void()> showAbout;
    // A save dialog with a proposed name; empty when cancelled. The extension of the chosen filter is added
    // to a name without one.
    std::function<QString(const QString& title, const QString& proposed, const QString& filter)> askSavePath;
    // A multi-select open dialog; empty when cancelled.
    std::function<QStringList(const QString& title, const QString& filter)> askOpenPaths;
    // A number dialog ("Enter record position"); nothing when cancelled.
    std::function<std::optional<int>(const QString& title, const QString& label, int value)> askNumber;
    // A text dialog ("Enter calibration offset"); nothing when cancelled.
    std::function<std::optional<QString>(const QString& title, const QString& label, const QString& value)>
        askText;
    // "Select marker": the index of the chosen name; nothing when cancelled.
    std::function<std::optional<int>(const QString& title, const QStringList& names)> askMarker;
    // Shows the replay range menu at its button; the chosen action, or null when dismissed.
    std::function<QAction*(QMenu& menu)> runMenu;
    // Runs a modal dialog of a command; returns its result code.
    std::function<int(QDialog& dialog)> runDialog;
    // The window's progress bar shows a long command's progress (0..100; 0 when it ends).
    std::function<void(int percent)> showProgress;
};

}  // namespace k470::app
