// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/record/multirecords_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "app/dialogs/bounds_dialog.h"
#include "app/dialogs/plot_limits_dialog.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "frame/frame_settings.h"
#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "plot/plot_button.h"
#include "plot/plot_check_box.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::app {

namespace {

// How often the chart looks at the page's size: often enough that it follows a resize smoothly, and it
// costs a comparison when nothing changed.
constexpr std::chrono::milliseconds kSizeCheckPeriod{70};

}  // namespace

MultirecordsPage::MultirecordsPage(PageContext& context, QWidget* parent)
    : SourcePage(context, views::PageKind::Multirecords, parent) {
    if (context_.store) {
        const LevelAxisBounds b = LevelAxisBounds::Load(*context_.store);
        lower_ = b.lower;
        upper_ = b.upper;
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    parameter_ = new QComboBox(this);
    table_ = new QComboBox(this);
    band_ = new QComboBox(this);
    for (QComboBox* c : {parameter_, table_, band_}) row->addWidget(c);
    row->addStretch(1);
    clock_ = new QCheckBox(tr("Clock time"), this);
    clock_->setToolTip(tr("Label the time axis with the time of day of the records"));
    clock_->setChecked(true);
    row->addWidget(clock_);
    auto* plotButton = new QPushButton(tr("Plot"), this);
    connect(plotButton, &QPushButton::clicked, this, [this] {
        BoundsDialog d(lower_, upper_, this);
        if (d.exec() == QDialog::Accepted) ApplyBounds(d.lowerEdit()->text(), d.upperEdit()->text());
    });
    row->addWidget(plotButton);
    auto* note = new QPushButton(tr("To notepad"), this);
    note->setToolTip(tr("Note the cursors' time and level in the notepad"));
    connect(note, &QPushButton::clicked, this, &MultirecordsPage::NoteCursors);
    row->addWidget(note);
    column->addLayout(row);
    plot_ = new plot::PlotWindow(this);
    plot_->setMinimumSize(400, 260);
    column->addWidget(plot_, 1);
    chart_ = &plot_->Add<plot::LineChart>(QRect(0, 0, 600, 300), 6, 0u);
    FollowChartCursors(*chart_, *note);
    bar_ = &plot_->Add<plot::ScrollZoomBar>(QRect(0, 300, 600, 24));
    bar_->Attach(*chart_);
    chart_->SetYRange(lower_, upper_);
    showTimeAxis();
    fillLists();
    connect(table_, &QComboBox::currentIndexChanged, this, [this] {
        fillBandAndParameter();
        Refresh();
    });
    connect(parameter_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(band_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(clock_, &QCheckBox::toggled, this, [this] { showTimeAxis(); });
    // The chart follows the page's size while it is visible.
    timer_ = new QTimer(this);
    timer_->setInterval(kSizeCheckPeriod);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!isVisible()) return;
        const QRect want(0, 0, plot_->width(), std::max(plot_->height() - 26, 100));
        if (chart_->rect() != want) {
            chart_->setRect(want);
            bar_->setRect(QRect(0, want.height() + 2, plot_->width(), 24));
            plot_->scheduleRedraw();
        }
    });
    timer_->start();
    // Nothing is read before the page is shown: a file of many records opens at once.
}

MultirecordsPage::~MultirecordsPage() {
    if (context_.store) LevelAxisBounds{upper_, lower_}.Save(*context_.store);
}

void MultirecordsPage::fillLists() {
    const QSignalBlocker block(table_);
    table_->clear();
    for (const auto& c : levelTableChoices(context_.type)) table_->addItem(qs(c.text), c.number);
    fillBandAndParameter();
}

void MultirecordsPage::fillBandAndParameter() {
    const QSignalBlocker b1(parameter_);
    const QSignalBlocker b2(band_);
    const int table = table_->currentData().toInt();
    const int oldParameter = parameter_->currentIndex();
    parameter_->clear();
    for (const auto& c : levelParameterChoices(context_.type, table))
        parameter_->addItem(qs(c.text), c.number);
    parameter_->setCurrentIndex(std::clamp(oldParameter, 0, std::max(parameter_->count() - 1, 0)));
    band_->clear();
    for (const auto& c : levelBandChoices(context_.type, table)) band_->addItem(qs(c.text), c.number);
}

MultirecordsPage::Choice MultirecordsPage::choice() const {
    const void* source = context_.records ? static_cast<const void*>(context_.records) : context_.file;
    if (!source || table_->count() == 0) return {};
    return {table_->currentData().toInt(), parameter_->currentData().toInt(), band_->currentData().toInt(),
            context_.channel, source};
}

void MultirecordsPage::load() const {
    const Choice c = choice();
    if (c == loaded_) return;
    loaded_ = c;
    series_ = {};
    if (!c.source) return;
    const LevelSelection s{c.table, c.parameter, c.band, c.channel};
    std::optional<views::BinFileRecords> fileRecords;
    if (!context_.records) fileRecords.emplace(*context_.file);
    const views::RecordsByIndex& records = context_.records ? *context_.records : *fileRecords;
    if (auto r = views::ReadLevelSeries(records, context_.type, s)) series_ = std::move(*r);
}

const std::vector<double>& MultirecordsPage::series() const {
    load();
    return series_.levels;
}

const std::vector<double>& MultirecordsPage::seconds() const {
    load();
    return series_.seconds;
}

void MultirecordsPage::showSeries() const {
    load();
    if (shown_ == loaded_ && shown_.source) return;  // the view (zoom, cursors) stays as it is
    shown_ = loaded_;
    chart_->SetCurves({plot::Curve{series_.levels, QColor(0x20, 0x40, 0xC0), tr("L[dB]")}});
    chart_->SetXValues(series_.seconds);
    showTimeAxis();
    // The bar moves over the record numbers; the chart places each record at its own time.
    const auto n = static_cast<int64_t>(series_.levels.size());
    bar_->SetDataRange(0, std::max<int64_t>(n - 1, 0), 0.0, 1.0);
    if (n >= 2)
        bar_->SetView(0, n);
    else
        chart_->Render(0, n - 1, 0.0, 1.0);
    plot_->scheduleRedraw();
}

void MultirecordsPage::showTimeAxis() const {
    std::optional<int64_t> origin;
    if (clock_->isChecked() && series_.start) origin = views::LocalSeconds(*series_.start);
    chart_->SetClockOrigin(origin);
    // The text table keeps its seconds column whichever labels the axis shows.
    chart_->SetTitles(origin ? tr("Time of day") : tr("T[sec]"), tr("L[dB]"), tr("T[sec]"));
    plot_->scheduleRedraw();
}

void MultirecordsPage::showEvent(QShowEvent* event) {
    SourcePage::showEvent(event);
    showSeries();
}

bool MultirecordsPage::ApplyBounds(const QString& lower, const QString& upper) {
    const double lo = views::ParseBound(lower.toStdString(), lower_);
    const double hi = views::ParseBound(upper.toStdString(), upper_);
    if (!(lo < hi)) return false;
    lower_ = lo;
    upper_ = hi;
    chart_->SetYRange(lower_, upper_);
    plot_->scheduleRedraw();
    return true;
}

void MultirecordsPage::NoteCursors() {
    showSeries();
    NoteChartCursors(*chart_, context_.notepad);
}

void MultirecordsPage::Refresh() {
    // The series does not depend on the record shown: only a new choice or channel reads it again.
    if (isVisible()) showSeries();
}

QString MultirecordsPage::ClipboardText() const {
    showSeries();
    return chart_->TextTable();
}

}  // namespace k470::app
