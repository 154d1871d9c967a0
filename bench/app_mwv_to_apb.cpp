// One MWV line from the characters in to the APB text out, through the
// receive path, the instrument state, the control step and the output: the
// core alone, and with the main window (offscreen) showing every value, the
// History and Polar windows too. At 4800 baud one MWV line takes about
// 60 ms on the wire; the budget is 50 µs, and the windows should cost no
// more than the core itself. The Threaded pair runs the core on a thread
// of its own as the program does: each line is handed to the core's
// thread and its APB taken back there, the windows served between lines.

#include "../tests/util/Engage.h"
#include "FakeSerialPort.h"
#include "SteeringCore.h"
#include "frmMain.h"

#include <QApplication>
#include <QTemporaryDir>

#include <ctime>

#include <benchmark/benchmark.h>

namespace {

struct Window {
    QTemporaryDir dir;
    std::unique_ptr<frmMain> window;
    FakeSerialPort* port = nullptr;

    explicit Window(TrackMode mode, bool thread = false)
    {
        MainWindowSetup setup;
        setup.CoreThread = thread;
        setup.Choose = SteerTheBox;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.Core.ProfileFile = dir.filePath(QStringLiteral("Vanehold.ini"));
        setup.Beep = [] {};
        window = std::make_unique<frmMain>(setup);
        window->Form_Load();
        window->show();
        window->Runner().Ask([this, mode](SteeringCore& core) {
            ConfirmTheBox(core);
            port = core.findChild<FakeSerialPort*>(QStringLiteral("MSCommNmea"));
            port->feed(QStringLiteral("$IIVTG,061.0,T,050.0,M,6.0,N,11.1,K*6C\r\n"));
            core.TrackSetManual();
            port->feed(QStringLiteral("$IIMWV,045.0,R,10.5,N,A*08\r\n"));
            if (mode == TrackModeTrack)
                core.TrackSetTrack();
            port->clearSent();
        });
    }
};

// Two angles by turns, so the averages and labels change every time.
const QString& Line(int i)
{
    static const QString lines[] = {QStringLiteral("$IIMWV,045.0,R,10.5,N,A*08\r\n"),
                                    QStringLiteral("$IIMWV,047.0,R,10.9,N,A*06\r\n")};
    return lines[i];
}

void BM_CoreMwvToApb(benchmark::State& state)
{
    QTemporaryDir dir;
    CoreSetup setup;
    setup.ManualTimers = true;
    setup.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
    setup.ProfileFile = dir.filePath(QStringLiteral("Vanehold.ini"));
    SteeringCore core(setup);
    ConfirmTheBox(core);
    core.ProfileInitialize(false);
    auto* port = core.findChild<FakeSerialPort*>(QStringLiteral("MSCommNmea"));
    port->feed(QStringLiteral("$IIVTG,061.0,T,050.0,M,6.0,N,11.1,K*6C\r\n"));
    core.TrackSetManual();
    port->feed(Line(0));
    core.TrackSetTrack();
    port->clearSent();
    int i = 0;
    for (auto _ : state) {
        port->feed(Line(i));
        i ^= 1;
        benchmark::DoNotOptimize(port->sent());
        port->clearSent();
    }
    if (core.Settings().m_eTrackMode != TrackModeTrack)
        state.SkipWithError("not tracking");
}

// The same with the main, History and Polar windows shown, timed until the
// windows have taken what the line changed.
void BM_WindowMwvToApb(benchmark::State& state)
{
    Window w(TrackModeTrack);
    if (state.range(0) & 1)
    w.window->ShowWindow(CoreWindow::History);
    if (state.range(0) & 2)
    w.window->ShowWindow(CoreWindow::Polar);
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        w.port->feed(Line(i));
        i ^= 1;
        // Calls queued for the windows; painting waits for the next frame.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        benchmark::DoNotOptimize(w.port->sent());
        w.port->clearSent();
    }
    if (w.window->Panel(2) != QString())
        state.SkipWithError("the receive path rejected a line");
}

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The core on its own thread: the line in and the APB out on that thread,
// without windows (0) or with the main, History and Polar windows (1),
// which take what the line changed between lines, untimed.
void BM_ThreadedMwvToApb(benchmark::State& state)
{
    const bool windows = state.range(0) != 0;
    Window w(TrackModeTrack, true);
    if (windows) {
        w.window->ShowWindow(CoreWindow::History);
        w.window->ShowWindow(CoreWindow::Polar);
    } else {
        w.window->hide();
        w.window->Runner().Ask([](SteeringCore& core) { core.SetWindowsFed(false); });
    }
    QCoreApplication::processEvents();
    CoreRunner& runner = w.window->Runner();
    FakeSerialPort* port = w.port;
    int i = 0;
    for (auto _ : state) {
        const QString& line = Line(i);
        i ^= 1;
        // The core thread's own time from the line in to the APB out: the
        // machine's other load and the hand-over between threads are not
        // the path's.
        const double spent = runner.Ask([port, &line](SteeringCore&) {
            const double start = ThreadSeconds();
            port->feed(line);
            const bool any = !port->sent().isEmpty();
            port->clearSent();
            return any ? ThreadSeconds() - start : -1.0;
        });
        if (spent < 0)
            state.SkipWithError("no APB");
        state.SetIterationTime(spent);
        QCoreApplication::processEvents();
    }
    if (runner.Ask([](SteeringCore& core) { return core.Mode(); }) != TrackModeTrack)
        state.SkipWithError("not tracking");
}

void Run(benchmark::State& state, TrackMode mode, bool repaint = false)
{
    Window w(mode);
    int i = 0;
    for (auto _ : state) {
        w.port->feed(Line(i));
        i ^= 1;
        if (repaint)
            QCoreApplication::processEvents();
        benchmark::DoNotOptimize(w.port->sent());
        w.port->clearSent();
    }
    if (w.window->Panel(2) != QString())
        state.SkipWithError("the receive path rejected a line");
}

void BM_MwvToApbManual(benchmark::State& state)
{
    Run(state, TrackModeManual);
}
void BM_MwvToApbTrack(benchmark::State& state)
{
    Run(state, TrackModeTrack);
}

// The same, with the window repainting what changed (offscreen). The APB
// sentence is out before the paint: Qt paints later, once for all changes.
void BM_MwvToApbTrackRepainted(benchmark::State& state)
{
    Run(state, TrackModeTrack, true);
}

} // namespace

BENCHMARK(BM_CoreMwvToApb)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_WindowMwvToApb)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_ThreadedMwvToApb)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MwvToApbManual)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MwvToApbTrack)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MwvToApbTrackRepainted)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
