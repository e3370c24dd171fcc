// SPDX-License-Identifier: GPL-3.0-or-later
// The "Levels" page of signal sources in the window: a replayed file's levels, "Make level records..." with
// the records opened afterwards, a sound file opened as a signal, and "Calibrate..." on a flowing signal.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "acoustics/signal_fixtures.h"
#include "app/dialogs/user_dialogs.h"
#include "app/pages/signal/levels_page.h"
#include "app/sessions/data_file_session.h"
#include "app/sessions/signal_file_session.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "frame/calibration_log.h"
#include "plot/bar_chart.h"
#include "signal/signal_file_image.h"
#include "support/temp_dir.h"
#include "views/misc_views.h"
#include "views/signal_feed.h"

namespace k470::app {
namespace {

constexpr double kFs = 48000.0;

// A sine that reads `db` dB re 20 uPa.
std::vector<double> toneAt(double db, double seconds, double f = 1000.0) {
    const double a = 2e-5 * std::pow(10.0, db / 20.0) * std::numbers::sqrt2;
    std::vector<double> x(static_cast<size_t>(seconds * kFs));
    for (size_t i = 0; i < x.size(); ++i) x[i] = a * std::sin(2.0 * std::numbers::pi * f * double(i) / kFs);
    return x;
}

class LevelsPageTest : public ::testing::Test {
  protected:
    LevelsPageTest() : store(dir.file("k470.ini")) {
        qputenv("K470_DATA_DIR", QByteArray::fromStdString(dir.file("data")));
    }
    // One record of a 1 kHz tone at 94 dB on channel 1 (Pa), three seconds.
    std::string toneFile() {
        test::SignalFileImage image(kFs, 0b001);
        image.addRecord(toneAt(94.0, 3.0), 3 * 48000);
        return image.save(dir, "tone.sdt");
    }
    std::unique_ptr<MainWindow> makeWindow() {
        auto w = std::make_unique<MainWindow>(frame);
        w->showError = [this](const QString& m) { errors << m; };
        return w;
    }
    static LevelsPage* levelsPage(MainWindow& w) {
        for (SourcePage* p : w.pages())
            if (auto* l = qobject_cast<LevelsPage*>(p)) return l;
        return nullptr;
    }

    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame{store};
    QStringList errors;
};

TEST_F(LevelsPageTest, SignalBringsTheLevelsOfTheReplayedChannel) {
    auto w = makeWindow();
    w->show();
    w->OpenPath(QString::fromStdString(toneFile()));
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    ASSERT_TRUE(w->enabled(Command::Signal));
    w->Dispatch(Command::Signal);
    LevelsPage* page = levelsPage(*w);
    ASSERT_TRUE(page);
    EXPECT_EQ(w->tabs()->currentWidget(), page);
    EXPECT_TRUE(page->recordsButton());     // a replayed file makes records
    EXPECT_FALSE(page->calibrateButton());  // and has no calibrator on it
    SignalFileSession* replay = w->sessionAs<SignalFileSession>();
    ASSERT_TRUE(replay);
    // A second of the replay reaches the page through its ticks.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            replay->Tick();
            return page->readout() && page->readout()->seconds >= 1.0;
        },
        5000));
    EXPECT_NEAR(page->readout()->fast, 94.0, 0.3);
    EXPECT_EQ(page->bandChart()->hi(), 140.0);  // sound pressure levels: the usual scale
    EXPECT_TRUE(page->levelLabel()->text().startsWith(QStringLiteral("LAF 9")))
        << page->levelLabel()->text().toStdString();
    EXPECT_EQ(page->noteLabel()->text(), QString::fromUtf8("Levels in dB re 20 \u00b5Pa"));
    // "Reset" starts the since-start values again.
    page->Reset();
    EXPECT_LT(page->readout()->seconds, 0.5);
}

TEST_F(LevelsPageTest, MakeLevelRecordsWritesTheBinAndOpensIt) {
    auto w = makeWindow();
    w->show();
    const std::string sdt = toneFile();
    w->OpenPath(QString::fromStdString(sdt));
    LevelsPage* page = levelsPage(*w);
    ASSERT_TRUE(page);
    // Cancelled in the save dialog: nothing is written, the replay stays.
    QString proposed;
    w->askSavePath = [&](const QString&, const QString& name, const QString&) {
        proposed = name;
        return QString();
    };
    page->MakeLevelRecords();
    EXPECT_EQ(proposed.toStdString(), dir.file("tone.bin"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("tone.bin")));
    EXPECT_TRUE(w->sessionAs<SignalFileSession>());

    const std::string out = dir.file("levels.bin");
    w->askSavePath = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(out);
    };
    page->MakeLevelRecords();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    auto bin = BinFile::Open(out);
    ASSERT_TRUE(bin.ok());
    EXPECT_EQ(bin->recordCount(), 3);  // three seconds at one record a second
    // Once the command is over the records are the window's source.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->sessionAs<DataFileSession>() != nullptr; }, 2000));
    EXPECT_NE(w->windowTitle().toStdString().find("levels.bin"), std::string::npos);
}

TEST_F(LevelsPageTest, SoundFileOpensAsAReplayedSignalNamedByItself) {
    auto w = makeWindow();
    w->show();
    const std::string wav = dir.file("take.wav");
    std::vector<double> frames;
    for (double v : toneAt(94.0, 1.0)) frames.push_back(v / 2.0);  // well within full scale
    ASSERT_TRUE(acoustics::testing::writeSound(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1, frames));
    w->OpenPath(QString::fromStdString(wav));
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    SignalFileSession* replay = w->sessionAs<SignalFileSession>();
    ASSERT_TRUE(replay);
    EXPECT_EQ(replay->title(), wav);
    EXPECT_EQ(frame.signalState().channels[0].units, "FS");
    const std::string scratch = replay->controller().file()->path();
    EXPECT_NE(scratch, wav);
    EXPECT_TRUE(std::filesystem::exists(scratch));
    ASSERT_GE(w->tabs()->count(), 2);
    EXPECT_EQ(w->tabs()->tabText(1), QStringLiteral("Levels"));
    // Levels re full scale lie below 0 dB: the scale moves down so that the bands show.
    w->Dispatch(Command::Signal);
    LevelsPage* page = levelsPage(*w);
    ASSERT_TRUE(page);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            replay->Tick();
            return page->readout() && page->readout()->seconds >= 0.5;
        },
        5000));
    EXPECT_LT(page->readout()->fast, 0.0);
    EXPECT_EQ(page->bandChart()->hi(), 0.0);
    EXPECT_EQ(page->bandChart()->lo(), -140.0);
    EXPECT_EQ(page->noteLabel()->text(), QStringLiteral("Levels in dB FS"));
    // Level records cannot hold levels re full scale: refused with the reason, nothing written.
    const std::string bin = dir.file("take.bin");
    w->askSavePath = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(bin);
    };
    page->MakeLevelRecords();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("The file has no physical scale")))
        << errors[0].toStdString();
    EXPECT_FALSE(std::filesystem::exists(bin));
    errors.clear();

    // A broken sound file: libsndfile's message, the window without a source.
    const std::string broken = dir.file("broken.wav");
    { std::ofstream(broken) << "RIFF not really"; }
    w->OpenPath(QString::fromStdString(broken));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("broken.wav"))) << errors[0].toStdString();
    EXPECT_EQ(w->session(), nullptr);
    // The replayed copy went with its session.
    EXPECT_FALSE(std::filesystem::exists(scratch));
}

// The page of a live stream, outside a window: the frames are handed to it as the stream would.
class CalibrateTest : public LevelsPageTest {
  protected:
    struct Observer : SessionObserver {
        void SessionChanged(Change) override {}
        void SessionEnded() override {}
    };
    CalibrateTest() {
        dialogs.showError = [this](const QString& m) { errors << m; };
        dialogs.askYesNo = [this](const QString&, const QString&) {
            ++asked;
            return confirm;
        };
        dialogs.runDialog = [this](QDialog& d) {
            auto& c = dynamic_cast<CalibrationDialog&>(d);
            c.setLevel(wanted);
            c.Start();
            // The stream flows while the dialog is open, a tick at a time.
            const size_t tick = 1440;
            for (size_t at = 0; at < signal.size() && c.result() == 0; at += tick) {
                std::vector<double> frames;
                for (size_t i = at; i < std::min(signal.size(), at + tick); ++i)
                    frames.insert(frames.end(), {signal[i], 0.0, 0.0});
                page->Feed(frames);
            }
            // The user reads what was found, then applies it (when it can be) or cancels.
            shown = c.resultText();
            if (apply) c.Apply();
            if (c.result() == 0) c.reject();
            return c.result();
        };
        context.store = &store;
        page = std::make_unique<LevelsPage>(
            SessionEnv{frame, dialogs, nullptr, observer, notepad, SteadyTime()}, context,
            SignalSourceRef{&frame.signalState(), nullptr, nullptr, {}}, nullptr);
        page->Restart();
    }
    double sensitivity() const { return frame.signalState().channels[0].sensitivity; }

    UserDialogs dialogs;
    Observer observer;
    views::Notepad notepad;
    PageContext context;
    std::unique_ptr<LevelsPage> page;
    std::vector<double> signal;
    double wanted = 94.0;
    bool apply = true;    // "Apply" is pressed once the measurement is shown
    QString shown;        // what the dialog showed after the measurement
    bool confirm = true;  // the answer to "Apply it?" for a large change
    int asked = 0;        // how often that was asked
};

TEST_F(CalibrateTest, CalibratorToneSetsTheSensitivityAndTheLogKeepsTheDrift) {
    ASSERT_TRUE(page->calibrateButton());
    EXPECT_FALSE(page->recordsButton());
    EXPECT_EQ(page->calibrationLabel()->text(), QStringLiteral("Not calibrated"));
    ASSERT_EQ(sensitivity(), 1.0);
    // The chain reads the 94 dB calibrator at 91 dB.
    signal = toneAt(91.0, 6.0);
    page->Calibrate();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    EXPECT_NEAR(20.0 * std::log10(sensitivity()), 3.0, 0.1);
    // No preset is active: the raw-signal set-up takes it from the settings from now on.
    EXPECT_EQ(frame.streamSensitivities()[0], sensitivity());
    EXPECT_EQ(LoadStreamSensitivities(store)[0], sensitivity());
    auto first = LoadCalibration(store, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->level, 94.0);
    EXPECT_FALSE(first->driftDb);
    EXPECT_TRUE(page->calibrationLabel()->text().contains(QStringLiteral("94.0 dB")));

    // A week later the microphone reads 0.5 dB low at the new sensitivity: the change is logged.
    const double before = sensitivity();
    signal = toneAt(93.5, 6.0);
    page->Calibrate();
    EXPECT_NEAR(20.0 * std::log10(sensitivity() / before), 0.5, 0.1);
    auto second = LoadCalibration(store, 0);
    ASSERT_TRUE(second && second->driftDb);
    EXPECT_NEAR(*second->driftDb, 0.5, 0.1);
    EXPECT_TRUE(page->calibrationLabel()->text().contains(QStringLiteral("change +0.5")))
        << page->calibrationLabel()->text().toStdString();
}

TEST_F(CalibrateTest, WhatIsNoCalibratorIsShownNotAppliedAndChangesNothing) {
    // A 125 Hz tone, and the simulator's tones of 117 and 111 dB (which the 1 kHz band alone does not hold).
    std::vector<double> twoTones = toneAt(117.0, 6.0);
    const std::vector<double> second = toneAt(111.0, 6.0, 3000.0);
    for (size_t i = 0; i < twoTones.size(); ++i) twoTones[i] += second[i];
    for (const std::vector<double>& s : {toneAt(94.0, 6.0, 125.0), twoTones}) {
        signal = s;
        page->Calibrate();
        EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("Not applied: No single calibrator tone")))
            << shown.toStdString();
        EXPECT_EQ(sensitivity(), 1.0);
        EXPECT_FALSE(LoadCalibration(store, 0));
        EXPECT_EQ(LoadStreamSensitivities(store)[0], 0.0);
    }
}

TEST_F(CalibrateTest, OnlyApplyChangesTheChannelAndALargeChangeIsConfirmed) {
    // Measured and shown, then cancelled: nothing changes.
    signal = toneAt(91.0, 6.0);
    apply = false;
    page->Calibrate();
    EXPECT_TRUE(shown.contains(QStringLiteral("Tone band: 91.0"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Tone: 1000.0 Hz"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("(+3.0"))) << shown.toStdString();
    EXPECT_EQ(sensitivity(), 1.0);
    EXPECT_FALSE(LoadCalibration(store, 0));
    // A 114 dB calibrator measured as if it were 94 dB: -20 dB, asked, declined.
    apply = true;
    signal = toneAt(114.0, 6.0);
    confirm = false;
    page->Calibrate();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(sensitivity(), 1.0);
    // Confirmed, it is applied, and the running figures start again at the new sensitivity.
    confirm = true;
    page->Calibrate();
    EXPECT_EQ(asked, 2);
    EXPECT_NEAR(20.0 * std::log10(sensitivity()), -20.0, 0.1);
    EXPECT_FALSE(page->readout());
}

TEST_F(CalibrateTest, ActivePresetKeepsTheCalibratedSensitivity) {
    ProcessorPreset p;
    p.name = u"mic";
    p.sensitivity = {1.0, 1.0, 1.0};
    frame.presets().push_back(p);
    frame.signalState().presetActive = true;
    frame.signalState().presetName = "mic";
    signal = toneAt(92.0, 6.0);
    page->Calibrate();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    EXPECT_NEAR(20.0 * std::log10(frame.presets().back().sensitivity[0]), 2.0, 0.1);
    EXPECT_EQ(frame.streamSensitivities()[0], 0.0);
    // Saved with the presets at once.
    const PresetLoad saved = loadPresets(frame.dataDir() + "/" + kPresetFileName);
    const ProcessorPreset* kept = findPreset(saved.presets, u"mic");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->sensitivity[0], frame.presets().back().sensitivity[0]);
}

}  // namespace
}  // namespace k470::app
