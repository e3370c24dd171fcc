// SPDX-License-Identifier: GPL-3.0-or-later
// "Plot": the spectrum limits; the dialog stays open with the typed values and says what is wrong
// until they are in order.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "views/level_views.h"

class QLabel;
class QSpinBox;

namespace k470::app {

// "Plot": the five spectrum limits. OK closes the dialog only when they are in order.
class PlotLimitsDialog : public QDialog {
    Q_OBJECT
  public:
    PlotLimitsDialog(const views::PlotLimits& limits, QWidget* parent);
    views::PlotLimits limits() const;
    // 0 lower, 1 upper, 2..4 thresholds 1..3
    QSpinBox* box(int i) const { return boxes_[static_cast<size_t>(i)]; }
    // What is wrong with the typed values; empty while nothing is.
    QString problem() const;
    void accept() override;

  private:
    std::array<QSpinBox*, 5> boxes_{};
    QLabel* problem_;
};

}  // namespace k470::app
