// SPDX-License-Identifier: GPL-3.0-or-later
// Recording the raw-signal instrument's stream in the window, against the simulator on a pseudo-terminal:
// "Start recording" into a file chosen in the save dialog, "Set marker", "Stop recording", and the file read
// back; a full disk, a write that fails mid-way and an instrument that goes silent end the recording with a
// message and keep what was written; the live "Signal" page keeps a zoom, holds and triggers. The dialogs
// are answered by the test.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <mutex>

#include "app/pages/signal/signal_page.h"
#include "app/sessions/instrument_session.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "data/sdt_container.h"
#include "frame/commands.h"
#include "frame/stream_recording.h"
#include "plot/line_chart.h"
#include "plot/scroll_zoom_bar.h"
#include "signal/signal_record.h"
#include "sim/simulator.h"
#include "support/driven_time.h"
#include "support/file_size_cap.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

class StreamRecordingTest : public ::testing::Test {
  protected:
    StreamRecordingTest() : store(dir.file("k470.ini")), frame(store, dir.file("data")) {}

    // The window connected to the simulated raw-signal instrument, its stream flowing.
    void connect() {
        SimulatorOptions o;
        o.type = kStreamDeviceType;
        o.tcp = false;
        o.pty = true;
        auto started = Simulator::Start(o);
        ASSERT_TRUE(started.ok());
        sim = std::move(*started);
        w = std::make_unique<MainWindow>(frame);
        w->globals().UseTime(time.sessionTime());
        w->showError = [this](const QString& m) { messages << m; };
        w->askYesNo = [this](const QString&, const QString& q) {
            messages << q;
            return answer;
        };
        w->askSavePath = [this](const QString&, const QString&, const QString& filter) {
            filters << filter;
            return savePath;
        };
        w->askText = [this](const QString&, const QString&,
                            const QString& proposed) -> std::optional<QString> {
            proposals << proposed;
            return markerName ? std::optional<QString>(*markerName) : std::optional<QString>(proposed);
        };
        w->links().UseLinks(std::make_unique<FixedTtyProvider>(std::vector<std::string>{sim->ptyPath()}));
        w->show();
        w->action(Command::Data)->trigger();
        ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        ASSERT_NE(w->sessionAs<InstrumentSession>(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return session().trace().size() >= 2400; }, 5000));
    }
    InstrumentSession& session() { return *w->sessionAs<InstrumentSession>(); }
    bool enabled(Command id) { return w->action(id)->isEnabled(); }
    const StreamRecording& recording() { return session().streamRecording(); }
    bool startRecording(const QString& path) {
        savePath = path;
        w->action(Command::StartRecording)->trigger();
        return recording().active();
    }
    // Whether the status field comes to start with text.
    bool statusComes(const QString& text) {
        return QTest::qWaitFor([&] { return w->statusField()->text().startsWith(text); }, 5000);
    }
    // Whether the recording goes on: more frames reach the file.
    bool recordingGoesOn() {
        const uint64_t frames = recording().frames();
        return QTest::qWaitFor([&] { return recording().frames() > frames; }, 5000);
    }
    // Whether the stream goes on: a tenth of a second more of it reaches the trace.
    bool streamGoesOn() {
        const uint64_t appended = session().trace().appended();
        return QTest::qWaitFor([&] { return session().trace().appended() > appended + 4800; }, 5000);
    }

    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame;
    QStringList messages, filters, proposals;
    bool answer = true;
    QString savePath;
    std::optional<QString> markerName;
    test::DrivenTime time;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<MainWindow> w;
};

struct ReadBack {
    SdtHeader header;
    std::vector<DirectoryEntry> records;
    std::vector<std::vector<Marker>> markers;
};

ReadBack readBack(const std::string& path) {
    ReadBack r;
    auto file = SdtContainer::Open(path);
    EXPECT_TRUE(file.ok()) << path;
    if (!file) return r;
    r.header = file->header();
    DirectoryWalk walk = file->walkEntries();
    EXPECT_FALSE(walk.problem.has_value());
    for (const IndexedEntry& e : walk.entries) {
        r.records.push_back(e.entry);
        auto table = readMarkerTable(*file, e.entry);
        EXPECT_TRUE(table.ok());
        std::vector<Error> problems;
        r.markers.push_back(table ? readMarkers(*file, *table, problems) : std::vector<Marker>{});
        EXPECT_TRUE(problems.empty());
    }
    return r;
}

TEST_F(StreamRecordingTest, RecordsTheStreamWithAMarkerIntoTheChosenFile) {
    connect();
    if (HasFatalFailure()) return;
    EXPECT_TRUE(enabled(Command::StartRecording));
    EXPECT_FALSE(enabled(Command::StopRecording));
    EXPECT_FALSE(enabled(Command::SetMarker));
    // A name without its extension gets ".sdt".
    ASSERT_TRUE(startRecording(QString::fromStdString(dir.file("hall"))))
        << messages.join(QLatin1Char('\n')).toStdString();
    const std::string path = dir.file("hall.sdt");
    EXPECT_EQ(recording().path(), path);
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters[0].contains(QStringLiteral("*.sdt")));
    EXPECT_FALSE(enabled(Command::StartRecording));
    EXPECT_TRUE(enabled(Command::StopRecording));
    EXPECT_TRUE(enabled(Command::SetMarker));
    EXPECT_TRUE(w->control(Control::SetMarker)->isVisible());
    // The status says that it records, and for how long.
    EXPECT_TRUE(statusComes(QStringLiteral("Recording 0:00:01 into 'hall.sdt'")))
        << w->statusField()->text().toStdString();

    w->action(Command::SetMarker)->trigger();
    ASSERT_EQ(proposals, QStringList{QStringLiteral("Marker 1")});
    const uint64_t framesAtMarker = recording().frames();
    markerName = QStringLiteral("Door closed");
    w->action(Command::SetMarker)->trigger();
    EXPECT_EQ(proposals.last(), QStringLiteral("Marker 2"));
    // The record's 15 marker slots fill up; the 16th asks: "No" refuses it, "Yes" goes on in a new record
    // that starts with it, as k470-cli record does.
    markerName.reset();
    for (int i = 3; i <= 15; ++i) w->action(Command::SetMarker)->trigger();
    EXPECT_EQ(proposals.last(), QStringLiteral("Marker 15"));
    answer = false;
    w->action(Command::SetMarker)->trigger();
    EXPECT_EQ(proposals.size(), 15);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("15 markers"))) << messages[0].toStdString();
    EXPECT_EQ(recording().markersInRecord(), 15);
    ASSERT_TRUE(recordingGoesOn());
    answer = true;
    w->action(Command::SetMarker)->trigger();
    EXPECT_EQ(proposals.last(), QStringLiteral("Marker 1"));
    EXPECT_EQ(recording().records(), 2u);

    // Closing the window while recording asks first; "No" keeps everything as it was.
    answer = false;
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(messages.last().contains(QStringLiteral("hall.sdt")));
    EXPECT_TRUE(recording().active());
    ASSERT_TRUE(recordingGoesOn());
    w->action(Command::StopRecording)->trigger();
    EXPECT_FALSE(recording().active());
    EXPECT_TRUE(enabled(Command::StartRecording));
    EXPECT_FALSE(w->control(Control::SetMarker)->isVisible());
    const uint64_t frames = recording().frames();
    EXPECT_GT(frames, framesAtMarker);

    const ReadBack r = readBack(path);
    EXPECT_EQ(r.header.sampleRate, frame.signalState().outputRate());
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].frameCount + r.records[1].frameCount, frames);
    EXPECT_EQ(r.records[0].deviceType, kStreamDeviceType);
    // The acquisition's serial number in every record: a raw stream carries none, so it is 0.
    EXPECT_EQ(r.records[0].vin, 0u);
    EXPECT_EQ(r.records[1].vin, 0u);
    ASSERT_EQ(r.markers[0].size(), 15u);
    // The marker goes to the frame that was current when it was set.
    EXPECT_EQ(r.markers[0][0].block.name(), u"Marker 1");
    EXPECT_EQ(r.markers[0][0].block.frame, framesAtMarker);
    EXPECT_EQ(r.markers[0][1].block.name(), u"Door closed");
    EXPECT_EQ(r.markers[0][14].block.name(), u"Marker 15");
    ASSERT_EQ(r.markers[1].size(), 1u);
    EXPECT_EQ(r.markers[1][0].block.name(), u"Marker 1");
    EXPECT_EQ(r.markers[1][0].block.frame, 0u);
    EXPECT_EQ(messages.size(), 3) << messages.join(QLatin1Char('\n')).toStdString();
}

// A recording of the stream driven by a clock moved by hand and a tap the test fills, without a stream: one
// channel at 1000 frames a second.
struct TappedRecording {
    test::TempDir dir;
    std::mutex lock;
    ManualClock clock{1000};
    RecordingTap* tap = nullptr;
    StreamRecording recording{{lock, clock, [this](RecordingTap* t) { tap = t; },
                               [] { return CalendarTime{2026, 12, 11, 10, 0, 0}; }}};

    void start(const std::string& name) {
        SdtHeader header;
        header.sampleRate = 1000.0;
        header.channelMask = 0b1;
        ASSERT_TRUE(recording.Start(dir.file(name), header, {kStreamDeviceType, 7}, 0).ok());
        ASSERT_NE(tap, nullptr);
    }
    // Frames arrive behind the chain.
    void arrive(size_t frames) { tap->pending().insert(tap->pending().end(), frames, 0.25); }
};

// "Set marker" takes the frame of the click: the naming dialog stays open while the stream goes on (frames
// arrive and every tick writes them), and the marker still lands where it was set. A dialog that is
// cancelled sets none.
TEST(StreamRecordingMarker, TakesTheFrameOfTheClickWhileTheDialogNamesIt) {
    TappedRecording t;
    t.start("marked.sdt");
    if (::testing::Test::HasFatalFailure()) return;
    // A second of signal arrives behind the chain, and a tick writes it.
    auto second = [&] {
        t.arrive(1000);
        t.clock.advance(1000);
        EXPECT_EQ(t.recording.Tick(), std::nullopt);
    };
    second();
    t.arrive(200);  // not yet written at the click
    // The user takes seven seconds to type the name.
    auto slowly = [&](std::optional<std::u16string> name) {
        return [&second, name]() -> std::optional<std::u16string> {
            for (int i = 0; i < 7; ++i) second();
            return name;
        };
    };
    ASSERT_TRUE(t.recording.SetMarker(slowly(u"Door closed")).ok());
    EXPECT_EQ(t.recording.frames(), 8200u);
    ASSERT_TRUE(t.recording.SetMarker(slowly(std::nullopt)).ok());  // cancelled
    ASSERT_TRUE(t.recording.SetMarker(slowly(u"Window open")).ok());
    ASSERT_TRUE(t.recording.Stop().ok());

    const ReadBack r = readBack(t.dir.file("marked.sdt"));
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].frameCount, 22200u);
    ASSERT_EQ(r.markers[0].size(), 2u);
    EXPECT_EQ(r.markers[0][0].block.name(), u"Door closed");
    EXPECT_EQ(r.markers[0][0].block.frame, 1200u);
    EXPECT_EQ(r.markers[0][1].block.name(), u"Window open");
    EXPECT_EQ(r.markers[0][1].block.frame, 15200u);
}

// A stream that falls silent ends the recording on the first tick more than the silence limit after the
// last frames arrived, not at the limit itself; frames arriving meanwhile start the count again. The
// message counts the frames, and the file keeps them.
TEST(StreamRecordingSilence, EndsOnlyWhenTheStreamIsSilentForLongerThanTheLimit) {
    TappedRecording t;
    t.start("silent.sdt");
    if (::testing::Test::HasFatalFailure()) return;
    t.arrive(300);
    EXPECT_EQ(t.recording.Tick(), std::nullopt);
    t.clock.advance(kStreamSilenceLimitMs - 1);
    t.arrive(200);  // just before the limit
    EXPECT_EQ(t.recording.Tick(), std::nullopt);
    t.clock.advance(kStreamSilenceLimitMs);
    EXPECT_EQ(t.recording.Tick(), std::nullopt);
    EXPECT_TRUE(t.recording.active());
    t.clock.advance(1);
    EXPECT_EQ(t.recording.Tick(),
              std::optional<std::string>("The instrument stopped sending: the recording ends with the 500 "
                                         "frames that arrived"));
    EXPECT_FALSE(t.recording.active());
    const ReadBack r = readBack(t.dir.file("silent.sdt"));
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].frameCount, 500u);
}

TEST_F(StreamRecordingTest, AFullDiskIsRefusedAndAFailedWriteStopsWithAMessage) {
    connect();
    if (HasFatalFailure()) return;
    // Nothing can be written to a full device: no recording, and the user is told.
    EXPECT_FALSE(startRecording(QStringLiteral("/dev/full")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("/dev/full"))) << messages[0].toStdString();
    EXPECT_TRUE(enabled(Command::StartRecording));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));

    // The file stops growing mid-way: the recording ends with a message and keeps what it had.
    const std::string path = dir.file("cut.sdt");
    ASSERT_TRUE(startRecording(QString::fromStdString(path)));
    {
        test::FileSizeCap cap(400'000);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !recording().active(); }, 10000));
    }
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1], QStringLiteral("Recording stopped: the file has reached the largest size allowed. "
                                          "The file '%1' keeps the %2 frames recorded before.")
                               .arg(QString::fromStdString(path))
                               .arg(recording().frames()));
    EXPECT_TRUE(enabled(Command::StartRecording));
    EXPECT_FALSE(enabled(Command::StopRecording));
    const ReadBack r = readBack(path);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_GT(r.records[0].frameCount, 0u);
    EXPECT_EQ(r.records[0].frameCount, recording().frames());

    // With room again, a new recording goes on until "Start/stop" ends it with a complete file.
    const std::string again = dir.file("again.sdt");
    ASSERT_TRUE(startRecording(QString::fromStdString(again)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return recording().frames() > 0; }, 5000));
    w->action(Command::StartStop)->trigger();
    EXPECT_FALSE(recording().active());
    EXPECT_EQ(readBack(again).records.at(0).frameCount, recording().frames());
    EXPECT_EQ(messages.size(), 2);
}

// Over an earlier file the recording grows under a name of its own, which the status shows, and replaces the
// earlier file when it ends.
TEST_F(StreamRecordingTest, ARecordingOverAnEarlierFileSaysWhereItGrows) {
    connect();
    if (HasFatalFailure()) return;
    const std::string path = dir.file("hall.sdt");
    const std::vector<uint8_t> earlier(5000, 0x66);
    test::writeBytes(path, earlier);
    ASSERT_TRUE(startRecording(QString::fromStdString(path)));
    EXPECT_TRUE(statusComes(QStringLiteral("Recording 0:00:01 into 'hall.partial-")))
        << w->statusField()->text().toStdString();
    const QString status = w->statusField()->text();
    EXPECT_TRUE(status.contains(QStringLiteral(".sdt' (it replaces 'hall.sdt' when it ends)")))
        << status.toStdString();
    EXPECT_EQ(test::readBytes(path), earlier);
    w->action(Command::StopRecording)->trigger();
    const ReadBack r = readBack(path);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].frameCount, recording().frames());
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(e.path().filename().string().starts_with("hall.partial-")) << e.path();
}

TEST_F(StreamRecordingTest, AnInstrumentThatFallsSilentEndsTheRecordingWithWhatArrived) {
    connect();
    if (HasFatalFailure()) return;
    const std::string path = dir.file("gone.sdt");
    ASSERT_TRUE(startRecording(QString::fromStdString(path)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return recording().frames() > 1000; }, 5000));
    sim.reset();  // the instrument goes away
    // The clock runs on until the stream has been silent for longer than the limit.
    ASSERT_TRUE(time.advanceUntil(500, [&] { return !messages.isEmpty(); }));
    EXPECT_FALSE(recording().active());
    EXPECT_EQ(messages[0], QStringLiteral("The instrument stopped sending: the recording ends with the %1 "
                                          "frames that arrived")
                               .arg(recording().frames()));
    const ReadBack r = readBack(path);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].frameCount, recording().frames());
}

TEST_F(StreamRecordingTest, LiveSignalPageKeepsItsZoomHoldsAndTriggers) {
    connect();
    if (HasFatalFailure()) return;
    auto* page = qobject_cast<SignalPage*>(w->pages()[0]);
    ASSERT_TRUE(page);
    plot::ScrollZoomBar& bar = *page->zoomBar();
    const auto shownCount = [&] { return bar.view().last() - bar.view().first() + 1; };
    // The full trace is shown whole.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return session().trace().size() == session().trace().capacity() &&
                   shownCount() == static_cast<int64_t>(session().trace().size());
        },
        5000));
    const int64_t whole = shownCount();
    // Zoomed in, the view keeps its width while the stream goes on.
    ASSERT_TRUE(bar.ZoomIn());
    const int64_t zoomed = shownCount();
    ASSERT_LT(zoomed, whole);
    ASSERT_TRUE(streamGoesOn());
    EXPECT_EQ(shownCount(), zoomed);
    EXPECT_TRUE(page->view().zoomed());
    ASSERT_TRUE(bar.ZoomFull());
    ASSERT_TRUE(streamGoesOn());
    EXPECT_FALSE(page->view().zoomed());
    EXPECT_EQ(shownCount(), whole);

    // Hold freezes the curve while the trace goes on.
    page->holdButton()->click();
    const std::vector<double> held = page->chart()->curves().front().values;
    const uint64_t appended = session().trace().appended();
    ASSERT_TRUE(QTest::qWaitFor([&] { return session().trace().appended() > appended + 4800; }, 3000));
    EXPECT_EQ(page->chart()->curves().front().values, held);
    page->holdButton()->click();
    ASSERT_TRUE(streamGoesOn());
    EXPECT_NE(page->chart()->curves().front().values, held);

    // The level trigger: every view starts where the signal rises through the level.
    page->triggerLevelEdit()->setText(QStringLiteral("0"));
    page->triggerBox()->setCurrentIndex(1);  // rising
    EXPECT_TRUE(page->triggerLevelEdit()->isEnabled());
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(streamGoesOn());
        const std::vector<double>& v = page->chart()->curves().front().values;
        const auto first = static_cast<size_t>(bar.view().first());
        ASSERT_GE(first, 1u);
        EXPECT_LT(v[first - 1], 0.0);
        EXPECT_GE(v[first], 0.0);
    }
}

}  // namespace
}  // namespace k470::app
