// --replay FILE --report against the floor of any reader of the same file: a
// plain C loop that reads it and checks every checksum. The bench writes a
// capture of a day's instrument line (RMC, VTG, HDG, VHW and MWV pairs, ten
// lines a second, wind and heading wandering) to a temporary file, then per
// iteration times the C loops and the report, all in processor time.
// Counters: ratio (report over the getline loop), ratio_chunks (report over
// a loop reading 64 KiB at a time), lines_per_s of the report, c_loop_ms,
// and peak_mb, the most memory the process held while reporting.
//
//   replay_limit_bench --benchmark_filter=/1000000/    the million-line file only

#include "NmeaReplay.h"
#include "SteeringCore.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The peak of resident memory starts again from what is held now (Linux).
void ResetPeak()
{
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// Peak resident memory since ResetPeak, in MB: VmHWM, else the whole run's
// ru_maxrss.
double PeakMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::stod(line.substr(6)) / 1024;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024;
}

bool ChecksumGood(const char* line, size_t length)
{
    if (length < 4 || line[0] != '$' || line[length - 3] != '*')
        return false;
    unsigned sum = 0;
    for (size_t k = 1; k < length - 3; ++k)
        sum ^= (unsigned char)line[k];
    static const char hex[] = "0123456789ABCDEF";
    return line[length - 2] == hex[sum >> 4] && line[length - 1] == hex[sum & 15];
}

// The reference: getline, the line end dropped, "$...*hh" checked.
int64_t CLoop(const char* path)
{
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return -1;
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t length;
    int64_t good = 0;
    while ((length = getline(&line, &capacity, f)) > 0) {
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
            --length;
        good += ChecksumGood(line, size_t(length));
    }
    std::free(line);
    std::fclose(f);
    return good;
}

// A faster reference still: fread in chunks, lines cut in place.
int64_t CLoopChunks(const char* path)
{
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return -1;
    static char chunk[1 << 16];
    char line[256];
    size_t length = 0;
    int64_t good = 0;
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        for (size_t i = 0; i < got; ++i) {
            const char c = chunk[i];
            if (c != '\n') {
                if (c != '\r' && length < sizeof line)
                    line[length++] = c;
                continue;
            }
            good += ChecksumGood(line, length);
            length = 0;
        }
    }
    std::fclose(f);
    return good;
}

// Writes "$body*hh\r\n".
void Put(std::FILE* f, const char* body)
{
    unsigned sum = 0;
    for (const char* p = body; *p; ++p)
        sum ^= (unsigned char)*p;
    std::fprintf(f, "$%s*%02X\r\n", body, sum);
}

// Tenths as "123.4", whatever the locale.
std::string Tenths(int64_t tenths, int width = 0)
{
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld.%lld", width, (long long)(tenths / 10), (long long)(tenths % 10));
    return text;
}

// Ten lines a second from 2026-12-08 10:00:00 UTC, the date rolling over.
// The wind and the heading wander slowly with a little noise, so the loop
// steers all day.
bool WriteCapture(const char* path, int64_t lines)
{
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    uint32_t seed = 20261208;
    auto noise = [&seed](int spread) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % uint32_t(2 * spread + 1)) - spread;
    };
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int day = 8, month = 12, year = 26;
    char body[128];
    int64_t written = 0;
    for (int64_t second = 0; written < lines; ++second) {
        const int64_t daySecond = (36000 + second) % 86400;
        if (second > 0 && daySecond == 0 && ++day > monthDays[month - 1]) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
        const int64_t phase = second % 600;
        const int64_t wave = phase < 300 ? phase : 600 - phase; // 0..300..0
        const int64_t heading = 2150 + wave / 6 + noise(3);      // tenths, magnetic
        const int64_t track = heading - 18;
        const int64_t wind = 380 + wave / 10 + noise(15);        // tenths, apparent
        std::string texts[10];
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.00", int(daySecond / 3600), int(daySecond / 60 % 60),
                      int(daySecond % 60));
        std::snprintf(body, sizeof body, "GPRMC,%s,A,5021.314,N,00408.221,W,6.1,%s,%02d%02d%02d,1.8,W,A", time,
                      Tenths(track).c_str(), day, month, year);
        texts[0] = body;
        texts[1] = "GPVTG," + Tenths(track) + ",T," + Tenths(heading) + ",M,6.1,N,11.3,K,A";
        texts[2] = "HCHDG," + Tenths(heading) + ",,,1.8,W";
        texts[3] = "IIVHW," + Tenths(track) + ",T," + Tenths(heading) + ",M,6.2,N,11.5,K";
        texts[4] = "WIMWV," + Tenths(wind, 3) + ",R," + Tenths(142 + noise(5)) + ",N,A";
        texts[5] = "WIMWV," + Tenths(wind + 220, 3) + ",T," + Tenths(101 + noise(5)) + ",N,A";
        texts[6] = "HCHDG," + Tenths(heading + noise(2)) + ",,,1.8,W";
        texts[7] = "WIMWV," + Tenths(wind + noise(5), 3) + ",R," + Tenths(142 + noise(5)) + ",N,A";
        texts[8] = "WIMWV," + Tenths(wind + 220 + noise(5), 3) + ",T," + Tenths(101 + noise(5)) + ",N,A";
        texts[9] = "IIVHW," + Tenths(track + 3) + ",T," + Tenths(heading + 3) + ",M,6.2,N,11.5,K";
        for (int i = 0; i < 10 && written < lines; ++i, ++written)
            Put(f, texts[i].c_str());
    }
    return std::fclose(f) == 0;
}

void BM_ReportAgainstCLoop(benchmark::State& state)
{
    const int64_t lines = state.range(0);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("day.nmea"));
    const QByteArray local = path.toLocal8Bit();
    if (!WriteCapture(local.constData(), lines)) {
        state.SkipWithError("cannot write the capture");
        return;
    }
    double cSeconds = 0;
    double chunkSeconds = 0;
    double reportSeconds = 0;
    double peak = 0;
    int64_t fed = 0;
    for (auto _ : state) {
        double start = CpuSeconds();
        benchmark::DoNotOptimize(CLoop(local.constData()));
        cSeconds += CpuSeconds() - start;
        start = CpuSeconds();
        benchmark::DoNotOptimize(CLoopChunks(local.constData()));
        chunkSeconds += CpuSeconds() - start;

        ResetPeak();
        start = CpuSeconds();
        ReplaySession session(NmeaCaptureReader::FromFile(path, QDateTime::currentDateTime()));
        CoreSetup setup;
        setup.ProfileFile = dir.filePath(QStringLiteral("Vanehold.ini"));
        session.Prepare(setup);
        SteeringCore core(setup);
        core.ProfileInitialize(true);
        benchmark::DoNotOptimize(session.Report(core));
        const double seconds = CpuSeconds() - start;
        reportSeconds += seconds;
        state.SetIterationTime(seconds);
        peak = std::max(peak, PeakMb());
        fed = session.Replay().LinesFed();
    }
    if (fed != lines)
        state.SkipWithError("not every line was replayed");
    state.SetItemsProcessed(fed * int64_t(state.iterations()));
    state.counters["ratio"] = reportSeconds / cSeconds;
    state.counters["ratio_chunks"] = reportSeconds / chunkSeconds;
    state.counters["lines_per_s"] = double(fed) * double(state.iterations()) / reportSeconds;
    state.counters["c_loop_ms"] = cSeconds * 1000 / double(state.iterations());
    state.counters["peak_mb"] = peak;
}

} // namespace

BENCHMARK(BM_ReportAgainstCLoop)
    ->Arg(1000000)
    ->Arg(10000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
