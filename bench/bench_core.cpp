// Figures for the totals and the configuration file:
//   build/bench/tallybrook_bench
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"

namespace {

void fillGrid(GridModel* grid, int lines) {
    for (int i = 1; i <= lines; ++i) {
        const QString amount =
            QStringLiteral("%1.%2").arg(i * 7 % 5000).arg(i % 100, 2, 10, QChar(u'0'));
        grid->addItem(
            QStringLiteral(" %1\tcat\tMfg\tea\tItem %1\t1.00\t%2\t%1").arg(i).arg(amount));
    }
}

void BM_TotalUp1000Lines(benchmark::State& state) {
    QTemporaryDir dir;
    TestApp t(dir.path());
    FormModel& form = t.app->mainForm();
    fillGrid(form.grid(QStringLiteral("OrderGrid")), static_cast<int>(state.range(0)));
    form.setText(QStringLiteral("DiscountFactorEd"), QStringLiteral(".1"));
    form.setText(QStringLiteral("TaxFactorEd"), QStringLiteral(".065"));
    form.setText(QStringLiteral("ShippingEd"), QStringLiteral("10"));
    for (auto _ : state) {
        form.setText(QStringLiteral("SubTotalEd"), QString());
        benchmark::DoNotOptimize(t.app->totals().TotalUp());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TotalUp1000Lines)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_LoadAndSaveConfig(benchmark::State& state) {
    QTemporaryDir dir;
    TestApp t(dir.path());
    Shell& shell = t.app->shell();
    t.app->state().HomeFolder = Shell::homeFolderFor(dir.path());
    shell.LoadConfig();  // first start: creates the file and the folders
    for (auto _ : state) {
        shell.LoadConfig();
        benchmark::DoNotOptimize(shell.SaveConfig());
    }
}
BENCHMARK(BM_LoadAndSaveConfig)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
