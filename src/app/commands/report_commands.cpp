// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands/report_commands.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>
#include <cstdio>

#include "app/commands/output_paths.h"
#include "app/dialogs/level_choice_lists.h"
#include "app/dialogs/report_options_dialog.h"
#include "app/dialogs/user_dialogs.h"
#include "app/qt_text.h"
#include "base/safe_write.h"
#include "base/settings_store.h"
#include "export/file_set.h"
#include "export/level_argument.h"
#include "views/report_document_data.h"

namespace k470::app {

namespace {

constexpr const char* kSection = "ReportDocument";

std::string levelArgumentText(const LevelSelection& s) {
    return std::to_string(s.table) + ',' + std::to_string(s.parameter) + ',' + std::to_string(s.band) + ',' +
           std::to_string(s.channel);
}

// File names as the system spells them.
std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Reads the file with the window's progress bar, and tells the user what failed.
std::optional<views::ReportDocumentData> readReport(const ReportCommandEnv& env, const std::string& binPath,
                                                    const LevelSelection& level) {
    const std::vector<std::string> paths = {binPath};
    auto data = views::BuildReportDocumentData(paths, level, [&env](int percent) {
        if (env.dialogs.showProgress) env.dialogs.showProgress(percent);
        return true;
    });
    if (env.dialogs.showProgress) env.dialogs.showProgress(0);
    if (!data) {
        env.dialogs.showError(qs(describe(data.error())));
        return std::nullopt;
    }
    return std::move(*data);
}

// Runs the options dialog; the options when accepted (and remembered for the next report).
std::optional<ReportOptions> askOptions(const ReportCommandEnv& env, DeviceType type) {
    ReportOptionsDialog dialog(type, LoadReportOptions(env.store, type), env.window);
    if (env.dialogs.runDialog(dialog) != QDialog::Accepted) return std::nullopt;
    const ReportOptions options = dialog.options();
    SaveReportOptions(env.store, options);
    return options;
}

}  // namespace

ReportOptions LoadReportOptions(const SettingsStore& store, DeviceType type) {
    ReportOptions o;
    o.fields.operatorName = qs(store.ReadString(kSection, "Operator", ""));
    o.fields.project = qs(store.ReadString(kSection, "Project", ""));
    LevelSelection last;
    if (parseLevelArgument(store.ReadString(kSection, "Level", ""), last) && isLevelChoice(type, last))
        o.level = last;
    else
        o.level = views::DefaultReportLevel(type);
    return o;
}

void SaveReportOptions(SettingsStore& store, const ReportOptions& options) {
    store.WriteString(kSection, "Operator", options.fields.operatorName.toStdString());
    store.WriteString(kSection, "Project", options.fields.project.toStdString());
    store.WriteString(kSection, "Level", levelArgumentText(options.level));
}

QString WithPdfExtension(const QString& path) {
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) return path;
    return path + QStringLiteral(".pdf");
}

void ExportReportPdf(const ReportCommandEnv& env, const std::string& binPath, DeviceType type) {
    const auto options = askOptions(env, type);
    if (!options) return;
    const QFileInfo input(qs(binPath));
    const QString proposed = input.absoluteDir().filePath(input.completeBaseName() + QStringLiteral(".pdf"));
    QString out = env.dialogs.askSavePath(ReportOptionsDialog::tr("Export report as PDF"), proposed,
                                          ReportOptionsDialog::tr("PDF files (*.pdf)"));
    if (out.isEmpty()) return;
    out = WithPdfExtension(out);
    if (IsOneOfInputs(localPath(out), binPath)) {
        env.dialogs.showError(OutputIsInputMessage(out));
        return;
    }
    const auto data = readReport(env, binPath, options->level);
    if (!data) return;
    if (Status s = WriteReportPdf(localPath(out), {binPath}, *data, options->fields); !s)
        env.dialogs.showError(qs(describe(s.error())));
}

void PrintReport(const ReportCommandEnv& env, const std::string& binPath, DeviceType type) {
    const auto options = askOptions(env, type);
    if (!options) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(ReportDocument::tr("Measurement report"));
    QPrintDialog dialog(&printer, env.window);
    if (env.dialogs.runDialog(dialog) != QDialog::Accepted) return;
    const auto data = readReport(env, binPath, options->level);
    if (!data) return;
    if (!ReportDocument(*data, options->fields).Paint(printer))
        env.dialogs.showError(ReportOptionsDialog::tr("The report could not be printed."));
}

int RunHeadlessReport(const HeadlessReport& request) {
    const auto failed = [](const std::string& message) {
        std::fprintf(stderr, "k470: %s\n", message.c_str());
        return 1;
    };
    if (request.output.isEmpty()) return failed("--report-pdf needs the name of the PDF file to write");
    if (request.files.isEmpty()) return failed("--report-pdf needs at least one .bin file");
    std::vector<std::string> paths;
    for (const QString& f : request.files) {
        paths.push_back(localPath(f));
        if (Status s = checkInputFile(paths.back()); !s) return failed(describe(s.error()));
    }
    auto set = ScanFileSet(paths);
    if (!set) return failed(describe(set.error()));
    LevelSelection level = views::DefaultReportLevel(set->type);
    const std::string levelText = request.level.toStdString();
    if (!levelText.empty()) {
        if (!parseLevelArgument(levelText, level))
            return failed("--level takes T,P,B or T,P,B,C (numbers from 0 to 255), not '" + levelText + "'");
        if (set->typeKnown)
            if (auto problem = checkLevelArgument(set->type, level, levelText); !problem.empty())
                return failed(problem);
    }
    const std::string output = localPath(request.output);
    if (Status s = refuseOutputOverInput(output, paths); !s) return failed(describe(s.error()));
    auto data = views::BuildReportDocumentData(paths, level);
    if (!data) return failed(describe(data.error()));
    if (Status s = WriteReportPdf(output, paths, *data, {request.operatorName, request.project}); !s)
        return failed(describe(s.error()));
    return 0;
}

}  // namespace k470::app
