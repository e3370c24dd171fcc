// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/percentiles_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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
    plot_->Fill(*histogram_);  // the histogram fills the plot
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

}  // namespace k470::app
