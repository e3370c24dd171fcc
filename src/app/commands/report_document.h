// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement report as a printed document: a title block (files, instrument, serial numbers, period,
// operator, project), the summary table, the time history of the chosen level with the time of day on its
// axis, the averaged band spectrum and the level distribution, on numbered pages that carry the program's
// version. The charts are the window's own plot controls, drawn onto the page.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <string>

#include "base/result.h"
#include "views/report_document_data.h"

class QPagedPaintDevice;
class QPainter;

namespace k470::app {

// What the user adds to a report.
struct ReportFields {
    QString operatorName;
    QString project;
};

class ReportDocument {
    Q_DECLARE_TR_FUNCTIONS(ReportDocument)
  public:
    static constexpr int kPageCount = 2;

    ReportDocument(const views::ReportDocumentData& data, ReportFields fields);

    // Paints every page onto the device (a PDF writer or a printer), starting a new page for each page
    // after the first. False when the device cannot be painted on.
    bool Paint(QPagedPaintDevice& device) const;

    // The rows of the title block and of the summary table, label and value, as the pages show them.
    QList<QStringList> titleRows() const;
    QList<QStringList> summaryRows() const;
    // "Page 1 of 2"
    static QString pageFooter(int page);

  private:
    void paintPage(QPainter& painter, int page, double width, double height) const;
    double paintTable(QPainter& painter, double top, double width, const QString& heading,
                      const QList<QStringList>& rows) const;
    void paintTimeHistory(QPainter& painter, QRect place) const;
    void paintSpectrum(QPainter& painter, QRect place) const;
    void paintHistogram(QPainter& painter, QRect place) const;

    const views::ReportDocumentData& data_;
    ReportFields fields_;
};

// Writes the report as a PDF file (A4) through the shared safe output: the file appears whole or not at
// all, and never over one of the report's inputs. Fails with "Can't write file '<path>'".
Status WriteReportPdf(const std::string& path, const std::vector<std::string>& inputs,
                      const views::ReportDocumentData& data, const ReportFields& fields);

}  // namespace k470::app
