// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement report of a device data file: the dialog that asks for operator, project and the level
// to plot (remembered in the settings), "Print report..." and "Export report as PDF..." for the open file,
// and the headless run that writes a report of any files named on the command line.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "app/dialogs/report_options_dialog.h"
#include "data/device_type.h"
#include "export/level_locator.h"

namespace k470 {
class SettingsStore;
}

namespace k470::app {

struct UserDialogs;

// Operator and project as last entered, and the level last plotted when the type offers it (else the
// type's default report level).
ReportOptions LoadReportOptions(const SettingsStore& store, DeviceType type);
void SaveReportOptions(SettingsStore& store, const ReportOptions& options);

// What the two window commands work with.
struct ReportCommandEnv {
    SettingsStore& store;
    UserDialogs& dialogs;
    QWidget* window;
};

// "Export report as PDF...": asks for the options and the file (".pdf" added when the name lacks it),
// reads the file and writes the report; errors go to the user.
void ExportReportPdf(const ReportCommandEnv& env, const std::string& binPath, DeviceType type);
// "Print report...": asks for the options and the printer, and prints the report.
void PrintReport(const ReportCommandEnv& env, const std::string& binPath, DeviceType type);

// The name with ".pdf" at its end (any case) or else ".pdf" added.
QString WithPdfExtension(const QString& path);

// k470 --report-pdf OUT [--level T,P,B[,C]] [--operator TEXT] [--project TEXT] FILE.bin...: writes the
// report without a window. Prints "k470: <message>" and answers 1 on any error, leaving no file behind;
// 0 when the report is written.
struct HeadlessReport {
    QString output;
    QString level;  // empty: the type's default report level
    QString operatorName;
    QString project;
    QStringList files;
};
int RunHeadlessReport(const HeadlessReport& request);

}  // namespace k470::app
