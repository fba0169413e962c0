// Figures for the address book at full size: 32,767 entries (18.7 MB).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

#include "addresses/AddressBook.h"
#include "app/Application.h"
#include "forms/FormModel.h"
#include "support/Bytes.h"
#include "support/Fakes.h"

namespace {

QByteArray entry(int n) {
    QByteArray r;
    r += "1V";
    const double tag = n;
    char le[8];
    quint64 bits = 0;
    std::memcpy(&bits, &tag, 8);
    qToLittleEndian(bits, le);
    r += QByteArray(le, 8);
    r += bytes::text("Customer number " + QByteArray::number(n), 60);
    r += bytes::text("Attn: Accounts payable\r\n" + QByteArray::number(n) +
                         " Long Street Name That Goes On\r\nSuite 100\r\nSpringfield, ST 12345\r\n"
                         "Country",
                     500);
    return r;
}

QByteArray fullBook() {
    QByteArray bytes;
    bytes.reserve(32767 * 570);
    for (int n = 1; n <= 32767; ++n) bytes += entry(n);
    return bytes;
}

// A started program over a full address book and a small catalogue, with
// entries near the end of the book chosen in both blocks.
struct FullBook {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    AddressBook book{t.app->context()};
    QString path;
    QByteArray bytes = fullBook();

    FullBook() {
        book.bind();
        QDir().mkpath(dataOf(dir));
        path = dataOf(dir) + QStringLiteral("ovo_addy.dat");
        writeFile(path, bytes);
        t.app->start();
        FormModel& f = t.app->mainForm();
        for (int i = 0; i < 10; ++i) {
            f.setText(QStringLiteral("StockUnitCostEd"), QStringLiteral("1"));
            t.app->catalogue().SaveNewStockItem();
        }
        choose(QStringLiteral("ToCombo"), QStringLiteral("Customer number 32000"));
        choose(QStringLiteral("ShipToCombo"), QStringLiteral("Customer number 32001"));
    }
    void choose(const QString& combo, const QString& name) {
        t.app->mainForm().setText(combo, name);
        t.app->mainForm().click(combo);
    }
};

void BM_PopAddyListsFull(benchmark::State& state) {
    FullBook b;
    for (auto _ : state) b.book.PopAddyLists();
    state.counters["names"] =
        static_cast<double>(b.t.app->mainForm().items(QStringLiteral("ToCombo")).size());
}
BENCHMARK(BM_PopAddyListsFull)->Unit(benchmark::kMillisecond);

// The next entry number of a full book, as the address book finds it.
void BM_GetNextAddyTagFull(benchmark::State& state) {
    FullBook b;
    for (auto _ : state) benchmark::DoNotOptimize(b.book.GetNextAddyTag());
}
BENCHMARK(BM_GetNextAddyTagFull)->Unit(benchmark::kMillisecond);

// A new Sold To entry saved, as its Save button does, into a book of nearly
// 32,767: the search and tag scan under the lock, the append and the refill.
void BM_SaveNewAddyNearFull(benchmark::State& state) {
    FullBook b;
    QFile(b.path).resize(qint64(32767 - 64) * 570);
    FormModel& f = b.t.app->mainForm();
    int i = 0;
    for (auto _ : state) {
        f.setText(QStringLiteral("ToCombo"), QStringLiteral("New customer %1").arg(++i));
        f.setText(QStringLiteral("ToField"), QStringLiteral("lines"));
        f.click(QStringLiteral("ChangedVendor"));
    }
}
BENCHMARK(BM_SaveNewAddyNearFull)->Unit(benchmark::kMillisecond)->Iterations(40);

// Choosing the last entry: the whole book is searched.
void BM_ToComboLookupLast(benchmark::State& state) {
    FullBook b;
    for (auto _ : state)
        b.choose(QStringLiteral("ToCombo"), QStringLiteral("Customer number 32767"));
}
BENCHMARK(BM_ToComboLookupLast)->Unit(benchmark::kMillisecond);

// Saving a changed Sold To entry near the end: rewrite in place, refill.
void BM_ChangedVendorFull(benchmark::State& state) {
    FullBook b;
    FormModel& f = b.t.app->mainForm();
    int i = 0;
    for (auto _ : state) {
        f.setText(QStringLiteral("ToField"), QStringLiteral("Changed %1").arg(++i));
        f.click(QStringLiteral("ChangedVendor"));
    }
}
BENCHMARK(BM_ChangedVendorFull)->Unit(benchmark::kMillisecond);

// Deleting an entry near the end: the book rewritten, flushed and replaced.
void BM_DeleteVendorFull(benchmark::State& state) {
    FullBook b;
    FormModel& f = b.t.app->mainForm();
    for (auto _ : state) {
        state.PauseTiming();
        writeFile(b.path, b.bytes);
        b.choose(QStringLiteral("ToCombo"), QStringLiteral("Customer number 32000"));
        b.t.prompter.answers = {MsgButton::Yes};
        state.ResumeTiming();
        f.click(QStringLiteral("DeleteVendor"));
    }
}
BENCHMARK(BM_DeleteVendorFull)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
