// SPDX-License-Identifier: GPL-3.0-or-later
// The "Signal" page of a replayed signal file or of the raw-signal instrument's stream: the processed signal
// of the chosen channel over the last second or so, with its rms level against the channel's 0 dB
// reference. As on an oscilloscope, a zoomed view is kept while the signal flows, "Hold" freezes it, and a
// level trigger makes a periodic signal stand still.
#pragma once

#include "app/pages/source_page.h"
#include "signal/signal_state.h"
#include "views/signal_trace.h"
#include "views/trace_view.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace k470::plot {
class LineChart;
class PlotWindow;
class ScrollZoomBar;
}  // namespace k470::plot

namespace k470::app {

class SignalPage : public SourcePage {
    Q_OBJECT
  public:
    SignalPage(PageContext& context, const views::SignalTrace& trace, const SignalState& state,
               QWidget* parent);
    void Refresh() override;
    // The shown values as a table: time and value of the chosen channel.
    QString ClipboardText() const override;
    plot::LineChart* chart() const { return chart_; }
    QLabel* levelLabel() const { return level_; }
    plot::ScrollZoomBar* zoomBar() const { return bar_; }
    QPushButton* holdButton() const { return hold_; }
    // "Off", "Rising", "Falling"; the level in the channel's units.
    QComboBox* triggerBox() const { return trigger_; }
    QLineEdit* triggerLevelEdit() const { return triggerLevel_; }
    const views::TraceView& view() const { return view_; }

  private:
    int channel() const;
    void triggerChanged();
    const views::SignalTrace& trace_;
    const SignalState& state_;
    QLabel* level_ = nullptr;
    plot::PlotWindow* plot_ = nullptr;
    plot::LineChart* chart_ = nullptr;
    plot::ScrollZoomBar* bar_ = nullptr;
    QPushButton* hold_ = nullptr;
    QComboBox* trigger_ = nullptr;
    QLineEdit* triggerLevel_ = nullptr;
    views::TraceView view_;
    // The window last put on the bar and the count of values it was over: a different view on the bar is
    // the user's zoom.
    views::TraceWindow shown_;
    int64_t shownSize_ = 0;
};

}  // namespace k470::app
