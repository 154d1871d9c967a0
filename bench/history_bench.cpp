// The History window's costs: one instrument reading through the shown
// window, and a whole day of the nine values stamped into its chart, with
// the process's resident memory once the store is full (counter rss_MB).
// Offscreen unless QT_QPA_PLATFORM says otherwise; under xvfb-run with
// QT_QPA_PLATFORM=xcb the memory is the program's on a real display.
#include "NumberText.h"
#include "SimulatedClock.h"
#include "frmHistory.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

const char* const kNames[] = {"Boat Speed", "Heading", "True Wind Speed", "True Wind Angle", "App Wind Speed",
                              "App Wind Angle", "Pilot Heading", "Pilot Delta", "Polar Speed"};

// A shown History window of 1000 x 700 pixels on simulated time.
struct Rig {
    QTemporaryDir dir;
    SimulatedClock clock{ChartSeconds(9000 * 86400 + 12 * 3600)};
    std::unique_ptr<frmHistory> window;

    Rig()
    {
        HistoryWindowSetup history;
        history.Clock = &clock;
        window = std::make_unique<frmHistory>(dir.filePath(QStringLiteral("Vanehold.ini")), history);
        window->Form_Load();
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
    }
};

double ResidentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmRSS:"))
            return NumberText::Val(QString::fromLatin1(line.mid(6))) / 1024.0;
    return 0;
}

void BM_ReadingShown(benchmark::State& state)
{
    Rig rig;
    float speed = 6;
    for (auto _ : state) {
        rig.window->SetValue(QStringLiteral("Boat Speed"), speed, QStringLiteral("Kts"));
        speed = speed > 8 ? 6 : speed + 0.1f;
    }
}

void BM_DayOfNineValues(benchmark::State& state)
{
    for (auto _ : state) {
        Rig rig;
        TrendScope& chart = rig.window->Chart();
        const ChartSeconds start = rig.clock.Now() - 86400;
        // One reading of each value a second, as the instruments send them;
        // drawn once at the end, as a day replayed from a log would be.
        chart.SetUpdate(false);
        for (int second = 0; second < 86400; ++second) {
            const double phase = second / 600.0;
            for (int v = 0; v < 9; ++v)
                chart.SetValue(QLatin1String(kNames[v]), 10 + 5 * std::sin(phase + v), start + second);
        }
        chart.SetUpdate(true);
        QApplication::processEvents();
        state.counters["rss_MB"] = ResidentMegabytes();
    }
}

} // namespace

BENCHMARK(BM_ReadingShown)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DayOfNineValues)->Unit(benchmark::kMillisecond)->Iterations(1);
