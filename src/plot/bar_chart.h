// SPDX-License-Identifier: GPL-3.0-or-later
// A bar chart for band spectra: one bar per band from the axis bottom up to the band's value, the value
// written above the bar with two decimals when it fits, band names below, a value axis with ticks, and the
// titles of the band axis (below the names) and of the value axis (upright at the left).
#pragma once

#include <QStringList>
#include <vector>

#include "plot/axis_map.h"
#include "plot/axis_ticks.h"
#include "plot/plot_element.h"

namespace k470::plot {

class BarChart : public PlotElement {
  public:
    BarChart(PlotWindow& window, QRect rect, int digitBudget = 6);

    // The band values; with recomputeRange the value axis is fitted to them.
    void SetBands(std::vector<double> values, bool recomputeRange);
    void SetBandLabels(QStringList labels);
    // Colour of each band; an entry beyond the bands colours a last bar that stands apart (e.g. a total).
    void SetBandColours(std::vector<QColor> colours);
    void SetValueRange(double lo, double hi);
    void SetTitle(QString valueTitle);
    void SetAxisTitles(QString bandTitle, QString valueTitle);
    const QString& bandTitle() const { return bandTitle_; }
    const QString& valueTitle() const { return valueTitle_; }

    const std::vector<double>& values() const { return values_; }
    double lo() const { return lo_; }
    double hi() const { return hi_; }
    QRect plotArea() const;
    AxisMap valueMap() const;
    const AxisTicks& ticks() const { return ticks_; }
    // The rectangle of band i's bar (empty for a value at or below the axis bottom).
    QRect barRect(int i) const;
    QString ClipboardText() const override;

    void DrawFrame(QPainter& painter) override;
    void DrawContents(QPainter& painter) override;
    void DrawText(QPainter& painter) override;
    void RectChanged() override { computeTicks(); }

    QColor plotBackground = Qt::white;
    QColor barColour = QColor(0x30, 0x60, 0xB0);

  private:
    void computeTicks();
    void drawAxisTitles(QPainter& painter) const;

    int digitBudget_;
    std::vector<double> values_;
    QStringList labels_;
    std::vector<QColor> colours_;
    QString title_;
    QString bandTitle_;
    QString valueTitle_;
    double lo_ = 0.0;
    double hi_ = 100.0;
    AxisTicks ticks_;
};

}  // namespace k470::plot
