// Converting a full old index (32,767 records) at the first start.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstring>

#include "document/IndexFile.h"
#include "document/OldIndex.h"
#include "records/DataFile.h"
#include "support/Fakes.h"

namespace {

constexpr int kRecords = 32767;

// Every third record without an order date, every ninth without a ship date either.
QByteArray fullOldIndex() {
    QByteArray bytes;
    bytes.reserve(qsizetype(kRecords) * oldindex::kLength);
    for (int n = 1; n <= kRecords; ++n) {
        QByteArray r(oldindex::kLength, ' ');
        r[0] = "pPiI"[n % 4];
        r.replace(1, 6, QByteArray::number(n).rightJustified(6, '0'));
        const double order = n % 3 ? 37000 + n % 900 : 0;
        const double ship = n % 9 ? 37010 + n % 900 : 0;
        std::memcpy(r.data() + oldindex::OrderDate, &order, 8);
        std::memcpy(r.data() + oldindex::ShipDate, &ship, 8);
        std::memset(r.data() + 155, 0, 48);
        bytes += r;
    }
    return bytes;
}

void BM_ConvertOldIndex(benchmark::State& state) {
    const QByteArray old = fullOldIndex();
    for (auto _ : state) benchmark::DoNotOptimize(convertOldIndex(old, kRecords, 46362));
}
BENCHMARK(BM_ConvertOldIndex)->Unit(benchmark::kMillisecond);

// The whole start-up step: read the old file, check the index, write it
// through its temporary file (run under eatmydata: the flush is the disk's
// time, not ours).
void BM_CheckForOldDataFullIndex(benchmark::State& state) {
    QTemporaryDir dir;
    QDir().mkpath(dataOf(dir));
    writeFile(dataOf(dir) + oldindex::kFileName, fullOldIndex());
    TestApp t(dir.path());
    AppState& s = t.app->state();
    s.DataPath = dataOf(dir);
    for (auto _ : state) {
        state.PauseTiming();
        removeFile(dataOf(dir) + IndexFile::kFileName);
        s.ConfigRec.oldDataConverted = "N";
        state.ResumeTiming();
        t.app->index().CheckForOldData();
    }
    if (s.ConfigRec.oldDataConverted != "Y") state.SkipWithError("not converted");
}
BENCHMARK(BM_CheckForOldDataFullIndex)->Unit(benchmark::kMillisecond);

}  // namespace
