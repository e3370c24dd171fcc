// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/calibration_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>
#include <mutex>

#include "acoustics/level_records_file.h"
#include "acoustics/sound_signal_file.h"
#include "app/dialogs/batch_progress.h"
#include "app/dialogs/user_dialogs.h"
#include "app/qt_text.h"
#include "app/sessions/sound_file_session.h"
#include "base/text_encoding.h"
#include "data/dos_date_time.h"
#include "frame/application_state.h"
#include "frame/calibration_log.h"
#include "plot/bar_chart.h"
#include "plot/plot_window.h"
#include "signal/signal_synth.h"
#include "views/signal_feed.h"

namespace k470::app {

namespace {
// The levels calibrators are made for: 94 dB (1 Pa), 114 dB (10 Pa), 124 dB (pistonphones).
constexpr double kCalibratorLevels[] = {94.0, 114.0, 124.0};
}  // namespace

CalibrationDialog::CalibrationDialog(double level, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Calibrate"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(
        new QLabel(tr("Put the acoustic calibrator on the microphone, switch it on and press \"Start\".\n"
                      "The tone's band is measured for %1 seconds; nothing changes before \"Apply\".")
                       .arg(acoustics::CalibratorMeasurement::kSeconds),
                   this));
    auto* form = new QFormLayout;
    auto* levelRow = new QHBoxLayout;
    level_ = new QDoubleSpinBox(this);
    level_->setRange(40.0, 160.0);
    level_->setDecimals(1);
    level_->setSingleStep(0.1);
    level_->setSuffix(tr(" dB"));
    level_->setValue(level);
    levelRow->addWidget(level_);
    for (double l : kCalibratorLevels) {
        auto* b = new QPushButton(QString::number(l, 'f', 0), this);
        b->setToolTip(tr("A calibrator of %1 dB").arg(l, 0, 'f', 0));
        connect(b, &QPushButton::clicked, this, [this, l] { level_->setValue(l); });
        levelRow->addWidget(b);
    }
    form->addRow(tr("Calibrator level:"), levelRow);
    tone_ = new QComboBox(this);
    tone_->addItem(tr("1 kHz (sound calibrator)"), static_cast<int>(acoustics::CalibratorTone::Hz1000));
    tone_->addItem(tr("250 Hz (pistonphone)"), static_cast<int>(acoustics::CalibratorTone::Hz250));
    form->addRow(tr("Tone:"), tone_);
    column->addLayout(form);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    column->addWidget(progress_);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("calibrationResult"));
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(result_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    start_ = buttons->addButton(tr("Start"), QDialogButtonBox::ActionRole);
    apply_ = buttons->addButton(tr("Apply"), QDialogButtonBox::AcceptRole);
    apply_->setEnabled(false);
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

double CalibrationDialog::level() const {
    return level_->value();
}

void CalibrationDialog::setLevel(double level) {
    level_->setValue(level);
}

acoustics::CalibratorTone CalibrationDialog::tone() const {
    return static_cast<acoustics::CalibratorTone>(tone_->currentData().toInt());
}

void CalibrationDialog::setTone(acoustics::CalibratorTone tone) {
    tone_->setCurrentIndex(tone_->findData(static_cast<int>(tone)));
}

void CalibrationDialog::Start() {
    if (started_) return;
    started_ = true;
    start_->setEnabled(false);
    level_->setEnabled(false);
    tone_->setEnabled(false);
    if (onStart) onStart();
}

void CalibrationDialog::ShowProgress(double fraction) {
    progress_->setValue(static_cast<int>(std::lround(100.0 * std::clamp(fraction, 0.0, 1.0))));
}

void CalibrationDialog::ShowCheck(const acoustics::CalibrationCheck& c, const QString& unit) {
    progress_->setValue(100);
    const auto db = [](double v) { return QString::number(v, 'f', 2); };
    QString text =
        tr("Tone band: %1 %2\nBroadband: %3 %2\nTone: %4 Hz, steady within %5 dB\n"
           "Sensitivity: %6 now, %7 after (%8 dB)")
            .arg(db(c.bandDb), unit, db(c.broadbandDb), QString::number(c.toneHz, 'f', 1), db(c.spreadDb),
                 QString::number(c.oldSensitivity, 'g', 6), QString::number(c.newSensitivity, 'g', 6),
                 (c.changeDb >= 0 ? QStringLiteral("+") : QString()) + db(c.changeDb));
    if (c.refusal)
        text +=
            QStringLiteral("\n\n") + tr("Not applied: %1").arg(QString::fromStdString(c.refusal->message));
    result_->setText(text);
    apply_->setEnabled(!c.refusal);
}

void CalibrationDialog::Apply() {
    if (!apply_->isEnabled()) return;
    if (onApply) onApply();
}

QString CalibrationDialog::resultText() const {
    return result_->text();
}

}  // namespace k470::app
