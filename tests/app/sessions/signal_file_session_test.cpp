// SPDX-License-Identifier: GPL-3.0-or-later
// Replay of a signal file in the main window: the "Signal" page, the record controls, "Play", "Pause" and
// the replay range menu, driven as a user would with the dialogs answered by the test.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "app/pages/signal/signal_page.h"
#include "app/sessions/instrument_session.h"
#include "app/sessions/signal_file_session.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "frame/commands.h"
#include "plot/line_chart.h"
#include "signal/signal_file_image.h"
#include "support/driven_time.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

class SignalFileSessionTest : public ::testing::Test {
  protected:
    SignalFileSessionTest() : store(dir.file("k470.ini")) {
        qputenv("K470_DATA_DIR", QByteArray::fromStdString(dir.file("data")));
    }
    // Two records of two channels at 48 kHz: a second of a 1 kHz tone (amplitude 1 on channel 1, 0.5 on
    // channel 2) with a marker "M1" at frame 12000, and half a second of silence.
    std::string signalFile() {
        test::SignalFileImage image(48000.0, 0b011);
        std::vector<double> tone;
        for (int i = 0; i < 48000; ++i) {
            const double s = std::sin(2 * M_PI * 1000.0 * i / 48000.0);
            tone.push_back(s);
            tone.push_back(0.5 * s);
        }
        image.addRecord(tone, 48000, {{12000, u"M1"}});
        image.addRecord(std::vector<double>(2 * 24000, 0.0), 24000);
        return image.save(dir, "tone.sdt");
    }
    std::unique_ptr<MainWindow> makeWindow() {
        auto w = std::make_unique<MainWindow>(frame);
        w->globals().UseTime(time.sessionTime());
        w->showError = [this](const QString& m) { errors << m; };
        return w;
    }
    // The window replaying signalFile().
    std::unique_ptr<MainWindow> openTone() {
        auto w = makeWindow();
        w->show();
        w->OpenPath(QString::fromStdString(signalFile()));
        EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
        return w;
    }
    // Time passes on the replay's clock, and its tick runs as the timer would run it.
    static void replayFor(MainWindow& w, test::DrivenTime& time, uint32_t ms) {
        time.clock.advance(ms);
        replayOf(w).Tick();
    }
    // The replay of the open signal file.
    static SignalFileSession& replayOf(MainWindow& w) {
        SignalFileSession* s = w.sessionAs<SignalFileSession>();
        EXPECT_NE(s, nullptr);
        return *s;
    }
    QString counter(MainWindow& w) {
        return static_cast<QPushButton*>(w.control(Control::RecordPosition))->text();
    }

    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame{store};
    QStringList errors;
    test::DrivenTime time;
};

TEST_F(SignalFileSessionTest, OpeningASignalFileReplaysItOnTheSignalPage) {
    auto w = openTone();
    if (HasFailure()) return;
    // The source's own page, then its analyses.
    ASSERT_GE(w->tabs()->count(), 2);
    EXPECT_EQ(w->tabs()->tabText(0), QStringLiteral("Signal"));
    EXPECT_EQ(w->tabs()->tabText(1), QStringLiteral("Levels"));
    EXPECT_EQ(counter(*w), QStringLiteral("1/2"));
    for (Control id :
         {Control::Play, Control::Pause, Control::ReplayRange, Control::RecordStep, Control::Channel}) {
        EXPECT_TRUE(w->control(id)->isVisible()) << static_cast<int>(id);
        EXPECT_TRUE(w->control(id)->isEnabled()) << static_cast<int>(id);
    }
    auto* channels = static_cast<QComboBox*>(w->control(Control::Channel));
    ASSERT_EQ(channels->count(), 2);
    EXPECT_TRUE(replayOf(*w).timer().isActive());

    // The replay runs at the pace of the recording: a tenth of a second of the tone reaches the page.
    const views::SignalTrace& trace = replayOf(*w).trace();
    replayFor(*w, time, 100);
    ASSERT_EQ(trace.size(), 4800u);
    auto* page = qobject_cast<SignalPage*>(w->pages()[0]);
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->levelLabel()->text().contains(QStringLiteral(" dB re ")))
        << page->levelLabel()->text().toStdString();
    EXPECT_GT(trace.Rms(0), 0.0);
    EXPECT_TRUE(page->ClipboardText().startsWith(QStringLiteral("T[sec]\tch1[")));
    // Channel 2 carries half of channel 1.
    EXPECT_NEAR(trace.Rms(1) / trace.Rms(0), 0.5, 0.01);
    // The bar shows how far the record has been replayed.
    auto* bar = static_cast<QProgressBar*>(w->control(Control::Progress));
    EXPECT_GT(bar->value(), 0);

    // "Pause" holds the replay; pressed again it goes on.
    static_cast<QPushButton*>(w->control(Control::Pause))->click();
    EXPECT_TRUE(replayOf(*w).controller().paused());
    EXPECT_TRUE(static_cast<QPushButton*>(w->control(Control::Pause))->isChecked());
    const uint32_t held = replayOf(*w).controller().position();
    replayFor(*w, time, 100);
    EXPECT_EQ(replayOf(*w).controller().position(), held);
    // Two cursors noted from the paused trace: time and value of each.
    page->chart()->SetCursor(0, 10);
    page->chart()->SetCursor(1, 30);
    NoteChartCursors(*page->chart(), &w->notepad());
    ASSERT_EQ(w->notepad().points().size(), 2u);
    EXPECT_NEAR(w->notepad().points()[1].x - w->notepad().points()[0].x, 20.0 / 48000.0, 1e-12);
    EXPECT_EQ(w->notepad().points()[0].y, trace.Values(0)[10]);
    static_cast<QPushButton*>(w->control(Control::Pause))->click();
    EXPECT_FALSE(replayOf(*w).controller().paused());

    // "Signal filtration" holds the replay while its dialog is open; the replay goes on afterwards.
    bool heldWhileOpen = false;
    w->runDialog = [&](QDialog&) {
        const uint32_t before = replayOf(*w).controller().position();
        time.clock.advance(100);
        QCoreApplication::processEvents();
        heldWhileOpen = !replayOf(*w).timer().isActive() && replayOf(*w).controller().position() == before;
        return int(QDialog::Rejected);
    };
    w->Dispatch(Command::SignalFiltration);
    EXPECT_TRUE(heldWhileOpen);
    EXPECT_TRUE(replayOf(*w).timer().isActive());
}

// The record controls and the replay range choose what is replayed; "Data" or another file end the replay.
TEST_F(SignalFileSessionTest, RecordControlsAndTheReplayRangeChooseWhatIsReplayed) {
    auto w = openTone();
    if (HasFailure()) return;
    auto* bar = static_cast<QProgressBar*>(w->control(Control::Progress));
    replayFor(*w, time, 100);
    EXPECT_GT(bar->value(), 0);

    // The next record: the counter follows and the replay stops there; the last record has no next.
    QToolButton* next = w->findChild<QToolButton*>(QStringLiteral("nextRecord"));
    ASSERT_TRUE(next);
    next->click();
    EXPECT_EQ(counter(*w), QStringLiteral("2/2"));
    EXPECT_EQ(replayOf(*w).controller().state(), ReplayState::Stopped);
    EXPECT_EQ(bar->value(), 0);  // the new record has not been replayed yet
    next->click();
    EXPECT_EQ(counter(*w), QStringLiteral("2/2"));
    w->askNumber = [](const QString&, const QString&, int value) {
        EXPECT_EQ(value, 2);
        return std::optional<int>(1);
    };
    w->Dispatch(Command::RecordPosition);
    EXPECT_EQ(counter(*w), QStringLiteral("1/2"));

    // "P": the replay end at the marker; "Play" then replays up to it and stops.
    int menus = 0;
    QStringList offered;
    w->runMenu = [&](QMenu& menu) -> QAction* {
        if (++menus > 1) return nullptr;
        EXPECT_EQ(menu.actions()[1]->text(), QStringLiteral("Replay end: 1 sec"));
        return menu.actions()[1];
    };
    w->askMarker = [&](const QString& title, const QStringList& names) {
        EXPECT_EQ(title, QStringLiteral("Select marker"));
        offered = names;
        return std::optional<int>(1);
    };
    w->Dispatch(Command::ReplayRange);
    EXPECT_EQ(offered, (QStringList{"Record end", "M1"}));
    EXPECT_EQ(replayOf(*w).controller().replayEnd(), 12000u);
    static_cast<QPushButton*>(w->control(Control::Play))->click();
    for (int i = 0; i < 10 && replayOf(*w).controller().state() != ReplayState::Stopped; ++i)
        replayFor(*w, time, 100);
    ASSERT_EQ(replayOf(*w).controller().state(), ReplayState::Stopped);
    EXPECT_EQ(replayOf(*w).controller().position(), 12000u);

    // "Data" ends the replay before it looks for an instrument (none answers here).
    w->links().UseLinks(std::make_unique<FixedTtyProvider>(std::vector<std::string>{}), 1);
    w->Dispatch(Command::Data);
    EXPECT_EQ(w->session(), nullptr);
    EXPECT_EQ(w->tabs()->count(), 0);
    w->OpenPath(QString::fromStdString(dir.file("tone.sdt")));
    EXPECT_TRUE(w->sessionAs<SignalFileSession>());
    errors.clear();

    // Another file ends the replay.
    const std::string bin = dir.file("one.bin");
    auto record = makeSampleRecord({3, 0x42, 1, 0});
    ASSERT_TRUE(record.ok());
    ASSERT_TRUE(WriteSingleRecordFile(bin, *record, CalendarTime{2026, 1, 1, 0, 0, 0}));
    w->OpenPath(QString::fromStdString(bin));
    EXPECT_FALSE(w->sessionAs<SignalFileSession>());
    EXPECT_FALSE(w->control(Control::Play)->isVisible());
    EXPECT_EQ(w->tabs()->tabText(0), QStringLiteral("1/1 octaves"));
}

// A record whose samples were cut off replays as empty, and the status field says why.
TEST_F(SignalFileSessionTest, ADamagedRecordIsNamedInTheStatusField) {
    auto bytes = test::readBytes(signalFile());
    bytes.resize(bytes.size() - 1000);  // the end of the second record's samples
    test::writeBytes(dir.file("cut.sdt"), bytes);
    auto w = makeWindow();
    w->OpenPath(QString::fromStdString(dir.file("cut.sdt")));
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    EXPECT_EQ(w->statusField()->text(), QStringLiteral("Signal file"));
    w->findChild<QToolButton*>(QStringLiteral("nextRecord"))->click();
    EXPECT_EQ(counter(*w), QStringLiteral("2/2"));
    EXPECT_EQ(replayOf(*w).controller().recordLength(), 0u);
    EXPECT_NE(w->statusField()->text(), QStringLiteral("Signal file"));
    EXPECT_FALSE(w->statusField()->text().isEmpty());
    // Back on the whole record the message goes.
    w->findChild<QToolButton*>(QStringLiteral("previousRecord"))->click();
    EXPECT_EQ(w->statusField()->text(), QStringLiteral("Signal file"));
}

TEST_F(SignalFileSessionTest, ASignalFileWithoutRecordsIsNotKeptOpen) {
    test::SignalFileImage empty(48000.0, 0b001);
    const std::string path = empty.save(dir, "empty.sdt");
    auto w = makeWindow();
    w->OpenPath(QString::fromStdString(path));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("holds no signal record")));
    EXPECT_EQ(w->session(), nullptr);
    EXPECT_EQ(w->tabs()->count(), 0);
}

}  // namespace
}  // namespace k470::app
