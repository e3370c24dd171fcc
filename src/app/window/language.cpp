// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

#include "base/lexicon.h"
#include "base/settings_store.h"

namespace k470::app {

namespace {

// The translator installed for the rest of the run.
std::unique_ptr<QTranslator>& installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// Qt's own texts (the standard buttons, the file dialog) in the same language.
std::unique_ptr<QTranslator>& installedQt() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

void installQtTranslation(const QString& language) {
    if (installedQt()) QCoreApplication::removeTranslator(installedQt().get());
    installedQt().reset();
    // English is built into Qt; a language Qt has no file for keeps Qt's English.
    if (language.isEmpty() || language.startsWith(QStringLiteral("en"))) return;
    auto t = std::make_unique<QTranslator>();
    if (!t->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(t.get());
    installedQt() = std::move(t);
}

QString ownName(const QTranslator& t) {
    return t.translate("Language", "English");
}

}  // namespace

QStringList DataDirectories() {
    QStringList dirs;
    const QString env = qEnvironmentVariable("K470_DATA_DIR");
    if (!env.isEmpty()) dirs << env;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!user.isEmpty()) dirs << QDir(user).filePath(QStringLiteral("k470"));
    dirs << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/k470"));
    return dirs;
}

QList<LanguageFile> FindLanguageFiles(const QStringList& directories) {
    QList<LanguageFile> files;
    QStringList names;
    for (const QString& dir : directories) {
        const QDir d(dir);
        for (const QString& file : d.entryList({QStringLiteral("z???.qm")}, QDir::Files, QDir::Name)) {
            QTranslator t;
            if (!t.load(d.filePath(file))) continue;
            const QString name = ownName(t);
            if (name.isEmpty() || names.contains(name)) continue;
            names << name;
            files.push_back({file, d.filePath(file), name});
        }
    }
    return files;
}

bool InstallLanguage(const QString& fileName, const QStringList& directories) {
    // Only a bare file name is taken from the settings: a path there would reach outside the data
    // directories.
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/'))) return false;
    for (const QString& dir : directories) {
        auto t = std::make_unique<QTranslator>();
        if (!t->load(QDir(dir).filePath(fileName)) || ownName(*t).isEmpty()) continue;
        if (installed()) QCoreApplication::removeTranslator(installed().get());
        QCoreApplication::installTranslator(t.get());
        installQtTranslation(t->language());
        installed() = std::move(t);
        return true;
    }
    return false;
}

void InstallLexicon() {
    const Lexicon english;
    Lexicon words;
    for (size_t i = 0; i < kWordCount; ++i) {
        const auto w = static_cast<Word>(i);
        const std::string& text = english.text(w);
        if (text.empty()) continue;
        const QString t = QCoreApplication::translate("Lexicon", text.c_str());
        words.setText(w, t.toStdString());
    }
    // The code page of text exports is itself a word of the language.
    const QString codePage = QCoreApplication::translate("Lexicon", "Windows-1252");
    words.setCodePage(codePage == QStringLiteral("Windows-1251") ? CodePage::Windows1251
                                                                 : CodePage::Windows1252);
    setLexicon(words);
}

}  // namespace k470::app
