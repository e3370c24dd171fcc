// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as the user would, with its dialogs answered by the test.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <set>

#include "app/commands/output_paths.h"
#include "app/dialogs/record_selection_dialog.h"
#include "app/dialogs/translation_parameters_dialog.h"
#include "app/sessions/data_file_session.h"
#include "app/sessions/signal_file_session.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "frame/commands.h"
#include "signal/signal_file_image.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() : store(dir.file("k470.ini")) {}

    std::unique_ptr<MainWindow> makeWindow() {
        auto w = std::make_unique<MainWindow>(frame);
        w->showError = [this](const QString& m) { errors << m; };
        return w;
    }
    std::string sampleBin(const std::string& name, int records) {
        const std::string path = dir.file(name);
        std::vector<uint8_t> all;
        for (int i = 0; i < records; ++i) {
            auto r = makeSampleRecord({3, 0x0BADCAFE, 7, i});
            EXPECT_TRUE(r.ok());
            RecordBytes bytes = stampedRecordBytes(*r, CalendarTime{2024, 1, 2, 3, 4, 6});
            all.insert(all.end(), bytes.begin(), bytes.end());
        }
        test::writeBytes(path, all);
        return path;
    }

    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame{store};
    QStringList errors;
};

// With no source, only the commands that need none are offered: the ones that choose their own files,
// start a source or change settings. Commands that would do nothing ("Misc...", "Copy to clipboard") and
// those of features not built (Signal, FFT, RT-60) are greyed.
TEST_F(MainWindowTest, WithoutASourceOnlyTheGlobalCommandsAreEnabled) {
    auto w = makeWindow();
    const Command inMenus[] = {Command::Open,
                               Command::SaveAsBinary,
                               Command::SaveAsText,
                               Command::PrintReport,
                               Command::ExportReportPdf,
                               Command::TranslateBinToTxt,
                               Command::MergeToOneTxt,
                               Command::MakeReport,
                               Command::CalcPercentiles,
                               Command::TranslateSdtToTxt,
                               Command::TranslateSdtToWav,
                               Command::TeleParameters,
                               Command::RecentFile1,
                               Command::RecentFile2,
                               Command::RecentFile3,
                               Command::RecentFile4,
                               Command::Quit,
                               Command::Data,
                               Command::Signal,
                               Command::Fft,
                               Command::Rt60,
                               Command::SignalFiltration,
                               Command::Misc,
                               Command::StartStop,
                               Command::Reset,
                               Command::StartRecording,
                               Command::StopRecording,
                               Command::SetMarker,
                               Command::About,
                               Command::SelectLanguage};
    const std::set<Command> enabled = {Command::Open,
                                       Command::TranslateBinToTxt,
                                       Command::MergeToOneTxt,
                                       Command::MakeReport,
                                       Command::CalcPercentiles,
                                       Command::TranslateSdtToTxt,
                                       Command::TranslateSdtToWav,
                                       Command::TeleParameters,
                                       Command::Quit,
                                       Command::Data,
                                       Command::SignalFiltration,
                                       Command::About,
                                       Command::SelectLanguage};
    QList<QAction*> menuActions;
    for (QAction* top : w->menuBar()->actions())
        for (QAction* a : top->menu()->actions()) menuActions << a;
    for (Command c : inMenus) {
        QAction* a = w->action(c);
        ASSERT_NE(a, nullptr) << static_cast<int>(c);
        EXPECT_TRUE(menuActions.contains(a)) << static_cast<int>(c);
        EXPECT_EQ(a->isEnabled(), enabled.count(c) == 1) << static_cast<int>(c);
    }
    EXPECT_FALSE(w->action(Command::CopyToClipboard)->isEnabled());
    EXPECT_TRUE(w->action(Command::Notepad)->isEnabled());
    EXPECT_EQ(w->menuBar()->actions().size(), 4);
    EXPECT_EQ(w->action(Command::RecentFile1)->text(), QStringLiteral("-"));
    // The File menu ends with the recent files and "Quit".
    EXPECT_EQ(w->fileMenu()->actions().last(), w->action(Command::Quit));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("470 Utility"));
}

// Every tool-bar button is a command with an icon and a tool tip.
TEST_F(MainWindowTest, ToolBarButtonsHaveIconsAndToolTips) {
    auto w = makeWindow();
    int buttons = 0;
    for (QAction* a : w->toolBar()->actions()) {
        if (a->isSeparator() || a->icon().isNull()) continue;
        ++buttons;
        EXPECT_FALSE(a->icon().pixmap(32, 32).isNull()) << a->text().toStdString();
        EXPECT_FALSE(a->toolTip().isEmpty()) << a->text().toStdString();
    }
    EXPECT_EQ(buttons, 11);
    EXPECT_EQ(w->action(Command::Open)->toolTip(), QStringLiteral("Open file"));
    EXPECT_EQ(w->action(Command::StartStop)->toolTip(), QStringLiteral("Start/stop command"));
    EXPECT_EQ(w->control(Control::Progress)->toolTip(), QStringLiteral("Data accumulating progress"));
}

TEST_F(MainWindowTest, OpeningARecordFileShowsItsTitleRecordsAndRecentItem) {
    auto w = makeWindow();
    const std::string path = sampleBin("THREE.BIN", 3);
    w->askOpenPath = [&] { return QString::fromStdString(path); };
    w->action(Command::Open)->trigger();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w->windowTitle().toStdString(), path + " (Sound level and spectrum meter, VIN: 0BADCAFE)");
    EXPECT_EQ(w->action(Command::RecentFile1)->text().toStdString(), path);
    EXPECT_EQ(w->statusField()->text(), QStringLiteral("Records: 3"));
    EXPECT_EQ(static_cast<QPushButton*>(w->control(Control::RecordPosition))->text(), QStringLiteral("1/3"));
    EXPECT_EQ(static_cast<QLineEdit*>(w->control(Control::AverageFirst))->text(), QStringLiteral("1"));
    EXPECT_EQ(static_cast<QLineEdit*>(w->control(Control::AverageLast))->text(), QStringLiteral("3"));
    // The pages show the record, so it can be saved as binary.
    EXPECT_TRUE(w->action(Command::SaveAsBinary)->isEnabled());
    EXPECT_EQ(w->tabs()->count(), 5);

    // A file that cannot be opened: the message names it, no source stays open, the list keeps the old file.
    const std::string missing = dir.file("gone.bin");
    w->OpenPath(QString::fromStdString(missing));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.front().toStdString(), "Can't open file '" + missing + "'");
    EXPECT_EQ(w->windowTitle(), QStringLiteral("470 Utility"));
    EXPECT_EQ(w->statusField()->text(), QStringLiteral("No data source"));

    // The recent item opens the file again; an item without a file does nothing.
    w->action(Command::RecentFile1)->trigger();
    EXPECT_NE(w->sessionAs<DataFileSession>(), nullptr);
    w->action(Command::RecentFile2)->trigger();
    EXPECT_EQ(errors.size(), 1);
}

TEST_F(MainWindowTest, PlacementFromSettingsAndEverythingWrittenOnClose) {
    store.WriteInt("K470Dlg", "Left", 100);
    store.WriteInt("K470Dlg", "Top", 80);
    store.WriteInt("K470Dlg", "Right", 300);
    store.WriteInt("K470Dlg", "Bottom", 200);
    store.WriteString("K470Dlg", "Doc2", "/earlier.bin");
    auto w = makeWindow();
    EXPECT_EQ(w->size(), QSize(739, 444));
    EXPECT_EQ(w->action(Command::RecentFile1)->text(), QStringLiteral("/earlier.bin"));
    w->show();
    w->resize(900, 600);
    w->close();
    EXPECT_EQ(store.ReadInt("K470Dlg", "Right", 0) - store.ReadInt("K470Dlg", "Left", 0), 901);
    EXPECT_EQ(store.ReadInt("K470Dlg", "Bottom", 0) - store.ReadInt("K470Dlg", "Top", 0), 601);
    EXPECT_EQ(store.ReadString("K470Dlg", "Doc1", ""), "/earlier.bin");
    EXPECT_EQ(store.ReadString("K470Dlg", "Doc2", "-"), "");
    EXPECT_EQ(store.ReadInt("K470Dlg", "bLin", -1), 0);
    EXPECT_EQ(store.ReadInt("Signal", "DecValue", -1), 1);
}

// Esc belongs to the dialogs; the window quits with Ctrl+Q (File -> Quit) and writes its settings.
// Escape, File -> Quit (Ctrl+Q) and the close box all close the window the same way, writing its settings.
TEST_F(MainWindowTest, EscapeQuitAndTheCloseBoxCloseTheWindowWritingTheSettings) {
    const std::pair<const char*, std::function<void(MainWindow&)>> ways[] = {
        {"Escape", [](MainWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"Ctrl+Q", [](MainWindow& w) { QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier); }},
        {"close box", [](MainWindow& w) { w.close(); }},
    };
    for (const auto& [name, closeIt] : ways) {
        SettingsStore own(dir.file(std::string(name) + ".ini"));
        ApplicationState ownFrame{own};
        MainWindow w(ownFrame);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        closeIt(w);
        EXPECT_FALSE(w.isVisible()) << name;
        EXPECT_EQ(own.ReadInt("Signal", "CutOffI", 0), 1) << name;
        EXPECT_EQ(own.ReadString("K470Dlg", "Doc1", "-"), "") << name;
    }
}

TEST_F(MainWindowTest, SelectLanguageAsksFirstAndClosesAfterAChoice) {
    auto w = makeWindow();
    w->show();
    int dialogs = 0;
    QString asked;
    w->askYesNo = [&](const QString& title, const QString& question) {
        asked = title + QLatin1Char('|') + question;
        return false;
    };
    w->runLanguageDialog = [&] { return ++dialogs, true; };
    w->action(Command::SelectLanguage)->trigger();
    EXPECT_EQ(asked,
              QStringLiteral("Select new language|After selecting new language program will be closed.\n"
                             "Continue?"));
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(w->isVisible());
    w->askYesNo = [](const QString&, const QString&) { return true; };
    w->action(Command::SelectLanguage)->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(w->isVisible());
}

// "Translate .sdt to .wav/.txt": the file's records listed with only the first checked, the parameters asked
// for the WAV files, and the outputs beside the source; refusals and cancels write nothing.
TEST_F(MainWindowTest, TranslateSignalFilesThroughTheirDialogs) {
    test::SignalFileImage image(1000.0, 0b011);
    image.addRecord({0.5, -1, 0.25, 2, -0.5, 0}, 3);
    image.addRecord({1, 1, 2, 2}, 2);
    const std::string sdt = image.save(dir, "sig.sdt");
    auto w = makeWindow();
    QString answer = QString::fromStdString(sdt);
    w->askOpenFile = [&](const QString&, const QString& filter) {
        EXPECT_TRUE(filter.startsWith("Data files (*.sdt)"));
        return answer;
    };
    int asked = 0;
    bool accept = true;
    TranslationParameters seen;
    w->runDialog = [&](QDialog& d) {
        ++asked;
        if (auto* select = qobject_cast<RecordSelectionDialog*>(&d)) {
            QTreeWidget* list = select->list();
            EXPECT_EQ(list->topLevelItemCount(), 2);
            EXPECT_EQ(list->topLevelItem(0)->text(0), "07/03/2024");
            EXPECT_EQ(list->topLevelItem(1)->text(3), "0.0");  // 2 frames at 1 kHz
            EXPECT_EQ(select->checked(), (std::vector<bool>{true, false}));
            select->SetAll(true);
        } else if (auto* params = qobject_cast<TranslationParametersDialog*>(&d)) {
            params->savingButton(2)->setChecked(true);
            params->normalizeBox()->setChecked(false);
            seen = params->parameters();
        }
        return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };

    w->Dispatch(Command::TranslateSdtToWav);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(seen.savingMode, SavingMode::FilePerRecord);
    EXPECT_FALSE(seen.normalize);
    for (const char* name : {"sig_1.wav", "sig_2.wav"})
        EXPECT_FALSE(test::readBytes(dir.file(name)).empty()) << name;

    asked = 0;
    w->Dispatch(Command::TranslateSdtToTxt);
    EXPECT_EQ(asked, 1);  // text needs no parameters
    EXPECT_TRUE(test::readText(dir.file("sig_2.txt")).find("T[sec]\tch1[Pa]\tch2[m/c^2]\t") !=
                std::string::npos);

    // A cancelled selection writes nothing; a file that is not a signal file is refused with a message.
    accept = false;
    std::filesystem::remove(dir.file("sig_1.txt"));
    w->Dispatch(Command::TranslateSdtToTxt);
    EXPECT_FALSE(std::filesystem::exists(dir.file("sig_1.txt")));
    answer = QString::fromStdString(sampleBin("levels.bin", 1));
    w->Dispatch(Command::TranslateSdtToWav);
    EXPECT_EQ(errors, QStringList{"Unknown file format"});
}

TEST(OutputPaths, TheFiltersExtensionIsAddedToANameWithoutOne) {
    const QString text = QStringLiteral("Text files (*.txt);;All Files (*)");
    struct Case {
        const char* path;
        QString filter;
        const char* expected;
    } cases[] = {
        {"/d/rec_noext", QStringLiteral("Binary files (*.bin)"), "/d/rec_noext.bin"},
        {"/d/out", text, "/d/out.txt"},
        {"/d/out.csv", text, "/d/out.csv"},                     // an extension of its own stays
        {"/d/out", QStringLiteral("All Files (*)"), "/d/out"},  // any file: no extension to add
        {"", text, ""},                                         // cancelled
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithFilterExtension(QString::fromUtf8(c.path), c.filter), QString::fromUtf8(c.expected))
            << c.path;
}

// An output that is one of the inputs is refused, whatever name reaches it; nothing is written.
TEST_F(MainWindowTest, OutputsThatAreInputsAreRefused) {
    const std::string a = sampleBin("a.bin", 2);
    const std::string b = sampleBin("b.bin", 1);
    const std::string link = dir.file("alias.bin");
    ASSERT_EQ(::symlink(a.c_str(), link.c_str()), 0);
    EXPECT_TRUE(IsOneOfInputs(link, QStringList{QString::fromStdString(a)}));
    EXPECT_FALSE(IsOneOfInputs(b, QStringList{QString::fromStdString(a)}));
    EXPECT_FALSE(IsOneOfInputs(dir.file("new.txt"), QStringList{QString::fromStdString(a)}));

    auto w = makeWindow();
    const auto before = test::readBytes(a);
    QStringList saves;
    w->askOpenPaths = [&](const QString&, const QString&) {
        return QStringList{QString::fromStdString(b), QString::fromStdString(a)};
    };
    w->askSavePath = [&](const QString&, const QString&, const QString&) {
        return saves.isEmpty() ? QString() : saves.takeFirst();
    };
    // Every output is asked before anything is written: a refusal or a cancel at the second writes none.
    saves = {QString::fromStdString(dir.file("b.txt")), QString::fromStdString(link)};
    w->Dispatch(Command::TranslateBinToTxt);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0].toStdString(), "Can't write file '" + link + "'");
    saves = {QString::fromStdString(dir.file("b.txt"))};
    w->Dispatch(Command::TranslateBinToTxt);
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.txt")));
    saves = {QString::fromStdString(a)};
    w->Dispatch(Command::MergeToOneTxt);
    EXPECT_EQ(errors.size(), 2);
    // The open file is not written over by its own record either.
    w->OpenPath(QString::fromStdString(a));
    saves = {QString::fromStdString(a)};
    w->Dispatch(Command::SaveAsBinary);
    saves = {QString::fromStdString(link)};
    w->Dispatch(Command::SaveAsText);
    EXPECT_EQ(errors.size(), 4);
    EXPECT_EQ(test::readBytes(a), before);
}

// Files dropped on the window open as "Open" opens them; other files are not taken.
TEST_F(MainWindowTest, DroppedDeviceFilesOpen) {
    auto w = makeWindow();
    w->show();
    const std::string path = sampleBin("DROP.BIN", 2);
    auto drop = [&](const QString& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &dropped);
        QCoreApplication::processEvents();
        return true;
    };
    EXPECT_FALSE(drop(QString::fromStdString(dir.file("notes.txt"))));
    EXPECT_EQ(w->session(), nullptr);
    EXPECT_TRUE(drop(QString::fromStdString(path)));
    EXPECT_NE(w->sessionAs<DataFileSession>(), nullptr);
    EXPECT_EQ(w->statusField()->text(), QStringLiteral("Records: 2"));
}

// A window grows so that the vibration tables need no scrolling, as far as the screen allows.
TEST_F(MainWindowTest, TheFirstWindowGrowsToItsPagesWithinTheScreen) {
    auto w = makeWindow();
    w->show();
    const QSize before = w->size();
    const std::string path = dir.file("vib.bin");
    auto r = makeSampleRecord({1, 0x42, 7, 0});
    ASSERT_TRUE(r.ok());
    ASSERT_TRUE(WriteSingleRecordFile(path, *r, CalendarTime{2024, 1, 2, 3, 4, 6}).ok());
    w->OpenPath(QString::fromStdString(path));
    ASSERT_NE(w->sessionAs<DataFileSession>(), nullptr);
    // The tables of this type need more than the test screen: the window takes the screen's room.
    const QSize screen = w->screen()->availableGeometry().size();
    EXPECT_GT(w->height(), before.height());
    EXPECT_GE(w->width(), screen.width() - 32);
    EXPECT_GE(w->height(), screen.height() - 64);
    EXPECT_LE(w->width(), screen.width());
    EXPECT_LE(w->height(), screen.height());
    // Another file does not shrink what the user has.
    w->resize(w->width() + 10, w->height());
    const QSize grown = w->size();
    w->OpenPath(QString::fromStdString(sampleBin("small.bin", 1)));
    EXPECT_EQ(w->size(), grown);
}

// A termination signal while a message box is open: the box goes and the window closes, writing its
// settings.
TEST_F(MainWindowTest, TerminationClosesAnOpenMessageBoxAndTheWindow) {
    auto w = makeWindow();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QTimer::singleShot(100, w.get(), [&] { w->Terminate(); });
    QMessageBox box(QMessageBox::Warning, QStringLiteral("K470"), QStringLiteral("message"), QMessageBox::Ok,
                    w.get());
    box.exec();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->isVisible(); }, 2000));
    EXPECT_EQ(store.ReadInt("Signal", "CutOffI", 0), 1);
}

// The replay names the active processing preset beside its channels.
TEST_F(MainWindowTest, TheActivePresetIsNamedBesideTheChannels) {
    test::SignalFileImage image(1000.0, 0b001);
    image.addRecord({0.5, -1, 0.25}, 3);
    const std::string sdt = image.save(dir, "pre.sdt");
    auto w = makeWindow();
    w->show();
    w->OpenPath(QString::fromStdString(sdt));
    ASSERT_NE(w->sessionAs<SignalFileSession>(), nullptr);
    EXPECT_FALSE(w->control(Control::Preset)->isVisible());
    ProcessorPreset quiet;
    quiet.name = u"Quiet";
    frame.presets().push_back(quiet);
    frame.signalState().presetActive = true;
    frame.signalState().presetName = "Quiet";
    w->OpenPath(QString::fromStdString(sdt));
    EXPECT_TRUE(w->control(Control::Preset)->isVisible());
    // The file is in pascals: the preset does not act on it, and the label says so.
    EXPECT_EQ(static_cast<QLabel*>(w->control(Control::Preset))->text(),
              QStringLiteral("Preset: Quiet (not applied: the file is stored in Pa)"));
    frame.signalState().presetActive = false;
}

}  // namespace
}  // namespace k470::app
