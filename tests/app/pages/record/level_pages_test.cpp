// SPDX-License-Identifier: GPL-3.0-or-later
// The level views and file commands in the main window, driven as a user would with the dialogs answered
// by the test: files of every group are opened and the cells compared with the words of the records.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <cmath>

#include "app/dialogs/notepad_dialog.h"
#include "app/dialogs/parameters_dialog.h"
#include "app/dialogs/percentiles_dialog.h"
#include "app/dialogs/report_dialog.h"
#include "app/pages/record/multirecords_page.h"
#include "app/pages/record/spectra_page.h"
#include "app/pages/record/table_page.h"
#include "app/sessions/data_file_session.h"
#include "app/window/main_window.h"
#include "base/number_format.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "export/text_export.h"
#include "frame/commands.h"
#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "support/temp_dir.h"
#include "views/level_views.h"

namespace k470::app {
namespace {

class LevelPagesTest : public ::testing::Test {
  protected:
    LevelPagesTest() : store(dir.file("k470.ini")) {
        qputenv("K470_DATA_DIR", QByteArray::fromStdString(dir.file("data")));
        SpectrumPlotLimits() = {};  // process-wide: each case starts from the defaults
    }

    // The open record file.
    static DataFileSession& dataOf(MainWindow& w) {
        DataFileSession* s = w.sessionAs<DataFileSession>();
        EXPECT_NE(s, nullptr);
        return *s;
    }
    std::unique_ptr<MainWindow> makeWindow() {
        auto w = std::make_unique<MainWindow>(frame);
        w->showError = [this](const QString& m) { errors << m; };
        w->askSavePath = [this](const QString&, const QString& proposed, const QString&) {
            proposals << proposed;
            return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        };
        w->askOpenPaths = [this](const QString&, const QString&) { return openAnswer; };
        w->askNumber = [this](const QString&, const QString&, int) { return numberAnswer; };
        return w;
    }
    // A file of records of one type; record i has its levels drifted by i.
    std::string sampleBin(const std::string& name, DeviceType type, int records, uint16_t overload = 0) {
        const std::string path = dir.file(name);
        std::vector<uint8_t> all;
        for (int i = 0; i < records; ++i) {
            auto r = makeSampleRecord({type, 0x00C0FFEE, 11, i});
            EXPECT_TRUE(r.ok());
            r->trailer.overloadStatus[0] = overload;
            RecordBytes bytes = stampedRecordBytes(*r, CalendarTime{2024, 5, 6, 7, 8, 10});
            all.insert(all.end(), bytes.begin(), bytes.end());
        }
        test::writeBytes(path, all);
        return path;
    }
    static double wordAt(const std::vector<uint8_t>& file, int record, int offset) {
        const size_t o = static_cast<size_t>(record - 1) * kRecordSize + static_cast<size_t>(offset);
        return decodeLevel(static_cast<uint16_t>(file[o] | file[o + 1] << 8));
    }

    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame{store};
    QStringList errors;
    QStringList saveAnswers;
    QStringList proposals;
    QStringList openAnswer;
    std::optional<int> numberAnswer;
};

// Every cell of every table page equals the level word that the locator names in the record's bytes.
TEST_F(LevelPagesTest, FilesOfEveryGroupShowTheirRecordsCells) {
    struct Case {
        DeviceType type;
        QStringList tabs;
    } cases[] = {
        {3, {"1/1 octaves", "1/3 octaves", "Weighted levels", "Spectra", "Multirecords"}},
        {6, {"1/1 octaves", "1/3 octaves", "Weighted levels", "Spectra", "Multirecords"}},
        {7, {"1/3 octaves", "Weighted levels", "Spectra", "Multirecords"}},
        {22, {"Bands", "Weighted levels", "Spectra", "Multirecords"}},
        {1, {"1/1 octaves", "1/3 octaves", "Weighted levels", "Spectra", "Multirecords"}},
        {20, {"1/1 octaves", "1/3 octaves", "Weighted levels", "Spectra", "Multirecords"}},
    };
    auto w = makeWindow();
    for (const auto& c : cases) {
        const std::string path = sampleBin("g" + std::to_string(c.type) + ".bin", c.type, 2);
        const auto bytes = test::readBytes(path);
        w->OpenPath(QString::fromStdString(path));
        ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
        QStringList tabs;
        for (int i = 0; i < w->tabs()->count(); ++i) tabs << w->tabs()->tabText(i);
        EXPECT_EQ(tabs, c.tabs) << c.type;
        const auto tableChoices = levelTableChoices(c.type);
        for (SourcePage* page : w->pages()) {
            auto* t = qobject_cast<TablePage*>(page);
            if (!t) continue;
            // The page's first table is the locator table of the same name.
            const QString title = w->tabs()->tabText(w->tabs()->indexOf(page));
            int locator = -1;
            for (const auto& choice : tableChoices)
                if (QString::fromStdString(choice.text) == title) locator = choice.number;
            ASSERT_GE(locator, 0) << title.toStdString();
            const auto params = levelParameterChoices(c.type, locator);
            QTableWidget* table = t->table(0);
            ASSERT_EQ(table->rowCount(), static_cast<int>(levelBandChoices(c.type, locator).size()));
            ASSERT_EQ(table->columnCount(), static_cast<int>(params.size()));
            for (int r = 0; r < table->rowCount(); ++r)
                for (const auto& p : params) {
                    const int col = p.number;  // columns in parameter order
                    const double level = wordAt(bytes, 1, levelWordOffset(c.type, 0, locator, p.number, r));
                    EXPECT_EQ(table->item(r, col)->text().toStdString(), views::LevelCellText(level))
                        << c.type << " " << title.toStdString() << " r" << r << " c" << col;
                }
        }
    }
}

TEST_F(LevelPagesTest, ThreeChannelFileFollowsTheChannelList) {
    auto w = makeWindow();
    const std::string path = sampleBin("vib.bin", 2, 1);
    const auto bytes = test::readBytes(path);
    w->OpenPath(QString::fromStdString(path));
    auto* channel = qobject_cast<QComboBox*>(w->control(Control::Channel));
    ASSERT_EQ(channel->count(), 3);
    auto* page = qobject_cast<TablePage*>(w->pages()[0]);
    for (int ch : {2, 0}) {
        channel->setCurrentIndex(ch);
        emit channel->activated(ch);
        EXPECT_EQ(page->table(0)->item(3, 9)->text().toStdString(),
                  views::LevelCellText(wordAt(bytes, 1, levelWordOffset(2, ch, 0, 9, 3))));
    }
}

TEST_F(LevelPagesTest, WeightedPageIndicatorsAndSelection) {
    auto w = makeWindow();
    w->OpenPath(QString::fromStdString(sampleBin("over.bin", 3, 1, 1)));
    auto* weighted = qobject_cast<TablePage*>(w->pages()[2]);
    ASSERT_TRUE(weighted && weighted->overloadIndicator());
    EXPECT_TRUE(weighted->overloadIndicator()->isChecked());
    EXPECT_FALSE(weighted->underrangeIndicator()->isChecked());
    w->OpenPath(QString::fromStdString(sampleBin("fine.bin", 3, 1, 0)));
    EXPECT_FALSE(qobject_cast<TablePage*>(w->pages()[2])->overloadIndicator()->isChecked());

    auto* bands = qobject_cast<TablePage*>(w->pages()[1]);
    ASSERT_EQ(bands->tableCount(), 2);
    bands->ClickToggle(110, false);
    bands->ClickToggle(111, true);
    bands->ClickToggle(112, false);
    EXPECT_EQ(bands->selection(0).columns, std::set<int>{2});
    EXPECT_EQ(bands->selection(1).columns, std::set<int>{2});  // carried over to the other table
    bands->ClickToggle(410, true);
    EXPECT_EQ(bands->selection(0).rows, std::set<int>{0});
    // A click on a header section is the toggle button; a right click into the table clears its sets.
    w->show();
    w->tabs()->setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QApplication::processEvents();
    QHeaderView* header = bands->table(0)->horizontalHeader();
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, Qt::ControlModifier,
        QPoint(header->sectionViewportPosition(4) + header->sectionSize(4) / 2, header->height() / 2));
    EXPECT_EQ(bands->selection(0).columns, (std::set<int>{2, 4}));
    QTest::mouseClick(bands->table(0)->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(bands->selection(0).columns.empty() && bands->selection(0).rows.empty());
    EXPECT_EQ(bands->selection(1).columns, (std::set<int>{2, 4}));
}

TEST_F(LevelPagesTest, CopyGivesTheLevelTextsOfThePage) {
    auto w = makeWindow();
    const std::string path = sampleBin("copy.bin", 3, 1);
    const auto bytes = test::readBytes(path);
    w->OpenPath(QString::fromStdString(path));
    w->show();
    w->tabs()->setCurrentIndex(0);
    auto* page = qobject_cast<TablePage*>(w->pages()[0]);
    QTest::keyClick(page->table(0), Qt::Key_Insert, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split('\n');
    ASSERT_GT(lines.size(), 3);
    EXPECT_EQ(lines[0], "1/1 octaves");
    EXPECT_TRUE(lines[1].startsWith("\tSlow\tSlow min"));
    // Row 2 (125 Hz), Leq: "%.1lf" of the word.
    const QStringList row = lines[4].split('\t');
    EXPECT_EQ(row[0], "125");
    EXPECT_EQ(row[10].toStdString(), formatFixed(wordAt(bytes, 1, levelWordOffset(3, 0, 0, 9, 2)), 1));
    // The tool-bar copy takes the page in front, here the spectrum bars.
    w->tabs()->setCurrentIndex(3);
    w->Dispatch(Command::CopyToClipboard);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("31.5\t"));
}

TEST_F(LevelPagesTest, SpectraCorrectionsActAsOneGroupAndLimitsAreChecked) {
    auto w = makeWindow();
    w->OpenPath(QString::fromStdString(sampleBin("spec.bin", 3, 1)));
    auto* spectra = qobject_cast<SpectraPage*>(w->pages()[3]);
    ASSERT_TRUE(spectra);
    const auto plain = spectra->spectrum().thirds.values;
    const bool blink = spectra->onLineState();
    spectra->SelectCorrection(views::Correction::A);
    EXPECT_NE(spectra->onLineState(), blink);
    EXPECT_NEAR(spectra->spectrum().thirds.values[0] - plain[0], -44.7, 1e-9);
    spectra->SelectWeighting(3);  // Leq
    EXPECT_EQ(spectra->correction(), views::Correction::A);
    EXPECT_FALSE(spectra->ApplyLimits({0, 170, 100, 170, 150}));
    EXPECT_EQ(SpectrumPlotLimits().upper, 200);
    EXPECT_TRUE(spectra->ApplyLimits({10, 150, 60, 90, 120}));
    EXPECT_EQ(SpectrumPlotLimits().upper, 150);
}

TEST_F(LevelPagesTest, RecordNavigationAveragingAndTablePos) {
    auto w = makeWindow();
    const std::string path = sampleBin("nav.bin", 6, 3);
    const auto bytes = test::readBytes(path);
    w->OpenPath(QString::fromStdString(path));
    auto* position = qobject_cast<QPushButton*>(w->control(Control::RecordPosition));
    auto* first = qobject_cast<QLineEdit*>(w->control(Control::AverageFirst));
    auto* last = qobject_cast<QLineEdit*>(w->control(Control::AverageLast));
    EXPECT_EQ(position->text(), "1/3");
    EXPECT_EQ(first->text(), "1");
    EXPECT_EQ(last->text(), "3");
    auto* page = qobject_cast<TablePage*>(w->pages()[0]);
    const int leq = levelWordOffset(6, 0, 0, 6, 1);
    numberAnswer = 2;
    w->Dispatch(Command::RecordPosition);
    EXPECT_EQ(position->text(), "2/3");
    EXPECT_EQ(page->table(0)->item(1, 6)->text().toStdString(), views::LevelCellText(wordAt(bytes, 2, leq)));
    numberAnswer = 4;  // beyond the records: nothing changes
    w->Dispatch(Command::RecordPosition);
    EXPECT_EQ(position->text(), "2/3");

    // A wrong range is refused with the message; a right one shows the energy average.
    first->setText("3");
    last->setText("1");
    QTest::mouseClick(w->control(Control::Average), Qt::LeftButton);
    EXPECT_EQ(errors, QStringList{"Error in parameters"});
    EXPECT_FALSE(dataOf(*w).averaging());
    first->setText("1");
    last->setText("3");
    QTest::mouseClick(w->control(Control::Average), Qt::LeftButton);
    ASSERT_TRUE(dataOf(*w).averaging());
    double sum = 0;
    for (int r = 1; r <= 3; ++r) sum += std::pow(10.0, wordAt(bytes, r, leq) / 10.0);
    EXPECT_NEAR(page->table(0)->item(1, 6)->text().toDouble(), 10.0 * std::log10(sum / 3.0), 0.006);

    // "Save as text" of the average goes through the temporary record; "Save as binary" writes one record.
    saveAnswers = {QString::fromStdString(dir.file("avg.txt"))};
    w->Dispatch(Command::SaveAsText);
    EXPECT_EQ(proposals.last().toStdString(), dir.file("nav"));
    const auto text = test::readBytes(dir.file("avg.txt"));
    EXPECT_NE(std::string(text.begin(), text.end()).find("VIN:; 00C0FFEE;"), std::string::npos);
    saveAnswers = {QString::fromStdString(dir.file("one.bin"))};
    w->Dispatch(Command::SaveAsBinary);
    auto one = BinFile::Open(dir.file("one.bin"));
    ASSERT_TRUE(one.ok());
    EXPECT_EQ(one->recordCount(), 1);
    auto back = one->ReadRecord(1);
    ASSERT_TRUE(back.ok());
    // The shown average as its words hold it.
    EXPECT_EQ(back->levels, MeasurementRecord::decode(w->session()->shownRecord()->encode())->levels);

    // The third tab shown when the next file opens again on the third tab.
    w->tabs()->setCurrentIndex(2);
    w->OpenPath(QString::fromStdString(sampleBin("next.bin", 3, 1)));
    EXPECT_EQ(w->tabs()->currentIndex(), 2);
    EXPECT_FALSE(dataOf(*w).averaging());
    EXPECT_EQ(w->tabs()->count(), 4);
}

TEST_F(LevelPagesTest, MultirecordsShowTheLevelOverTheRecordsAndKeepTheBounds) {
    auto w = makeWindow();
    const std::string path = sampleBin("multi.bin", 3, 4);
    const auto bytes = test::readBytes(path);
    w->OpenPath(QString::fromStdString(path));
    auto* multi = qobject_cast<MultirecordsPage*>(w->pages().back());
    ASSERT_TRUE(multi);
    multi->tableList()->setCurrentIndex(2);  // weighted levels
    multi->parameterList()->setCurrentIndex(9);
    multi->bandList()->setCurrentIndex(1);  // A
    ASSERT_EQ(multi->series().size(), 4u);
    for (int r = 1; r <= 4; ++r)
        EXPECT_DOUBLE_EQ(multi->series()[static_cast<size_t>(r - 1)],
                         wordAt(bytes, r, levelWordOffset(3, 0, 2, 9, 1)));
    EXPECT_TRUE(multi->ClipboardText().startsWith("T[sec]"));
    multi->ApplyBounds("20", "x");
    EXPECT_EQ(multi->lowerBound(), 20.0);
    EXPECT_EQ(multi->upperBound(), 150.0);
    w->OpenPath(QString::fromStdString(sampleBin("single.bin", 3, 1)));
    EXPECT_EQ(store.ReadString("Multi", "LowerBound", ""), "20");
}

TEST_F(LevelPagesTest, TranslateAndMergeWriteWhatTheCoreWrites) {
    auto w = makeWindow();
    const std::string a = sampleBin("a.bin", 3, 2);
    const std::string b = sampleBin("b.bin", 7, 1);
    openAnswer = {QString::fromStdString(a), QString::fromStdString(b)};
    saveAnswers = {QString::fromStdString(dir.file("a.txt")), QString::fromStdString(dir.file("b.txt"))};
    w->Dispatch(Command::TranslateBinToTxt);
    EXPECT_EQ(proposals,
              (QStringList{QString::fromStdString(dir.file("a")), QString::fromStdString(dir.file("b"))}));
    auto expected = [](const std::string& bin) {
        auto f = BinFile::Open(bin);
        auto out = File::Open(bin + ".ref", File::Mode::Create);
        TextWriter tw(*out);
        EXPECT_TRUE(translateBinToText(*f, tw, false, TextExporter()));
        return test::readBytes(bin + ".ref");
    };
    EXPECT_EQ(test::readBytes(dir.file("a.txt")), expected(a));
    EXPECT_EQ(test::readBytes(dir.file("b.txt")), expected(b));

    saveAnswers = {QString::fromStdString(dir.file("m.txt"))};
    w->Dispatch(Command::MergeToOneTxt);
    const auto merged = test::readBytes(dir.file("m.txt"));
    const std::string m(merged.begin(), merged.end());
    EXPECT_EQ(m.find("\r\n    File " + a + "\r\n"), 0u);
    EXPECT_NE(m.find("\r\n    File " + b + "\r\n"), std::string::npos);

    // An input that cannot be opened stops with its message.
    errors.clear();
    openAnswer = {QString::fromStdString(dir.file("missing.bin"))};
    w->Dispatch(Command::TranslateBinToTxt);
    EXPECT_EQ(errors.size(), 1);
}

TEST_F(LevelPagesTest, PercentilesAndReportDialogs) {
    auto w = makeWindow();
    const std::string a = sampleBin("pa.bin", 3, 3);
    const std::string b = sampleBin("pb.bin", 3, 2);
    test::writeBytes(dir.file("empty.bin"), {});
    openAnswer = {QString::fromStdString(a), QString::fromStdString(dir.file("empty.bin")),
                  QString::fromStdString(b)};
    // The batch, file by file, answers as the whole set at once.
    const std::vector<std::string> all = {a, b};
    const double fractions[] = {0.1, 0.9};
    const auto expected = CalculatePercentiles(all, levelWordOffset(3, 0, 0, 0, 0), fractions);
    ASSERT_TRUE(expected.ok());
    w->runDialog = [&](QDialog& d) {
        auto* p = qobject_cast<PercentilesDialog*>(&d);
        EXPECT_TRUE(p);
        p->percentField(0)->setText("90");
        p->percentField(1)->setText("10");
        p->Calculate();
        EXPECT_EQ(p->percentField(0)->text(), "10");
        EXPECT_EQ(p->percentField(1)->text(), "90");
        EXPECT_EQ(p->resultField(0)->text().toStdString(), formatFixed(expected->answers[0], 2));
        EXPECT_EQ(p->resultField(1)->text().toStdString(), formatFixed(expected->answers[1], 2));
        EXPECT_EQ(p->minimumField()->text().toStdString(), formatFixed(expected->minimum, 2));
        EXPECT_EQ(p->maximumField()->text().toStdString(), formatFixed(expected->maximum, 2));
        EXPECT_FALSE(p->histogram()->values().empty());
        return int(QDialog::Accepted);
    };
    w->Dispatch(Command::CalcPercentiles);
    EXPECT_EQ(store.ReadString("Histo", "Pr0", ""), "10");

    // Files of two types are refused before the dialog.
    errors.clear();
    openAnswer = {QString::fromStdString(a), QString::fromStdString(sampleBin("pc.bin", 6, 1))};
    w->Dispatch(Command::CalcPercentiles);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("Different file types"));

    openAnswer = {QString::fromStdString(a), QString::fromStdString(b)};
    w->runDialog = [](QDialog& d) {
        auto* r = qobject_cast<ReportDialog*>(&d);
        EXPECT_TRUE(r);
        r->Add();
        r->Add();  // a column chosen twice is listed once
        r->lists().table()->setCurrentIndex(1);
        r->All();
        EXPECT_EQ(r->list()->count(), 31);
        r->done(QDialog::Accepted);
        return int(QDialog::Accepted);
    };
    saveAnswers = {QString::fromStdString(dir.file("report.txt"))};
    w->Dispatch(Command::MakeReport);
    const auto report = test::readBytes(dir.file("report.txt"));
    const std::string text(report.begin(), report.end());
    EXPECT_EQ(
        text.rfind(
            "Date; 06/05/2024;\r\nVIN; 00C0FFEE;\r\nFilename; pa.bin; pa.bin; pa.bin; pb.bin; pb.bin; ", 0),
        0u)
        << text.substr(0, 200);
    // The chosen columns are kept for the type in report.cfg.
    const auto config = ReportConfig::Read(dir.file("data/report.cfg"));
    EXPECT_EQ(config.columnsFor(3).size(), 31u);
}

// Bad input gets its message and leaves no pages of a half-opened file; cancelled dialogs write nothing.
TEST_F(LevelPagesTest, BadFilesAndCancelledDialogs) {
    auto w = makeWindow();
    // A record of a type without a layout: the title names the file, the type and the serial number.
    std::vector<uint8_t> unknown(kRecordSize, 0);
    unknown[14] = 0x78;
    unknown[15] = 0x56;
    unknown[16] = 0x34;
    unknown[17] = 0x12;
    unknown[18] = 30;
    const std::string path = dir.file("unknown.bin");
    test::writeBytes(path, unknown);
    w->OpenPath(QString::fromStdString(path));
    EXPECT_EQ(errors, QStringList{"Unknown file format"});
    EXPECT_EQ(w->windowTitle().toStdString(), path + " (Unknown type, VIN: 12345678)");
    EXPECT_EQ(w->tabs()->count(), 0);
    EXPECT_FALSE(w->action(Command::SaveAsText)->isEnabled());

    // A partial record behind the first is not counted: one record, no "Multirecords" page.
    auto bytes = test::readBytes(sampleBin("whole.bin", 3, 1));
    bytes.resize(bytes.size() + 1000, 0x55);
    test::writeBytes(dir.file("partial.bin"), bytes);
    errors.clear();
    w->OpenPath(QString::fromStdString(dir.file("partial.bin")));
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(w->tabs()->count(), 4);

    // Cancelled save dialogs write nothing; a target that cannot be created gets its message.
    saveAnswers.clear();
    w->Dispatch(Command::SaveAsText);
    w->Dispatch(Command::SaveAsBinary);
    openAnswer = {QString::fromStdString(dir.file("partial.bin"))};
    w->Dispatch(Command::MergeToOneTxt);
    EXPECT_TRUE(errors.isEmpty());
    saveAnswers = {QString::fromStdString(dir.file("no/such/dir/x.bin"))};
    w->Dispatch(Command::SaveAsBinary);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("Can't open file"));
}

TEST_F(LevelPagesTest, ParametersDialogSetsLinearAndP0ForTheCopies) {
    auto w = makeWindow();
    w->OpenPath(QString::fromStdString(sampleBin("misc.bin", 3, 2)));
    const int range = w->session()->shownRecord()->tail.rangeIndex;
    w->runDialog = [range](QDialog& d) {
        auto* p = qobject_cast<ParametersDialog*>(&d);
        EXPECT_TRUE(p);
        EXPECT_EQ(p->field(4)->text(), "00C0FFEE");
        EXPECT_EQ(p->field(0)->text(), "06/05/2024");
        EXPECT_TRUE(p->range(range)->isChecked());
        // A file's range and offsets are shown, not sent anywhere.
        EXPECT_FALSE(p->range(0)->isEnabled() || p->offset(0)->isEnabled());
        p->EnterP0("abc");  // not a number: kept
        EXPECT_EQ(p->p0()->text(), "2e-05");
        p->EnterP0("1");
        p->linear()->setChecked(true);
        return int(QDialog::Accepted);
    };
    w->Dispatch(Command::Misc);
    EXPECT_TRUE(w->frame().settings().linear);
    EXPECT_EQ(dataOf(*w).pageContext().zeroDbReference, 1.0);
    // With P0 = 1 a level of L dB is 10^(L/20): the copy writes mantissa and exponent.
    auto* page = qobject_cast<TablePage*>(w->pages()[0]);
    const double level = page->shown()[0].values[0][0];
    const QStringList row = page->ClipboardText().split('\n')[2].split('\t');
    EXPECT_EQ(row[1].toStdString(), views::LevelValueText(level, true, 1.0));
    EXPECT_TRUE(row[1].contains('E'));
}

TEST_F(LevelPagesTest, NotepadShowsTheDifferenceOfTwoNotedPoints) {
    auto w = makeWindow();
    w->OpenPath(QString::fromStdString(sampleBin("note.bin", 3, 5)));
    auto* multi = qobject_cast<MultirecordsPage*>(w->pages().back());
    multi->chart()->SetCursor(0, 1);
    multi->chart()->SetCursor(1, 3);
    multi->NoteCursors();
    ASSERT_EQ(w->notepad().points().size(), 2u);
    w->runDialog = [&](QDialog& d) {
        auto* n = qobject_cast<NotepadDialog*>(&d);
        EXPECT_TRUE(n);
        EXPECT_EQ(n->list()->count(), 2);
        n->list()->item(0)->setSelected(true);
        n->list()->item(1)->setSelected(true);
        const double dy = multi->series()[3] - multi->series()[1];
        EXPECT_EQ(n->difference()->text().toStdString(),
                  formatGeneral(2 * 60.0, 6) + " ;    " + formatGeneral(dy, 6));
        n->Clear();
        EXPECT_EQ(n->list()->count(), 0);
        return int(QDialog::Accepted);
    };
    w->Dispatch(Command::Notepad);
    EXPECT_TRUE(w->notepad().points().empty());
}

}  // namespace
}  // namespace k470::app
