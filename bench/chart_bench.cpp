// Run with --benchmark_repetitions=10 for medians; --scale=2 draws as on a
// screen of device pixel ratio 2.
#include "ChartClock.h"
#include "ChartTime.h"
#include "NumberText.h"
#include "SimulatedClock.h"
#include "TrendScope.h"

#include <cstring>
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

namespace {

const char* const kNames[] = {"Boat Speed", "Heading", "True Wind Speed", "True Wind Angle", "App Wind Speed",
                              "App Wind Angle", "Pilot Heading", "Pilot Delta", "Polar Speed"};
const int16_t kTypes[] = {0, 1, 0, 1, 0, 1, 1, 1, 0};

QString Reading(int value, double v)
{
    return NumberText::Format(v, u"0.0") + (kTypes[value] ? QStringLiteral(" deg") : QStringLiteral(" Kts"));
}

double Sample(int value, int step)
{
    const double phase = step / 90.0 + value;
    return kTypes[value] ? 180.0 + 150.0 * std::sin(phase) : 6.0 + 4.0 * std::sin(phase) + (step % 7) * 0.1;
}

// A 1600 x 1000 chart with nine values and five traces.
struct Chart {
    explicit Chart(int32_t span)
        : clock(ChartSeconds(9000 * 86400))
        , chart(nullptr, &clock)
    {
        chart.resize(1600, 1000);
        chart.SetFontName(QStringLiteral("DejaVu Sans"));
        chart.SetNumberOfValues(9);
        for (int16_t i = 0; i < 9; ++i)
            chart.SetValueOptions(static_cast<int16_t>(i + 1), QLatin1String(kNames[i]), kTypes[i],
                                  kTypes[i] ? QStringLiteral("deg") : QStringLiteral("Kts"));
        chart.Initialize(8640, 10);
        chart.SetTimeSpan(span);
        chart.SetNumberOfTraces(5);
        for (int16_t t = 1; t <= 5; ++t)
            chart.SetTraceName(t, QLatin1String(kNames[t - 1]));
    }
    SimulatedClock clock;
    TrendScope chart;
};

void BM_SetValueWhileDrawing(benchmark::State& state)
{
    Chart c(1800);
    c.chart.SetUpdate(true);
    // Widen the newest column once, so that the readings below neither
    // grow the range nor move to a new column.
    c.chart.SetValue(QStringLiteral("Boat Speed"), QStringLiteral("2.0 Kts"));
    c.chart.SetValue(QStringLiteral("Boat Speed"), QStringLiteral("9.0 Kts"));
    std::vector<QString> readings;
    for (int k = 0; k < 64; ++k)
        readings.push_back(Reading(0, 3.0 + (k % 50) * 0.1));
    const QString name = QStringLiteral("Boat Speed");
    size_t k = 0;
    for (auto _ : state) {
        c.chart.SetValue(name, readings[k]);
        k = (k + 1) % readings.size();
    }
}
BENCHMARK(BM_SetValueWhileDrawing);

// The time stamp of a live reading: the local clock read afresh, and the
// system clock with its offset kept for the minute.
void BM_StampFromLocalDateTime(benchmark::State& state)
{
    for (auto _ : state) {
        ChartSeconds t;
        ChartTime::FromDateTime(QDateTime::currentDateTime(), t);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_StampFromLocalDateTime);

void BM_StampFromSystemClock(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ChartClock::System().Now());
}
BENCHMARK(BM_StampFromSystemClock);

// Every reading shows a values text not seen before, so each one is shaped
// and rendered afresh.
void BM_SetValueWhileDrawingNewText(benchmark::State& state)
{
    Chart c(1800);
    c.chart.SetUpdate(true);
    c.chart.SetValue(QStringLiteral("Boat Speed"), QStringLiteral("0.0 Kts"));
    c.chart.SetValue(QStringLiteral("Boat Speed"), QStringLiteral("99.0 Kts"));
    std::vector<QString> readings;
    for (int k = 0; k < 990; ++k)
        readings.push_back(Reading(0, k * 0.1));
    const QString name = QStringLiteral("Boat Speed");
    size_t k = 0;
    for (auto _ : state) {
        c.chart.SetValue(name, readings[k]);
        k = (k + 1) % readings.size();
    }
}
BENCHMARK(BM_SetValueWhileDrawingNewText);

void BM_FullRedrawOfDay(benchmark::State& state)
{
    Chart c(86400);
    for (int step = 0; step < 8640 + 5; ++step) {
        for (int i = 0; i < 9; ++i)
            c.chart.SetValue(QLatin1String(kNames[i]), Reading(i, Sample(i, step)));
        c.clock.Advance(10000);
    }
    // Argument 1: in night colours.
    c.chart.setNightMode(state.range(0) != 0);
    for (auto _ : state) {
        // Lays out, rebuilds the columns from the store and paints all.
        c.chart.SetUpdate(true);
    }
}
BENCHMARK(BM_FullRedrawOfDay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same day fed as numbers with the log's own time stamps.
void BM_FullRedrawOfReplayedDay(benchmark::State& state)
{
    Chart c(86400);
    const ChartSeconds start = c.clock.Now() - 86400;
    for (int step = 0; step < 8640 + 5; ++step)
        for (int i = 0; i < 9; ++i)
            c.chart.SetValue(QLatin1String(kNames[i]), Sample(i, step), start + step * 10);
    for (auto _ : state)
        c.chart.SetUpdate(true);
}
BENCHMARK(BM_FullRedrawOfReplayedDay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--scale=2") == 0) {
            qputenv("QT_SCALE_FACTOR", "2");
            argv[i] = argv[--argc];
            break;
        }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
