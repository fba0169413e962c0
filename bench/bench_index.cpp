// Figures for the document index at full size: the next number, writing a
// document's record, and the flush to disk apart.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

#include "app/Application.h"
#include "document/Document.h"
#include "document/IndexFile.h"
#include "document/SalesDocument.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Bytes.h"
#include "support/Fakes.h"

namespace {

constexpr int kRecord = 351;

// `count` documents numbered 1.. in two year folders, a few deleted.
void writeIndex(const QString& path, int count) {
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * kRecord);
    for (int n = 1; n <= count; ++n) {
        QByteArray r(kRecord, '\0');
        r[0] = n % 97 == 0 ? 'D' : "pPiI"[n % 4];
        r.replace(1, 6, QByteArray::number(n).rightJustified(6, '0'));
        r.replace(7, 12, bytes::text("JOB" + QByteArray::number(n % 5000), 12));
        const double date = 45000 + n % 700;
        quint64 bits = 0;
        std::memcpy(&bits, &date, 8);
        qToLittleEndian(bits, r.data() + 19);
        qToLittleEndian(bits, r.data() + 147);
        r.replace(27, 60, bytes::text("Customer " + QByteArray::number(n % 3000), 60));
        r.replace(87, 60, bytes::text("Site " + QByteArray::number(n % 2000), 60));
        for (int a = 0; a < 7; ++a)
            qToLittleEndian<qint64>(qint64(n) * 1234, r.data() + 155 + a * 8);
        r.replace(251, 5, n < count / 2 ? "2025\\" : "2026\\");
        r.replace(256, 95, QByteArray(95, ' '));
        bytes += r;
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

struct Bench {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    IndexFile& index = t.app->index();

    explicit Bench(int records) {
        t.app->start();
        writeIndex(index.path(), records);
        FormModel& f = t.app->mainForm();
        f.setText(QStringLiteral("ToCombo"), QStringLiteral("Customer 7"));
        f.setText(QStringLiteral("ShipDateEd"), QStringLiteral("12/24/2026"));
        f.setText(QStringLiteral("OrderTotalEd"), QStringLiteral("1,234.56"));
    }
    IndexRecord record(const QString& number, const QString& folder) {
        SalesDocument doc = t.app->mapper().read();
        doc.number = number;
        doc.subFolder = folder;
        QString problem;
        return index.recordOf(doc, &problem).value_or(IndexRecord());
    }
};

// The last record of a full index: the longest search, then the rewrite.
void BM_UpdateFull(benchmark::State& state) {
    Bench b(32767);
    const IndexRecord record = b.record(QStringLiteral("032767"), QStringLiteral("2026\\"));
    for (auto _ : state) {
        if (b.index.update(record, QStringLiteral("2026\\")).status != IndexWrite::Status::Updated) {
            state.SkipWithError("not updated");
            break;
        }
    }
}
BENCHMARK(BM_UpdateFull)->Unit(benchmark::kMillisecond);

// A new document's number and record on an index one short of full; the
// file is cut back (untimed) so that every pass appends the same record.
void BM_NumberAndAppendFull(benchmark::State& state) {
    Bench b(32766);
    const IndexRecord record = b.record(kPending, {});
    const QByteArray path = QFile::encodeName(b.index.path());
    for (auto _ : state) {
        if (!b.index.numberAndAppend(record, QStringLiteral("2026\\"))) {
            state.SkipWithError("no number");
            break;
        }
        state.PauseTiming();
        ::truncate(path.constData(), qint64(32766) * kRecord);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NumberAndAppendFull)->Unit(benchmark::kMillisecond);

// The flush to disk of the index after a record is written, timed alone.
void BM_IndexFsyncAfterWrite(benchmark::State& state) {
    Bench b(32767);
    const IndexRecord record = b.record(QStringLiteral("032767"), QStringLiteral("2026\\"));
    const int fd = ::open(QFile::encodeName(b.index.path()).constData(), O_RDONLY | O_CLOEXEC);
    for (auto _ : state) {
        state.PauseTiming();
        b.index.update(record, QStringLiteral("2026\\"));
        state.ResumeTiming();
        ::fsync(fd);
    }
    ::close(fd);
}
BENCHMARK(BM_IndexFsyncAfterWrite)->Unit(benchmark::kMillisecond);

// A whole save of a new document of 20 lines on an index one short of full:
// number, record, page (its write includes the page's flush); with the
// document list refilled from what the save read, or without the list.
void BM_SaveChangesNewFull(benchmark::State& state) {
    Bench b(32766);
    const bool withList = state.range(0) != 0;
    if (!withList) b.t.app->context().lists.setFiller(ListRefills::Documents, {});
    FormModel& f = b.t.app->mainForm();
    GridModel* grid = f.grid(QStringLiteral("OrderGrid"));
    for (int i = 1; i <= 20; ++i) {
        grid->addItem(
            QStringLiteral(" 1\tc\tMaker\tea\tLine item %1\t12.50\t12.50\tspecial").arg(i));
    }
    const QByteArray path = QFile::encodeName(b.index.path());
    for (auto _ : state) {
        f.setText(QStringLiteral("PONoEd"), kPending);
        b.t.app->session().markEdited();
        b.t.prompter.answers = {MsgButton::Yes};
        if (!b.t.app->session().SaveChanges()) {
            state.SkipWithError("not saved");
            break;
        }
        state.PauseTiming();
        ::truncate(path.constData(), qint64(32766) * kRecord);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveChangesNewFull)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
