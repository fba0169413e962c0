// Figures for writing a document's page: built in memory, written without a
// flush to disk, and saved for real (the atomic replace ends with an fsync).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/PageWriter.h"
#include "records/RecordFile.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

// A started program whose document has `lines` line items, discount, both
// taxes and shipping, and Sold To / Ship To addresses.
struct BigDocument {
    QTemporaryDir dir;
    TestApp t{dir.path()};

    explicit BigDocument(int lines) {
        t.app->start();
        FormModel& f = t.app->mainForm();
        GridModel* grid = f.grid(QStringLiteral("OrderGrid"));
        for (int i = 1; i <= lines; ++i) {
            grid->addItem(QStringLiteral(" %1\tTools\tAcme Manufacturing\tea\tStock item number "
                                         "%1, a longer description of the item\t12.50\t%2\t%1")
                              .arg(i)
                              .arg(QStringLiteral("%1.50").arg(i * 12)));
        }
        f.setText(QStringLiteral("PONoEd"), QStringLiteral("000123"));
        f.setText(QStringLiteral("ToCombo"), QStringLiteral("Acme Hardware"));
        f.setText(QStringLiteral("ToField"), QStringLiteral("12 Main St\r\nSpringfield"));
        f.setText(QStringLiteral("ShipToCombo"), QStringLiteral("Acme Warehouse"));
        f.setText(QStringLiteral("ShipToField"), QStringLiteral("400 River Rd\r\nRiverton"));
        f.setText(QStringLiteral("DiscountFactorEd"), QStringLiteral(".1"));
        f.setText(QStringLiteral("DiscountEd"), QStringLiteral("1,000.00"));
        f.setText(QStringLiteral("TaxFactorEd"), QStringLiteral(".065"));
        f.setText(QStringLiteral("SalesTaxEd"), QStringLiteral("650.00"));
        f.setText(QStringLiteral("OtherTaxFactorEd"), QStringLiteral(".01"));
        f.setText(QStringLiteral("OtherTaxEd"), QStringLiteral("100.00"));
        f.setText(QStringLiteral("ShippingEd"), QStringLiteral("15.00"));
        f.setText(QStringLiteral("CommentsEd"), QStringLiteral("Thank you!"));
    }
    QByteArray page() {
        return writePage(t.app->mapper().read(), t.app->state().ConfigRec, usFormats());
    }
};

void BM_PageInMemory(benchmark::State& state) {
    BigDocument doc(static_cast<int>(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray page = doc.page();
        bytes = page.size();
        benchmark::DoNotOptimize(page.constData());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PageInMemory)->Arg(500)->Unit(benchmark::kMillisecond);

// The page built and written over the old file, without a flush to disk.
void BM_PageWrittenNoFlush(benchmark::State& state) {
    BigDocument doc(static_cast<int>(state.range(0)));
    const QString path = doc.dir.filePath(QStringLiteral("nosync.htm"));
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            state.SkipWithError("cannot write the page");
            break;
        }
        file.write(doc.page());
    }
}
BENCHMARK(BM_PageWrittenNoFlush)->Arg(500)->Unit(benchmark::kMillisecond);

// The page as the save commands write it: built, then temporary file,
// fsync, rename.
void BM_PageReplaced(benchmark::State& state) {
    BigDocument doc(static_cast<int>(state.range(0)));
    const QString path = doc.t.app->state().DataPath + QStringLiteral("2026\\000123.htm");
    for (auto _ : state) {
        if (!replaceFile(path, doc.page()).ok()) {
            state.SkipWithError("the page was not written");
            break;
        }
    }
}
BENCHMARK(BM_PageReplaced)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
