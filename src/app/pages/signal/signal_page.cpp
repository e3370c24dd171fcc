// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/signal_page.h"

#include "acoustics/measurement_context.h"

#include <QComboBox>
#include <QDoubleValidator>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/qt_text.h"
#include "plot/line_chart.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::app {

SignalPage::SignalPage(PageContext& context, const views::SignalTrace& trace, const SignalState& state,
                       QWidget* parent)
    : SourcePage(context, views::PageKind::Signal, parent), trace_(trace), state_(state) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    level_ = new QLabel(this);
    level_->setObjectName(QStringLiteral("signalLevel"));
    row->addWidget(level_);
    row->addStretch(1);
    hold_ = new QPushButton(tr("Hold"), this);
    hold_->setCheckable(true);
    hold_->setToolTip(tr("Freeze the shown signal while it goes on flowing"));
    connect(hold_, &QPushButton::toggled, this, [this](bool on) {
        if (on)
            view_.Hold(trace_);
        else
            view_.Release();
        Refresh();
    });
    row->addWidget(hold_);
    row->addWidget(new QLabel(tr("Trigger:"), this));
    trigger_ = new QComboBox(this);
    trigger_->addItems({tr("Off"), tr("Rising"), tr("Falling")});
    trigger_->setToolTip(tr("Start the view where the signal last crossed the level"));
    row->addWidget(trigger_);
    triggerLevel_ = new QLineEdit(QStringLiteral("0"), this);
    triggerLevel_->setToolTip(tr("Trigger level in the channel's units"));
    triggerLevel_->setMaximumWidth(90);
    triggerLevel_->setEnabled(false);
    row->addWidget(triggerLevel_);
    connect(trigger_, &QComboBox::currentIndexChanged, this, [this] { triggerChanged(); });
    connect(triggerLevel_, &QLineEdit::editingFinished, this, [this] { triggerChanged(); });
    auto* note = new QPushButton(tr("To notepad"), this);
    note->setToolTip(tr("Note the cursors' time and value in the notepad"));
    connect(note, &QPushButton::clicked, this, [this] { NoteChartCursors(*chart_, context_.notepad); });
    row->addWidget(note);
    column->addLayout(row);
    plot_ = new plot::PlotWindow(this);
    plot_->setMinimumSize(400, 240);
    column->addWidget(plot_, 1);
    chart_ = &plot_->Add<plot::LineChart>(QRect(0, 0, 600, 276), 6, 0u);
    FollowChartCursors(*chart_, *note);
    // Zooming into the trace: a zoomed view is kept while new values come; zoomed all the way out, the
    // whole trace shows again.
    bar_ = &plot_->Add<plot::ScrollZoomBar>(QRect(0, 278, 600, 24));
    bar_->Attach(*chart_);
    // The chart takes the plot's area above the bar.
    plot_->SetLayout([this](QSize size) {
        const int chartHeight = std::max(size.height() - 26, 100);
        chart_->setRect(QRect(0, 0, size.width(), chartHeight));
        bar_->setRect(QRect(0, chartHeight + 2, size.width(), 24));
    });
    Refresh();
}

int SignalPage::channel() const {
    return std::clamp(context_.channel, 0, 2);
}

void SignalPage::triggerChanged() {
    views::TraceTrigger t = view_.trigger();
    const int mode = trigger_->currentIndex();
    t.mode = mode <= 0 ? views::TriggerMode::Off : views::TriggerMode::Level;
    t.slope = mode == 2 ? views::TriggerSlope::Falling : views::TriggerSlope::Rising;
    // The level as the user's language writes numbers, or with a point; anything else keeps the level.
    bool ok = false;
    double level = QLocale().toDouble(triggerLevel_->text(), &ok);
    if (!ok) level = triggerLevel_->text().trimmed().toDouble(&ok);
    if (ok && std::isfinite(level)) t.level = level;
    triggerLevel_->setEnabled(t.mode != views::TriggerMode::Off);
    view_.SetTrigger(t);
    Refresh();
}

void SignalPage::Refresh() {
    const int k = channel();
    const SignalChannel& c = state_.channels[static_cast<size_t>(k)];
    chart_->SetTitles(tr("T[sec]"), qs(c.units));
    std::vector<double> values = view_.Values(trace_, k);
    double sum = 0.0;
    for (double v : values) sum += v * v;
    const double rms = values.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(values.size()));
    const std::string level = views::RmsLevelText(rms, c.referenceValue);
    level_->setText(tr("Channel %1 level: %2")
                        .arg(k + 1)
                        .arg(level.empty() ? QStringLiteral("-")
                                           : qs(level) + QLatin1Char(' ') +
                                                 qs(acoustics::ChainContext(state_, k).levelUnit())));
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
    // A view on the bar other than the one put there last is the user's: it is kept from now on.
    const plot::ViewWindow& onBar = bar_->view();
    if (shownSize_ >= 2 && onBar.viewSet() &&
        (onBar.first() != shown_.first || onBar.last() - onBar.first() + 1 != shown_.count))
        view_.UserView(onBar.first(), onBar.last() - onBar.first() + 1, shownSize_);
    if (n >= 2) {
        const views::TraceWindow w = view_.Window(chart_->curves().front().values);
        bar_->SetDataRange(0, n - 1, view_.StartTime(trace_), 1.0 / trace_.sampleRate());
        bar_->SetView(w.first, w.count);
        shown_ = {onBar.first(), onBar.last() - onBar.first() + 1};
        shownSize_ = n;
    }
    plot_->scheduleRedraw();
}

QString SignalPage::ClipboardText() const {
    const int k = channel();
    return qs(views::TraceText(k, state_.channels[static_cast<size_t>(k)].units, view_.Values(trace_, k),
                               view_.StartTime(trace_), trace_.sampleRate()));
}

}  // namespace k470::app
