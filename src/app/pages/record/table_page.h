// SPDX-License-Identifier: GPL-3.0-or-later
// The band-table pages (one or two tables with toggle headers) and the weighted-levels page (one table
// with the "OVERLOAD" and "Underrange" indicators).
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "app/pages/source_page.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "views/level_views.h"
#include "views/misc_views.h"

class QPushButton;
class QTableWidget;

namespace k470::app {

// A band-table page (one or two tables with toggle headers) or the weighted-levels page (one table with
// the "OVERLOAD" and "Underrange" indicators).
class TablePage : public SourcePage {
    Q_OBJECT
  public:
    TablePage(PageContext& context, views::PageKind kind, QWidget* parent);
    void Refresh() override;
    QString ClipboardText() const override;
    // A toggle button (ids 110..509) clicked, with or without Ctrl; the selection goes over to the other
    // table.
    void ClickToggle(int id, bool ctrl);
    // A right click into table k: both of its selection sets are cleared.
    void ClearSelection(int table);
    QTableWidget* table(int k) const { return tables_[static_cast<size_t>(k)]; }
    int tableCount() const { return static_cast<int>(shown_.size()); }
    const views::TableSelection& selection(int k) const { return selection_[static_cast<size_t>(k)]; }
    QPushButton* overloadIndicator() const { return overload_; }
    QPushButton* underrangeIndicator() const { return underrange_; }
    const std::vector<views::LevelTable>& shown() const { return shown_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void paintSelection(int k);
    bool ctrlHeld() const;
    bool pressCtrl_ = false;
    std::vector<views::LevelTable> shown_;
    std::array<QTableWidget*, 2> tables_{};
    std::array<views::TableSelection, 2> selection_{};
    QPushButton* overload_ = nullptr;
    QPushButton* underrange_ = nullptr;
};

}  // namespace k470::app
