// What one label text costs: NumberText::Format against
// QString::number(value, 'f', decimals) on the same values, the mix the
// windows show (headings, speeds, wind angles, whole numbers).
#include "NumberText.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace {

struct Sample {
    double value;
    QStringView code; // as callers pass a literal: length known
    int decimals;
};

std::vector<Sample> Samples()
{
    // A fixed LCG: the same values on every run and in both benchmarks.
    uint64_t state = 0x2545F4914F6CDD1DULL;
    auto unit = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(state >> 11) / double(uint64_t(1) << 53);
    };
    std::vector<Sample> samples;
    for (int i = 0; i < 1024; ++i) {
        switch (i % 5) {
        case 0: samples.push_back({360.0 * unit(), u"0.0", 1}); break;        // heading
        case 1: samples.push_back({30.0 * unit(), u"0.0", 1}); break;         // speed
        case 2: samples.push_back({30.0 * unit(), u"0.00", 2}); break;        // speed
        case 3: samples.push_back({-180.0 + 360.0 * unit(), u"0", 0}); break; // wind angle
        default: samples.push_back({double(int(unit() * 2000.0) - 1000), u"0", 0}); break;
        }
    }
    return samples;
}

void BM_NumberTextFormat(benchmark::State& state)
{
    const auto samples = Samples();
    std::size_t i = 0;
    for (auto _ : state) {
        const Sample& s = samples[i++ & 1023];
        QString text = NumberText::Format(s.value, s.code);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_NumberTextFormat);

void BM_QStringNumber(benchmark::State& state)
{
    const auto samples = Samples();
    std::size_t i = 0;
    for (auto _ : state) {
        const Sample& s = samples[i++ & 1023];
        QString text = QString::number(s.value, 'f', s.decimals);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_QStringNumber);

} // namespace

BENCHMARK_MAIN();
