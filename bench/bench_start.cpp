// Start-up with every data file full: the time of the load event in the
// core, and how often each file is opened (each should be read once).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include "BenchFiles.h"
#include "records/FileError.h"
#include "support/Fakes.h"
#include "support/Records.h"

namespace {

constexpr int kFull = 32767;

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

void writeFullFiles(const QString& data) {
    QDir().mkpath(data);
    writeFullStockFile(data + QStringLiteral("ovo_stock.dat"));
    QByteArray index, book, paid;
    for (int n = 1; n <= kFull; ++n) {
        const QByteArray number = QByteArray::number(n).rightJustified(6, '0');
        index += indexRecord("pPiI"[n % 4], number, "2026\\", "JOB", 46300 + n % 60,
                             "Customer " + QByteArray::number(n % 3000), "Site", 0,
                             {qint64(n) * 1234});
        book += addyRecord('1', n % 2 ? 'V' : 'T', n, "Customer " + QByteArray::number(n),
                           "1 Main St\r\nSpringfield");
        paid += paymentRecord('1', number, 46300, qint64(n) * 100);
    }
    writeBytes(data + QStringLiteral("ovo_data2.dat"), index);
    writeBytes(data + QStringLiteral("ovo_addy.dat"), book);
    writeBytes(data + QStringLiteral("pay_data.dat"), paid);
}

void BM_StartFull(benchmark::State& state) {
    QTemporaryDir dir;
    runOnce(dir);
    writeFullFiles(dataOf(dir));
    QHash<QString, int> opened;
    setFileFaultHook([&opened](FileOp op, const QString& path) {
        if (op == FileOp::Open) ++opened[path.section(QLatin1Char('/'), -1)];
        return FileError::none();
    });
    int runs = 0;
    for (auto _ : state) {
        TestApp t(dir.path());
        t.app->start();
        ++runs;
    }
    setFileFaultHook({});
    for (const char* file : {"ovo_data2.dat", "ovo_stock.dat", "ovo_addy.dat", "pay_data.dat"}) {
        state.counters[file] = double(opened.value(QLatin1String(file))) / runs;
    }
}
BENCHMARK(BM_StartFull)->Unit(benchmark::kMillisecond);

}  // namespace
