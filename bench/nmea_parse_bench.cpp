// Speed of the instrument receive path on a generated mix of the seven
// decoded sentence types, one pass over the corpus per iteration:
//  - BM_BareSplitXor: cutting lines and checking the checksum, nothing more,
//    the yardstick for the others on this machine;
//  - BM_Parse: framing, checksum, fields and decoder outputs, without the
//    instrument state;
//  - BM_ReceivePath: the whole path into InstrumentState with averaging,
//    true wind and the wind indicator, display and host reporting stubbed;
//  - BM_ReceivePathFormatted: the same, with the label texts formatted as
//    the main window shows them.
// At the end the processor time per sentence of each and the ratio of
// BM_Parse to the bare loop are printed.

#include "InstrumentState.h"
#include "NmeaReceiver.h"
#include "NumberText.h"
#include "ProfileSettings.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int CorpusSentences = 4096;

QString Num(double value) { return NumberText::Format(value, u"0.0"); }

QString Sentence(const QString& body) { return body + QLatin1Char('*') + NmeaReceiver::NmeaChecksum(body) + QStringLiteral("\r\n"); }

// Same seed every run, so every run parses the same text.
QString MakeCorpus()
{
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> angle(0, 359.9), speed(0, 25), variation(0, 20);
    QString corpus;
    for (int i = 0; i < CorpusSentences; ++i) {
        QString body;
        switch (i % 7) {
        case 0:
            body = "$IIMWV," + Num(angle(random)) + ",R," + Num(speed(random)) + ",N,A";
            break;
        case 1:
            body = "$IIVHW," + Num(angle(random)) + ",T," + Num(angle(random)) + ",M," + Num(speed(random)) + ",N,"
                + Num(speed(random)) + ",K";
            break;
        case 2:
            body = "$HCHDG," + Num(angle(random)) + ",0.0,E," + Num(variation(random)) + ",W";
            break;
        case 3:
            body = "$GPRMC,123519,A,4807.038,N,01131.000,E," + Num(speed(random)) + "," + Num(angle(random))
                + ",230394," + Num(variation(random)) + ",E,A";
            break;
        case 4:
            body = "$GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W," + Num(speed(random)) + "," + Num(angle(random))
                + "," + Num(speed(random)) + ",V";
            break;
        case 5:
            body = "$GPVTG," + Num(angle(random)) + ",T," + Num(angle(random)) + ",M," + Num(speed(random)) + ",N,"
                + Num(speed(random)) + ",K";
            break;
        default:
            body = "$IIHVM," + Num(variation(random)) + ",W";
            break;
        }
        corpus += Sentence(body);
    }
    return corpus;
}

const QString& Corpus()
{
    static const QString corpus = MakeCorpus();
    return corpus;
}

void CountSentences(benchmark::State& state)
{
    state.counters["sentences/s"] =
        benchmark::Counter(CorpusSentences, benchmark::Counter::kIsIterationInvariantRate);
}

// Shows nothing and formats nothing.
struct NoDisplay {
    InstrumentReports Reports()
    {
        InstrumentReports r;
        r.Value = [](InstrumentValue, float) {};
        r.Blank = [](InstrumentValue) {};
        r.History = [](const QString&, float, const QString&) {};
        r.WindIndicator = [](const QString&, float) {};
        return r;
    }
};

// Formats the texts as the window would, then drops them.
struct FormattingDisplay {
    InstrumentReports Reports()
    {
        InstrumentReports r = NoDisplay().Reports();
        r.Value = [](InstrumentValue which, float value) {
            benchmark::DoNotOptimize(NumberText::Format(value, InstrumentState::ValueFormat(which)).size());
        };
        r.WindIndicator = [](const QString& point, float speed) {
            benchmark::DoNotOptimize(InstrumentState::WindIndicatorText(point, speed).size());
        };
        return r;
    }
};

void BM_BareSplitXor(benchmark::State& state)
{
    const QString& corpus = Corpus();
    for (auto _ : state) {
        const QChar* p = corpus.constData();
        const QChar* const end = p + corpus.size();
        int good = 0;
        while (p < end) {
            const QChar* q = p;
            while (q < end && q->unicode() != '\r')
                ++q;
            const QChar* c = p;
            while (c < q && c->unicode() == '\n')
                ++c;
            uint8_t x = 0;
            for (++c; c < q && c->unicode() != '*'; ++c)
                x ^= static_cast<uint8_t>(c->unicode());
            if (c + 3 == q) {
                const auto hex = [](char16_t h) { return h <= '9' ? h - '0' : h - 'A' + 10; };
                good += (hex(c[1].unicode()) << 4 | hex(c[2].unicode())) == x;
            }
            p = q + 1;
        }
        benchmark::DoNotOptimize(good);
    }
    CountSentences(state);
}

// Checks and decodes each line into its record.
struct ParseSink {
    NmeaDecoder decoder;
    int errors = 0;

    template <class Sentence>
    void Decode(NmeaDecodeError (NmeaDecoder::*decode)(QStringView, Sentence&), const QString& L)
    {
        Sentence s;
        errors += bool((decoder.*decode)(L, s));
        benchmark::DoNotOptimize(s);
    }

    bool Line(const QString& L)
    {
        if (NmeaCheckLine(L) != NmeaLineCheck::Accepted)
            return true;
        switch (NmeaSentenceType(L)) {
        case NmeaType("MWV"): Decode(&NmeaDecoder::NmeaDecodeMWV, L); break;
        case NmeaType("VHW"): Decode(&NmeaDecoder::NmeaDecodeVHW, L); break;
        case NmeaType("HDG"): Decode(&NmeaDecoder::NmeaDecodeHDG, L); break;
        case NmeaType("RMC"): Decode(&NmeaDecoder::NmeaDecodeRMC, L); break;
        case NmeaType("RMB"): Decode(&NmeaDecoder::NmeaDecodeRMB, L); break;
        case NmeaType("VTG"): Decode(&NmeaDecoder::NmeaDecodeVTG, L); break;
        case NmeaType("HVM"): Decode(&NmeaDecoder::NmeaDecodeHVM, L); break;
        default: return true;
        }
        return true;
    }
    bool Overlong(const QString&) { return true; }
};

void BM_Parse(benchmark::State& state)
{
    const QString& corpus = Corpus();
    NmeaLineBuffer lines;
    ParseSink sink;
    for (auto _ : state) {
        lines.Receive(
            corpus, [&](const QString& line) { return sink.Line(line); },
            [&](const QString& firstPart) { return sink.Overlong(firstPart); });
        benchmark::DoNotOptimize(sink.errors);
    }
    CountSentences(state);
}

template <class Display>
void ReceivePath(benchmark::State& state)
{
    const QString& corpus = Corpus();
    ProfileSettings settings;
    settings.m_eTrackMode = TrackModeTrack;
    Display display;
    InstrumentState instruments(settings, display.Reports());
    // Nobody listens to its reports.
    NmeaReceiver receiver(settings, instruments);
    for (auto _ : state) {
        receiver.Receive(corpus);
        benchmark::DoNotOptimize(instruments.WindDirectionAverage());
    }
    CountSentences(state);
}

void BM_ReceivePath(benchmark::State& state) { ReceivePath<NoDisplay>(state); }
void BM_ReceivePathFormatted(benchmark::State& state) { ReceivePath<FormattingDisplay>(state); }

BENCHMARK(BM_BareSplitXor);
BENCHMARK(BM_Parse);
BENCHMARK(BM_ReceivePath);
BENCHMARK(BM_ReceivePathFormatted);

// Console output plus time per sentence and the ratio to the bare loop.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter()
        : ConsoleReporter(OO_Tabular)
    {
    }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                m_ns[run.run_name.function_name] =
                    run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations) / CorpusSentences;
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [name, ns] : m_ns)
            std::printf("%-26s %8.1f ns/sentence  %6.2f million sentences/s\n", name.c_str(), ns, 1e3 / ns);
        const auto bare = m_ns.find("BM_BareSplitXor");
        const auto parse = m_ns.find("BM_Parse");
        if (bare != m_ns.end() && parse != m_ns.end())
            std::printf("BM_Parse / BM_BareSplitXor: %.1f\n", parse->second / bare->second);
    }

private:
    std::map<std::string, double> m_ns;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
