// Figures for the stock list at full size and for adding stock lines.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

#include "BenchFiles.h"
#include "app/Application.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"

namespace {

void BM_PopStockListFull(benchmark::State& state) {
    QTemporaryDir dir;
    TestApp t(dir.path());
    t.app->start();
    writeFullStockFile(dataOf(dir) + QStringLiteral("ovo_stock.dat"));
    for (auto _ : state) t.app->catalogue().PopStockList();
    state.counters["rows"] = t.app->mainForm().grid(QStringLiteral("StockGrid"))->rows() - 1;
    state.counters["categories"] =
        static_cast<double>(t.app->mainForm().items(QStringLiteral("StockCatCombo")).size());
}
BENCHMARK(BM_PopStockListFull)->Unit(benchmark::kMillisecond);

// The next file number of a full stock file, as the Catalogue finds it.
void BM_GetNextTagFull(benchmark::State& state) {
    QTemporaryDir dir;
    TestApp t(dir.path());
    t.app->start();
    writeFullStockFile(dataOf(dir) + QStringLiteral("ovo_stock.dat"));
    for (auto _ : state) benchmark::DoNotOptimize(t.app->catalogue().GetNextTag());
}
BENCHMARK(BM_GetNextTagFull)->Unit(benchmark::kMillisecond);

// A new item saved into a file of nearly 32,767: the tag scan under the
// lock, the append and the list refill, as the Save button runs them.
void BM_SaveNewStockItemNearFull(benchmark::State& state) {
    QTemporaryDir dir;
    TestApp t(dir.path());
    t.app->start();
    const QString path = dataOf(dir) + QStringLiteral("ovo_stock.dat");
    writeFullStockFile(path);
    QFile(path).resize(qint64(32767 - 64) * 383);
    t.app->mainForm().setText(QStringLiteral("StockUnitCostEd"), QStringLiteral("1"));
    for (auto _ : state) t.app->catalogue().SaveNewStockItem();
}
BENCHMARK(BM_SaveNewStockItemNearFull)->Unit(benchmark::kMillisecond)->Iterations(40);

// A stock pick on a document of 1,000 lines: find the line, replace it, total.
void BM_AddStockLineTo1000(benchmark::State& state) {
    QTemporaryDir dir;
    TestApp t(dir.path());
    t.app->start();
    FormModel& f = t.app->mainForm();
    f.setText(QStringLiteral("StockUnitCostEd"), QStringLiteral("2.50"));
    t.app->catalogue().SaveNewStockItem();
    GridModel* order = f.grid(QStringLiteral("OrderGrid"));
    for (int i = 1; i <= 999; ++i) {
        order->addItem(QStringLiteral(" 1\tc\tm\tea\tLine %1\t1.00\t1.00\tspecial").arg(i));
    }
    GridModel* stock = f.grid(QStringLiteral("StockGrid"));
    stock->setCurrentRow(1);
    t.app->lineEntry().StockGrid_DblClick();  // the item's line, last of 1,000
    for (auto _ : state) {
        // Keep the quantity small so every pick does the same work.
        order->setCell(order->rows() - 1, 0, QStringLiteral(" 1"));
        t.app->lineEntry().StockGrid_DblClick();
    }
    state.counters["lines"] = order->rows() - 1;
}
BENCHMARK(BM_AddStockLineTo1000)->Unit(benchmark::kMicrosecond);

}  // namespace
