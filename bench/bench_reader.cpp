// Figures for reading a stored page back: the markers alone, and the whole
// load into the window (clearing it, both stock list refills, the totals).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "BenchFiles.h"
#include "base/Cp1252.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/PageReader.h"
#include "html/PageWriter.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

constexpr int kSmallCatalogue = 200;
constexpr int kStockRecord = 383;

// A started program over a small catalogue whose document of `lines` line
// items, discount, taxes, shipping and both addresses is saved as a page.
struct SavedDocument {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    PageWriter writer{t.app->context()};
    PageReader reader{t.app->context(), t.app->document(), t.app->totals()};
    QString path;

    explicit SavedDocument(int lines) {
        const QString stock = dataOf(dir) + QStringLiteral("ovo_stock.dat");
        t.app->start();
        writeFullStockFile(stock);
        QFile(stock).resize(qint64(kSmallCatalogue) * kStockRecord);
        reader.bind();
        FormModel& f = t.app->mainForm();
        // Choosing a Sold To name refills the stock list, as the address
        // book does.
        f.onClick(QStringLiteral("ToCombo"), [this] { t.app->context().hooks.PopStockList(); });

        GridModel* grid = f.grid(QStringLiteral("OrderGrid"));
        for (int i = 1; i <= lines; ++i) {
            grid->addItem(QStringLiteral("%1\tTools\tAcme Manufacturing\tea\tStock item number "
                                         "%1, a longer description of the item\t12.50\t%2\t%1")
                              .arg(i)
                              .arg(QStringLiteral("%1.50").arg(i * 12)));
        }
        f.setText(QStringLiteral("PONoEd"), QStringLiteral("000123"));
        f.setText(QStringLiteral("ToCombo"), QStringLiteral("Acme Hardware"));
        f.setText(QStringLiteral("ShipToCombo"), QStringLiteral("Acme Warehouse"));
        f.setText(QStringLiteral("DiscountFactorEd"), QStringLiteral(".1"));
        f.setText(QStringLiteral("TaxFactorEd"), QStringLiteral(".065"));
        f.setText(QStringLiteral("OtherTaxFactorEd"), QStringLiteral(".01"));
        f.setText(QStringLiteral("ShippingEd"), QStringLiteral("15.00"));
        f.setText(QStringLiteral("CommentsEd"), QStringLiteral("Thank you!"));
        t.app->totals().TotalUp();
        path = t.app->state().DataPath + QStringLiteral("2026\\000123.htm");
        writer.MakeSnap(path);
    }
};

void BM_ReadStoredDocument(benchmark::State& state) {
    SavedDocument doc(static_cast<int>(state.range(0)));
    const QByteArray page = doc.writer.page();
    for (auto _ : state) {
        const StoredDocument stored = readStoredDocument(page);
        benchmark::DoNotOptimize(stored.items.size());
    }
    state.counters["bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_ReadStoredDocument)->Arg(500)->Unit(benchmark::kMillisecond);

// LoadOrder as the document list runs it, over a small catalogue.
void BM_LoadOrder(benchmark::State& state) {
    SavedDocument doc(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!doc.reader.LoadOrder(doc.path)) {
            state.SkipWithError("the page was not loaded");
            break;
        }
    }
    const GridModel* grid = doc.t.app->mainForm().grid(QStringLiteral("OrderGrid"));
    if (grid->rows() != state.range(0) + 1) state.SkipWithError("lines were lost");
}
BENCHMARK(BM_LoadOrder)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
