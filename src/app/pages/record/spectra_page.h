// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum page: the band levels of the shown record as bars, under the chosen time weighting and
// frequency correction, with the spectrum limits and thresholds.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "app/pages/source_page.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "views/level_views.h"
#include "views/misc_views.h"

class QRadioButton;

namespace k470::plot {
class BarChart;
class PlotCheckBox;
class PlotWindow;
}  // namespace k470::plot

namespace k470::app {

class SpectraPage : public SourcePage {
    Q_OBJECT
  public:
    SpectraPage(PageContext& context, QWidget* parent);
    void Refresh() override;
    QString ClipboardText() const override;
    // Selects a time weighting (0..3) as its radio button does.
    void SelectWeighting(int index);
    // Checks a correction box; the boxes act as one radio group.
    void SelectCorrection(views::Correction c);
    views::Correction correction() const { return correction_; }
    // "Plot": the limits dialog's values; refused (false) unless they are in order.
    bool ApplyLimits(const views::PlotLimits& limits);
    plot::BarChart* octaveChart() const { return octaves_; }
    plot::BarChart* thirdChart() const { return thirds_; }
    const views::Spectrum& spectrum() const { return spectrum_; }
    bool onLineState() const;
    plot::PlotWindow* plotWindow() const { return plot_; }

  private:
    void layoutCharts();
    std::vector<views::TimeWeightingChoice> weightings_;
    std::vector<QRadioButton*> radios_;
    int weighting_ = 0;
    views::Correction correction_ = views::Correction::Z;
    bool settingCorrection_ = false;  // checking one box clears the others, which call back
    views::Spectrum spectrum_;
    plot::PlotWindow* plot_ = nullptr;
    plot::BarChart* octaves_ = nullptr;
    plot::BarChart* thirds_ = nullptr;
    plot::PlotCheckBox* onLine_ = nullptr;
    std::array<plot::PlotCheckBox*, 3> boxes_{};  // C, A, Z
};

}  // namespace k470::app
