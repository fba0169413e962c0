// The document list at full size: a fill listing all 32,767 records, a fill
// of one kind over 90 days, and a heading sort of the full list.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

#include "app/Application.h"
#include "browse/DocumentBrowser.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Bytes.h"
#include "support/Fakes.h"

namespace {

constexpr int kRecord = 351;
constexpr int kRecords = 32767;

// Documents of every kind over about two years up to `latest`.
void writeIndex(const QString& path, double latest) {
    QByteArray bytes;
    bytes.reserve(qsizetype(kRecords) * kRecord);
    for (int n = 1; n <= kRecords; ++n) {
        QByteArray r(kRecord, '\0');
        r[0] = "pPiI"[n % 4];
        r.replace(1, 6, QByteArray::number(n).rightJustified(6, '0'));
        r.replace(7, 12, bytes::text("JOB" + QByteArray::number(n % 5000), 12));
        const double date = latest - (kRecords - n) / 45;
        quint64 bits = 0;
        std::memcpy(&bits, &date, 8);
        qToLittleEndian(bits, r.data() + 19);
        qToLittleEndian(bits, r.data() + 147);
        r.replace(27, 60, bytes::text("Customer " + QByteArray::number(n % 3000), 60));
        r.replace(87, 60, bytes::text("Site " + QByteArray::number(n % 2000), 60));
        for (int a = 0; a < 7; ++a)
            qToLittleEndian<qint64>(qint64(n) * 1234 * (a + 1), r.data() + 155 + a * 8);
        r.replace(251, 5, n < kRecords / 2 ? "2025\\" : "2026\\");
        r.replace(256, 95, QByteArray(95, ' '));
        bytes += r;
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

struct Bench {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    DocumentBrowser& browser = t.app->browser();
    Bench() {
        t.app->start();
        writeIndex(t.app->index().path(), t.app->state().ConfigRec.dateLatest);
    }
    GridModel& grid() { return *t.app->mainForm().grid(QStringLiteral("POGrid")); }
};

void BM_PopPOGridAllListed(benchmark::State& state) {
    Bench b;
    b.t.app->state().ConfigRec.dateEarliest = 1;
    for (auto _ : state) b.browser.PopPOGrid();
    state.counters["rows"] = b.grid().rows() - 1;
}
BENCHMARK(BM_PopPOGridAllListed)->Unit(benchmark::kMillisecond);

void BM_PopPOGridOneKind90Days(benchmark::State& state) {
    Bench b;
    FormModel& f = b.t.app->mainForm();
    for (const char* box : {"AckCheck", "InvCheck", "RecCheck"})
        f.setChecked(QLatin1String(box), false);
    for (auto _ : state) b.browser.PopPOGrid();
    state.counters["rows"] = b.grid().rows() - 1;
}
BENCHMARK(BM_PopPOGridOneKind90Days)->Unit(benchmark::kMillisecond);

// Each heading click sorts the other way; a date, an amount and a name column.
void BM_HeadingSort(benchmark::State& state) {
    Bench b;
    b.t.app->state().ConfigRec.dateEarliest = 1;
    b.browser.PopPOGrid();
    GridModel& g = b.grid();
    FormModel& f = b.t.app->mainForm();
    for (auto _ : state) {
        g.setCurrentRow(0);
        g.setCurrentCol(static_cast<int>(state.range(0)));
        f.click(QStringLiteral("POGrid"));
    }
    state.counters["rows"] = g.rows() - 1;
}
BENCHMARK(BM_HeadingSort)->Arg(2)->Arg(6)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
