// The response preview is drawn again on every resize of the dialog and at
// every change to the Tracking tab. Budget: one frame (16 ms) for the
// default 300 seconds; 100 ms for a day, the longest time it takes.

#include "TrackPicture.h"
#include "TrackResponse.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <random>

namespace {

TrackResponse Response(const char* time)
{
    TrackResponse response;
    QString why;
    response.Read({QStringLiteral("20"), QStringLiteral("4"), QStringLiteral("10"), QStringLiteral("4"),
                   QLatin1String(time), QStringLiteral("-1"), QStringLiteral("10")},
                  why);
    return response;
}

void Run(benchmark::State& state, const char* time)
{
    const TrackResponse response = Response(time);
    std::mt19937 engine;
    const std::function<double()> random = [&engine] {
        return std::uniform_real_distribution<double>(0, 1)(engine);
    };
    for (auto _ : state)
        benchmark::DoNotOptimize(response.Run(random));
}

void Draw(benchmark::State& state, const char* time)
{
    TrackPicture picture;
    picture.resize(440, 250);
    const std::optional<TrackResponse> response = Response(time);
    std::mt19937 engine;
    const std::function<double()> random = [&engine] {
        return std::uniform_real_distribution<double>(0, 1)(engine);
    };
    for (auto _ : state) {
        picture.Draw(response, QString(), random);
        benchmark::DoNotOptimize(picture.Picture().cacheKey());
    }
}

void BM_PreviewRun300(benchmark::State& state) { Run(state, "300"); }
void BM_PreviewRunDay(benchmark::State& state) { Run(state, "86400"); }
void BM_PreviewDraw300(benchmark::State& state) { Draw(state, "300"); }
void BM_PreviewDrawDay(benchmark::State& state) { Draw(state, "86400"); }

} // namespace

BENCHMARK(BM_PreviewRun300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewRunDay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewDraw300)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PreviewDrawDay)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
