// SPDX-License-Identifier: GPL-3.0-or-later
// The "FFT" and "RT-60" pages of a replayed signal file in the main window, driven as a user would with the
// dialogs answered by the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <numbers>

#include "app/pages/signal/fft_page.h"
#include "app/pages/signal/rt60_page.h"
#include "app/sessions/signal_file_session.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "frame/commands.h"
#include "plot/line_chart.h"
#include "signal/sample_signals.h"
#include "signal/signal_file_image.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

class AnalysisPagesTest : public ::testing::Test {
  protected:
    AnalysisPagesTest() : store(dir.file("k470.ini")) {
        qputenv("K470_DATA_DIR", QByteArray::fromStdString(dir.file("data")));
    }
    std::unique_ptr<MainWindow> openWindow(const std::string& path) {
        auto w = std::make_unique<MainWindow>(frame);
        w->showError = [this](const QString& m) { errors << m; };
        w->show();
        w->OpenPath(QString::fromStdString(path));
        EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
        return w;
    }
    template <class P>
    P* pageOf(MainWindow& w) {
        for (SourcePage* p : w.pages())
            if (auto* page = qobject_cast<P*>(p)) return page;
        return nullptr;
    }

    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame{store};
    QStringList errors;
};

TEST_F(AnalysisPagesTest, FftOfAReplayedToneFindsItsFrequencyAndLevel) {
    // Three seconds of a 1234.5 Hz tone of amplitude 0.5 Pa at 48 kHz.
    constexpr double kTone = 1234.5;
    test::SignalFileImage image(48000.0, 0b001);
    std::vector<double> tone;
    for (int i = 0; i < 3 * 48000; ++i)
        tone.push_back(0.5 * std::sin(2 * std::numbers::pi * kTone * i / 48000.0));
    image.addRecord(tone, 3 * 48000, {});
    auto w = openWindow(image.save(dir, "tone.sdt"));
    ASSERT_TRUE(w->enabled(Command::Fft));
    w->Dispatch(Command::Fft);
    auto* page = pageOf<FftPage>(*w);
    ASSERT_TRUE(page);
    EXPECT_EQ(w->tabs()->currentWidget(), page);
    EXPECT_EQ(w->tabs()->tabText(w->tabs()->currentIndex()), QStringLiteral("FFT"));

    page->sizeList()->setCurrentIndex(page->sizeList()->findText(QStringLiteral("4096")));
    page->windowList()->setCurrentIndex(page->windowList()->findText(QStringLiteral("Flat top")));
    ASSERT_EQ(page->spectrum().parameters().size, 4096u);
    ASSERT_EQ(page->spectrum().parameters().window, acoustics::FftWindow::FlatTop);
    // The replay runs at the recording's pace: wait for a dozen blocks in the average.
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->spectrum().averaged() >= 12; }, 5000));
    const auto peak = page->spectrum().peak();
    ASSERT_TRUE(peak);
    const double binWidth = 48000.0 / 4096.0;
    EXPECT_LE(std::fabs(peak->frequencyHz - kTone), binWidth / 2);
    // The same level as the replayed signal's rms against the channel's reference.
    const auto& session = *w->sessionAs<SignalFileSession>();
    const double reference = frame.signalState().channels[0].referenceValue;
    EXPECT_NEAR(peak->levelDb, 20.0 * std::log10(session.trace().Rms(0) / reference), 0.1);
    // The window shows what the spectrum found: the peak readout, the chart's curve from 0 Hz up.
    const QString peakText = QStringLiteral("Peak: ") + QString::number(peak->frequencyHz, 'f', 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page->peakLabel()->text().startsWith(peakText); }, 3000))
        << page->peakLabel()->text().toStdString();
    ASSERT_EQ(page->chart()->curves().size(), 1u);
    EXPECT_EQ(page->chart()->curves()[0].values.size(), 4096u / 2 + 1);
    EXPECT_TRUE(page->chart()->logarithmicX());
    EXPECT_EQ(page->chart()->visibleFirst(), 1);  // no 0 Hz on a logarithmic axis
    // The chart's cursor on the peak's bin tells its frequency and level.
    page->chart()->SetCursor(0, static_cast<int64_t>(peak->bin));
    EXPECT_TRUE(page->cursorLabel()->text().startsWith(QStringLiteral("Cursor: ") +
                                                       QString::number(peak->frequencyHz, 'f', 1)));
    // "Copy" gives the fft command's CSV, one line per bin.
    EXPECT_TRUE(page->ClipboardText().startsWith(QStringLiteral("frequency_hz,level_db\n0,")));
    EXPECT_EQ(page->ClipboardText().count(QLatin1Char('\n')), 4096 / 2 + 1 + 1);

    // "Reset" starts the average from nothing; a linear axis starts at 0 Hz.
    page->logarithmicBox()->setChecked(false);
    page->findChild<QPushButton*>(QStringLiteral("fftReset"))->click();
    EXPECT_LT(page->spectrum().averaged(), 12u);
    EXPECT_TRUE(page->spectrum().levels().empty() || page->chart()->visibleFirst() == 0);
    EXPECT_EQ(page->peakLabel()->text(), QStringLiteral("Peak: -"));
}

// The FFT page's choices come back on the next FFT page, in another window too.
TEST_F(AnalysisPagesTest, FftChoicesAreKeptForTheNextPage) {
    test::SignalFileImage image(48000.0, 0b001);
    image.addRecord(std::vector<double>(48000, 0.1), 48000, {});
    const std::string path = image.save(dir, "flat.sdt");
    {
        auto w = openWindow(path);
        w->Dispatch(Command::Fft);
        auto* page = pageOf<FftPage>(*w);
        ASSERT_TRUE(page);
        page->sizeList()->setCurrentIndex(page->sizeList()->findText(QStringLiteral("2048")));
        page->windowList()->setCurrentIndex(page->windowList()->findText(QStringLiteral("Blackman-Harris")));
        page->overlapList()->setCurrentIndex(page->overlapList()->findData(75.0));
        page->averagingList()->setCurrentIndex(page->averagingList()->findText(QStringLiteral("Max hold")));
        page->logarithmicBox()->setChecked(false);
    }
    auto w = openWindow(path);
    w->Dispatch(Command::Fft);
    auto* page = pageOf<FftPage>(*w);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->sizeList()->currentText(), QStringLiteral("2048"));
    EXPECT_EQ(page->windowList()->currentText(), QStringLiteral("Blackman-Harris"));
    EXPECT_EQ(page->overlapList()->currentData().toDouble(), 75.0);
    EXPECT_EQ(page->averagingList()->currentText(), QStringLiteral("Max hold"));
    EXPECT_FALSE(page->logarithmicBox()->isChecked());
    EXPECT_FALSE(page->chart()->logarithmicX());
    EXPECT_EQ(page->spectrum().parameters().size, 2048u);
    EXPECT_EQ(page->spectrum().parameters().averaging, acoustics::SpectrumAveraging::MaxHold);
}

TEST_F(AnalysisPagesTest, Rt60OfTheRoomSampleGivesItsReverberationTimes) {
    const std::string path = dir.file("room.sdt");
    ASSERT_TRUE(WriteSampleSignalFile(SampleSignalKind::Room, path));
    auto w = openWindow(path);
    ASSERT_TRUE(w->enabled(Command::Rt60));
    w->Dispatch(Command::Rt60);
    auto* page = pageOf<Rt60Page>(*w);
    ASSERT_TRUE(page);
    EXPECT_EQ(w->tabs()->currentWidget(), page);
    // The current record and the replay range are proposed; the record's marker is a choice.
    EXPECT_EQ(page->recordBox()->value(), 1);
    EXPECT_EQ(page->recordBox()->maximum(), 3);
    EXPECT_TRUE(page->startList()->currentText().startsWith(QStringLiteral("Replay start (0")));
    EXPECT_GE(page->startList()->findText(QStringLiteral("Shot (0.5"), Qt::MatchStartsWith), 0);

    page->calculateButton()->click();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    ASSERT_TRUE(page->result());
    QTableWidget* table = page->table();
    ASSERT_EQ(table->rowCount(), static_cast<int>(page->result()->bands.size()));
    for (size_t b = 0; b < 6; ++b) {
        const QString band = kRoomOctaveCentres[b] < 1000
                                 ? QString::number(kRoomOctaveCentres[b])
                                 : QString::number(kRoomOctaveCentres[b] / 1000) + "k";
        const auto found = table->findItems(band, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << band.toStdString();
        const int row = found.front()->row();
        const double t = kRoomReverberationTimes[b];
        for (int column : {2, 3}) {  // T20, T30
            bool ok = false;
            const double shown = table->item(row, column)->text().toDouble(&ok);
            ASSERT_TRUE(ok) << band.toStdString() << ": " << table->item(row, 7)->text().toStdString();
            EXPECT_NEAR(shown, t, 0.1 * t) << band.toStdString() << " column " << column;
        }
    }
    // The 1 kHz decay is drawn with its fitted lines.
    EXPECT_EQ(page->decayBandList()->currentText(), QStringLiteral("1k"));
    ASSERT_GE(page->chart()->curves().size(), 3u);
    EXPECT_GT(page->chart()->curves()[0].values.size(), 10u);
    // A legend tells the curve, the fit lines and the floor apart.
    EXPECT_EQ(page->chart()->legendEntries(),
              (QStringList{QStringLiteral("Decay [dB]"), QStringLiteral("T20 [dB]"),
                           QStringLiteral("T30 [dB]"), QStringLiteral("Floor [dB]")}));

    // "Copy": the CSV of k470-cli rt60.
    page->findChild<QPushButton*>(QStringLiteral("rt60Copy"))->click();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), acoustics::ReverberationCsv(*page->result()));
    // "Save CSV...": the file of k470-cli rt60; over the input file it is refused.
    const QString csv = QString::fromStdString(dir.file("room_rt60.csv"));
    QString proposed;
    w->askSavePath = [&](const QString&, const QString& p, const QString&) {
        proposed = p;
        return csv;
    };
    page->findChild<QPushButton*>(QStringLiteral("rt60SaveCsv"))->click();
    EXPECT_EQ(proposed, csv);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), acoustics::ReverberationCsv(*page->result()));
    EXPECT_FALSE(page->SaveCsv(QString::fromStdString(path)));

    // A range before the shot holds no decay: empty cells with the note, no invented times.
    page->startList()->setCurrentIndex(
        page->startList()->findText(QStringLiteral("Record begin"), Qt::MatchStartsWith));
    page->endList()->setCurrentIndex(page->endList()->findText(QStringLiteral("Shot"), Qt::MatchStartsWith));
    page->calculateButton()->click();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    for (int row = 0; row < table->rowCount(); ++row) {
        EXPECT_TRUE(table->item(row, 3)->text().isEmpty()) << table->item(row, 0)->text().toStdString();
        EXPECT_FALSE(table->item(row, 7)->text().isEmpty());
    }
    // A range that ends before it starts is refused with a message.
    page->startList()->setCurrentIndex(
        page->startList()->findText(QStringLiteral("Shot"), Qt::MatchStartsWith));
    EXPECT_FALSE(page->Calculate());
    EXPECT_EQ(errors.size(), 1);
}

}  // namespace
}  // namespace k470::app
