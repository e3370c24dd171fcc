// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/signal_page.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "plot/line_chart.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::app {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

SignalPage::SignalPage(PageContext& context, const views::SignalTrace& trace, const SignalState& state,
                       QWidget* parent)
    : LevelPage(context, views::PageKind::Signal, parent), trace_(trace), state_(state) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    level_ = new QLabel(this);
    level_->setObjectName(QStringLiteral("signalLevel"));
    row->addWidget(level_);
    row->addStretch(1);
    auto* note = new QPushButton(tr("To notepad"), this);
    note->setToolTip(tr("Note the cursors' time and value in the notepad"));
    connect(note, &QPushButton::clicked, this, [this] { NoteChartCursors(*chart_, context_.notepad); });
    row->addWidget(note);
    column->addLayout(row);
    plot_ = new plot::PlotWindow(this);
    plot_->setMinimumSize(400, 240);
    plot_->installEventFilter(this);
    column->addWidget(plot_, 1);
    chart_ = &plot_->Add<plot::LineChart>(QRect(0, 0, 600, 276), 6, 0u);
    FollowChartCursors(*chart_, *note);
    // Zooming into the trace: while the replay runs every new piece shows the whole trace again.
    bar_ = &plot_->Add<plot::ScrollZoomBar>(QRect(0, 278, 600, 24));
    bar_->Attach(*chart_);
    Refresh();
}

int SignalPage::channel() const {
    return std::clamp(context_.channel, 0, 2);
}

bool SignalPage::eventFilter(QObject* watched, QEvent* event) {
    // The chart takes the plot's whole area.
    if (watched == plot_ && event->type() == QEvent::Resize) {
        const int chartHeight = std::max(plot_->height() - 26, 100);
        chart_->setRect(QRect(0, 0, plot_->width(), chartHeight));
        bar_->setRect(QRect(0, chartHeight + 2, plot_->width(), 24));
        plot_->scheduleRedraw();
    }
    return LevelPage::eventFilter(watched, event);
}

void SignalPage::Refresh() {
    const int k = channel();
    const SignalChannel& c = state_.channels[static_cast<size_t>(k)];
    chart_->SetTitles(tr("T[sec]"), qs(c.units));
    std::vector<double> values = trace_.Values(k);
    const std::string level = views::RmsLevelText(trace_.Rms(k), c.referenceValue);
    level_->setText(tr("Channel %1 level: %2")
                        .arg(k + 1)
                        .arg(level.empty() ? QStringLiteral("-") : qs(level) + tr(" dB")));
    double peak = 0.0;
    for (double v : values) peak = std::max(peak, std::abs(v));
    const double top = peak > 0 && std::isfinite(peak) ? peak * 1.1 : 1.0;
    const auto n = static_cast<int64_t>(values.size());
    chart_->SetCurves({plot::Curve{std::move(values), QColor(0x20, 0x50, 0xB0), qs(c.units)}});
    std::vector<plot::Marker> markers;
    for (const views::TraceMarker& m : trace_.markers())
        markers.push_back({trace_.timeOf(m.frame), qs(m.name)});
    chart_->SetMarkers(std::move(markers));
    chart_->SetYRange(-top, top);
    if (n >= 2) {
        bar_->SetDataRange(0, n - 1, trace_.startTime(), 1.0 / trace_.sampleRate());
        bar_->SetView(0, n);
    }
    plot_->scheduleRedraw();
}

QString SignalPage::ClipboardText() const {
    const int k = channel();
    return qs(trace_.Text(k, state_.channels[static_cast<size_t>(k)].units));
}

}  // namespace k470::app
