// SPDX-License-Identifier: GPL-3.0-or-later
// Languages of the user interface. English is built in; every other language, and English too, is a Qt
// translation file named "z???.qm" in one of the data directories, offered under the language's own name
// (the translation of "English" in that file). The choice is kept as the file name under "Init"/"Language".
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace k470 {
class SettingsStore;
}

namespace k470::app {

struct LanguageFile {
    QString fileName;  // bare file name, as stored in the settings
    QString path;
    QString name;  // the language's own name
};

// Where shipped and user files are looked for, in order: $K470_DATA_DIR, the per-user data directory,
// and the share/k470 directory beside the program's bin directory.
QStringList DataDirectories();

// The language files of those directories that load and name their language; a name found twice is
// offered once (the first directory wins).
QList<LanguageFile> FindLanguageFiles(const QStringList& directories);

// Loads a language file by its bare name from the directories and installs it for the application, with
// Qt's own translation of its language (Qt's buttons and file dialog); false when no such file loads (the
// language in use stays).
bool InstallLanguage(const QString& fileName, const QStringList& directories);

// Hands the words of the installed language to the core (messages and text exports).
void InstallLexicon();

}  // namespace k470::app
