// The autopilot line at 4800 baud under a 10 Hz wind instrument (see
// PilotLine.h). Reported:
//   steer_delay_s  from a 1 degree steer to the first sentence carrying it
//   max_delay_s    the oldest any sentence was when it arrived
//   stale_after_resume  sentences older than the resume that an autopilot
//                  program on the pseudo-terminal, which stopped reading for
//                  60 s, still received when it read again

#include "PilotLine.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

using PilotLine::Run;
using PilotLine::Sail;

void BM_SteerDelay(benchmark::State& state)
{
    Run run;
    for (auto _ : state)
        run = Sail(int(state.range(0)), 0, 0);
    state.counters["steer_delay_s"] = run.steerDelayS;
    state.counters["max_delay_s"] = run.maxDelayS;
}

void BM_StalledReader(benchmark::State& state)
{
    Run run;
    for (auto _ : state)
        run = Sail(90, 10, 60);
    state.counters["steer_delay_s"] = run.steerDelayS;
    state.counters["stale_after_resume"] = run.staleAfterResume;
}

} // namespace

BENCHMARK(BM_SteerDelay)->Arg(60)->Arg(150)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StalledReader)->Iterations(1)->Unit(benchmark::kMillisecond);
