// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/vibration_page.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "acoustics/signal_input.h"
#include "acoustics/sound_file_settings.h"
#include "acoustics/vibration_recorder.h"
#include "app/dialogs/batch_progress.h"
#include "app/dialogs/user_dialogs.h"
#include "app/qt_text.h"
#include "base/number_format.h"
#include "frame/application_state.h"
#include "views/signal_feed.h"

namespace k470::app {

namespace {

constexpr double kDefaultExposureHours = 8.0;

}  // namespace

bool VibrationPage::Offered(const SignalSourceRef& source) {
    return acoustics::accelerationUnit(source.context(0).units);
}

VibrationPage::VibrationPage(const SessionEnv& env, PageContext& context, SignalSourceRef source,
                             QWidget* parent)
    : SignalAnalysisPage(context, views::PageKind::Vibration, parent), env_(env), source_(source) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("vibrationKind"));
    kind_->addItem(tr("Whole-body (ISO 2631-1)"), static_cast<int>(acoustics::VibrationKind::WholeBody));
    kind_->addItem(tr("Hand-arm (ISO 5349-1)"), static_cast<int>(acoustics::VibrationKind::HandArm));
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { Restart(); });
    row->addWidget(kind_);
    row->addWidget(new QLabel(tr("Exposure per day [h]"), this));
    exposure_ = new QDoubleSpinBox(this);
    exposure_->setObjectName(QStringLiteral("vibrationExposure"));
    exposure_->setRange(0.0, 24.0);
    exposure_->setDecimals(2);
    exposure_->setSpecialValueText(tr("none"));
    exposure_->setValue(kDefaultExposureHours);
    connect(exposure_, &QDoubleSpinBox::valueChanged, this, [this] {
        fresh_ = true;
        Refresh();
    });
    row->addWidget(exposure_);
    row->addStretch(1);
    auto* copy = new QPushButton(tr("Copy"), this);
    copy->setToolTip(tr("Copy the figures as CSV (as k470-cli vibration --summary)"));
    connect(copy, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
    row->addWidget(copy);
    if (source_.recordings()) {
        records_ = new QPushButton(tr("Make vibration records..."), this);
        connect(records_, &QPushButton::clicked, this, [this] { MakeVibrationRecords(); });
        row->addWidget(records_);
    }
    column->addLayout(row);
    state_ = new QLabel(this);
    column->addWidget(state_);
    table_ = new QTableWidget(0, 3, this);
    table_->setHorizontalHeaderLabels({tr("Quantity"), tr("Value"), tr("Unit")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    column->addWidget(table_, 1);
    Restart();
}

acoustics::VibrationKind VibrationPage::kind() const {
    return static_cast<acoustics::VibrationKind>(kind_->currentData().toInt());
}

std::optional<double> VibrationPage::exposureHours() const {
    if (!(exposure_->value() > 0.0)) return std::nullopt;
    return exposure_->value();
}

void VibrationPage::Restart() {
    analyser_.reset();
    problem_.clear();
    fresh_ = true;
    const acoustics::MeasurementContext context = source_.context(0);
    if (!(context.sampleRate > 0.0)) return;
    auto made = acoustics::VibrationAnalyser::Create(kind(), context, {1, 2, 3}, 0.0);
    if (!made) {
        problem_ = qs(made.error().message);
        return;
    }
    analyser_.emplace(std::move(*made));
    Refresh();
}

void VibrationPage::Feed(std::span<const double> frames) {
    if (!analyser_) return;
    constexpr size_t n = views::SignalFeed::kChannels;
    const size_t count = frames.size() / n;
    std::vector<std::vector<double>> axes(n, std::vector<double>(count));
    for (size_t i = 0; i < count; ++i)
        for (size_t k = 0; k < n; ++k) axes[k][i] = frames[i * n + k];
    const std::span<const double> blocks[] = {axes[0], axes[1], axes[2]};
    if (Status s = analyser_->process(blocks, [](const acoustics::VibrationInterval&) { return Status{}; });
        !s)
        problem_ = qs(s.error().message);
    fresh_ = true;
}

void VibrationPage::MakeVibrationRecords() {
    if (!source_.recordings() || source_.path.empty()) return;
    const QString out = env_.dialogs.askSavePath(
        tr("Make vibration records"), qs(source_.proposedOutput("_vibration.bin", "vibration.bin")),
        tr("Binary files (*.bin)") + QStringLiteral(";;") + tr("All Files (*)"));
    if (out.isEmpty()) return;
    acoustics::VibrationJob job;
    job.input = source_.path;
    job.options = acoustics::SoundFileInputOptions(env_.frame.store(), source_.path);
    job.kind = kind();
    job.intervalSeconds = 1.0;
    BatchProgress progress(tr("Making vibration records..."), 100, env_.window, env_.dialogs.showProgress);
    const auto s = acoustics::writeVibrationRecords(
        job, out.toStdString(), [&progress](int, uint64_t frames, uint64_t total) {
            return progress.Step(total > 0 ? static_cast<int>(frames * 100 / total) : 0);
        });
    progress.Finish();
    if (!s) {
        // A cancel is no failure; either way the shared output left no file.
        if (!progress.cancelled()) env_.dialogs.showError(qs(s.error().message));
        return;
    }
    env_.observer.OpenPathLater(out.toStdString());
}

std::vector<acoustics::SummaryRow> VibrationPage::summary() const {
    if (!analyser_) return {};
    const acoustics::VibrationInterval whole = analyser_->current();
    if (!(whole.durationSeconds > 0.0)) return {};
    return acoustics::vibrationSummary(whole, kind(), exposureHours());
}

void VibrationPage::Refresh() {
    if (!fresh_) return;
    fresh_ = false;
    const std::vector<acoustics::SummaryRow> rows = summary();
    state_->setText(!problem_.isEmpty() ? problem_
                    : rows.empty()
                        ? tr("No signal has arrived yet.")
                        : tr("Since the start: %1 s").arg(analyser_->current().durationSeconds, 0, 'f', 1));
    table_->setRowCount(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString cells[] = {qs(rows[i].quantity), qs(formatGeneral(rows[i].value, 4)), qs(rows[i].unit)};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(static_cast<int>(i), c, item);
        }
    }
}

QString VibrationPage::ClipboardText() const {
    const std::vector<acoustics::SummaryRow> rows = summary();
    return rows.empty() ? QString() : qs(acoustics::SummaryCsv(rows));
}

}  // namespace k470::app
