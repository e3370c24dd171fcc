// SPDX-License-Identifier: GPL-3.0-or-later
// "Translation parameters": how the WAV files are cut and at which rate.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "signal/sdt_conversion.h"
#include "views/signal_commands.h"

class QCheckBox;
class QRadioButton;

namespace k470::app {

class TranslationParametersDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TranslationParametersDialog(const TranslationParameters& start, QWidget* parent);
    TranslationParameters parameters() const;
    QRadioButton* savingButton(int i) const { return saving_[static_cast<size_t>(i)]; }
    QRadioButton* rateButton(int i) const { return rate_[static_cast<size_t>(i)]; }
    QCheckBox* normalizeBox() const { return normalize_; }

  private:
    std::array<QRadioButton*, 3> saving_{};
    std::array<QRadioButton*, 3> rate_{};
    QCheckBox* normalize_;
};

}  // namespace k470::app
