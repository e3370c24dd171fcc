// SPDX-License-Identifier: GPL-3.0-or-later
// "Parameters" ("Misc"): the shown record's date, time, comment, interval, serial number, range and
// calibration offsets, the "Linear" switch and "Enter P0".
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "app/pages/source_page.h"
#include "views/misc_views.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace k470::app {

class ParametersDialog : public QDialog {
    Q_OBJECT
  public:
    // The record is read again on every tick of a 300 ms timer, so the dialog follows the shown record.
    ParametersDialog(std::function<const MeasurementRecord*()> record, PageContext& context, QWidget* parent);
    void Update();
    // A connected instrument takes a new range (0..3) from the range buttons and a calibration offset for
    // a channel (0..2) from a click on its offset; without this the dialog only shows them.
    void AttachInstrument(std::function<void(int range)> selectRange,
                          std::function<void(int channel)> setOffset);
    // "Enter P0" answered with text; a text that is not a positive number keeps the reference.
    void EnterP0(const QString& text);
    QLabel* field(int i) const {
        return fields_[static_cast<size_t>(i)];
    }  // date, time, comment, interval, VIN
    QCheckBox* linear() const { return linear_; }
    QRadioButton* range(int i) const { return ranges_[static_cast<size_t>(i)]; }
    QPushButton* offset(int i) const { return offsets_[static_cast<size_t>(i)]; }
    QLabel* p0() const { return p0_; }
    std::function<std::optional<QString>()> askP0;

  private:
    std::function<const MeasurementRecord*()> record_;
    PageContext& context_;
    std::array<QLabel*, 5> fields_{};
    std::array<QRadioButton*, 4> ranges_{};
    std::array<QPushButton*, 3> offsets_{};
    std::function<void(int)> selectRange_;
    std::function<void(int)> setOffset_;
    QCheckBox* linear_;
    QLabel* p0_;
    QTimer* timer_;
};

}  // namespace k470::app
