// SPDX-License-Identifier: GPL-3.0-or-later
// A live level page at the instrument's message rate: 33 new records a second, each refreshing the
// "1/3 octaves" page, with the repaint that follows. Reported as the share of one core that a second of
// messages costs ("core_percent"; the goal is under 5). The levels drift from record to record as the
// simulator's do, here every cell with every message: the worst case, where the repainted rectangle is
// the whole table.
// "FullRepaint" repaints the whole table after each message, as a refresh that touched every cell did.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableWidget>
#include <ctime>

#include "app/pages/record/table_page.h"
#include "app/pages/source_page.h"
#include "data/sample_records.h"

namespace {

constexpr int kMessagesPerSecond = 33;  // the instrument's status messages

std::vector<k470::MeasurementRecord> liveRecords() {
    // Two seconds of messages: each record a step of the way from one sample record to the next.
    std::vector<k470::MeasurementRecord> out;
    for (int second = 0; second < 2; ++second) {
        const auto a = *k470::makeSampleRecord({3, 1, 1, second});
        const auto b = *k470::makeSampleRecord({3, 1, 1, second + 1});
        for (int m = 0; m < kMessagesPerSecond; ++m) {
            auto r = a;
            const double f = static_cast<double>(m) / kMessagesPerSecond;
            for (size_t i = 0; i < r.levels.size(); ++i)
                r.levels[i] = a.levels[i] * (1 - f) + b.levels[i] * f;
            out.push_back(r);
        }
    }
    return out;
}

void runLivePage(benchmark::State& state, bool fullRepaint) {
    const auto records = liveRecords();
    k470::app::PageContext context;
    context.type = 3;
    context.record = &records.front();
    k470::app::TablePage page(context, k470::views::PageKind::ThirdTable, nullptr);
    page.resize(1000, 700);
    page.show();
    QApplication::processEvents();
    size_t next = 0;
    double refresh = 0, paint = 0;
    auto seconds = [](std::clock_t from) {
        return static_cast<double>(std::clock() - from) / CLOCKS_PER_SEC;
    };
    for (auto _ : state) {
        for (int m = 0; m < kMessagesPerSecond; ++m) {
            std::clock_t start = std::clock();
            context.record = &records[next++ % records.size()];
            page.Refresh();
            if (fullRepaint)
                for (int k = 0; k < page.tableCount(); ++k) page.table(k)->viewport()->update();
            refresh += seconds(start);
            start = std::clock();
            QApplication::processEvents();  // the repaint
            paint += seconds(start);
        }
    }
    // CPU seconds per second of messages, as a share of one core, in all and for the two halves.
    const auto n = static_cast<double>(state.iterations());
    state.counters["core_percent"] = 100.0 * (refresh + paint) / n;
    state.counters["refresh_percent"] = 100.0 * refresh / n;
    state.counters["paint_percent"] = 100.0 * paint / n;
}

void BM_LiveThirdsPage(benchmark::State& state) {
    runLivePage(state, false);
}
BENCHMARK(BM_LiveThirdsPage)->Unit(benchmark::kMillisecond);

void BM_LiveThirdsPageFullRepaint(benchmark::State& state) {
    runLivePage(state, true);
}
BENCHMARK(BM_LiveThirdsPageFullRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
