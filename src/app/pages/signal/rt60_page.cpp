// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/rt60_page.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/dialogs/user_dialogs.h"
#include "app/qt_text.h"
#include "base/number_format.h"
#include "base/safe_write.h"
#include "plot/line_chart.h"
#include "plot/plot_window.h"
#include "signal/replay_controller.h"
#include "views/signal_trace.h"

namespace k470::app {

namespace {

// The band whose decay is shown first: the middle of the speech range, where a room's reverberation time
// is usually quoted.
constexpr const char* kFirstShownBand = "1k";

}  // namespace

Rt60Page::Rt60Page(const SessionEnv& env, PageContext& context, SignalSourceRef source, QWidget* parent)
    : SignalAnalysisPage(context, views::PageKind::Rt60, parent), env_(env), source_(source) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    addControls(*column);
    addResults(*column);
    connect(record_, &QSpinBox::valueChanged, this, [this](int value) {
        // Markers and the replay range belong to the replayed record; another record is taken whole.
        const bool current = source_.replay && value == source_.replay->currentRecord() + 1;
        start_->setEnabled(current);
        end_->setEnabled(current);
    });
    if (const ReplayController* records = source_.recordings()) {
        record_->setRange(1, std::max(records->recordCount(), 1));
        fillRange(*records);
    }
    showResult();
}

void Rt60Page::addControls(QVBoxLayout& column) {
    auto* row = new QHBoxLayout;
    auto* recordLabel = new QLabel(tr("Record"), this);
    record_ = new QSpinBox(this);
    record_->setObjectName(QStringLiteral("rt60Record"));
    record_->setToolTip(tr("The record to analyse"));
    auto* fromLabel = new QLabel(tr("from"), this);
    start_ = new QComboBox(this);
    start_->setObjectName(QStringLiteral("rt60Start"));
    start_->setToolTip(
        tr("Where the analysed range starts: the replay start, the record's begin or a marker"));
    auto* toLabel = new QLabel(tr("to"), this);
    end_ = new QComboBox(this);
    end_->setObjectName(QStringLiteral("rt60End"));
    end_->setToolTip(tr("Where the analysed range ends: the replay end, the record's end or a marker"));
    // Records to read again offer a record and a range; a signal that only flows offers its last seconds.
    const bool recorded = source_.recordings() != nullptr;
    for (QWidget* w :
         std::initializer_list<QWidget*>{recordLabel, record_, fromLabel, start_, toLabel, end_}) {
        row->addWidget(w);
        w->setVisible(recorded);
    }
    if (!recorded) row->addWidget(new QLabel(tr("The last %1 s of the signal").arg(kLiveSeconds), this));
    bands_ = new QComboBox(this);
    bands_->setObjectName(QStringLiteral("rt60Bands"));
    bands_->addItem(tr("Octaves"), static_cast<int>(acoustics::ReverberationBands::Octave));
    bands_->addItem(tr("Third octaves"), static_cast<int>(acoustics::ReverberationBands::Third));
    row->addWidget(bands_);
    calculate_ = new QPushButton(tr("Calculate"), this);
    calculate_->setObjectName(QStringLiteral("rt60Calculate"));
    connect(calculate_, &QPushButton::clicked, this, [this] { Calculate(); });
    row->addWidget(calculate_);
    row->addStretch(1);
    auto* copy = new QPushButton(tr("Copy"), this);
    copy->setObjectName(QStringLiteral("rt60Copy"));
    copy->setToolTip(tr("Copy the table to the clipboard"));
    connect(copy, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
    auto* save = new QPushButton(tr("Save CSV..."), this);
    save->setObjectName(QStringLiteral("rt60SaveCsv"));
    connect(save, &QPushButton::clicked, this, [this] { SaveCsvAsked(); });
    row->addWidget(copy);
    row->addWidget(save);
    column.addLayout(row);
    state_ = new QLabel(tr("Choose the range and the bands, then \"Calculate\"."), this);
    state_->setObjectName(QStringLiteral("rt60State"));
    column.addWidget(state_);
}

void Rt60Page::addResults(QVBoxLayout& column) {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    table_ = new QTableWidget(0, 8, splitter);
    table_->setHorizontalHeaderLabels({tr("Band [Hz]"), tr("EDT [s]"), tr("T20 [s]"), tr("T30 [s]"),
                                       tr("r T20"), tr("r T30"), tr("Floor [dB]"), tr("Note")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* lower = new QWidget(splitter);
    auto* lowerColumn = new QVBoxLayout(lower);
    lowerColumn->setContentsMargins(0, 0, 0, 0);
    auto* decayRow = new QHBoxLayout;
    decayRow->addWidget(new QLabel(tr("Decay of band"), lower));
    decayBand_ = new QComboBox(lower);
    decayBand_->setObjectName(QStringLiteral("rt60DecayBand"));
    connect(decayBand_, &QComboBox::currentIndexChanged, this, [this] { showDecay(); });
    decayRow->addWidget(decayBand_);
    decayRow->addStretch(1);
    lowerColumn->addLayout(decayRow);
    plot_ = new plot::PlotWindow(lower);
    plot_->setMinimumSize(400, 200);
    lowerColumn->addWidget(plot_, 1);
    chart_ = &plot_->Add<plot::LineChart>(QRect(0, 0, 600, 260), 6, plot::LineChart::ShowLegend);
    plot_->Fill(*chart_, QSize(0, 100));
    chart_->SetTitles(tr("t [s]"), tr("L [dB]"));
    splitter->addWidget(table_);
    splitter->addWidget(lower);
    column.addWidget(splitter, 1);
}

int Rt60Page::channel() const {
    return std::clamp(context_.channel, 0, 2);
}

void Rt60Page::Restart() {
    if (const ReplayController* records = source_.recordings()) {
        // Another record, or the replay started again: the current record and its range are proposed.
        record_->setRange(1, std::max(records->recordCount(), 1));
        fillRange(*records);
    } else {
        history_.Restart(source_.context(channel()).sampleRate, kLiveSeconds);
    }
}

void Rt60Page::Feed(std::span<const double> frames) {
    if (!source_.recordings()) history_.Append(frames);
}

void Rt60Page::fillRange(const ReplayController& replay) {
    const double rate = replay.sampleRate();
    auto seconds = [rate](uint32_t frame) { return qs(views::SecondsText(frame, rate)); };
    record_->setValue(replay.currentRecord() + 1);
    for (bool isEnd : {false, true}) {
        QComboBox* list = isEnd ? end_ : start_;
        QSignalBlocker block(list);
        list->clear();
        const uint32_t replayFrame = isEnd ? replay.replayEnd() : replay.replayStart();
        list->addItem((isEnd ? tr("Replay end (%1 s)") : tr("Replay start (%1 s)")).arg(seconds(replayFrame)),
                      replayFrame);
        for (const ReplayMark& m : isEnd ? replay.endChoices() : replay.startChoices()) {
            const QString name = m.boundary ? (isEnd ? tr("Record end") : tr("Record begin"))
                                            : QString::fromStdU16String(m.name);
            list->addItem(tr("%1 (%2 s)").arg(name, seconds(m.frame)), m.frame);
        }
    }
    start_->setEnabled(true);
    end_->setEnabled(true);
}

Result<acoustics::ReverberationResult> Rt60Page::analyse(const acoustics::ReverberationProgress& progress) {
    const auto bands = static_cast<acoustics::ReverberationBands>(bands_->currentData().toInt());
    const ReplayController* records = source_.recordings();
    if (!records) {
        const std::vector<double> samples = history_.Channel(static_cast<size_t>(channel()));
        if (samples.empty()) return fail(tr("No signal has arrived yet.").toStdString());
        return acoustics::AnalyzeReverberation(samples, history_.sampleRate(), bands, progress);
    }
    acoustics::RecordedStretch stretch{source_.path, channel() + 1, record_->value(), 0.0, std::nullopt};
    if (start_->isEnabled()) {
        const double rate = records->sampleRate();
        const uint32_t from = start_->currentData().toUInt();
        const uint32_t to = end_->currentData().toUInt();
        if (to <= from) return fail(tr("The range ends before it starts.").toStdString());
        stretch.startSeconds = from / rate;
        stretch.lengthSeconds = (to - from) / rate;
    }
    return acoustics::AnalyzeRecordedStretch(stretch, bands, progress);
}

bool Rt60Page::Calculate() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto progress = [this](double f) {
        if (env_.dialogs.showProgress) env_.dialogs.showProgress(static_cast<int>(std::lround(100.0 * f)));
        return true;
    };
    auto r = analyse(progress);
    if (env_.dialogs.showProgress) env_.dialogs.showProgress(0);
    QApplication::restoreOverrideCursor();
    if (!r) {
        state_->setText(qs(r.error().message));
        if (env_.dialogs.showError) env_.dialogs.showError(qs(r.error().message));
        return false;
    }
    result_ = std::move(*r);
    showResult();
    if (source_.recordings())
        state_->setText(tr("Record %1, channel %2: %3")
                            .arg(record_->value())
                            .arg(channel() + 1)
                            .arg(start_->isEnabled()
                                     ? tr("%1 to %2").arg(start_->currentText(), end_->currentText())
                                     : tr("the whole record")));
    else
        state_->setText(
            tr("The last %1 s of channel %2").arg(history_.seconds(), 0, 'f', 1).arg(channel() + 1));
    return true;
}

void Rt60Page::showResult() {
    const std::vector<acoustics::ReverberationRow> rows =
        result_ ? acoustics::ReverberationRows(*result_) : std::vector<acoustics::ReverberationRow>{};
    table_->setRowCount(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const acoustics::ReverberationRow& r = rows[i];
        const std::string cells[] = {r.band, r.edt, r.t20, r.t30, r.rT20, r.rT30, r.floor, r.note};
        for (int c = 0; c < 8; ++c) {
            auto* item = new QTableWidgetItem(qs(cells[c]));
            if (c < 7) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(static_cast<int>(i), c, item);
        }
    }
    table_->resizeColumnsToContents();
    QSignalBlocker block(decayBand_);
    decayBand_->clear();
    if (result_)
        for (size_t i = 0; i < result_->bands.size(); ++i)
            if (!result_->bands[i].decay.curveDb.empty())
                decayBand_->addItem(qs(result_->bands[i].label), static_cast<int>(i));
    const int first = decayBand_->findText(QString::fromLatin1(kFirstShownBand));
    decayBand_->setCurrentIndex(first >= 0 ? first : 0);
    showDecay();
}

void Rt60Page::showDecay() {
    if (!result_ || decayBand_->currentIndex() < 0) {
        chart_->SetCurves({});
        chart_->Render(0, -1, 0.0, 1.0);
        plot_->scheduleRedraw();
        return;
    }
    const auto band = static_cast<size_t>(decayBand_->currentData().toInt());
    const acoustics::DecayPlot p = acoustics::DecayPlotOf(result_->bands[band].decay);
    double low = 0.0;
    for (const std::vector<double>* v : {&p.curve, &p.floor})
        for (double x : *v)
            if (std::isfinite(x)) low = std::min(low, x);
    const auto n = static_cast<int64_t>(p.curve.size());
    std::vector<plot::Curve> curves{plot::Curve{p.curve, QColor(0x20, 0x50, 0xB0), tr("Decay [dB]")},
                                    plot::Curve{p.t20Line, QColor(0x00, 0x90, 0x00), tr("T20 [dB]")},
                                    plot::Curve{p.t30Line, QColor(0xC0, 0x00, 0x00), tr("T30 [dB]")}};
    if (!p.floor.empty()) curves.push_back(plot::Curve{p.floor, QColor(0x80, 0x80, 0x80), tr("Floor [dB]")});
    chart_->SetCurves(std::move(curves));
    chart_->SetYRange(std::floor(low / 10.0) * 10.0 - 10.0, 5.0);
    chart_->Render(0, std::max<int64_t>(n - 1, 0), 0.0, p.stepSeconds > 0 ? p.stepSeconds : 1.0);
    plot_->scheduleRedraw();
}

QString Rt60Page::ClipboardText() const {
    // The same CSV as "Save CSV..." and the rt60 command.
    return result_ ? qs(acoustics::ReverberationCsv(*result_)) : QString();
}

Status Rt60Page::SaveCsv(const QString& path) const {
    if (!result_) return fail(tr("Nothing has been calculated yet.").toStdString());
    const std::string out = path.toStdString();
    if (Status s = refuseOutputOverInput(out, source_.inputs()); !s) return s;
    return WriteFileSafely(out, acoustics::ReverberationCsv(*result_));
}

void Rt60Page::SaveCsvAsked() {
    if (!result_ || !env_.dialogs.askSavePath) return;
    const QString proposed = qs(source_.proposedOutput("_rt60.csv", "rt60.csv"));
    const QString path =
        env_.dialogs.askSavePath(tr("Save CSV"), proposed, tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) return;
    if (Status s = SaveCsv(path); !s && env_.dialogs.showError) env_.dialogs.showError(qs(s.error().message));
}

}  // namespace k470::app
