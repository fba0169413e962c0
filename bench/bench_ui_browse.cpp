// Time from a refill of the full document list to the list's first paint,
// and from a heading click to the repaint, in the real window
// (QT_QPA_PLATFORM=offscreen): build/bench/tallybrook_bench_ui
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

#include "app/Application.h"
#include "browse/DocumentBrowser.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"

namespace {

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

void writeFullIndex(const QString& path, double latest) {
    QByteArray bytes;
    bytes.reserve(qsizetype(32767) * 351);
    for (int n = 1; n <= 32767; ++n) {
        QByteArray r(351, ' ');
        r[0] = "pPiI"[n % 4];
        r.replace(1, 6, QByteArray::number(n).rightJustified(6, '0'));
        const double date = latest - n % 90;
        quint64 bits = 0;
        std::memcpy(&bits, &date, 8);
        qToLittleEndian(bits, r.data() + 19);
        qToLittleEndian(bits, r.data() + 147);
        r.replace(27, 12, ("Customer " + QByteArray::number(n % 300)).leftJustified(12, ' '));
        for (int a = 0; a < 7; ++a)
            qToLittleEndian<qint64>(qint64(n) * 4321, r.data() + 155 + a * 8);
        r.replace(211, 40, QByteArray(40, '\0'));
        r.replace(251, 5, "2026\\");
        bytes += r;
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

struct Window {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    MainWindow w{*t.app};
    QTableView* view = nullptr;
    PaintWatch watch;
    Window() {
        w.start();
        writeFullIndex(t.app->index().path(), t.app->state().ConfigRec.dateLatest);
        t.app->mainForm().click(QStringLiteral("ViewExisting"));
        view = w.findChild<QTableView*>(QStringLiteral("POGrid"));
        view->viewport()->installEventFilter(&watch);
    }
    void waitForPaint() {
        view->viewport()->update();
        while (!watch.painted) QApplication::processEvents();
        watch.painted = false;
    }
};

void BM_DocumentListToFirstPaint(benchmark::State& state) {
    Window x;
    for (auto _ : state) {
        x.t.app->browser().PopPOGrid();
        x.waitForPaint();
    }
    state.counters["rows"] = x.view->model()->rowCount();
}
BENCHMARK(BM_DocumentListToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_DocumentListHeadingSortToPaint(benchmark::State& state) {
    Window x;
    GridModel& grid = *x.t.app->mainForm().grid(QStringLiteral("POGrid"));
    for (auto _ : state) {
        grid.setCurrentRow(0);
        grid.setCurrentCol(6);
        x.t.app->mainForm().click(QStringLiteral("POGrid"));
        x.waitForPaint();
    }
    state.counters["rows"] = x.view->model()->rowCount();
}
BENCHMARK(BM_DocumentListHeadingSortToPaint)->Unit(benchmark::kMillisecond);

}  // namespace
