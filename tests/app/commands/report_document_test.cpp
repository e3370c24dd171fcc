// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement report in the window: "Export report as PDF..." and "Print report..." for the open data
// file with their dialogs answered by the test, the options remembered, and the document painted on a
// printer.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <filesystem>

#include "app/commands/pdf_checks.h"
#include "app/commands/report_commands.h"
#include "app/commands/report_document.h"
#include "app/dialogs/level_choice_lists.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "data/dos_date_time.h"
#include "export/analysis_fixtures.h"
#include "frame/application_state.h"
#include "frame/commands.h"

namespace k470::app {
namespace {

using test::RecordImage;

constexpr LevelSelection kLaf{2, 3, 1, 0};

class ReportWindowTest : public ::testing::Test {
  protected:
    ReportWindowTest() : store(dir.file("k470.ini")) {
        // Sound level meter records, four at 60 dB and four at 70 dB, two seconds apart.
        std::vector<RecordImage> records;
        for (int i = 0; i < 8; ++i) {
            const CalendarTime t = shiftedBy(CalendarTime{2026, 2, 3, 14, 0, 0}, 2 * i);
            records.push_back(RecordImage(3, 0xABCDEF01, packDosDate(t), packDosTime(t))
                                  .fill(436, static_cast<uint16_t>((i < 4 ? 60 : 70) * 256)));
        }
        test::writeRecords(bin, records);
    }

    std::unique_ptr<MainWindow> openWindow() {
        auto w = std::make_unique<MainWindow>(frame);
        w->showError = [this](const QString& m) { errors << m; };
        w->runDialog = [this](QDialog& d) { return answer(d); };
        w->askSavePath = [this](const QString&, const QString& proposed, const QString&) {
            proposals << proposed;
            return savePath;
        };
        w->OpenPath(QString::fromStdString(bin));
        return w;
    }

    // The options dialog gets the operator and project typed (when given) and is accepted or cancelled;
    // the print dialog sends the pages to a PDF file.
    int answer(QDialog& d) {
        if (auto* options = qobject_cast<ReportOptionsDialog*>(&d)) {
            shownOperator = options->operatorEdit()->text();
            shownTable = options->lists().table()->currentData().toInt();
            if (!typedOperator.isEmpty()) options->operatorEdit()->setText(typedOperator);
            if (!typedProject.isEmpty()) options->projectEdit()->setText(typedProject);
            return acceptOptions ? QDialog::Accepted : QDialog::Rejected;
        }
        if (auto* print = qobject_cast<QPrintDialog*>(&d)) {
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(QString::fromStdString(printed));
            return QDialog::Accepted;
        }
        return QDialog::Rejected;
    }

    test::TempDir dir;
    SettingsStore store;
    ApplicationState frame{store};
    const std::string bin = dir.file("site.bin");
    const std::string printed = dir.file("printed.pdf");
    QStringList errors, proposals;
    QString savePath, typedOperator, typedProject, shownOperator;
    int shownTable = -1;
    bool acceptOptions = true;
};

TEST_F(ReportWindowTest, ExportWritesThePdfAddingItsExtensionAndRemembersTheOptions) {
    auto w = openWindow();
    ASSERT_TRUE(w->action(Command::ExportReportPdf)->isEnabled());
    ASSERT_TRUE(w->action(Command::PrintReport)->isEnabled());

    // Cancelling the options writes nothing and asks for no file.
    acceptOptions = false;
    w->Dispatch(Command::ExportReportPdf);
    EXPECT_TRUE(proposals.isEmpty());

    acceptOptions = true;
    typedOperator = QStringLiteral("R. Miller");
    typedProject = QStringLiteral("Night survey");
    savePath = QString::fromStdString(dir.file("survey"));
    w->Dispatch(Command::ExportReportPdf);
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(proposals.value(0), QString::fromStdString(dir.file("site.pdf")));
    EXPECT_EQ(shownTable, kLaf.table);  // the A-weighted fast level unless told otherwise
    const std::string pdf = dir.file("survey.pdf");
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(store.ReadString("ReportDocument", "Operator", ""), "R. Miller");

    // The next report proposes what was entered last.
    typedOperator.clear();
    savePath.clear();
    w->Dispatch(Command::ExportReportPdf);
    EXPECT_EQ(shownOperator, QStringLiteral("R. Miller"));

    if (!test::havePoppler()) GTEST_SKIP() << test::kNoPoppler;
    const std::string text = test::pdfText(pdf);
    for (const char* expected : {"67.4 dB", "R. Miller", "Night survey", "site.bin", "Page 1 of 2"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " is not in\n" << text;
}

TEST_F(ReportWindowTest, ExportRefusesToWriteOverTheOpenFile) {
    auto w = openWindow();
    const auto before = test::readBytes(bin);
    // A link named like a PDF that leads to the open file.
    const std::string alias = dir.file("alias.pdf");
    std::filesystem::create_symlink(bin, alias);
    savePath = QString::fromStdString(alias);
    w->Dispatch(Command::ExportReportPdf);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0].toStdString(), "Can't write file '" + alias + "'");
    EXPECT_EQ(test::readBytes(bin), before);
}

TEST_F(ReportWindowTest, PrintSendsBothPagesToThePrinter) {
    auto w = openWindow();
    w->Dispatch(Command::PrintReport);
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    ASSERT_TRUE(std::filesystem::exists(printed));
    if (!test::havePoppler()) GTEST_SKIP() << test::kNoPoppler;
    const std::vector<long> dark = test::darkPixelsPerPage(printed);
    ASSERT_EQ(dark.size(), 2u);
    for (long d : dark) EXPECT_GT(d, 500);
    EXPECT_NE(test::pdfText(printed).find("Page 2 of 2"), std::string::npos);
}

TEST(ReportDocument, RowsNameWhatTheDataHas) {
    views::ReportDocumentData data;
    data.fileNames = {"a.bin", "b.bin"};
    data.vins = {0x1A2B, 0xFFFFFFFF};
    data.levelName = "Weighted levels, Fast, A";
    data.summary.recordCount = 3;
    data.summary.levelAverage = 64.96;
    data.summary.percentiles = {{10, 70.5}};
    const ReportDocument withoutSoundLevels(data, {QStringLiteral("Op"), QString()});
    const auto title = withoutSoundLevels.titleRows();
    EXPECT_TRUE(title.contains(QStringList{QStringLiteral("Files"), QStringLiteral("a.bin, b.bin")}));
    EXPECT_TRUE(title.contains(QStringList{QStringLiteral("VIN"), QStringLiteral("00001A2B, FFFFFFFF")}));
    EXPECT_TRUE(title.contains(QStringList{QStringLiteral("Operator"), QStringLiteral("Op")}));
    // A type without A-weighted levels has no LAeq row; the chosen level's rows are always there.
    auto summary = withoutSoundLevels.summaryRows();
    EXPECT_EQ(summary.first().value(0), QStringLiteral("Weighted levels, Fast, A: energy average"));
    EXPECT_EQ(summary.first().value(1), QStringLiteral("65.0 dB"));
    EXPECT_EQ(summary.last().value(0), QStringLiteral("Weighted levels, Fast, A: L10"));

    data.summary.laeq = 67.4036;
    data.summary.lcpeak = 101.0;
    summary = ReportDocument(data, {}).summaryRows();
    EXPECT_EQ(summary.value(0),
              (QStringList{QStringLiteral("LAeq (energy average)"), QStringLiteral("67.4 dB")}));
    EXPECT_EQ(summary.value(1).value(0), QStringLiteral("LCpeak"));
    EXPECT_EQ(ReportDocument::pageFooter(1), QStringLiteral("Page 1 of 2"));
}

TEST(ReportDocument, PdfExtensionIsAddedWhenMissing) {
    EXPECT_EQ(WithPdfExtension(QStringLiteral("/tmp/a")), QStringLiteral("/tmp/a.pdf"));
    EXPECT_EQ(WithPdfExtension(QStringLiteral("/tmp/a.PDF")), QStringLiteral("/tmp/a.PDF"));
    EXPECT_EQ(WithPdfExtension(QStringLiteral("/tmp/a.txt")), QStringLiteral("/tmp/a.txt.pdf"));
}

}  // namespace
}  // namespace k470::app
