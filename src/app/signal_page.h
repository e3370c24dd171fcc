// SPDX-License-Identifier: GPL-3.0-or-later
// The "Signal" page of a replayed signal file: the processed signal of the chosen channel over the last
// second or so, with its rms level against the channel's 0 dB reference.
#pragma once

#include "app/level_pages.h"
#include "signal/signal_state.h"
#include "views/signal_trace.h"

class QLabel;

namespace k470::app {

class SignalPage : public LevelPage {
    Q_OBJECT
  public:
    SignalPage(PageContext& context, const views::SignalTrace& trace, const SignalState& state,
               QWidget* parent);
    void Refresh() override;
    // The shown values as a table: time and value of the chosen channel.
    QString ClipboardText() const override;
    plot::LineChart* chart() const { return chart_; }
    QLabel* levelLabel() const { return level_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int channel() const;
    const views::SignalTrace& trace_;
    const SignalState& state_;
    QLabel* level_ = nullptr;
    plot::PlotWindow* plot_ = nullptr;
    plot::LineChart* chart_ = nullptr;
    plot::ScrollZoomBar* bar_ = nullptr;
};

}  // namespace k470::app
