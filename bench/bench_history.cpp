// Figures for the history lists at size: six files of 10,000 entries.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/Application.h"
#include "document/History.h"
#include "forms/FormModel.h"
#include "support/Fakes.h"

namespace {

constexpr int kEntries = 10000;

struct HistoryBench {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    HistoryLists& history = t.app->history();

    HistoryBench() {
        t.app->start();
        for (const HistoryLists::Field& field : HistoryLists::kFields) {
            QByteArray bytes;
            for (int i = 1; i <= kEntries; ++i) {
                bytes += QByteArray(field.control) + " entry number " + QByteArray::number(i) +
                         " with some words\r\n";
            }
            writeFile(dataOf(dir) + QLatin1String(field.file), bytes);
        }
    }
    FormModel& f() { return t.app->mainForm(); }
};

// The usual save: every value is found (the last line, so each file is read
// to the end) and each list is refilled.
void BM_AddToUserFieldsRecorded(benchmark::State& state) {
    HistoryBench b;
    for (const HistoryLists::Field& field : HistoryLists::kFields) {
        b.f().setText(QLatin1String(field.control),
                      QStringLiteral("%1 entry number %2 with some words")
                          .arg(QLatin1String(field.control))
                          .arg(kEntries));
    }
    for (auto _ : state) b.history.AddToUserFields();
    state.counters["entries"] = static_cast<double>(b.f().items(QStringLiteral("TermsEd")).size());
}
BENCHMARK(BM_AddToUserFieldsRecorded)->Unit(benchmark::kMillisecond);

// Every field holds a new value: six appends, then six refills.
void BM_AddToUserFieldsNewValues(benchmark::State& state) {
    HistoryBench b;
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (const HistoryLists::Field& field : HistoryLists::kFields) {
            b.f().setText(QLatin1String(field.control), QStringLiteral("new %1").arg(round));
        }
        b.history.AddToUserFields();
    }
}
BENCHMARK(BM_AddToUserFieldsNewValues)->Unit(benchmark::kMillisecond);

// Deleting one entry from a 10,000-line file, then the refill of all six.
void BM_DeleteHistoryEntry(benchmark::State& state) {
    HistoryBench b;
    int round = 0;
    for (auto _ : state) {
        ++round;
        b.f().setText(QStringLiteral("FOBEd"),
                      QStringLiteral("FOBEd entry number %1 with some words").arg(round));
        b.f().fire(QStringLiteral("FOBEd"), FormModel::Event::EditDelete);
    }
}
BENCHMARK(BM_DeleteHistoryEntry)->Unit(benchmark::kMillisecond);

}  // namespace
