// SPDX-License-Identifier: GPL-3.0-or-later
// The chart pages and their dialogs built on their own, as the window builds them: what they read and
// when, the time axis of the records, the limits that outlive the pages, the dialogs that keep the typed
// values until they are in order, the cells that a live refresh touches, and the replayed trace's times.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "app/dialogs/bounds_dialog.h"
#include "app/dialogs/plot_limits_dialog.h"
#include "app/pages/record/multirecords_page.h"
#include "app/pages/record/spectra_page.h"
#include "app/pages/record/table_page.h"
#include "app/pages/signal/signal_page.h"
#include "app/pages/source_page.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "plot/scroll_zoom_bar.h"
#include "views/level_views.h"
#include "views/signal_trace.h"

namespace k470::app {
namespace {

constexpr DeviceType kType = 3;

// Records held in memory that count how often they are read.
class CountingRecords : public views::RecordsByIndex {
  public:
    int recordCount() const override { return static_cast<int>(bytes.size()); }
    Status ReadRecordBytes(int k, RecordBytes& out) const override {
        ++reads;
        out = bytes.at(static_cast<size_t>(k - 1));
        return {};
    }
    std::vector<RecordBytes> bytes;
    std::vector<MeasurementRecord> records;
    mutable int reads = 0;
};

// n sample records stamped by stamp(i); the sample records' own intervals differ from record to record.
CountingRecords makeRecords(int n, const std::function<CalendarTime(int)>& stamp) {
    CountingRecords r;
    for (int i = 0; i < n; ++i) {
        auto record = makeSampleRecord({kType, 0x00C0FFEE, 11, i});
        EXPECT_TRUE(record.ok());
        r.bytes.push_back(stampedRecordBytes(*record, stamp(i)));
        r.records.push_back(*MeasurementRecord::decode(r.bytes.back()));
    }
    return r;
}

CalendarTime at(int seconds) {
    return {2026, 12, 1, 9 + seconds / 3600, seconds / 60 % 60, seconds % 60};
}

struct MultirecordsFixture : ::testing::Test {
    void build(int n, const std::function<CalendarTime(int)>& stamp) {
        records = makeRecords(n, stamp);
        context.type = kType;
        context.records = &records;
        context.record = &records.records.front();
        page = std::make_unique<MultirecordsPage>(context, nullptr);
        page->resize(800, 500);
    }
    void showPage() {
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    }
    CountingRecords records;
    PageContext context;
    std::unique_ptr<MultirecordsPage> page;
};

TEST_F(MultirecordsFixture, ReadsNothingUntilShownAndAgainOnlyForANewChoice) {
    build(30, [](int i) { return at(60 * i); });
    page->Refresh();
    EXPECT_EQ(records.reads, 0);  // a hidden page costs nothing when the file opens
    showPage();
    EXPECT_EQ(records.reads, 30);
    ASSERT_EQ(page->series().size(), 30u);
    // Stepping through the records changes nothing that the page shows.
    for (const MeasurementRecord& r : records.records) {
        context.record = &r;
        page->Refresh();
    }
    EXPECT_EQ(records.reads, 30);
    page->tableList()->setCurrentIndex(2);
    EXPECT_EQ(records.reads, 60);
    context.channel = 0;
    page->Refresh();
    EXPECT_EQ(records.reads, 60);
}

TEST_F(MultirecordsFixture, TheScrollAndZoomButtonsWorkAtOnceAndKeepTheirViewOverRefreshes) {
    build(20, [](int i) { return at(60 * i); });
    showPage();
    plot::ScrollZoomBar& bar = *page->scrollZoomBar();
    ASSERT_TRUE(bar.view().viewSet());
    EXPECT_EQ(page->chart()->visibleLast(), 19);
    EXPECT_TRUE(bar.ZoomIn());           // "+"
    EXPECT_TRUE(bar.SmallShiftRight());  // ">"
    const int64_t first = page->chart()->visibleFirst();
    EXPECT_GT(first, 0);
    context.record = &records.records.back();
    page->Refresh();
    EXPECT_EQ(page->chart()->visibleFirst(), first);
}

// "To notepad" has nothing to note until a cursor is shown.
TEST_F(MultirecordsFixture, ToNotepadIsEnabledOnlyWhileACursorIsShown) {
    build(10, [](int i) { return at(60 * i); });
    showPage();
    auto* note = page->findChild<QPushButton*>(QStringLiteral("toNotepad"));
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->isEnabled());
    page->chart()->SetCursor(1, 3);
    EXPECT_TRUE(note->isEnabled());
    page->chart()->HideCursors();
    EXPECT_FALSE(note->isEnabled());
}

// The time axis is the records' own: the same whichever record is shown.
TEST_F(MultirecordsFixture, TheTimeAxisComesFromTheRecordsOwnStamps) {
    struct Case {
        const char* name;
        std::function<CalendarTime(int)> stamp;
        std::vector<double> seconds;  // of records 1, 2, 3 and the last
        bool clock;
    } cases[] = {
        {"rising stamps", [](int i) { return at(60 * i + (i == 2 ? 10 : 0)); }, {0, 60, 130, 1140}, true},
        // Stamps that do not rise (or are no date) leave the records' intervals, 60 s.
        {"equal stamps", [](int) { return at(0); }, {0, 60, 120, 1140}, true},
        {"no date", [](int) { return CalendarTime{1980, 0, 0, 0, 0, 0}; }, {0, 60, 120, 1140}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        build(20, c.stamp);
        for (size_t shown : {size_t{0}, size_t{19}}) {
            context.record = &records.records[shown];
            page->Refresh();
            const std::vector<double>& s = page->seconds();
            ASSERT_EQ(s.size(), 20u);
            EXPECT_EQ((std::vector<double>{s[0], s[1], s[2], s[19]}), c.seconds);
        }
        showPage();
        EXPECT_DOUBLE_EQ(page->chart()->xOf(19), c.seconds.back());
        // Clock-time labels when the records carry a date, seconds when asked for (or without a date).
        const bool clockLabels = page->chart()->xTickLabels().join(' ').contains(QLatin1Char(':'));
        EXPECT_EQ(clockLabels, c.clock);
        page->clockTimeBox()->setChecked(false);
        EXPECT_FALSE(page->chart()->xTickLabels().join(' ').contains(QLatin1Char(':')));
        // The text table keeps its seconds column under either label.
        page->clockTimeBox()->setChecked(true);
        EXPECT_TRUE(page->chart()->TextTable().startsWith(QStringLiteral("T[sec]\tL[dB]\n0\t")));
        EXPECT_TRUE(page->ClipboardText().startsWith(QStringLiteral("T[sec]\tL[dB]\n")));
    }
}

TEST_F(MultirecordsFixture, BoundsAreTakenOnlyInOrder) {
    build(3, [](int i) { return at(i); });
    struct Case {
        QString lower, upper;
        bool taken;
        double lo, hi;
    } cases[] = {
        {"20", "x", true, 20, 150},      // a text that is no number keeps its bound
        {"120", "100", false, 20, 150},  // lower above upper: refused, nothing changes
        {"50", "50", false, 20, 150},
        {"-10", "90.5", true, -10, 90.5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(page->ApplyBounds(c.lower, c.upper), c.taken) << c.lower.toStdString();
        EXPECT_EQ(page->lowerBound(), c.lo);
        EXPECT_EQ(page->upperBound(), c.hi);
    }
}

TEST(ChartDialogs, BoundsDialogStaysOpenWithTheTypedTextsUntilLowerIsBelowUpper) {
    BoundsDialog d(0.0, 150.0, nullptr);
    d.show();
    d.lowerEdit()->setText(QStringLiteral("160"));
    d.accept();
    EXPECT_TRUE(d.isVisible());
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.lowerEdit()->text(), QStringLiteral("160"));
    auto* problem = d.findChild<QLabel*>(QStringLiteral("problem"));
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->isVisible());
    EXPECT_TRUE(problem->text().contains(QStringLiteral("160"))) << problem->text().toStdString();
    d.upperEdit()->setText(QStringLiteral("170"));
    d.accept();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.lower(), 160.0);
    EXPECT_EQ(d.upper(), 170.0);
}

TEST(ChartDialogs, PlotDialogStaysOpenWithTheTypedValuesAndSaysWhatIsWrong) {
    struct Case {
        views::PlotLimits limits;
        const char* says;  // empty: accepted
    } cases[] = {
        {{100, 200, 100, 170, 170}, "lower limit must be below threshold 1"},
        {{0, 200, 120, 110, 170}, "threshold 1 must be below threshold 2"},
        {{0, 170, 100, 170, 170}, "threshold 2 must be below the upper limit"},
        {{50, 200, 100, 170, 40}, "threshold 3 must be above the lower limit"},
        {{10, 150, 60, 90, 120}, ""},
    };
    for (const Case& c : cases) {
        PlotLimitsDialog d(views::PlotLimits{}, nullptr);
        d.show();
        const views::PlotLimits& l = c.limits;
        const int values[] = {l.lower, l.upper, l.threshold1, l.threshold2, l.threshold3};
        for (int i = 0; i < 5; ++i) d.box(i)->setValue(values[i]);
        d.accept();
        const bool accepted = std::string(c.says).empty();
        EXPECT_EQ(d.isVisible(), !accepted) << c.says;
        EXPECT_EQ(d.result() == QDialog::Accepted, accepted) << c.says;
        EXPECT_TRUE(d.problem().contains(QString::fromLatin1(c.says))) << d.problem().toStdString();
        if (!accepted) {
            EXPECT_TRUE(d.problem().startsWith(QStringLiteral("Error in parameters")));
        }
        // All five typed values are still there.
        const views::PlotLimits kept = d.limits();
        EXPECT_EQ(kept.lower, l.lower);
        EXPECT_EQ(kept.threshold3, l.threshold3);
    }
}

TEST(SpectraPage, LimitsOutliveThePagesAndTheBarsCarryTheirAxisTitles) {
    SpectrumPlotLimits() = {};
    CountingRecords records = makeRecords(1, at);
    PageContext context;
    context.type = kType;
    context.record = &records.records.front();
    auto page = std::make_unique<SpectraPage>(context, nullptr);
    ASSERT_TRUE(page->ApplyLimits({10, 150, 60, 90, 120}));
    // The window builds its pages anew (for another file, channel or language) with a fresh context.
    page.reset();
    context = PageContext{};
    context.type = kType;
    context.record = &records.records.front();
    page = std::make_unique<SpectraPage>(context, nullptr);
    for (plot::BarChart* chart : {page->octaveChart(), page->thirdChart()}) {
        ASSERT_TRUE(chart);
        EXPECT_EQ(chart->lo(), 10.0);
        EXPECT_EQ(chart->hi(), 150.0);
        EXPECT_EQ(chart->bandTitle(), QStringLiteral("Freq band [Hz] "));
        EXPECT_EQ(chart->valueTitle(), QStringLiteral("Level [dB]"));
    }
    SpectrumPlotLimits() = {};
}

// The region of a widget's paint events.
struct PaintSpy : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
    QRegion painted;
};

// The cells of a page's tables whose texts differ between two records: {table, row, column}.
std::vector<std::array<int, 3>> differingCells(const MeasurementRecord& a, const MeasurementRecord& b) {
    const auto before = views::TablesFor(kType, views::PageKind::ThirdTable, &a, 0);
    const auto after = views::TablesFor(kType, views::PageKind::ThirdTable, &b, 0);
    std::vector<std::array<int, 3>> cells;
    for (size_t t = 0; t < after.size(); ++t)
        for (size_t r = 0; r < after[t].values.size(); ++r)
            for (size_t c = 0; c < after[t].values[r].size(); ++c)
                if (views::LevelCellText(before[t].values[r][c]) !=
                    views::LevelCellText(after[t].values[r][c]))
                    cells.push_back({int(t), int(r), int(c)});
    return cells;
}

// A live refresh repaints the cells whose text changed and nothing else of the table.
TEST(TablePage, ARefreshRepaintsOnlyTheChangedCells) {
    CountingRecords records = makeRecords(2, at);
    // A record that differs from the first in exactly one cell.
    MeasurementRecord one = records.records[0];
    std::array<int, 3> cell{};
    for (size_t k = 0; k < one.levels.size(); ++k) {
        MeasurementRecord changed = records.records[0];
        changed.levels[k] += 1.0;
        const auto cells = differingCells(records.records[0], changed);
        if (cells.size() != 1) continue;
        one = changed;
        cell = cells.front();
        break;
    }
    ASSERT_NE(one.levels, records.records[0].levels);
    PageContext context;
    context.type = kType;
    context.record = &records.records[0];
    TablePage page(context, views::PageKind::ThirdTable, nullptr);
    page.resize(1000, 900);
    page.ClickToggle(views::ToggleButtonId(0, true, 1), false);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QApplication::processEvents();
    std::array<PaintSpy, 2> spies;
    PaintSpy headers;  // the toggle headers never change with the values
    for (int k = 0; k < page.tableCount(); ++k) {
        page.table(k)->viewport()->installEventFilter(&spies[size_t(k)]);
        page.table(k)->horizontalHeader()->viewport()->installEventFilter(&headers);
        page.table(k)->verticalHeader()->viewport()->installEventFilter(&headers);
    }
    auto refresh = [&](const MeasurementRecord& r) {
        for (PaintSpy& s : spies) s.painted = {};
        context.record = &r;
        page.Refresh();
        QApplication::processEvents();
    };
    refresh(records.records[0]);  // the same values: nothing to paint
    for (const PaintSpy& s : spies) EXPECT_TRUE(s.painted.isEmpty());
    refresh(one);
    QTableWidget* table = page.table(cell[0]);
    const QRect cellRect = table->visualItemRect(table->item(cell[1], cell[2]));
    EXPECT_FALSE(spies[size_t(cell[0])].painted.isEmpty());
    EXPECT_TRUE(cellRect.contains(spies[size_t(cell[0])].painted.boundingRect()))
        << spies[size_t(cell[0])].painted.boundingRect().width();
    EXPECT_TRUE(spies[size_t(1 - cell[0])].painted.isEmpty());
    EXPECT_TRUE(headers.painted.isEmpty());
    EXPECT_EQ(table->item(cell[1], cell[2])->text().toStdString(),
              views::LevelCellText(page.shown()[size_t(cell[0])].values[size_t(cell[1])][size_t(cell[2])]));
    // A record where much changes shows every new text; the selection stays painted.
    refresh(records.records[1]);
    ASSERT_FALSE(differingCells(one, records.records[1]).empty());
    for (int k = 0; k < page.tableCount(); ++k)
        for (int r = 0; r < page.table(k)->rowCount(); ++r)
            for (int c = 0; c < page.table(k)->columnCount(); ++c)
                ASSERT_EQ(page.table(k)->item(r, c)->text().toStdString(),
                          views::LevelCellText(page.shown()[size_t(k)].values[size_t(r)][size_t(c)]));
    EXPECT_NE(page.table(0)->item(0, 1)->background(), page.table(0)->item(0, 0)->background());
}

// A replay from a marker: the trace's times count from the record's start, and the markers are drawn.
TEST(SignalPage, TheTraceStartsAtTheReplayStartAndShowsTheMarkers) {
    views::SignalTrace trace(100);
    const std::vector<ReplayMark> choices = {{true, 0, {}}, {false, 4000, u"Start"}, {false, 4010, u"Hit"}};
    trace.Reset(1000.0, 4000, views::TraceMarkers(choices));
    for (int i = 0; i < 20; ++i) trace.Append({static_cast<double>(i), 0.0, 0.0});
    EXPECT_EQ(trace.markers(), (std::vector<views::TraceMarker>{{4000, "Start"}, {4010, "Hit"}}));
    EXPECT_DOUBLE_EQ(trace.startTime(), 4.0);
    EXPECT_EQ(trace.Text(0, "Pa").substr(0, 25), "T[sec]\tch1[Pa]\n4\t0\n4.001\t");
    SignalState state;
    PageContext context;
    SignalPage page(context, trace, state, nullptr);
    page.Refresh();
    EXPECT_DOUBLE_EQ(page.chart()->xOf(page.chart()->visibleFirst()), 4.0);
    ASSERT_EQ(page.chart()->markers().size(), 2u);
    EXPECT_DOUBLE_EQ(page.chart()->markers()[1].x, 4.01);
    EXPECT_EQ(page.chart()->markers()[1].name, QStringLiteral("Hit"));
    // A reset without a start counts from zero again.
    trace.Reset(1000.0);
    EXPECT_DOUBLE_EQ(trace.startTime(), 0.0);
    EXPECT_TRUE(trace.markers().empty());
}

}  // namespace
}  // namespace k470::app
