// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/analysis_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/batch_progress.h"
#include "app/frame_settings.h"
#include "base/file.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/measurement_record.h"
#include "plot/bar_chart.h"
#include "plot/plot_window.h"

namespace k470::app {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
void fill(QComboBox* box, const std::vector<LevelChoice>& choices) {
    const QSignalBlocker block(box);
    const int old = box->currentIndex();
    box->clear();
    for (const auto& c : choices) box->addItem(qs(c.text), c.number);
    if (box->count() > 0) box->setCurrentIndex(std::clamp(old, 0, box->count() - 1));
}
}  // namespace

LevelChoiceLists::LevelChoiceLists(DeviceType type, QWidget* parent)
    : QObject(parent),
      type_(type),
      table_(new QComboBox(parent)),
      parameter_(new QComboBox(parent)),
      band_(new QComboBox(parent)),
      channel_(new QComboBox(parent)) {
    fill(table_, levelTableChoices(type));
    const auto channels = levelChannelChoices(type);
    hasChannels_ = !channels.empty();
    fill(channel_, channels);
    channel_->setVisible(hasChannels_);
    refill();
    connect(table_, &QComboBox::currentIndexChanged, this, [this] { refill(); });
}

void LevelChoiceLists::refill() {
    const int table = table_->currentData().toInt();
    fill(parameter_, levelParameterChoices(type_, table));
    fill(band_, levelBandChoices(type_, table));
}

LevelSelection LevelChoiceLists::selection() const {
    return {table_->currentData().toInt(), parameter_->currentData().toInt(), band_->currentData().toInt(),
            hasChannels_ ? channel_->currentData().toInt() : 0};
}

// ---- Distribution histogram ----

QHBoxLayout* LevelChoiceLists::row() const {
    auto* layout = new QHBoxLayout;
    for (QComboBox* c : {table_, parameter_, band_, channel_}) layout->addWidget(c);
    return layout;
}

PercentilesDialog::PercentilesDialog(SettingsStore& store, std::vector<std::string> paths, DeviceType type,
                                     QWidget* parent)
    : QDialog(parent), store_(store), paths_(std::move(paths)), type_(type) {
    setWindowTitle(tr("Distribution histogram"));
    auto* column = new QVBoxLayout(this);
    lists_ = new LevelChoiceLists(type, this);
    column->addLayout(lists_->row());

    auto* body = new QHBoxLayout;
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Percentile [%]"), this), 0, 0);
    grid->addWidget(new QLabel(tr("Level [dB]"), this), 0, 1);
    const PercentileEntries entries = PercentileEntries::Load(store_);
    for (int i = 0; i < kPercentileFields; ++i) {
        percent_[static_cast<size_t>(i)] = new QLineEdit(qs(entries.entries[static_cast<size_t>(i)]), this);
        result_[static_cast<size_t>(i)] = new QLabel(this);
        grid->addWidget(percent_[static_cast<size_t>(i)], i + 1, 0);
        grid->addWidget(result_[static_cast<size_t>(i)], i + 1, 1);
    }
    minimum_ = new QLabel(this);
    maximum_ = new QLabel(this);
    grid->addWidget(new QLabel(tr("Min"), this), kPercentileFields + 1, 0);
    grid->addWidget(minimum_, kPercentileFields + 1, 1);
    grid->addWidget(new QLabel(tr("Max"), this), kPercentileFields + 2, 0);
    grid->addWidget(maximum_, kPercentileFields + 2, 1);
    body->addLayout(grid);
    plot_ = new plot::PlotWindow(this);
    plot_->setMinimumSize(420, 240);
    histogram_ = &plot_->Add<plot::BarChart>(QRect(0, 0, 420, 240), 6);
    histogram_->SetTitle(tr("Records"));
    plot_->installEventFilter(this);
    body->addWidget(plot_, 1);
    column->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    auto* calculate = new QPushButton(tr("Calculate"), this);
    auto* clip = new QPushButton(tr("Save to clipboard"), this);
    auto* exit = new QPushButton(tr("Exit"), this);
    connect(calculate, &QPushButton::clicked, this, &PercentilesDialog::Calculate);
    connect(clip, &QPushButton::clicked, this, &PercentilesDialog::SaveToClipboard);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(calculate);
    buttons->addWidget(clip);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    column->addLayout(buttons);
}

bool PercentilesDialog::eventFilter(QObject* watched, QEvent* event) {
    // The histogram fills the plot.
    if (watched == plot_ && event->type() == QEvent::Resize) {
        histogram_->setRect(QRect(QPoint(0, 0), plot_->size()));
        plot_->scheduleRedraw();
    }
    return QDialog::eventFilter(watched, event);
}

PercentilesDialog::~PercentilesDialog() {
    PercentileEntries entries;
    for (size_t i = 0; i < entries.entries.size(); ++i)
        entries.entries[i] = percent_[i]->text().toStdString();
    entries.Save(store_);
}

PercentileForm PercentilesDialog::form() const {
    PercentileForm f;
    for (size_t i = 0; i < kPercentileFields; ++i) {
        f.percentTexts[i] = percent_[i]->text().toStdString();
        f.resultTexts[i] = result_[i]->text().toStdString();
    }
    f.minimumText = minimum_->text().toStdString();
    f.maximumText = maximum_->text().toStdString();
    return f;
}

void PercentilesDialog::Calculate() {
    PercentileForm f = form();
    const int offset = levelWordOffset(type_, lists_->selection());
    // A long batch shows its progress and can be cancelled; the form then stays as it was.
    BatchProgress progress(tr("Calculating..."), 100, this);
    const auto result = CalculatePercentiles(paths_, offset, percentFractions(f.percentTexts),
                                             [&progress](int percent) { return progress.Step(percent); });
    progress.Finish();
    if (!result) {
        if (showError && !progress.cancelled()) showError(qs(result.error().message));
        return;
    }
    writeBack(f, *result);
    for (size_t i = 0; i < kPercentileFields; ++i) {
        percent_[i]->setText(qs(f.percentTexts[i]));
        result_[i]->setText(qs(f.resultTexts[i]));
    }
    minimum_->setText(qs(f.minimumText));
    maximum_->setText(qs(f.maximumText));
    // The occupied classes, from the lowest to the highest, each labelled by its lower edge.
    const ClassCounts& counts = result->classCounts;
    int lo = 0;
    int hi = kHistogramClasses - 1;
    while (lo < hi && counts[static_cast<size_t>(lo)] == 0) ++lo;
    while (hi > lo && counts[static_cast<size_t>(hi)] == 0) --hi;
    std::vector<double> values;
    QStringList labels;
    double top = 1.0;
    for (int u = lo; u <= hi; ++u) {
        values.push_back(static_cast<double>(counts[static_cast<size_t>(u)]));
        labels << qs(formatFixed(classLowerEdge(u), 1));
        top = std::max(top, values.back());
    }
    histogram_->SetBandLabels(labels);
    histogram_->SetBands(values, false);
    histogram_->SetValueRange(0.0, top * 1.1);
    plot_->scheduleRedraw();
}

void PercentilesDialog::SaveToClipboard() {
    const PercentileForm f = form();
    const std::string text = percentileClipboardText(f, type_, lists_->table()->currentText().toStdString(),
                                                     lists_->parameter()->currentText().toStdString(),
                                                     lists_->band()->currentText().toStdString(),
                                                     lists_->channel()->currentText().toStdString());
    QApplication::clipboard()->setText(qs(text));
}

// ---- Report ----

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
