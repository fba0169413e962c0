// Figures for the payments list, the page's payments block and a new
// payment, over a payments file of 32,767 records.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "payments/Payments.h"
#include "support/Fakes.h"

namespace {

// 32,767 records, minus `free`, spread over `documents` documents from
// "000001" on; every fiftieth is deleted.
void writeFullPaymentsFile(const QString& path, int free, int documents) {
    QByteArray bytes;
    bytes.reserve(32767 * 23);
    for (int i = 0; i < 32767 - free; ++i) {
        char r[23];
        r[0] = i % 50 == 0 ? 'D' : 'C';
        std::memcpy(r + 1, QByteArray::number(i % documents + 1).rightJustified(6, '0').constData(),
                    6);
        const double date = 46000 + i % 700;
        quint64 bits = 0;
        std::memcpy(&bits, &date, sizeof bits);
        qToLittleEndian(bits, r + 7);
        qToLittleEndian<qint64>(qint64(i % 997 + 1) * 12345, r + 15);
        bytes.append(r, 23);
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    f.write(bytes);
}

struct Ledger {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    Payments pay{t.app->context()};
    // 3,000 documents: document 000012 has about eleven payments.
    explicit Ledger(int free = 0, int documents = 3000) {
        t.app->start();
        pay.bind();
        writeFullPaymentsFile(pay.path(), free, documents);
        FormModel& f = t.app->mainForm();
        f.setText(QStringLiteral("PONoEd"), QStringLiteral("000012"));
        f.setText(QStringLiteral("OrderTotalEd"), QStringLiteral("100,000.00"));
    }
};

void BM_PopPAGridFull(benchmark::State& state) {
    Ledger x(0, static_cast<int>(state.range(0)));
    for (auto _ : state) x.pay.PopPAGrid();
    state.counters["rows"] = x.t.app->mainForm().grid(QStringLiteral("PaymentsGrid"))->rows() - 1;
}
// 3,000 documents; and 12, where document 000012 has some 2,700 payments.
BENCHMARK(BM_PopPAGridFull)->Arg(3000)->Arg(12)->Unit(benchmark::kMillisecond);

void BM_MakePaymentsBlockFull(benchmark::State& state) {
    Ledger x;
    int rows = 0;
    for (auto _ : state) rows = x.pay.makePaymentsBlock().rows;
    state.counters["rows"] = rows;
}
BENCHMARK(BM_MakePaymentsBlockFull)->Unit(benchmark::kMillisecond);

// Appends one payment to a file one record short of full (the file grows
// by one record per iteration, so it is rebuilt outside the timing).
void BM_SavePaymentFull(benchmark::State& state) {
    Ledger x(1);
    FormModel& f = x.t.app->mainForm();
    f.setText(QStringLiteral("PaymentDateEd"), QStringLiteral("12/6/2026"));
    f.setText(QStringLiteral("PaymentAmountEd"), QStringLiteral("25.00"));
    const QByteArray before = readFile(x.pay.path());
    for (auto _ : state) {
        x.pay.SavePayment();
        state.PauseTiming();
        QFile file(x.pay.path());
        if (file.open(QIODevice::ReadWrite)) file.resize(before.size());
        state.ResumeTiming();
    }
    state.counters["asked"] = x.t.prompter.asked.size();
}
BENCHMARK(BM_SavePaymentFull)->Unit(benchmark::kMillisecond);

}  // namespace
