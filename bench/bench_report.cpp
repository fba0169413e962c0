// The summary report and the CSV export at full size: 32,767 documents.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "browse/Export.h"
#include "browse/Report.h"
#include "records/DataFile.h"
#include "shell/ConfigRecord.h"
#include "support/Fakes.h"
#include "support/Records.h"

namespace {

constexpr int kDocuments = 32767;

QVector<QStringList> listRows() {
    QVector<QStringList> rows;
    rows.reserve(kDocuments);
    for (int n = kDocuments; n >= 1; --n) {
        rows.append({QString::number(n).rightJustified(6, u'0'), "Invoice", "12/6/2026",
                     "Customer " + QString::number(n % 3000), "", "", "1,234.50", "10.00",
                     "80.00", "", "", "", "i", "5.00", "2026\\"});
    }
    return rows;
}

QByteArray fullIndex() {
    QByteArray bytes;
    bytes.reserve(qsizetype(kDocuments) * 351);
    for (int n = 1; n <= kDocuments; ++n) {
        bytes += indexRecord("pPiI"[n % 4], QByteArray::number(n).rightJustified(6, '0'), "2026\\",
                             "JOB" + QByteArray::number(n % 5000), 46000 + n % 700,
                             "Customer " + QByteArray::number(n % 3000),
                             "Site, \"" + QByteArray::number(n % 2000) + '"', 0,
                             {n * 1234LL, 100000, 80000, 0, 0, 0, 50000});
    }
    return bytes;
}

// Every row of the kind, as the menu's "All Invoices" makes it.
void BM_ReportFullList(benchmark::State& state) {
    const QVector<QStringList> rows = listRows();
    const ConfigRecord cfg;
    for (auto _ : state) {
        benchmark::DoNotOptimize(report::make("Ai", rows, {}, cfg, usFormats()));
    }
}
BENCHMARK(BM_ReportFullList)->Unit(benchmark::kMillisecond);

// Read, format and write the export (no flush: the replace's own fsync is
// the disk's time, not ours).
void BM_ExportFullIndex(benchmark::State& state) {
    QTemporaryDir dir;
    const QString indexPath = dir.filePath("ovo_data2.dat");
    QFile f(indexPath);
    f.open(QIODevice::WriteOnly);
    f.write(fullIndex());
    f.close();
    const ConfigRecord cfg;
    for (auto _ : state) {
        QByteArray index;
        readWholeFile(indexPath, &index);
        const csvexport::Result r = csvexport::make(index, cfg, usFormats());
        replaceFile(dir.filePath("out.csv"), r.bytes);
    }
}
BENCHMARK(BM_ExportFullIndex)->Unit(benchmark::kMillisecond);

}  // namespace
