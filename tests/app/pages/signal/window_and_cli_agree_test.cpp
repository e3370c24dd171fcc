// SPDX-License-Identifier: GPL-3.0-or-later
// One number, every path: a signal file opened in the window and replayed to its end gives on its "Levels"
// and "FFT" pages ("Copy") the very CSV that k470-cli levels and k470-cli fft print for the same samples,
// at every rate the analysers take, for a .sdt in pascals, a WAV without a scale (dB FS) and a FLAC with
// the sound-file scale, with and without an active processing preset (which must not act on a file that is
// already in physical or full-scale units).
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

#include "acoustics/signal_fixtures.h"
#include "app/pages/signal/fft_page.h"
#include "app/pages/signal/levels_page.h"
#include "app/pages/signal/vibration_page.h"
#include "app/sessions/signal_file_session.h"
#include "app/sessions/sound_file_session.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "base/text_encoding.h"
#include "frame/frame_settings.h"
#include "signal/processor_preset.h"
#include "signal/signal_file_image.h"
#include "support/driven_time.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

enum class Kind { SdtPascal, WavFullScale, FlacScaled };

const char* nameOf(Kind k) {
    return k == Kind::SdtPascal ? "sdt" : k == Kind::WavFullScale ? "wav" : "flac";
}

// A 1 kHz tone, a weaker 125 Hz tone and a little deterministic noise: levels in many bands, a clear peak.
std::vector<double> signalAt(double rate, double seconds) {
    std::vector<double> x(static_cast<size_t>(std::llround(rate * seconds)));
    uint32_t seed = 12345;
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        seed = seed * 1664525u + 1013904223u;
        const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.01;
        x[i] = 0.4 * std::sin(2 * std::numbers::pi * 1000.0 * t) +
               0.1 * std::sin(2 * std::numbers::pi * 125.0 * t) + noise;
    }
    return x;
}

std::string exactSeconds(double s) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", s);
    return text;
}

class WindowAndCliAgree : public ::testing::Test {
  protected:
    WindowAndCliAgree() : store(dir.file("k470.ini")) {
        qputenv("K470_DATA_DIR", QByteArray::fromStdString(dir.file("data")));
    }

    std::string makeFile(Kind kind, double rate, const std::vector<double>& x) {
        const std::string base =
            dir.file(std::string("signal_") + nameOf(kind) + "_" + std::to_string(static_cast<int>(rate)));
        switch (kind) {
            case Kind::SdtPascal: {
                test::SignalFileImage image(rate, 0b001);
                image.addRecord(x, static_cast<uint32_t>(x.size()));
                return image.save(dir, base.substr(base.rfind('/') + 1) + ".sdt");
            }
            case Kind::WavFullScale:
                EXPECT_TRUE(acoustics::testing::writeSound(base + ".wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                           static_cast<int>(rate), 1, x));
                return base + ".wav";
            case Kind::FlacScaled:
                EXPECT_TRUE(acoustics::testing::writeSound(base + ".flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24,
                                                           static_cast<int>(rate), 1, x));
                return base + ".flac";
        }
        return {};
    }

    // The preset the window starts with (each window reads the settings and the presets anew).
    void startWithPreset(const ProcessorPreset& p) {
        std::filesystem::create_directories(dir.file("data"));
        ASSERT_TRUE(savePresets(dir.file("data") + "/" + kPresetFileName, {p}).ok());
        store.WriteInt(keys::kSignal, "CustomK", 1);
        store.WriteString(keys::kSignal, "ProcName", utf16ToUtf8(p.name));
    }
    // A preset that would change every number if it acted on these files: a gain of 20 dB, decimation 2.
    static ProcessorPreset loudPreset() {
        ProcessorPreset p;
        p.name = u"Loud";
        p.decimation = 2;
        p.cutOffIndex = 0;
        for (size_t k = 0; k < 3; ++k) {
            p.units[k] = u"Pa";
            p.referenceValue[k] = 2e-5;
            p.sensitivity[k] = 10.0;
            p.matrix[k][k] = 1.0;
        }
        return p;
    }

    // Opens the file in the window, replays it to its end at the fastest speed and copies both pages.
    struct Copied {
        std::string levels, fft;
        double seconds = 0.0;  // of signal the pages analysed
    };
    Copied replayInWindow(const std::string& path) {
        MainWindow w(frame);
        QStringList errors;
        w.showError = [&](const QString& m) { errors << m; };
        w.OpenPath(QString::fromStdString(path));
        EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
        auto* session = w.sessionAs<SignalFileSession>();
        if (!session) return {};
        LevelsPage* levels = nullptr;
        FftPage* fft = nullptr;
        for (SourcePage* p : w.pages()) {
            if (auto* l = qobject_cast<LevelsPage*>(p)) levels = l;
            if (auto* f = qobject_cast<FftPage*>(p)) fft = f;
        }
        if (!levels || !fft) return {};
        fft->sizeList()->setCurrentIndex(fft->sizeList()->findData(qulonglong{2048}));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                session->Tick();
                return session->controller().state() != ReplayState::Replaying;
            },
            20000));
        // "Copy to clipboard" (Ctrl+C) with each page in front, as the user copies it.
        Copied c;
        w.Dispatch(Command::Signal);
        w.Dispatch(Command::CopyToClipboard);
        c.levels = QApplication::clipboard()->text().toStdString();
        w.Dispatch(Command::Fft);
        w.Dispatch(Command::CopyToClipboard);
        c.fft = QApplication::clipboard()->text().toStdString();
        c.seconds = levels->levels() ? levels->levels()->durationSeconds : 0.0;
        return c;
    }

    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame{store, dir.file("data")};
};

TEST_F(WindowAndCliAgree, LevelsAndSpectrumOfEveryRateKindAndPresetEqualTheCommands) {
    const double rates[] = {8000, 16000, 24000, 44100, 48000, 96000, 192000};
    frame.setReplaySpeedFactor(100);
    for (bool preset : {false, true}) {
        if (preset) startWithPreset(loudPreset());
        for (Kind kind : {Kind::SdtPascal, Kind::WavFullScale, Kind::FlacScaled}) {
            store.WriteString(keys::kSoundFile, "Scale", kind == Kind::FlacScaled ? "2.5" : "");
            for (double rate : rates) {
                SCOPED_TRACE(std::string(nameOf(kind)) + " at " + std::to_string(rate) +
                             (preset ? " with a preset" : ""));
                const std::string path = makeFile(kind, rate, signalAt(rate, 1.2));
                const Copied window = replayInWindow(path);
                ASSERT_GT(window.seconds, 1.0);
                EXPECT_EQ(frame.activePreset(), preset ? "Loud" : "");
                std::vector<std::string> range = {"--length", exactSeconds(window.seconds)};
                if (kind == Kind::FlacScaled) range.insert(range.end(), {"--scale", "2.5"});
                std::vector<std::string> levels = {"levels", "--csv", "--interval", "0", path};
                levels.insert(levels.end() - 1, range.begin(), range.end());
                const test::CommandResult cliLevels = test::runCommand(K470_CLI, levels);
                ASSERT_EQ(cliLevels.exitCode, 0) << cliLevels.err;
                EXPECT_EQ(window.levels, cliLevels.out);
                std::vector<std::string> fft = {"fft",       "--size", "2048",      "--window", "hann",
                                                "--overlap", "50",     "--average", "linear",   path};
                fft.insert(fft.end() - 1, range.begin(), range.end());
                const test::CommandResult cliFft = test::runCommand(K470_CLI, fft);
                ASSERT_EQ(cliFft.exitCode, 0) << cliFft.err;
                EXPECT_EQ(window.fft, cliFft.out);
            }
        }
    }
}

TEST_F(WindowAndCliAgree, RawCountsThroughAPresetEqualTheFileReprocessedWithIt) {
    // The instrument's raw counts: the preset's gain makes them pascals, in the window as in "reprocess".
    ProcessorPreset p;
    p.name = u"Gain";
    p.cutOffIndex = 0;
    for (size_t k = 0; k < 3; ++k) {
        p.units[k] = u"Pa";
        p.referenceValue[k] = 2e-5;
        p.sensitivity[k] = 1e-4;
        p.matrix[k][k] = 1.0;
    }
    startWithPreset(p);
    frame.setReplaySpeedFactor(100);
    for (double rate : {24000.0, 96000.0}) {
        SCOPED_TRACE(rate);
        std::vector<double> counts = signalAt(rate, 1.2);
        for (double& v : counts) v *= 1e5;
        test::SignalFileImage image(rate, 0b001, {u"counts", u"counts", u"counts"}, {1.0, 1.0, 1.0});
        image.addRecord(counts, static_cast<uint32_t>(counts.size()));
        const std::string raw = image.save(dir, "raw_" + std::to_string(static_cast<int>(rate)) + ".sdt");
        const Copied window = replayInWindow(raw);
        ASSERT_GT(window.seconds, 1.0);
        EXPECT_NE(window.levels.find("\n0.00,"), std::string::npos);
        const std::string processed = dir.file("processed.sdt");
        std::filesystem::remove(processed);
        const test::CommandResult made =
            test::runCommand(K470_CLI, {"reprocess", "--preset", "Gain", "-o", processed, raw});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        // The processed file keeps the chain's delay of half its output ring (201 frames) at its start.
        const std::string delay = exactSeconds(201.0 / rate);
        const test::CommandResult cli =
            test::runCommand(K470_CLI, {"levels", "--csv", "--interval", "0", "--start", delay, "--length",
                                        exactSeconds(window.seconds), processed});
        ASSERT_EQ(cli.exitCode, 0) << cli.err;
        // The same levels; only the start column differs (the processed file starts the delay earlier).
        const auto afterStart = [](const std::string& csv) {
            const size_t row = csv.find('\n') + 1;
            return csv.substr(0, row) + csv.substr(csv.find(',', row));
        };
        EXPECT_EQ(afterStart(window.levels), afterStart(cli.out));
        EXPECT_EQ(frame.activePreset(), "Gain");
    }
}

// The Vibration page of a replayed three-axis recording shows what `vibration --summary` prints for the
// record: the same core call on the same samples (the sample's whole-body case: tones per axis).
TEST_F(WindowAndCliAgree, VibrationPageEqualsTheSummaryCommand) {
    const std::string path = dir.file("whole_body.sdt");
    ASSERT_EQ(test::runCommand(K470_CLI, {"sample", "--sdt", "whole-body", "-o", path}).exitCode, 0);
    MainWindow w(frame);
    test::DrivenTime time;  // the record's 20 s replay without waiting for them
    w.globals().UseTime(time.sessionTime());
    QStringList errors;
    w.showError = [&](const QString& m) { errors << m; };
    w.OpenPath(QString::fromStdString(path));
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    auto* session = w.sessionAs<SignalFileSession>();
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(w.action(Command::Vibration)->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            time.clock.advance(500);
            session->Tick();
            return session->controller().state() != ReplayState::Replaying;
        },
        20000));
    w.Dispatch(Command::Vibration);
    w.Dispatch(Command::CopyToClipboard);
    const std::string copied = QApplication::clipboard()->text().toStdString();
    VibrationPage* page = nullptr;
    for (SourcePage* p : w.pages())
        if (auto* v = qobject_cast<VibrationPage*>(p)) page = v;
    ASSERT_NE(page, nullptr);
    EXPECT_GT(page->seconds(), 19.0);
    // The command over the stretch the page analysed.
    const test::CommandResult cli =
        test::runCommand(K470_CLI, {"vibration", "--summary", "--records", "1", "--exposure", "8", "--length",
                                    exactSeconds(page->seconds()), path});
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(copied, cli.out);

    // "Make vibration records..." writes what `vibration -o` writes, and the records open as the source.
    const std::string made = dir.file("window.bin"), byCli = dir.file("cli.bin");
    w.askSavePath = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(made);
    };
    page->MakeVibrationRecords();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    ASSERT_EQ(test::runCommand(K470_CLI, {"vibration", "-o", byCli, path}).exitCode, 0);
    EXPECT_EQ(test::readBytes(made), test::readBytes(byCli));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.sessionAs<SignalFileSession>() == nullptr; }, 5000));
}

// The page is offered only where the channels are accelerations.
TEST_F(WindowAndCliAgree, VibrationPageOnlyForAccelerations) {
    const std::vector<double> x = signalAt(48000.0, 0.5);
    MainWindow w(frame);
    w.OpenPath(QString::fromStdString(makeFile(Kind::SdtPascal, 48000.0, x)));
    ASSERT_NE(w.sessionAs<SignalFileSession>(), nullptr);
    EXPECT_FALSE(w.action(Command::Vibration)->isEnabled());
    EXPECT_TRUE(w.action(Command::Fft)->isEnabled());
}

}  // namespace
}  // namespace k470::app
