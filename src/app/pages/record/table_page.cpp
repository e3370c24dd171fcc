// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/record/table_page.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/bounds_dialog.h"
#include "app/dialogs/plot_limits_dialog.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "frame/frame_settings.h"
#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "plot/plot_button.h"
#include "plot/plot_check_box.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"

namespace k470::app {

namespace {
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

TablePage::TablePage(PageContext& context, views::PageKind kind, QWidget* parent)
    : SourcePage(context, kind, parent) {
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
        table->setHorizontalHeaderLabels(qs(t.columns));
        table->setVerticalHeaderLabels(qs(t.rows));
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
    return qs(views::TablesClipboardText(shown_, context_.linear, context_.zeroDbReference));
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
    return SourcePage::eventFilter(watched, event);
}

}  // namespace k470::app
