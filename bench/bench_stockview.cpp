// Time from a refill of the full stock list to the list's first paint, in
// the real window (QT_QPA_PLATFORM=offscreen): build/bench/tallybrook_bench_ui
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>

#include "BenchFiles.h"
#include "app/Application.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"

namespace {

// Notes when the list's viewport has painted.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

void BM_StockListToFirstPaint(benchmark::State& state) {
    QTemporaryDir dir;
    TestApp t(dir.path());
    MainWindow w(*t.app);
    w.start();
    writeFullStockFile(dataOf(dir) + QStringLiteral("ovo_stock.dat"));
    auto* view = w.findChild<QTableView*>(QStringLiteral("StockGrid"));
    PaintWatch watch;
    view->viewport()->installEventFilter(&watch);
    for (auto _ : state) {
        watch.painted = false;
        t.app->catalogue().PopStockList();
        view->viewport()->update();
        while (!watch.painted) QApplication::processEvents();
    }
    state.counters["rows"] = view->model()->rowCount();
}
BENCHMARK(BM_StockListToFirstPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
