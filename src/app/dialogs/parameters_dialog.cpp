// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/parameters_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <chrono>

#include "app/dialogs/problem_line.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470::app {

namespace {

// Over a connected instrument the fields follow its values while the dialog is open: a few times a second
// keeps them current and still readable as they change.
constexpr std::chrono::milliseconds kRefreshPeriod{300};

}  // namespace

ParametersDialog::ParametersDialog(std::function<const MeasurementRecord*()> record, PageContext& context,
                                   QWidget* parent)
    : QDialog(parent), record_(std::move(record)), context_(context) {
    setWindowTitle(tr("Parameters"));
    auto* form = new QFormLayout(this);
    const QString names[] = {tr("Date:"), tr("Time:"), tr("Comment:"), tr("Interval:"), tr("VIN:")};
    for (size_t i = 0; i < fields_.size(); ++i) {
        fields_[i] = new QLabel(this);
        form->addRow(names[i], fields_[i]);
    }
    auto* ranges = new QHBoxLayout;
    for (size_t i = 0; i < ranges_.size(); ++i) {
        ranges_[i] = new QRadioButton(tr("range %1").arg(i + 1), this);
        // A file's range is shown, not changed: only a connected instrument takes a new range.
        ranges_[i]->setEnabled(false);
        connect(ranges_[i], &QRadioButton::clicked, this, [this, i] {
            if (selectRange_) selectRange_(static_cast<int>(i));
        });
        ranges->addWidget(ranges_[i]);
    }
    form->addRow(tr("Range:"), ranges);
    for (size_t i = 0; i < offsets_.size(); ++i) {
        offsets_[i] = new QPushButton(this);
        offsets_[i]->setFlat(true);
        offsets_[i]->setEnabled(false);
        offsets_[i]->setStyleSheet(QStringLiteral("text-align: left"));
        connect(offsets_[i], &QPushButton::clicked, this, [this, i] {
            if (setOffset_) setOffset_(static_cast<int>(i));
        });
        form->addRow(tr("Calibration offset:") + QStringLiteral(" %1").arg(i + 1), offsets_[i]);
    }
    linear_ = new QCheckBox(tr("Linear"), this);
    linear_->setChecked(context_.linear);
    connect(linear_, &QCheckBox::toggled, this, [this](bool on) { context_.linear = on; });
    form->addRow(linear_);
    auto* p0Row = new QHBoxLayout;
    p0_ = new QLabel(this);
    auto* enter = new QPushButton(tr("Enter P0"), this);
    p0Row->addWidget(p0_, 1);
    p0Row->addWidget(enter);
    form->addRow(tr("P0:"), p0Row);
    askP0 = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString t = QInputDialog::getText(this, tr("Enter P0"), tr("P0:"), QLineEdit::Normal,
                                                qs(formatGeneral(context_.zeroDbReference, 6)), &ok);
        return ok ? std::optional<QString>(t) : std::nullopt;
    };
    connect(enter, &QPushButton::clicked, this, [this] {
        if (auto t = askP0()) EnterP0(*t);
    });
    auto* exit = new QPushButton(tr("Exit"), this);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    form->addRow(exit);
    timer_ = new QTimer(this);
    timer_->setInterval(kRefreshPeriod);
    connect(timer_, &QTimer::timeout, this, &ParametersDialog::Update);
    timer_->start();
    Update();
}

void ParametersDialog::Update() {
    p0_->setText(qs(formatGeneral(context_.zeroDbReference, 6)));
    const MeasurementRecord* r = record_ ? record_() : nullptr;
    if (!r) return;
    const views::RecordParameterTexts t = views::ParameterTexts(*r);
    const std::string* texts[] = {&t.date, &t.time, &t.comment, &t.interval, &t.vin};
    for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(qs(*texts[i]));
    ranges_[static_cast<size_t>(t.range)]->setChecked(true);
    for (size_t i = 0; i < offsets_.size(); ++i) offsets_[i]->setText(qs(t.calibrationOffsets[i]));
}

void ParametersDialog::AttachInstrument(std::function<void(int range)> selectRange,
                                        std::function<void(int channel)> setOffset) {
    selectRange_ = std::move(selectRange);
    setOffset_ = std::move(setOffset);
    for (QRadioButton* r : ranges_) r->setEnabled(bool(selectRange_));
    for (QPushButton* b : offsets_) {
        b->setEnabled(bool(setOffset_));
        b->setToolTip(setOffset_ ? tr("Enter calibration offset") : QString());
    }
}

void ParametersDialog::EnterP0(const QString& text) {
    context_.zeroDbReference = views::ParseZeroDbReference(text.toStdString(), context_.zeroDbReference);
    Update();
}

}  // namespace k470::app
