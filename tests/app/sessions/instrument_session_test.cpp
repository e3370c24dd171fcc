// SPDX-License-Identifier: GPL-3.0-or-later
// The acquisition commands of the main window against the instrument simulator on loopback TCP: "Data"
// identifies the instrument and runs the 30 ms timer, "Save as binary" and autorecording write records,
// closing the window ends the acquisition; a missing adapter changes nothing. The dialogs are answered
// by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>
#include <thread>

#include "app/dialogs/parameters_dialog.h"
#include "app/dialogs/recording_dialog.h"
#include "app/dialogs/tele_parameters_dialog.h"
#include "app/pages/record/table_page.h"
#include "app/pages/signal/fft_page.h"
#include "app/pages/signal/levels_page.h"
#include "app/pages/signal/rt60_page.h"
#include "app/pages/signal/signal_page.h"
#include "app/sessions/data_file_session.h"
#include "app/sessions/instrument_session.h"
#include "app/window/main_window.h"
#include "base/named_event.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/device_type.h"
#include "data/sample_records.h"
#include "export/level_locator.h"
#include "frame/commands.h"
#include "signal/processor_preset.h"
#include "sim/simulator.h"
#include "support/driven_time.h"
#include "support/temp_dir.h"
#include "views/level_views.h"

namespace k470::app {
namespace {

class InstrumentSessionTest : public ::testing::Test {
  protected:
    InstrumentSessionTest() : store(dir.file("k470.ini")), frame(store, dir.file("data")) {
        auto e = NamedEvent::Open(eventName);
        EXPECT_TRUE(e.ok());
        if (e) event.emplace(std::move(*e));
    }
    ~InstrumentSessionTest() override { NamedEvent::Unlink(eventName); }

    void useWiFi() {
        ASSERT_TRUE(store.WriteInt("Init", "AType", 1));
        ASSERT_TRUE(store.WriteString("Init", "IP1", "127.0.0.1"));
        ASSERT_TRUE(store.WriteString("Init", "IP2", "127.0.0.1"));
    }
    // The window with its dialogs answered by the test.
    std::unique_ptr<MainWindow> makeWindow(uint16_t telePort) {
        auto made = std::make_unique<MainWindow>(frame);
        made->globals().UseTime(time.sessionTime());
        made->showError = [this](const QString& m) { messages << m; };
        made->askYesNo = [this](const QString& title, const QString& q) {
            messages << title + QLatin1Char('|') + q;
            return answer;
        };
        InstrumentLinks& a = made->links();
        a.UseLinks(std::make_unique<FixedTtyProvider>(std::vector<std::string>{}), telePort);
        // The trigger of this test only, so that tests running beside it cannot start its recordings.
        a.UseAutoSaveEvent(event ? &*event : nullptr);
        MainWindow* window = made.get();
        QObject::connect(window, &QWidget::windowTitleChanged, window,
                         [this](const QString& t) { titles << t; });
        return made;
    }
    bool enabled(MainWindow& window, Command id) { return window.action(id)->isEnabled(); }
    // The autorecording dialog of w is answered with a saving period in seconds, a record count and the
    // external trigger.
    void answerRecordingDialog(const QString& period, const QString& records, bool externalTrigger) {
        w->runDialog = [=](QDialog& dialog) {
            auto* d = qobject_cast<RecordingDialog*>(&dialog);
            EXPECT_TRUE(d);
            if (!d) return int(QDialog::Rejected);
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Autorecordind parameters"));
            d->periodEdit()->setText(period);
            d->recordsEdit()->setText(records);
            d->externalTriggerBox()->setChecked(externalTrigger);
            return int(QDialog::Accepted);
        };
    }
    // An instrument of the type played by the simulator on loopback TCP, and the window that "Data" has
    // connected to it (sim and w).
    void connectOverWiFi(DeviceType type, uint32_t vin = 0x00A1B2C3) {
        SimulatorOptions o;
        o.type = type;
        o.vin = vin;
        o.port = 0;
        auto started = Simulator::Start(o);
        ASSERT_TRUE(started.ok());
        sim = std::move(*started);
        useWiFi();
        w = makeWindow(sim->tcpPort());
        w->show();
        w->action(Command::Data)->trigger();
        ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        ASSERT_NE(w->sessionAs<InstrumentSession>(), nullptr);
    }
    // The acquisition of the connected instrument.
    static InstrumentSession& instrument(MainWindow& window) {
        InstrumentSession* s = window.sessionAs<InstrumentSession>();
        EXPECT_NE(s, nullptr);
        return *s;
    }
    // The raw-signal instrument played on a pseudo-terminal, and the window that "Data" has connected to it;
    // the stream's backlog between two ticks holds backlog bytes.
    void connectRawSignalInstrument(size_t backlog = StreamReader::kBacklogLimit) {
        SimulatorOptions o;
        o.type = kStreamDeviceType;
        o.tcp = false;
        o.pty = true;
        auto started = Simulator::Start(o);
        ASSERT_TRUE(started.ok());
        sim = std::move(*started);
        w = makeWindow(0);
        w->links().UseLinks(std::make_unique<FixedTtyProvider>(std::vector<std::string>{sim->ptyPath()}));
        w->links().UseStreamBacklog(backlog);
        w->show();
        w->action(Command::Data)->trigger();
        ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(instrument(*w).deviceType(), kStreamDeviceType);
    }
    const std::string eventName = "K470TestWindowAutoSave" + std::to_string(::getpid());
    std::optional<NamedEvent> event;
    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame;
    QStringList messages, titles;
    bool answer = true;
    test::DrivenTime time;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<MainWindow> w;
};

TEST_F(InstrumentSessionTest, DataShowsTheInstrumentSavesItsValuesAndEndsWithTheWindow) {
    connectOverWiFi(3, 0x0012ABCD);
    if (HasFatalFailure()) return;
    const QString base = QStringLiteral("Sound level and spectrum meter (VIN: 0012ABCD)");
    EXPECT_EQ(w->windowTitle(), base);
    EXPECT_EQ(instrument(*w).deviceType(), 3);
    EXPECT_TRUE(instrument(*w).timer().isActive());
    EXPECT_EQ(instrument(*w).timer().interval(), 30);
    for (Command id :
         {Command::Reset, Command::StartStop, Command::SaveAsBinary, Command::StartRecording, Command::Data})
        EXPECT_TRUE(enabled(*w, id)) << static_cast<int>(id);
    for (Command id : {Command::StopRecording, Command::SetMarker, Command::SaveAsText})
        EXPECT_FALSE(enabled(*w, id)) << static_cast<int>(id);
    // The running acquisition uses the signal settings: they wait until the instrument is closed.
    EXPECT_FALSE(enabled(*w, Command::SignalFiltration));
    EXPECT_TRUE(w->control(Control::StartStop)->isVisible());
    EXPECT_FALSE(w->control(Control::SetMarker)->isVisible());
    auto* channels = static_cast<QComboBox*>(w->control(Control::Channel));
    ASSERT_EQ(channels->count(), 3);
    EXPECT_EQ(channels->itemText(2), QStringLiteral("channel 3"));
    EXPECT_EQ(static_cast<QProgressBar*>(w->control(Control::Progress))->value(), 0);

    // The timer takes the instrument's messages.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w->statusField()->text() == QStringLiteral("Data tele"); }, 3000));
    EXPECT_GT(instrument(*w).controller().values().record.levels[0], 40.0);

    // "Save as binary": one record of the instrument in a new file.
    QString filter;
    QString answerPath = QString::fromStdString(dir.file("live.bin"));
    w->askSavePath = [&](const QString&, const QString&, const QString& f) {
        filter = f;
        return answerPath;
    };
    w->action(Command::SaveAsBinary)->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(filter, QStringLiteral("Binary files (*.bin);;All Files (*)"));
    {
        auto file = BinFile::Open(dir.file("live.bin"));
        ASSERT_TRUE(file.ok());
        ASSERT_EQ(file->recordCount(), 1);
        auto record = file->ReadRecord(1);
        ASSERT_TRUE(record.ok());
        EXPECT_EQ(record->header.deviceType, 3);
        EXPECT_EQ(record->header.vin, 0x0012ABCDu);
        EXPECT_GT(record->levels[0], 40.0);
    }
    // A target that cannot be created: the message names it.
    answerPath = QString::fromStdString(dir.file("no/such/dir/x.bin"));
    w->action(Command::SaveAsBinary)->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.takeFirst().startsWith(QStringLiteral("Can't open file")));

    // Closing the window ends the acquisition: the instrument is told to stop and the link closes.
    const size_t before = sim->receivedBytes().size();
    messages.clear();
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(w->session(), nullptr);
    EXPECT_EQ(w->tabs()->count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->receivedBytes().size() >= before + 2; }, 2000));
    const auto sent = sim->receivedBytes();
    EXPECT_EQ(std::vector<uint8_t>(sent.end() - 2, sent.end()), (std::vector<uint8_t>{0xA0, 0x2A}));
}

// Autorecording writes the instrument's records a saving period apart into the file chosen, and an active
// one holds the window and the session open until the user lets it stop.
TEST_F(InstrumentSessionTest, AutorecordingWritesRecordsAPeriodApartAndKeepsTheSourceOpen) {
    connectOverWiFi(3, 0x0012ABCD);
    if (HasFatalFailure()) return;
    const QString base = w->windowTitle();
    QString caption;
    QString answerPath = QString::fromStdString(dir.file("rec.bin"));
    w->askSavePath = [&](const QString& c, const QString&, const QString&) {
        caption = c;
        return answerPath;
    };
    // Wrong recording parameters: the message, and no file is asked for.
    answerRecordingDialog(QStringLiteral("1"), QStringLiteral("300001"), false);
    w->action(Command::StartRecording)->trigger();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Error in parameters")});
    EXPECT_TRUE(caption.isEmpty());
    messages.clear();

    // Two records a second apart, the first one marked: each is written by the first message once its
    // second has passed.
    answerRecordingDialog(QStringLiteral("1"), QStringLiteral("2"), false);
    w->action(Command::StartRecording)->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w->windowTitle(), base + QStringLiteral(" (autorecording 0%)"));
    EXPECT_FALSE(enabled(*w, Command::StartRecording));
    EXPECT_TRUE(enabled(*w, Command::StopRecording) && enabled(*w, Command::SetMarker));
    EXPECT_TRUE(w->control(Control::SetMarker)->isVisible());
    static_cast<QPushButton*>(w->control(Control::SetMarker))->click();
    const auto recordingOff = [&] {
        return instrument(*w).controller().recording() == AcquisitionController::Recording::Off;
    };
    time.clock.advance(1000);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w->windowTitle() == base + QStringLiteral(" (autorecording 50%)"); }, 3000));
    EXPECT_FALSE(recordingOff());
    time.clock.advance(1000);
    ASSERT_TRUE(QTest::qWaitFor(recordingOff, 3000));
    EXPECT_EQ(w->windowTitle(), base);
    EXPECT_TRUE(enabled(*w, Command::StartRecording));
    EXPECT_FALSE(enabled(*w, Command::StopRecording) || enabled(*w, Command::SetMarker));
    EXPECT_FALSE(w->control(Control::SetMarker)->isVisible());
    {
        auto file = BinFile::Open(dir.file("rec.bin"));
        ASSERT_TRUE(file.ok());
        ASSERT_EQ(file->recordCount(), 2);
        EXPECT_EQ(file->ReadHeader(1)->recordComment,
                  (std::array<uint8_t, 10>{'M', 'A', 'R', 'K', 'E', 'R', 0xFF, 0xF5, 0xF6, 0xFF}));
        EXPECT_EQ(file->ReadHeader(2)->recordComment[0], 0xFF);
        EXPECT_TRUE(file->ReadRecord(2)->tail.intervalKnown());  // counted from the recording's reset
    }

    // Closing the window while recording asks first; No keeps everything running.
    answerRecordingDialog(QStringLiteral("1"), QStringLiteral("100"), false);
    answerPath = QString::fromStdString(dir.file("long.bin"));
    w->action(Command::StartRecording)->trigger();
    answer = false;
    EXPECT_FALSE(w->close());
    EXPECT_EQ(messages.last(), QStringLiteral("K470|Stop autorecording?"));
    EXPECT_TRUE(w->isVisible());
    // Escape and Ctrl+Q close the same way: they ask too.
    messages.clear();
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QTest::keyClick(w.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(messages, QStringList(2, QStringLiteral("K470|Stop autorecording?")));
    EXPECT_TRUE(w->isVisible());
    // Opening a file asks the same; No keeps the recording.
    messages.clear();
    w->OpenPath(QString::fromStdString(dir.file("rec.bin")));
    EXPECT_EQ(messages, QStringList{QStringLiteral("K470|Stop autorecording?")});
    ASSERT_NE(w->sessionAs<InstrumentSession>(), nullptr);
    EXPECT_EQ(instrument(*w).controller().recording(), AcquisitionController::Recording::Active);
    // "Stop recording" writes one last record.
    w->action(Command::StopRecording)->trigger();
    EXPECT_EQ(BinFile::Open(dir.file("long.bin"))->recordCount(), 1);
}

// The instrument's pages: the tabs of its type, cells that follow its values, and the "Parameters" range
// and calibration controls that reach it.
TEST_F(InstrumentSessionTest, PagesShowTheInstrumentsValuesAndParametersReachIt) {
    connectOverWiFi(3);
    if (HasFatalFailure()) return;
    QStringList tabs;
    for (int i = 0; i < w->tabs()->count(); ++i) tabs << w->tabs()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"1/1 octaves", "1/3 octaves", "Weighted levels", "Spectra"}));
    ASSERT_EQ(w->pages().size(), 4u);

    // The page in front shows the values of the latest message: each cell is the record's level word. The
    // cells of the page on tab that differ from the instrument's current record:
    auto wrongCells = [&](int tab, int locatorTable) {
        const RecordBytes bytes = stampedRecordBytes(instrument(*w).controller().currentRecord(),
                                                     CalendarTime{2026, 1, 1, 0, 0, 0});
        auto* page = qobject_cast<TablePage*>(w->pages()[static_cast<size_t>(tab)]);
        if (!page || page->table(0)->rowCount() == 0) return QStringList{QStringLiteral("no table")};
        QTableWidget* table = page->table(0);
        QStringList wrong;
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c) {
                const size_t at = static_cast<size_t>(levelWordOffset(3, 0, locatorTable, c, r));
                const double level = decodeLevel(static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8));
                if (table->item(r, c)->text().toStdString() != views::LevelCellText(level))
                    wrong << QStringLiteral("r%1 c%2: %3").arg(r).arg(c).arg(table->item(r, c)->text());
            }
        return wrong;
    };
    for (const auto& [tab, locatorTable] : {std::pair{1, 1}, std::pair{0, 0}}) {  // 1/3, then 1/1 octaves
        w->tabs()->setCurrentIndex(tab);
        QStringList wrong;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                wrong = wrongCells(tab, locatorTable);
                return wrong.isEmpty();
            },
            3000))
            << tab << ": " << wrong.join(QStringLiteral(", ")).toStdString();
    }

    // "Parameters": the range buttons and the offsets act on the instrument.
    QString askedTitle;
    w->askText = [&](const QString& title, const QString&, const QString&) {
        askedTitle = title;
        return std::optional<QString>(QStringLiteral("1.5"));
    };
    w->runDialog = [&](QDialog& d) {
        auto* p = qobject_cast<ParametersDialog*>(&d);
        EXPECT_TRUE(p);
        if (!p) return int(QDialog::Rejected);
        EXPECT_EQ(p->field(4)->text(), QStringLiteral("00A1B2C3"));
        // The values are today's.
        const CalendarTime now = localTimeNow();
        EXPECT_EQ(p->field(0)->text(), QString::asprintf("%02d/%02d/%d", now.day, now.month, now.year));
        EXPECT_TRUE(p->range(2)->isEnabled() && p->offset(1)->isEnabled());
        p->range(2)->click();
        p->offset(1)->click();
        // The instrument reports the new range and the dialog follows it.
        EXPECT_TRUE(QTest::qWaitFor([&] { return sim->state().range == 2; }, 2000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return p->range(2)->isChecked(); }, 2000));
        return int(QDialog::Accepted);
    };
    w->Dispatch(Command::Misc);
    EXPECT_EQ(askedTitle, QStringLiteral("Enter calibration offset"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return sim->state().calibrationOffset[1] == 1.5; }, 2000));

    // A file opened meanwhile ends the acquisition; its own pages replace the instrument's.
    auto record = makeSampleRecord({6, 0x42, 1, 0});
    ASSERT_TRUE(record.ok());
    ASSERT_TRUE(WriteSingleRecordFile(dir.file("one.bin"), *record, CalendarTime{2026, 1, 1, 0, 0, 0}));
    w->OpenPath(QString::fromStdString(dir.file("one.bin")));
    ASSERT_NE(w->sessionAs<DataFileSession>(), nullptr);
    EXPECT_EQ(w->tabs()->count(), 4);
    EXPECT_TRUE(enabled(*w, Command::SignalFiltration));
    EXPECT_EQ(w->session()->shownRecord()->header.deviceType, 6);
    // The link was closed: the instrument was told to stop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->receivedBytes().size() >= 2; }, 2000));
}

// The raw-signal instrument on USB: its sample stream reaches the "Signal" page through the chain.
TEST_F(InstrumentSessionTest, RawSignalInstrumentShowsItsSignal) {
    connectRawSignalInstrument();
    if (HasFatalFailure()) return;
    // The source's own page, then its analyses.
    ASSERT_GE(w->tabs()->count(), 2);
    EXPECT_EQ(w->tabs()->tabText(0), QStringLiteral("Signal"));
    EXPECT_EQ(w->tabs()->tabText(1), QStringLiteral("Levels"));
    const views::SignalTrace& trace = instrument(*w).trace();
    ASSERT_TRUE(QTest::qWaitFor([&] { return trace.size() >= 4800; }, 5000));
    EXPECT_GT(trace.Rms(0), 0.0);
    auto* page = qobject_cast<SignalPage*>(w->pages()[0]);
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->levelLabel()->text().endsWith(QStringLiteral(" dB re 1 counts")))
        << page->levelLabel()->text().toStdString();
    // Without a preset the samples are the converter's counts, and the pages say so; the preset can be
    // chosen while the stream flows.
    EXPECT_EQ(frame.signalState().channels[0].units, "counts");
    auto* levels = qobject_cast<LevelsPage*>(w->pages()[1]);
    ASSERT_TRUE(levels);
    EXPECT_TRUE(levels->noteLabel()->text().startsWith(QStringLiteral("Levels in dB re 1 counts")))
        << levels->noteLabel()->text().toStdString();
    EXPECT_TRUE(enabled(*w, Command::SignalFiltration));
    // The stream's spectrum builds up on the "FFT" page.
    ASSERT_TRUE(enabled(*w, Command::Fft));
    w->action(Command::Fft)->trigger();
    auto* fft = qobject_cast<FftPage*>(w->tabs()->currentWidget());
    ASSERT_TRUE(fft);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fft->spectrum().peak().has_value(); }, 5000));
    // "RT-60" of the steady stream: the last seconds hold no decay, so every time stays empty with a note.
    w->action(Command::Rt60)->trigger();
    auto* rt60 = qobject_cast<Rt60Page*>(w->tabs()->currentWidget());
    ASSERT_TRUE(rt60);
    EXPECT_FALSE(rt60->recordBox()->isVisible());
    rt60->calculateButton()->click();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_GT(rt60->table()->rowCount(), 0);
    for (int row = 0; row < rt60->table()->rowCount(); ++row) {
        for (int column : {1, 2, 3})
            EXPECT_TRUE(rt60->table()->item(row, column)->text().isEmpty())
                << rt60->table()->item(row, 0)->text().toStdString() << " " << column;
        EXPECT_FALSE(rt60->table()->item(row, 7)->text().isEmpty());
    }
    // Nothing to save as a record from a stream.
    EXPECT_FALSE(enabled(*w, Command::SaveAsText));
    EXPECT_TRUE(w->close());
    EXPECT_EQ(w->session(), nullptr);
}

TEST_F(InstrumentSessionTest, SimulatorsCalibratorReadsItsLevelThroughThePresetMadeForIt) {
    SimulatorOptions o;
    o.type = kStreamDeviceType;
    o.tcp = false;
    o.pty = true;
    o.signal = parseSignalList("calibrator").value();
    auto started = Simulator::Start(o);
    ASSERT_TRUE(started.ok());
    sim = std::move(*started);
    w = makeWindow(0);
    // As "k470 --simulator 26" does: the simulator's preset, since the user chose none.
    frame.ChoosePresetIfNoneChosen(kSimulatorPresetName);
    EXPECT_EQ(frame.activePreset(), "simulator");
    w->links().UseLinks(std::make_unique<FixedTtyProvider>(std::vector<std::string>{sim->ptyPath()}));
    w->show();
    w->action(Command::Data)->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    auto* levels = qobject_cast<LevelsPage*>(w->pages()[1]);
    ASSERT_TRUE(levels);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return levels->readout() && levels->readout()->seconds >= 1.0; }, 5000));
    EXPECT_NEAR(levels->readout()->leq, 94.0, 0.2);
    EXPECT_EQ(levels->noteLabel()->text(), QString::fromUtf8("Levels in dB re 20 \u00b5Pa"));
    EXPECT_TRUE(w->close());
}

// A window held up longer than the stream's backlog lasts loses frames; the status bar says how many, so
// that a signal with gaps does not pass for a whole one.
TEST_F(InstrumentSessionTest, LostFramesOfTheRawStreamAreShownInTheStatusBar) {
    connectRawSignalInstrument(65'536);  // a third of a second of the stream
    if (HasFatalFailure()) return;
    const views::SignalTrace& trace = instrument(*w).trace();
    ASSERT_TRUE(QTest::qWaitFor([&] { return trace.size() >= 4800; }, 5000));
    EXPECT_FALSE(w->statusField()->text().contains(QStringLiteral("lost")))
        << w->statusField()->text().toStdString();
    // The window is held up (no tick) until the stream's backlog overflows.
    for (int i = 0; i < 500 && w->links().streamFramesLost() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w->statusField()->text().contains(QStringLiteral("were lost")); }, 2000))
        << w->statusField()->text().toStdString();
    EXPECT_EQ(sim->droppedFrames(), 0u);  // lost by the PC, not by the instrument
    EXPECT_TRUE(w->close());
}

TEST_F(InstrumentSessionTest, ExternalTriggerStartsTheArmedRecording) {
    connectOverWiFi(7);
    if (HasFatalFailure()) return;
    const QString base = w->windowTitle();
    answerRecordingDialog(QStringLiteral("1"), QStringLiteral("5"), true);
    w->askSavePath = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(dir.file("trig.bin"));
    };
    w->action(Command::StartRecording)->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(instrument(*w).controller().recording(), AcquisitionController::Recording::Armed);
    EXPECT_EQ(w->windowTitle(), base + QStringLiteral(" (autorecording 0%)"));
    // The window says that the recording waits, not only its title.
    EXPECT_TRUE(w->control(Control::Armed)->isVisible());
    EXPECT_TRUE(enabled(*w, Command::StopRecording));
    // Ten ticks' time without the trigger.
    for (int i = 0; i < 10; ++i) {
        time.clock.advance(30);
        instrument(*w).Tick();
    }
    EXPECT_EQ(instrument(*w).controller().recording(), AcquisitionController::Recording::Armed);

    auto other = NamedEvent::Open(eventName);  // as another program would
    ASSERT_TRUE(other.ok());
    other->Set();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return instrument(*w).controller().recording() == AcquisitionController::Recording::Active; },
        1000));
    EXPECT_FALSE(w->control(Control::Armed)->isVisible());
    w->action(Command::StopRecording)->trigger();
    EXPECT_EQ(BinFile::Open(dir.file("trig.bin"))->recordCount(), 1);
    EXPECT_FALSE(other->IsSet());
    EXPECT_EQ(w->windowTitle(), base);
}

TEST_F(InstrumentSessionTest, ConnectionClosedByTheInstrumentIsReportedAtOnce) {
    connectOverWiFi(3);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w->statusField()->text() == QStringLiteral("Data tele"); }, 3000));
    // The instrument goes away: its end of the TCP connection closes. The window says so well before the
    // silence limit would, and the acquisition ends instead of showing frozen values.
    sim.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->session() == nullptr; }, 3000))
        << w->statusField()->text().toStdString();
    EXPECT_TRUE(messages.contains(QStringLiteral("The instrument closed the connection")))
        << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w->tabs()->count(), 0);
    EXPECT_TRUE(enabled(*w, Command::Data));
    EXPECT_FALSE(enabled(*w, Command::StartStop));
}

TEST_F(InstrumentSessionTest, NoAdapterOnTheAddressChangesNothing) {
    // A port that is bound but not listening refuses the connection.
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    useWiFi();
    w = makeWindow(ntohs(a.sin_port));
    // "Data" closes the file shown before it looks for the instrument.
    auto record = makeSampleRecord({3, 0x0BADCAFE, 7, 0});
    ASSERT_TRUE(record.ok());
    ASSERT_TRUE(WriteSingleRecordFile(dir.file("one.bin"), *record, CalendarTime{2024, 1, 2, 3, 4, 6}).ok());
    w->OpenPath(QString::fromStdString(dir.file("one.bin")));
    ASSERT_NE(w->sessionAs<DataFileSession>(), nullptr);
    w->action(Command::Data)->trigger();
    ::close(s);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Can't found tele adapter")});
    EXPECT_EQ(w->windowTitle(), QStringLiteral("470 Utility"));
    EXPECT_EQ(w->session(), nullptr);
    EXPECT_EQ(w->tabs()->count(), 0);
    EXPECT_TRUE(enabled(*w, Command::Data));
    for (Command id : {Command::Reset, Command::StartStop, Command::SaveAsBinary, Command::StartRecording,
                       Command::StopRecording, Command::SetMarker})
        EXPECT_FALSE(enabled(*w, id)) << static_cast<int>(id);
    EXPECT_EQ(w->statusField()->text(), QStringLiteral("No data source"));
}

TEST_F(InstrumentSessionTest, TeleParametersEditTheLinkSettings) {
    w = makeWindow(kTelePort);
    bool accept = false;
    w->runDialog = [&](QDialog& dialog) {
        auto& d = *qobject_cast<TeleParametersDialog*>(&dialog);
        // Nothing stored yet: USB, the default addresses, which cannot be edited for USB.
        EXPECT_TRUE(d.usbButton()->isChecked());
        EXPECT_EQ(d.localAddressEdit()->text().toStdString(), readTeleEndpoint(store).localAddress);
        EXPECT_FALSE(d.localAddressEdit()->isEnabled() || d.remoteAddressEdit()->isEnabled());
        d.wifiButton()->click();
        EXPECT_TRUE(d.localAddressEdit()->isEnabled() && d.remoteAddressEdit()->isEnabled());
        d.localAddressEdit()->setText(QStringLiteral("10.0.0.2"));
        d.remoteAddressEdit()->setText(QStringLiteral("10.0.0.9"));
        return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    w->action(Command::TeleParameters)->trigger();  // Cancel
    EXPECT_EQ(store.ReadString("Init", "IP1", "-"), "-");
    EXPECT_EQ(store.ReadString("Init", "AType", "-"), "-");
    accept = true;
    w->action(Command::TeleParameters)->trigger();
    EXPECT_EQ(store.ReadInt("Init", "AType", 0), 1);
    EXPECT_EQ(store.ReadString("Init", "IP1", ""), "10.0.0.2");
    EXPECT_EQ(store.ReadString("Init", "IP2", ""), "10.0.0.9");
    // Opened again, it shows the stored choice; USB greys the addresses out again.
    w->runDialog = [&](QDialog& dialog) {
        auto& d = *qobject_cast<TeleParametersDialog*>(&dialog);
        EXPECT_TRUE(d.wifiButton()->isChecked());
        EXPECT_TRUE(d.localAddressEdit()->isEnabled());
        EXPECT_EQ(d.remoteAddressEdit()->text(), QStringLiteral("10.0.0.9"));
        d.usbButton()->click();
        EXPECT_FALSE(d.remoteAddressEdit()->isEnabled());
        return int(QDialog::Accepted);
    };
    w->action(Command::TeleParameters)->trigger();
    EXPECT_EQ(store.ReadInt("Init", "AType", 1), 0);
    EXPECT_TRUE(messages.isEmpty());
}

// The "Start/stop" button shows what the instrument reports: it follows the running word of the status
// messages, whichever way the instrument was started, and an autorecording reads it before starting one.
TEST_F(InstrumentSessionTest, StartStopButtonShowsTheInstrumentsRunningState) {
    connectOverWiFi(3);
    if (HasFatalFailure()) return;
    auto* button = static_cast<QPushButton*>(w->control(Control::StartStop));
    const auto showsRunning = [&](bool running) {
        return QTest::qWaitFor([&] { return button->isChecked() == running; }, 3000);
    };
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w->statusField()->text() == QStringLiteral("Data tele"); }, 3000));
    EXPECT_FALSE(button->isChecked());
    w->action(Command::StartStop)->trigger();  // Operation -> Start/stop
    EXPECT_TRUE(showsRunning(true));
    button->click();  // the button itself
    EXPECT_TRUE(showsRunning(false));
    button->click();
    EXPECT_TRUE(showsRunning(true));

    // An autorecording of a running instrument resets it without a second Start/stop, so it keeps running.
    w->runDialog = [](QDialog& dialog) {
        auto* d = qobject_cast<RecordingDialog*>(&dialog);
        if (!d) return int(QDialog::Rejected);
        d->periodEdit()->setText(QStringLiteral("1"));
        d->recordsEdit()->setText(QStringLiteral("100"));
        d->externalTriggerBox()->setChecked(false);
        return int(QDialog::Accepted);
    };
    w->askSavePath = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(dir.file("running.bin"));
    };
    const size_t before = sim->receivedBytes().size();
    w->action(Command::StartRecording)->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->receivedBytes().size() >= before + 2; }, 2000));
    const auto sent = sim->receivedBytes();
    EXPECT_EQ(std::vector<uint8_t>(sent.begin() + static_cast<std::ptrdiff_t>(before), sent.end()),
              (std::vector<uint8_t>{0xA0, 0x3A}));
    EXPECT_TRUE(showsRunning(true));
    w->action(Command::StopRecording)->trigger();
}

}  // namespace
}  // namespace k470::app
