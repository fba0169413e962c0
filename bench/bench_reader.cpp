// Figures for opening a stored page from the document list: the page read
// into a document value alone, and the whole open into the window (save
// prompt, page, stock list, address lines, totals, payments) with a full
// address book and payments file over a small or a full catalogue.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "BenchFiles.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/PageReader.h"
#include "html/PageWriter.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "support/Records.h"

namespace {

constexpr int kSmallCatalogue = 200;
constexpr int kStockRecord = 383;
constexpr int kFull = 32767;

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

// A started program whose document of `lines` line items, discount, taxes,
// shipping and both addresses is saved as the page of 000123.
struct SavedDocument {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    QByteArray page;

    SavedDocument(int lines, int catalogue) {
        const QString data = dataOf(dir);
        t.app->start();
        writeFullStockFile(data + QStringLiteral("ovo_stock.dat"));
        QFile(data + QStringLiteral("ovo_stock.dat")).resize(qint64(catalogue) * kStockRecord);
        QByteArray book, paid;
        book.reserve(kFull * 570);
        paid.reserve(kFull * 23);
        for (int n = 1; n <= kFull; ++n) {
            const QByteArray name = n == kFull ? "Acme Hardware" : "Customer " + QByteArray::number(n);
            book += addyRecord('1', n % 2 ? 'V' : 'T', n, name, "1 Main St\r\nSpringfield");
            paid += paymentRecord('1', QByteArray::number(n % 9000).rightJustified(6, '0'),
                                  46000 + n % 300, qint64(n) * 100);
        }
        writeBytes(data + QStringLiteral("ovo_addy.dat"), book);
        writeBytes(data + QStringLiteral("pay_data.dat"), paid);

        FormModel& f = t.app->mainForm();
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
        page = writePage(t.app->mapper().read(), t.app->state().ConfigRec, usFormats());
        writeBytes(data + QStringLiteral("2026/000123.htm"), page);
        t.app->session().markUnchanged();
    }
};

void BM_ReadPage(benchmark::State& state) {
    SavedDocument doc(static_cast<int>(state.range(0)), kSmallCatalogue);
    for (auto _ : state) {
        const PageRead read = readPage(doc.page, SalesDocument(), usFormats());
        benchmark::DoNotOptimize(read.document.items.size());
    }
    state.counters["bytes"] = static_cast<double>(doc.page.size());
}
BENCHMARK(BM_ReadPage)->Arg(500)->Unit(benchmark::kMillisecond);

// Opening a row of the document list: lines, then catalogue size.
void BM_OpenFromList(benchmark::State& state) {
    SavedDocument doc(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        if (!doc.t.app->session().open(QStringLiteral("000123"), QStringLiteral("2026\\"))) {
            state.SkipWithError("the page was not opened");
            break;
        }
    }
    const GridModel* grid = doc.t.app->mainForm().grid(QStringLiteral("OrderGrid"));
    if (grid->rows() != state.range(0) + 1) state.SkipWithError("lines were lost");
}
BENCHMARK(BM_OpenFromList)
    ->Args({500, kSmallCatalogue})
    ->Args({500, kFull})
    ->Unit(benchmark::kMillisecond);

}  // namespace
