// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/report_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/batch_progress.h"
#include "app/qt_text.h"
#include "base/file.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/measurement_record.h"
#include "frame/frame_settings.h"
#include "plot/bar_chart.h"
#include "plot/plot_window.h"

namespace k470::app {

QString ReportConfigPath() {
    QString dir = qEnvironmentVariable("K470_DATA_DIR");
    if (dir.isEmpty()) {
        const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
        dir = (xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : xdg) +
              QStringLiteral("/k470");
    }
    return dir + QLatin1Char('/') + QString::fromLatin1(kReportConfigFileName);
}

ReportDialog::ReportDialog(QString configPath, DeviceType type, QWidget* parent)
    : QDialog(parent), configPath_(std::move(configPath)), type_(type) {
    setWindowTitle(tr("Report"));
    config_ = ReportConfig::Read(configPath_.toStdString());
    columns_ = config_.columnsFor(type);
    auto* column = new QVBoxLayout(this);
    lists_ = new LevelChoiceLists(type, this);
    column->addLayout(lists_->row());
    auto* middle = new QHBoxLayout;
    list_ = new QListWidget(this);
    middle->addWidget(list_, 1);
    auto* side = new QVBoxLayout;
    const std::pair<QString, void (ReportDialog::*)()> actions[] = {{tr("Add"), &ReportDialog::Add},
                                                                    {tr("Delete"), &ReportDialog::Delete},
                                                                    {tr("All"), &ReportDialog::All},
                                                                    {tr("Up"), &ReportDialog::MoveUp},
                                                                    {tr("Down"), &ReportDialog::MoveDown}};
    for (const auto& [text, fn] : actions) {
        auto* b = new QPushButton(text, this);
        connect(b, &QPushButton::clicked, this, fn);
        side->addWidget(b);
    }
    side->addStretch(1);
    const QString names[] = {tr("Date"), tr("Time"), tr("VIN"), tr("Interval"),
                             tr("name is frequency value only")};
    for (size_t i = 0; i < switches_.size(); ++i) {
        switches_[i] = new QCheckBox(names[i], this);
        switches_[i]->setChecked(i < 4);
        side->addWidget(switches_[i]);
    }
    middle->addLayout(side);
    column->addLayout(middle, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("Create report"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    showColumns(columns_.size() > 0 ? 0 : -1);
}

void ReportDialog::showColumns(int selected) {
    list_->clear();
    for (const auto& c : columns_.columns()) list_->addItem(qs(c.name));
    list_->setCurrentRow(selected);
}

void ReportDialog::Add() {
    if (columns_.Add(makeReportColumn(type_, lists_->selection())))
        showColumns(static_cast<int>(columns_.size()) - 1);
}

void ReportDialog::All() {
    const LevelSelection s = lists_->selection();
    columns_.All(type_, s.table, s.parameter, s.channel);
    showColumns(static_cast<int>(columns_.size()) - 1);
}

void ReportDialog::Delete() {
    if (list_->currentRow() < 0) return;
    showColumns(columns_.Delete(list_->currentRow()));
}

void ReportDialog::MoveUp() {
    if (list_->currentRow() < 0) return;
    showColumns(columns_.MoveUp(list_->currentRow()));
}

void ReportDialog::MoveDown() {
    if (list_->currentRow() < 0) return;
    showColumns(columns_.MoveDown(list_->currentRow()));
}

ReportSwitches ReportDialog::switches() const {
    return {switches_[0]->isChecked(), switches_[1]->isChecked(), switches_[2]->isChecked(),
            switches_[3]->isChecked(), switches_[4]->isChecked()};
}

void ReportDialog::done(int result) {
    config_.setColumns(type_, columns_);
    // A configuration that cannot be written is skipped without a message.
    QDir().mkpath(QFileInfo(configPath_).absolutePath());
    (void)config_.Write(configPath_.toStdString());
    QDialog::done(result);
}

}  // namespace k470::app
