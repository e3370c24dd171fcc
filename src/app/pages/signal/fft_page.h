// SPDX-License-Identifier: GPL-3.0-or-later
// The "FFT" page of a signal source: the averaged narrow-band spectrum of the chosen channel of the flowing
// signal, in dB re the channel's 0 dB reference, on a logarithmic or linear frequency axis, with the FFT
// size, window, overlap and averaging to choose, the highest bin and the bin under the chart's cursor. The
// choices are kept in the settings ([FFT]) for the next page.
#pragma once

#include <span>

#include "acoustics/live_spectrum.h"
#include "app/pages/signal/signal_analysis.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace k470::plot {
class LineChart;
class PlotWindow;
}  // namespace k470::plot

namespace k470::app {

class FftPage : public SignalAnalysisPage {
    Q_OBJECT
  public:
    FftPage(PageContext& context, SignalSourceRef source, QWidget* parent);
    void Restart() override;
    void Feed(std::span<const double> frames) override;
    void Refresh() override;
    // The averaged spectrum as the fft command's CSV.
    QString ClipboardText() const override;
    // "Reset": the average starts again.
    void Reset();

    QComboBox* sizeList() const { return size_; }
    QComboBox* windowList() const { return window_; }
    QComboBox* overlapList() const { return overlap_; }
    QComboBox* averagingList() const { return averaging_; }
    QCheckBox* logarithmicBox() const { return log_; }
    QLabel* peakLabel() const { return peak_; }
    QLabel* cursorLabel() const { return cursor_; }
    plot::LineChart* chart() const { return chart_; }
    const acoustics::LiveSpectrum& spectrum() const { return spectrum_; }

  private:
    int channel() const;
    // Takes the controls' choices; the average starts again.
    void configure();
    // The choices of the last FFT page, from the settings; a choice the user makes is saved at once.
    void restoreChoices();
    void saveChoices();
    void showSpectrum();
    void showCursor();
    void showAxis();

    SignalSourceRef source_;
    acoustics::LiveSpectrum spectrum_;
    QString problem_;     // why there is no spectrum (a rate the analysis refuses)
    bool fresh_ = false;  // a spectrum came since the chart last showed one
    QComboBox* size_ = nullptr;
    QComboBox* window_ = nullptr;
    QComboBox* overlap_ = nullptr;
    QComboBox* averaging_ = nullptr;
    QCheckBox* log_ = nullptr;
    QLabel* peak_ = nullptr;
    QLabel* cursor_ = nullptr;
    plot::PlotWindow* plot_ = nullptr;
    plot::LineChart* chart_ = nullptr;
};

}  // namespace k470::app
