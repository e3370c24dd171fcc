// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/level_pages.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/frame_settings.h"
#include "app/misc_dialogs.h"
#include "base/lexicon.h"
#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "plot/plot_button.h"
#include "plot/plot_check_box.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::app {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QStringList qsl(const std::vector<std::string>& v) {
    QStringList out;
    for (const auto& s : v) out << qs(s);
    return out;
}

// The time-weighting names of the spectrum page's radio buttons, for the translations.
[[maybe_unused]] const char* const kWeightingNames[] = {
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Impulse"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Fast"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Slow"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Leq"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "ESlow"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Fast min"),
    QT_TRANSLATE_NOOP("k470::app::SpectraPage", "Fast max")};

const QColor kGrid(0xC8, 0xC8, 0xC8);
const QColor kSelected(0xFF, 0xF0, 0xB0);

// A level cell drawn as its background and its right-aligned text, nothing more: a live page repaints
// many cells many times a second, and the style's full item drawing costs several times as much.
class LevelCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant background = index.data(Qt::BackgroundRole);
        painter->fillRect(option.rect,
                          background.isValid() ? background.value<QBrush>() : option.palette.base());
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(option.rect.adjusted(3, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
    }
};

}  // namespace

QString PageTabText(views::PageKind kind) {
    switch (kind) {
        case views::PageKind::OctaveTable:
            return qs(lexicon().text(Word::OneOneOctaves));
        case views::PageKind::ThirdTable:
            return qs(lexicon().text(Word::OneThirdOctaves));
        case views::PageKind::BandTable:
            return qs(lexicon().text(Word::Bands));
        case views::PageKind::WeightedTable:
            return qs(lexicon().text(Word::WeightedLevels));
        case views::PageKind::Spectra:
            return QCoreApplication::translate("k470::app::LevelPage", "Spectra");
        case views::PageKind::Multirecords:
            return QCoreApplication::translate("k470::app::LevelPage", "Multirecords");
        case views::PageKind::Signal:
            return QCoreApplication::translate("k470::app::LevelPage", "Signal");
        case views::PageKind::SignalLevels:
            return QCoreApplication::translate("k470::app::LevelPage", "Levels");
        case views::PageKind::Fft:
            return QCoreApplication::translate("k470::app::LevelPage", "FFT");
        case views::PageKind::Rt60:
            return QCoreApplication::translate("k470::app::LevelPage", "RT-60");
    }
    return {};
}

views::PlotLimits& SpectrumPlotLimits() {
    static views::PlotLimits limits;
    return limits;
}

LevelPage::LevelPage(PageContext& context, views::PageKind kind, QWidget* parent)
    : QWidget(parent), context_(context), kind_(kind) {}

void LevelPage::CopyToClipboard() const {
    QApplication::clipboard()->setText(ClipboardText());
}

// ---- tables ----

TablePage::TablePage(PageContext& context, views::PageKind kind, QWidget* parent)
    : LevelPage(context, kind, parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    shown_ = views::TablesFor(context_.type, kind_, context_.record, context_.channel);
    if (kind_ == views::PageKind::WeightedTable) {
        auto* row = new QHBoxLayout;
        overload_ = new QPushButton(tr("OVERLOAD"), this);
        underrange_ = new QPushButton(tr("Underrange"), this);
        for (QPushButton* b : {overload_, underrange_}) {
            b->setCheckable(true);
            // Indicators only: the record's status sets them, a click does not.
            b->setAttribute(Qt::WA_TransparentForMouseEvents);
            b->setFocusPolicy(Qt::NoFocus);
            b->setStyleSheet(QStringLiteral("QPushButton:checked { background: #e03030; color: white; }"));
            row->addWidget(b);
        }
        overload_->setObjectName(QStringLiteral("control1012"));
        underrange_->setObjectName(QStringLiteral("control1163"));
        row->addStretch(1);
        column->addLayout(row);
    }
    for (size_t k = 0; k < shown_.size() && k < 2; ++k) {
        const views::LevelTable& t = shown_[k];
        auto* table =
            new QTableWidget(static_cast<int>(t.rows.size()), static_cast<int>(t.columns.size()), this);
        table->setObjectName(QStringLiteral("levelTable%1").arg(k));
        table->setHorizontalHeaderLabels(qsl(t.columns));
        table->setVerticalHeaderLabels(qsl(t.rows));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        // White cells and grey grid lines from the palette (the grid takes the palette's mid colour); a
        // style sheet would send every cell through the slow style-sheet drawing.
        QPalette palette = table->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Mid, kGrid);
        table->setPalette(palette);
        table->setItemDelegate(new LevelCellDelegate(table));
        // Columns as wide as their header or the widest level ("255.99"), fixed, so that values arriving
        // from the instrument never move the table's layout.
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        const int cellWidth = table->fontMetrics().horizontalAdvance(QStringLiteral("888.88")) + 14;
        const QFontMetrics header = table->horizontalHeader()->fontMetrics();
        for (int c = 0; c < table->columnCount(); ++c)
            table->setColumnWidth(
                c, std::max(cellWidth, header.horizontalAdvance(qs(t.columns[static_cast<size_t>(c)])) + 14));
        table->horizontalHeader()->setSectionsClickable(true);
        table->verticalHeader()->setSectionsClickable(true);
        table->setContextMenuPolicy(Qt::NoContextMenu);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
        const int tk = static_cast<int>(k);
        // The header sections are the toggle buttons of the table's columns and rows.
        connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this, tk](int i) { ClickToggle(views::ToggleButtonId(tk, true, i), ctrlHeld()); });
        connect(table->verticalHeader(), &QHeaderView::sectionClicked, this,
                [this, tk](int i) { ClickToggle(views::ToggleButtonId(tk, false, i), ctrlHeld()); });
        table->horizontalHeader()->viewport()->installEventFilter(this);
        table->verticalHeader()->viewport()->installEventFilter(this);
        table->installEventFilter(this);
        table->viewport()->installEventFilter(this);
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c) {
                auto* item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table->setItem(r, c, item);
            }
        tables_[k] = table;
        paintSelection(static_cast<int>(k));
        // The band table takes the room; the weighted summary below it is as high as its rows.
        column->addWidget(table, k == 0 ? 3 : 1);
    }
    Refresh();
}

void TablePage::Refresh() {
    shown_ = views::TablesFor(context_.type, kind_, context_.record, context_.channel);
    for (int k = 0; k < tableCount(); ++k) {
        QTableWidget* table = tables_[static_cast<size_t>(k)];
        const views::LevelTable& t = shown_[static_cast<size_t>(k)];
        // Live values arrive many times a second: only the changed cells are set, and only the rectangle
        // around them is repainted, at once (cell by cell, the repaint of a region of hundreds of small
        // rectangles costs more than the cells themselves).
        QRect changed;
        {
            const QSignalBlocker quiet(table->model());
            for (int r = 0; r < table->rowCount(); ++r)
                for (int c = 0; c < table->columnCount(); ++c) {
                    QTableWidgetItem* item = table->item(r, c);
                    const QString text =
                        qs(views::LevelCellText(t.values[static_cast<size_t>(r)][static_cast<size_t>(c)]));
                    if (item->text() == text) continue;
                    item->setText(text);
                    changed |= table->visualItemRect(item);
                }
        }
        if (!changed.isEmpty()) table->viewport()->update(changed);
    }
    if (overload_) {
        const size_t ch = static_cast<size_t>(std::clamp(context_.channel, 0, 2));
        const bool over = context_.record && context_.record->trailer.overloadStatus[ch] != 0;
        const bool under = context_.record && context_.record->trailer.underrangeStatus[ch] != 0;
        overload_->setChecked(over);
        underrange_->setChecked(under);
    }
}

void TablePage::paintSelection(int k) {
    QTableWidget* table = tables_[static_cast<size_t>(k)];
    const views::TableSelection& s = selection_[static_cast<size_t>(k)];
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < table->columnCount(); ++c)
            if (QTableWidgetItem* item = table->item(r, c))
                item->setBackground(s.rows.count(r) || s.columns.count(c) ? kSelected : QColor(Qt::white));
    auto mark = [](QHeaderView* header, QTableWidget* t, const std::set<int>& chosen, bool columns) {
        const int n = columns ? t->columnCount() : t->rowCount();
        for (int i = 0; i < n; ++i) {
            QTableWidgetItem* h = columns ? t->horizontalHeaderItem(i) : t->verticalHeaderItem(i);
            if (!h) continue;
            QFont f = h->font();
            f.setBold(chosen.count(i) != 0);
            h->setFont(f);
        }
        header->viewport()->update();
    };
    mark(table->horizontalHeader(), table, s.columns, true);
    mark(table->verticalHeader(), table, s.rows, false);
}

void TablePage::ClickToggle(int id, bool ctrl) {
    views::ToggleButton b;
    if (!views::DecodeToggleButton(id, b) || b.table >= tableCount()) return;
    selection_[static_cast<size_t>(b.table)].Click(b.column, b.index, ctrl);
    // The selection goes over to the other table, and both are shown again.
    if (tableCount() == 2)
        selection_[static_cast<size_t>(1 - b.table)] = selection_[static_cast<size_t>(b.table)];
    for (int k = 0; k < tableCount(); ++k) paintSelection(k);
}

void TablePage::ClearSelection(int table) {
    if (table < 0 || table >= tableCount()) return;
    selection_[static_cast<size_t>(table)].Clear();
    paintSelection(table);
}

QString TablePage::ClipboardText() const {
    return qs(views::TablesClipboardText(shown_, context_.linear, context_.p0));
}

bool TablePage::ctrlHeld() const {
    return pressCtrl_ || QApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
}

bool TablePage::eventFilter(QObject* watched, QEvent* event) {
    // The Ctrl state of the press on a toggle button decides how the click changes the selection.
    if (event->type() == QEvent::MouseButtonPress)
        pressCtrl_ = static_cast<QMouseEvent*>(event)->modifiers().testFlag(Qt::ControlModifier);
    for (int k = 0; k < tableCount(); ++k) {
        QTableWidget* table = tables_[static_cast<size_t>(k)];
        if (watched != table && watched != table->viewport()) continue;
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Insert && key->modifiers().testFlag(Qt::ControlModifier)) {
                CopyToClipboard();
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonPress &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            ClearSelection(k);
            return true;
        }
    }
    return LevelPage::eventFilter(watched, event);
}

// ---- spectra ----

SpectraPage::SpectraPage(PageContext& context, QWidget* parent)
    : LevelPage(context, views::PageKind::Spectra, parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    weightings_ = views::TimeWeightingsFor(context_.type);
    for (size_t i = 0; i < weightings_.size(); ++i) {
        auto* radio = new QRadioButton(tr(weightings_[i].name.c_str()), this);
        radio->setChecked(i == 0);
        const int index = static_cast<int>(i);
        connect(radio, &QRadioButton::clicked, this, [this, index] { SelectWeighting(index); });
        radios_.push_back(radio);
        row->addWidget(radio);
    }
    row->addStretch(1);
    auto* plotButton = new QPushButton(tr("Plot"), this);
    connect(plotButton, &QPushButton::clicked, this, [this] {
        PlotLimitsDialog d(SpectrumPlotLimits(), this);
        if (d.exec() == QDialog::Accepted) ApplyLimits(d.limits());
    });
    row->addWidget(plotButton);
    column->addLayout(row);

    plot_ = new plot::PlotWindow(this);
    plot_->setObjectName(QStringLiteral("Privet"));
    plot_->setMinimumSize(400, 300);
    column->addWidget(plot_, 1);
    // The check boxes sit side by side, each as wide as its text.
    const QFontMetrics metrics(plot_->font(plot::PlotFont::Normal));
    int left = 8;
    auto addBox = [&](const QString& text, bool checked) {
        const int width = metrics.horizontalAdvance(text) + 30;
        auto* box = &plot_->Add<plot::PlotCheckBox>(QRect(left, 4, width, 18), text, checked);
        left += width + 12;
        return box;
    };
    onLine_ = addBox(tr("On line"), false);
    if (views::HasCorrections(context_.type)) {
        const QString names[] = {tr("C correction"), tr("A correction"), tr("Z correction")};
        for (size_t i = 0; i < 3; ++i) {
            boxes_[i] = addBox(names[i], i == 2);
            const auto c = static_cast<views::Correction>(i);
            boxes_[i]->onToggled = [this, c](bool) { SelectCorrection(c); };
        }
    }
    const auto probe = views::SpectrumFor(context_.type, nullptr, 0, 0, views::Correction::Z);
    if (!probe.octaves.labels.empty()) octaves_ = &plot_->Add<plot::BarChart>(QRect(0, 26, 400, 130));
    thirds_ = &plot_->Add<plot::BarChart>(QRect(0, 160, 400, 130));
    layoutCharts();
    plot_->installEventFilter(this);
    Refresh();
}

bool SpectraPage::eventFilter(QObject* watched, QEvent* event) {
    // The bar charts share the plot's height and take its width.
    if (watched == plot_ && event->type() == QEvent::Resize) {
        layoutCharts();
        plot_->scheduleRedraw();
    }
    return LevelPage::eventFilter(watched, event);
}

void SpectraPage::layoutCharts() {
    const int w = std::max(plot_->width(), 200);
    const int h = std::max(plot_->height(), 200) - 26;
    if (octaves_) {
        octaves_->setRect(QRect(0, 26, w, h / 2 - 2));
        thirds_->setRect(QRect(0, 26 + h / 2, w, h - h / 2));
    } else {
        thirds_->setRect(QRect(0, 26, w, h));
    }
}

void SpectraPage::SelectWeighting(int index) {
    if (index < 0 || index >= static_cast<int>(weightings_.size())) return;
    weighting_ = index;
    radios_[static_cast<size_t>(index)]->setChecked(true);
    Refresh();
}

void SpectraPage::SelectCorrection(views::Correction c) {
    if (!boxes_[0]) return;
    if (settingCorrection_) return;
    settingCorrection_ = true;
    // One radio group: the clicked box is checked (a click on the checked box changes nothing), the
    // others cleared.
    correction_ = c;
    for (size_t i = 0; i < 3; ++i) boxes_[i]->setChecked(static_cast<int>(i) == static_cast<int>(c));
    settingCorrection_ = false;
    Refresh();
}

bool SpectraPage::ApplyLimits(const views::PlotLimits& limits) {
    if (!limits.valid()) return false;
    SpectrumPlotLimits() = limits;
    Refresh();
    return true;
}

bool SpectraPage::onLineState() const {
    return onLine_->isChecked();
}

void SpectraPage::Refresh() {
    if (!plot_) return;
    layoutCharts();
    const int parameter = weightings_.empty() ? 0 : weightings_[static_cast<size_t>(weighting_)].parameter;
    spectrum_ = views::SpectrumFor(context_.type, context_.record, parameter, context_.channel, correction_);
    const views::PlotLimits& l = SpectrumPlotLimits();
    const QString name =
        weightings_.empty() ? QString() : tr(weightings_[static_cast<size_t>(weighting_)].name.c_str());
    auto show = [&](plot::BarChart* chart, const views::SpectrumBars& bars, const QString& title) {
        if (!chart) return;
        chart->SetBandLabels(qsl(bars.labels));
        chart->SetBands(bars.values, false);
        chart->SetValueRange(l.lower, l.upper);
        chart->SetTitle(title);
        chart->SetAxisTitles(tr("Freq band [Hz] "), tr("Level [dB]"));
        // Bars at or above a threshold are coloured: threshold 1 yellow, 2 red, 3 (an alarm level) purple.
        std::vector<QColor> colours;
        for (double v : bars.values)
            colours.push_back(v >= l.threshold3 && l.threshold3 >= l.threshold2 ? QColor(0xA0, 0x30, 0xA0)
                              : v >= l.threshold2                               ? QColor(0xD0, 0x30, 0x30)
                              : v >= l.threshold1                               ? QColor(0xE0, 0xB0, 0x20)
                                                                                : chart->barColour);
        chart->SetBandColours(colours);
    };
    const bool field = resultGroup(context_.type) == ResultGroup::FieldStrength;
    show(octaves_, spectrum_.octaves, tr("1/1 %1").arg(name));
    show(thirds_, spectrum_.thirds, field ? name : tr("1/3 %1").arg(name));
    // "On line" blinks once per recomputation.
    onLine_->setChecked(!onLine_->isChecked());
    plot_->scheduleRedraw();
}

QString SpectraPage::ClipboardText() const {
    QString s;
    auto add = [&](const views::SpectrumBars& bars) {
        for (size_t i = 0; i < bars.values.size(); ++i)
            s += qs(bars.labels[i]) + QLatin1Char('\t') +
                 qs(views::LevelValueText(bars.values[i], context_.linear, context_.p0)) + QLatin1Char('\n');
    };
    if (!spectrum_.octaves.values.empty()) {
        add(spectrum_.octaves);
        s += QLatin1Char('\n');
    }
    add(spectrum_.thirds);
    return s;
}

// ---- multirecords ----

MultirecordsPage::MultirecordsPage(PageContext& context, QWidget* parent)
    : LevelPage(context, views::PageKind::Multirecords, parent) {
    if (context_.store) {
        const LevelAxisBounds b = LevelAxisBounds::Load(*context_.store);
        lower_ = b.lower;
        upper_ = b.upper;
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    parameter_ = new QComboBox(this);
    table_ = new QComboBox(this);
    band_ = new QComboBox(this);
    for (QComboBox* c : {parameter_, table_, band_}) row->addWidget(c);
    row->addStretch(1);
    clock_ = new QCheckBox(tr("Clock time"), this);
    clock_->setToolTip(tr("Label the time axis with the time of day of the records"));
    clock_->setChecked(true);
    row->addWidget(clock_);
    auto* plotButton = new QPushButton(tr("Plot"), this);
    connect(plotButton, &QPushButton::clicked, this, [this] {
        BoundsDialog d(lower_, upper_, this);
        if (d.exec() == QDialog::Accepted) ApplyBounds(d.lowerEdit()->text(), d.upperEdit()->text());
    });
    row->addWidget(plotButton);
    auto* note = new QPushButton(tr("To notepad"), this);
    note->setToolTip(tr("Note the cursors' time and level in the notepad"));
    connect(note, &QPushButton::clicked, this, &MultirecordsPage::NoteCursors);
    row->addWidget(note);
    column->addLayout(row);
    plot_ = new plot::PlotWindow(this);
    plot_->setMinimumSize(400, 260);
    column->addWidget(plot_, 1);
    chart_ = &plot_->Add<plot::LineChart>(QRect(0, 0, 600, 300), 6, 0u);
    FollowChartCursors(*chart_, *note);
    bar_ = &plot_->Add<plot::ScrollZoomBar>(QRect(0, 300, 600, 24));
    bar_->Attach(*chart_);
    chart_->SetYRange(lower_, upper_);
    showTimeAxis();
    fillLists();
    connect(table_, &QComboBox::currentIndexChanged, this, [this] {
        fillBandAndParameter();
        Refresh();
    });
    connect(parameter_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(band_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(clock_, &QCheckBox::toggled, this, [this] { showTimeAxis(); });
    // The chart follows the page's size while it is visible.
    timer_ = new QTimer(this);
    timer_->setInterval(70);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!isVisible()) return;
        const QRect want(0, 0, plot_->width(), std::max(plot_->height() - 26, 100));
        if (chart_->rect() != want) {
            chart_->setRect(want);
            bar_->setRect(QRect(0, want.height() + 2, plot_->width(), 24));
            plot_->scheduleRedraw();
        }
    });
    timer_->start();
    // Nothing is read before the page is shown: a file of many records opens at once.
}

MultirecordsPage::~MultirecordsPage() {
    if (context_.store) LevelAxisBounds{upper_, lower_}.Save(*context_.store);
}

void MultirecordsPage::fillLists() {
    const QSignalBlocker block(table_);
    table_->clear();
    for (const auto& c : levelTableChoices(context_.type)) table_->addItem(qs(c.text), c.number);
    fillBandAndParameter();
}

void MultirecordsPage::fillBandAndParameter() {
    const QSignalBlocker b1(parameter_);
    const QSignalBlocker b2(band_);
    const int table = table_->currentData().toInt();
    const int oldParameter = parameter_->currentIndex();
    parameter_->clear();
    for (const auto& c : levelParameterChoices(context_.type, table))
        parameter_->addItem(qs(c.text), c.number);
    parameter_->setCurrentIndex(std::clamp(oldParameter, 0, std::max(parameter_->count() - 1, 0)));
    band_->clear();
    for (const auto& c : levelBandChoices(context_.type, table)) band_->addItem(qs(c.text), c.number);
}

MultirecordsPage::Choice MultirecordsPage::choice() const {
    const void* source = context_.records ? static_cast<const void*>(context_.records) : context_.file;
    if (!source || table_->count() == 0) return {};
    return {table_->currentData().toInt(), parameter_->currentData().toInt(), band_->currentData().toInt(),
            context_.channel, source};
}

void MultirecordsPage::load() const {
    const Choice c = choice();
    if (c == loaded_) return;
    loaded_ = c;
    series_ = {};
    if (!c.source) return;
    const LevelSelection s{c.table, c.parameter, c.band, c.channel};
    std::optional<views::BinFileRecords> fileRecords;
    if (!context_.records) fileRecords.emplace(*context_.file);
    const views::RecordsByIndex& records = context_.records ? *context_.records : *fileRecords;
    if (auto r = views::ReadLevelSeries(records, context_.type, s)) series_ = std::move(*r);
}

const std::vector<double>& MultirecordsPage::series() const {
    load();
    return series_.levels;
}

const std::vector<double>& MultirecordsPage::seconds() const {
    load();
    return series_.seconds;
}

void MultirecordsPage::showSeries() const {
    load();
    if (shown_ == loaded_ && shown_.source) return;  // the view (zoom, cursors) stays as it is
    shown_ = loaded_;
    chart_->SetCurves({plot::Curve{series_.levels, QColor(0x20, 0x40, 0xC0), tr("L[dB]")}});
    chart_->SetXValues(series_.seconds);
    showTimeAxis();
    // The bar moves over the record numbers; the chart places each record at its own time.
    const auto n = static_cast<int64_t>(series_.levels.size());
    bar_->SetDataRange(0, std::max<int64_t>(n - 1, 0), 0.0, 1.0);
    if (n >= 2)
        bar_->SetView(0, n);
    else
        chart_->Render(0, n - 1, 0.0, 1.0);
    plot_->scheduleRedraw();
}

void MultirecordsPage::showTimeAxis() const {
    std::optional<int64_t> origin;
    if (clock_->isChecked() && series_.start) origin = views::LocalSeconds(*series_.start);
    chart_->SetClockOrigin(origin);
    // The text table keeps its seconds column whichever labels the axis shows.
    chart_->SetTitles(origin ? tr("Time of day") : tr("T[sec]"), tr("L[dB]"), tr("T[sec]"));
    plot_->scheduleRedraw();
}

void MultirecordsPage::showEvent(QShowEvent* event) {
    LevelPage::showEvent(event);
    showSeries();
}

bool MultirecordsPage::ApplyBounds(const QString& lower, const QString& upper) {
    const double lo = views::ParseBound(lower.toStdString(), lower_);
    const double hi = views::ParseBound(upper.toStdString(), upper_);
    if (!(lo < hi)) return false;
    lower_ = lo;
    upper_ = hi;
    chart_->SetYRange(lower_, upper_);
    plot_->scheduleRedraw();
    return true;
}

void FollowChartCursors(plot::LineChart& chart, QPushButton& note) {
    note.setObjectName(QStringLiteral("toNotepad"));
    note.setEnabled(chart.anyCursorVisible());
    chart.onCursorsChanged = [&chart, button = QPointer<QPushButton>(&note)] {
        if (button) button->setEnabled(chart.anyCursorVisible());
    };
}

void NoteChartCursors(const plot::LineChart& chart, views::Notepad* notepad) {
    if (!notepad || chart.curves().empty()) return;
    const std::vector<double>& values = chart.curves().front().values;
    for (int c = 0; c < 2; ++c) {
        if (!chart.cursorVisible(c)) continue;
        const int64_t sample = chart.cursorSample(c);
        if (sample < 0 || sample >= static_cast<int64_t>(values.size())) continue;
        notepad->Add(chart.cursorX(c), values[static_cast<size_t>(sample)]);
    }
}

void MultirecordsPage::NoteCursors() {
    showSeries();
    NoteChartCursors(*chart_, context_.notepad);
}

void MultirecordsPage::Refresh() {
    // The series does not depend on the record shown: only a new choice or channel reads it again.
    if (isVisible()) showSeries();
}

QString MultirecordsPage::ClipboardText() const {
    showSeries();
    return chart_->TextTable();
}

LevelPage* MakeLevelPage(PageContext& context, views::PageKind kind, QWidget* parent) {
    switch (kind) {
        case views::PageKind::Spectra:
            return new SpectraPage(context, parent);
        case views::PageKind::Multirecords:
            return new MultirecordsPage(context, parent);
        default:
            return new TablePage(context, kind, parent);
    }
}

}  // namespace k470::app
