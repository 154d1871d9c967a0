// Night mode costs a picture per styled part. Budget: a full paint of a
// window within one frame (16 ms) at night too.

#include "../tests/util/Engage.h"
#include "NightMode.h"
#include "frmMain.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void Paint(benchmark::State& state, bool options)
{
    QTemporaryDir dir;
    MainWindowSetup setup;
    setup.Choose = SteerTheBox;
    setup.ManualTimers = true;
    setup.Core.ManualTimers = true;
    setup.Core.ProfileFile = dir.filePath(QStringLiteral("Vanehold.ini"));
    frmMain window(setup);
    window.Form_Load();
    window.show();
    QWidget& shown = options ? static_cast<QWidget&>(window.Options()) : window;
    shown.show();
    NightMode::Apply(state.range(0) != 0);
    QCoreApplication::processEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(shown.grab().cacheKey());
    NightMode::Apply(false);
}

void BM_MainWindowPaint(benchmark::State& state) { Paint(state, false); }
void BM_OptionsPaint(benchmark::State& state) { Paint(state, true); }

} // namespace

// Argument: 0 by day, 1 at night.
BENCHMARK(BM_MainWindowPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptionsPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
