// SPDX-License-Identifier: GPL-3.0-or-later
// Language files: which are offered, installing one, and the core's words that follow it.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

#include "app/dialogs/language_dialog.h"
#include "app/window/lexicon_words.h"
#include "app/window/main_window.h"
#include "base/lexicon.h"
#include "base/settings_store.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

const QString kShipped = QStringLiteral(K470_LANGUAGE_DIR);

class LanguageTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // Back to the built-in English for the next test.
        InstallLanguage(QStringLiteral("zeng.qm"), {kShipped});
        InstallLexicon();
    }
};

TEST_F(LanguageTest, ShippedFilesAreOfferedByTheirOwnNameAndBrokenOnesAreNot) {
    test::TempDir dir;
    const QString extra = QString::fromStdString(dir.path());
    QFile junk(QDir(extra).filePath(QStringLiteral("zbad.qm")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a translation");
    junk.close();
    QFile::copy(QDir(kShipped).filePath(QStringLiteral("zrus.qm")),
                QDir(extra).filePath(QStringLiteral("zrux.qm")));
    const QList<LanguageFile> files = FindLanguageFiles({kShipped, extra});
    QStringList names;
    for (const LanguageFile& f : files) names << f.name + QLatin1Char('=') + f.fileName;
    // The copy names a language already offered; the broken file does not load.
    EXPECT_EQ(names, (QStringList{QStringLiteral("English=zeng.qm"), QStringLiteral("Русский=zrus.qm")}));
    EXPECT_FALSE(InstallLanguage(QStringLiteral("zbad.qm"), {extra}));
    EXPECT_FALSE(InstallLanguage(QStringLiteral("../k470/zrus.qm"), {kShipped}));
}

TEST_F(LanguageTest, QtsOwnTextsFollowTheLanguage) {
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    ASSERT_EQ(cancel, QStringLiteral("Cancel"));
    ASSERT_TRUE(InstallLanguage(QStringLiteral("zrus.qm"), {kShipped}));
    if (!QFile::exists(QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath("qtbase_ru.qm")))
        GTEST_SKIP() << "Qt's Russian translation is not installed (qt6-translations-l10n)";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    // Back in English, Qt's texts are English again.
    ASSERT_TRUE(InstallLanguage(QStringLiteral("zeng.qm"), {kShipped}));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

TEST_F(LanguageTest, RussianTranslatesTheWindowAndTheCoreWords) {
    ASSERT_TRUE(InstallLanguage(QStringLiteral("zrus.qm"), {kShipped}));
    InstallLexicon();
    EXPECT_EQ(lexicon().text(Word::UnknownFileFormat), "Неизвестный формат файла");
    EXPECT_EQ(lexicon().deviceTypeName(3), "Шумомер-анализатор спектра");
    EXPECT_EQ(lexicon().codePage(), CodePage::Windows1251);
    test::TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    ApplicationState frame(store);
    MainWindow window(frame);
    EXPECT_EQ(window.menuBar()->actions().first()->text(), QStringLiteral("&Файл"));
    EXPECT_EQ(window.action(Command::Open)->toolTip(), QStringLiteral("Открыть файл"));

    ASSERT_TRUE(InstallLanguage(QStringLiteral("zeng.qm"), {kShipped}));
    InstallLexicon();
    EXPECT_EQ(lexicon().text(Word::UnknownFileFormat), "Unknown file format");
    EXPECT_EQ(lexicon().codePage(), CodePage::Windows1252);
}

TEST_F(LanguageTest, EveryCoreWordIsListedForTranslation) {
    const Lexicon english;
    QStringList listed;
    for (const char* w : TranslatableLexiconWords()) listed << QString::fromUtf8(w);
    for (size_t i = 0; i < kWordCount; ++i) {
        const std::string& w = english.text(static_cast<Word>(i));
        if (!w.empty()) {
            EXPECT_TRUE(listed.contains(QString::fromStdString(w))) << w;
        }
    }
}

TEST_F(LanguageTest, DialogStoresTheChosenFileOnlyOnOkWithASelection) {
    test::TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    LanguageDialog dialog(store, {kShipped});
    ASSERT_EQ(dialog.list()->count(), 2);
    dialog.list()->setCurrentRow(-1);
    dialog.accept();  // nothing chosen: stays open, nothing stored
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(store.ReadString("Init", "Language", "-"), "-");
    dialog.list()->setCurrentRow(1);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(store.ReadString("Init", "Language", "-"), "zrus.qm");
}

}  // namespace
}  // namespace k470::app
