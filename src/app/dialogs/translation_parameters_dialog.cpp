// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/translation_parameters_dialog.h"
#include "app/qt_text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace k470::app {

TranslationParametersDialog::TranslationParametersDialog(const TranslationParameters& start, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Translation parameters"));
    auto* column = new QVBoxLayout(this);
    auto group = [this, column](const QString& title, const std::array<QString, 3>& texts,
                                std::array<QRadioButton*, 3>& buttons, int chosen) {
        auto* box = new QGroupBox(title, this);
        auto* inner = new QVBoxLayout(box);
        for (size_t i = 0; i < buttons.size(); ++i) {
            buttons[i] = new QRadioButton(texts[i], box);
            buttons[i]->setChecked(static_cast<int>(i) == chosen);
            inner->addWidget(buttons[i]);
        }
        column->addWidget(box);
    };
    group(
        tr("Saving"),
        {tr("in separate files"), tr("every channel in separate file"), tr("every record in separate file")},
        saving_, static_cast<int>(start.savingMode));
    group(tr("Playback rate"), {tr("from device"), tr("set 24 kHz"), tr("set 48 kHz")}, rate_,
          static_cast<int>(start.playbackRate));
    normalize_ = new QCheckBox(tr("signal normalization"), this);
    normalize_->setChecked(start.normalize);
    column->addWidget(normalize_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

TranslationParameters TranslationParametersDialog::parameters() const {
    TranslationParameters p;
    for (size_t i = 0; i < saving_.size(); ++i)
        if (saving_[i]->isChecked()) p.savingMode = static_cast<SavingMode>(i);
    for (size_t i = 0; i < rate_.size(); ++i)
        if (rate_[i]->isChecked()) p.playbackRate = static_cast<PlaybackRate>(i);
    p.normalize = normalize_->isChecked();
    return p;
}

}  // namespace k470::app
