// --replay FILE --report on a capture of 100,000 lines: reading the file,
// the receive path, the control loop and the summary, without a window.
// And reading a file of a million lines alone, with the most the reader
// held of it at any time (the bytes_held counter).

#include "NmeaReplay.h"
#include "NumberText.h"
#include "SteeringCore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

#include <benchmark/benchmark.h>

namespace {

QString Sentence(const QString& body)
{
    int sum = 0;
    for (QChar c : body)
        sum ^= c.unicode();
    return QLatin1Char('$') + body + QLatin1Char('*') + QStringLiteral("%1").arg(sum, 2, 16, QLatin1Char('0')).toUpper();
}

// A second of a typical instrument line, five sentences, repeated.
QString Capture(int lines)
{
    QString text;
    for (int second = 0; second * 5 < lines; ++second) {
        const QString time = QStringLiteral("%1%2%3.00")
                                 .arg(10 + second / 3600, 2, 10, QLatin1Char('0'))
                                 .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(second % 60, 2, 10, QLatin1Char('0'));
        const double wind = 38 + (second % 17) * 0.5;
        text += Sentence(QStringLiteral("GPRMC,") + time + QStringLiteral(",A,5021.314,N,00408.221,W,6.1,221.6,081226,1.8,W,A")) + QStringLiteral("\r\n");
        text += Sentence(QStringLiteral("WIMWV,") + NumberText::Format(wind, u"000.0") + QStringLiteral(",R,14.2,N,A")) + QStringLiteral("\r\n");
        text += Sentence(QStringLiteral("WIMWV,") + NumberText::Format(wind + 22, u"000.0") + QStringLiteral(",T,10.1,N,A")) + QStringLiteral("\r\n");
        text += Sentence(QStringLiteral("IIVHW,,T,223.0,M,6.2,N,11.5,K")) + QStringLiteral("\r\n");
        text += Sentence(QStringLiteral("IIHDG,222.0,,,1.8,W")) + QStringLiteral("\r\n");
    }
    return text;
}

void BM_ReplayReport(benchmark::State& state)
{
    const QString text = Capture(100000);
    QTemporaryDir dir;
    qint64 lines = 0;
    for (auto _ : state) {
        ReplaySession session(NmeaCaptureReader::FromText(text, QDateTime::currentDateTime()));
        CoreSetup setup;
        setup.ProfileFile = dir.filePath(QStringLiteral("Vanehold.ini"));
        session.Prepare(setup);
        SteeringCore core(setup);
        core.ProfileInitialize(true);
        benchmark::DoNotOptimize(session.Report(core));
        lines += session.Replay().LinesFed();
    }
    state.SetItemsProcessed(lines);
}

void BM_CaptureReadFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("day.log"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(Capture(1000000).toLatin1());
    file.close();
    int64_t lines = 0;
    int64_t held = 0;
    for (auto _ : state) {
        const auto reader = NmeaCaptureReader::FromFile(path, QDateTime::currentDateTime());
        NmeaCaptureLine line;
        while (reader->Next(line)) {
            ++lines;
            held = std::max(held, reader->BytesHeld());
        }
    }
    state.SetItemsProcessed(lines);
    state.counters["bytes_held"] = double(held);
}

} // namespace

BENCHMARK(BM_ReplayReport)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CaptureReadFile)->Unit(benchmark::kMillisecond);
