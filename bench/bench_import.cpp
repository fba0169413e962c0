// The Quillary import at size: 30,000 contacts into a book of 2,000
// entries, and the check of a chosen file.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "addresses/AddressImport.h"
#include "support/Fakes.h"
#include "support/Records.h"

namespace {

constexpr int kContacts = 30000;
constexpr int kEntries = 2000;

// A contact with every field read filled in.
QByteArray contact(char type, int n) {
    const QByteArray i = QByteArray::number(n);
    return type + bytes::text("Smith" + i, 20) + bytes::text("John", 20) + QByteArray(40, 'x') +
           bytes::text("Acme Holdings " + i, 40) + bytes::text("555-" + i, 20) +
           QByteArray(10, 'x') + bytes::text("555-9" + i, 20) + QByteArray(145, 'x') +
           bytes::text(i + " Main Street", 40) + bytes::text("Suite " + i, 40) +
           bytes::text("Springfield", 20) + bytes::text("IL", 20) + bytes::text("62701", 10) +
           QByteArray(601, 'x');
}

QByteArray book() {
    QByteArray b;
    for (int n = 1; n <= kEntries; ++n)
        b += addyRecord('1', 'V', n, "Customer " + QByteArray::number(n), "1 Road\r\nTown");
    return b;
}

struct Program {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    QString exportPath = dir.filePath("export.dat");
    QString bookPath = dataOf(dir) + "ovo_addy.dat";
    Program() {
        runOnce(dir);
        t.app->start();
    }
};

// Read, convert and append under the lock (the book is put back between
// runs, outside the timing).
void BM_ImportQuillary(benchmark::State& state) {
    Program p;
    QByteArray file;
    for (int n = 1; n <= kContacts; ++n) file += contact("1234"[n % 4], n);
    writeFile(p.exportPath, file);
    const QByteArray start = book();
    for (auto _ : state) {
        state.PauseTiming();
        writeFile(p.bookPath, start);
        state.ResumeTiming();
        if (!p.t.app->addressImport().importFile(p.exportPath, 'T')) state.SkipWithError("failed");
    }
}
BENCHMARK(BM_ImportQuillary)->Unit(benchmark::kMillisecond);

// The check of a chosen file whose only contact is the last of 30,000
// records: the whole file is read.
void BM_ImportCheck(benchmark::State& state) {
    Program p;
    QByteArray file;
    for (int n = 1; n < kContacts; ++n) file += contact('9', n);
    writeFile(p.exportPath, file + contact('1', kContacts));
    for (auto _ : state) {
        if (!p.t.app->addressImport().check(p.exportPath).isEmpty()) state.SkipWithError("refused");
    }
}
BENCHMARK(BM_ImportCheck)->Unit(benchmark::kMillisecond);

}  // namespace
