// The main window at full size: every record file at 32,767 records, the
// program put together as main() does (the Qt window host shows the viewer),
// QT_QPA_PLATFORM=offscreen. Each figure is one pass, five times over:
//   build-r/bench/tallybrook_bench_ui --benchmark_filter=Window
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <unistd.h>

#include "BenchFiles.h"
#include "app/Application.h"
#include "browse/DocumentList.h"
#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/PageWriter.h"
#include "support/Fakes.h"
#include "support/Records.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

namespace {

constexpr int kFull = 32767;
constexpr int kDocuments = 50;  // numbers 1 to 50 have pages; odd ones 500 lines, even 20

double rssMB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

QString numberOf(int n) { return QString::number(n).rightJustified(6, u'0'); }

// The program with fakes for the boxes and the desktop, and the real window host.
struct Program {
    FakePrompter prompter;
    FakeDesktop desktop;
    FakeClock clock;
    QtWindowHost windows;
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;

    explicit Program(const QString& folder) {
        Application::Seams seams;
        seams.prompter = &prompter;
        seams.desktop = &desktop;
        seams.clock = &clock;
        seams.formats = &usFormats();
        seams.windows = &windows;
        app = std::make_unique<Application>(seams, folder);
        window = std::make_unique<MainWindow>(*app);
        windows.setParentWindow(window.get());
        windows.setPrompter(prompter);
    }
    QWidget* viewport(const char* grid) const {
        auto* view = window->findChild<QAbstractScrollArea*>(QLatin1String(grid));
        return view ? view->viewport() : nullptr;
    }
    // Every visible list of the window painted afresh.
    void waitForPaint() const;
    // Clicks a document's row in the document list.
    void openFromList(int n) const {
        GridModel& grid = *app->mainForm().grid(QLatin1String(ctl::POGrid));
        const QString number = numberOf(n);
        for (int r = 1; r < grid.rows(); ++r) {
            if (grid.cell(r, doclist::Number).trimmed() != number) continue;
            grid.setCurrentRow(r);
            grid.setCurrentCol(doclist::Number);
            app->mainForm().click(QLatin1String(ctl::POGrid));
            return;
        }
        qFatal("document %d is not listed", n);
    }
};

class PaintWatch : public QObject {
public:
    int pending = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->property("waited").toBool()) {
            watched->setProperty("waited", false);
            --pending;
        }
        return false;
    }
};

void Program::waitForPaint() const {
    PaintWatch watch;
    for (const char* grid : {ctl::POGrid, ctl::StockGrid, ctl::OrderGrid}) {
        QWidget* v = viewport(grid);
        if (!v || !v->isVisible()) continue;
        v->setProperty("waited", true);
        v->installEventFilter(&watch);
        v->update();
        ++watch.pending;
    }
    while (watch.pending > 0) QApplication::processEvents();
}

// A folder with every record file full, made once.
const QTemporaryDir& fullFolder() {
    static QTemporaryDir dir;
    static bool made = false;
    if (made) return dir;
    made = true;
    runOnce(dir);
    const QString data = dataOf(dir);
    writeFullStockFile(data + QStringLiteral("ovo_stock.dat"));
    const double latest = 46362;  // 6 December 2026, the fake clock's day
    QByteArray index, addresses, payments;
    for (int n = 1; n <= kFull; ++n) {
        const QByteArray number = numberOf(n).toLatin1();
        const QByteArray customer = "Customer " + QByteArray::number(n % 300);
        index += indexRecord("pPiI"[n % 4], number, "2026\\", "JOB" + number, latest - n % 90,
                             customer, customer, latest - n % 90, {qint64(n) * 4321});
        addresses += addyRecord('1', n % 2 ? 'V' : 'T', n, "Contact " + QByteArray::number(n),
                                "Street " + QByteArray::number(n) + "\r\nTown");
        payments += paymentRecord('C', numberOf(n % 5000 + 1).toLatin1(), latest - n % 90,
                                  qint64(n) * 100);
    }
    writeFile(data + QStringLiteral("ovo_data2.dat"), index);
    writeFile(data + QStringLiteral("ovo_addy.dat"), addresses);
    writeFile(data + QStringLiteral("pay_data.dat"), payments);

    Program setup(dir.path());
    setup.app->start();
    for (int n = 1; n <= kDocuments; ++n) {
        SalesDocument doc;
        doc.kind = DocumentKind(n % 4);
        doc.number = numberOf(n);
        doc.subFolder = QStringLiteral("2026\\");
        doc.orderDate = QStringLiteral("12/6/2026");
        doc.soldTo = QStringLiteral("Customer %1").arg(n % 300);
        doc.comments = QStringLiteral("Delivered to the back door.");
        for (int line = 0; line < (n % 2 ? 500 : 20); ++line) {
            doc.items.append({QString::number(line % 9 + 1), QStringLiteral("Category %1").arg(line),
                              QStringLiteral("Maker %1").arg(line % 40), QStringLiteral("ea"),
                              QStringLiteral("Stock item number %1, a longer description").arg(line),
                              QStringLiteral("12.50"),
                              QString::number((line % 9 + 1) * 12.5, 'f', 2),
                              QString::number(line + 1)});
        }
        writeFile(data + QStringLiteral("2026/") + doc.number + QStringLiteral(".htm"),
                  writePage(doc, setup.app->state().ConfigRec, usFormats()));
    }
    setup.app->close();
    // Files written moments ago are always read again (their times may not
    // show the next change yet): dated an hour back, a run of one benchmark
    // alone times what a user's long-saved files cost.
    const QDateTime before = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString& name : QDir(data).entryList(QDir::Files)) {
        QFile file(data + name);
        if (file.open(QIODevice::ReadWrite)) file.setFileTime(before, QFileDevice::FileModificationTime);
    }
    return dir;
}

void fiveRuns(benchmark::internal::Benchmark* b) {
    b->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
    b->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });
    b->ComputeStatistics("max", [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    });
}

// Runs first: the memory figure is that of a program that has just started.
void BM_WindowFirstShown(benchmark::State& state) {
    const QTemporaryDir& dir = fullFolder();
    for (auto _ : state) {
        Program p(dir.path());
        p.window->start();
        p.waitForPaint();
        state.PauseTiming();
        state.counters["rss_MB"] = rssMB();
        p.app->close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowFirstShown)->Apply(fiveRuns);

// A program started on the full folder, kept for the benchmarks below.
// Left to the end of the process: its windows must not outlive QApplication.
Program& started() {
    static Program* p = [] {
        auto* q = new Program(fullFolder().path());
        q->window->start();
        q->waitForPaint();
        return q;
    }();
    return *p;
}

void BM_WindowShowDocumentList(benchmark::State& state) {
    Program& p = started();
    for (auto _ : state) {
        p.app->mainForm().click(QLatin1String(ctl::ViewExisting));
        p.app->browser().PopPOGrid();
        p.waitForPaint();
    }
}
BENCHMARK(BM_WindowShowDocumentList)->Apply(fiveRuns);

void BM_WindowShowStockList(benchmark::State& state) {
    Program& p = started();
    for (auto _ : state) {
        p.app->catalogue().PopStockList();
        p.waitForPaint();
    }
}
BENCHMARK(BM_WindowShowStockList)->Apply(fiveRuns);

// Argument: the lines of the document opened.
void BM_WindowOpenFromList(benchmark::State& state) {
    Program& p = started();
    p.app->mainForm().click(QLatin1String(ctl::ViewExisting));
    int turn = 0;
    for (auto _ : state) {
        // Another document each time, so nothing of the last one is reused.
        const int n = (state.range(0) == 500 ? 1 : 2) + 2 * (turn++ % 10);
        p.openFromList(n);
        p.waitForPaint();
        if (p.app->mapper().number().trimmed() != numberOf(n)) state.SkipWithError("not opened");
    }
}
BENCHMARK(BM_WindowOpenFromList)->Arg(20)->Arg(500)->Apply(fiveRuns);

void BM_WindowSaveChanges500(benchmark::State& state) {
    Program& p = started();
    p.openFromList(1);
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        p.app->mainForm().setText(QLatin1String(ctl::CommentsEd),
                                  QStringLiteral("Changed %1").arg(++turn));
        state.ResumeTiming();
        if (!p.app->session().SaveChanges()) state.SkipWithError("not saved");
        p.waitForPaint();
    }
}
BENCHMARK(BM_WindowSaveChanges500)->Apply(fiveRuns);

// View / Print of the saved 500-line document, to the page's first paint.
void BM_WindowViewPrint500(benchmark::State& state) {
    Program& p = started();
    p.openFromList(3);
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 painted = -1;
        struct Watch : QObject {
            qint64* painted;
            QElapsedTimer* clock;
            bool eventFilter(QObject* o, QEvent* e) override {
                auto* w = qobject_cast<QWidget*>(o);
                if (e->type() == QEvent::Paint && *painted < 0 && w && w->parentWidget() &&
                    w->parentWidget()->objectName() == QLatin1String(ctl::WebBrowser1)) {
                    *painted = clock->nsecsElapsed();
                    QWidget* dialog = w->window();
                    QTimer::singleShot(0, dialog, [dialog] { dialog->close(); });
                }
                return false;
            }
        } watch;
        watch.painted = &painted;
        watch.clock = &clock;
        qApp->installEventFilter(&watch);
        clock.start();
        p.app->mainForm().click(QLatin1String(ctl::MakeOrder));
        qApp->removeEventFilter(&watch);
        if (painted < 0) state.SkipWithError("the viewer did not paint");
        state.SetIterationTime(double(painted) / 1e9);
    }
}
BENCHMARK(BM_WindowViewPrint500)->Apply(fiveRuns)->UseManualTime();

void BM_WindowOpenFifty(benchmark::State& state) {
    Program& p = started();
    for (auto _ : state) {
        for (int n = 1; n <= kDocuments; ++n) {
            p.openFromList(n);
            p.waitForPaint();
        }
        state.counters["rss_MB"] = rssMB();
    }
}
BENCHMARK(BM_WindowOpenFifty)->Apply(fiveRuns);

}  // namespace
