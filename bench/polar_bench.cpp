// The Polar window's costs per wind sentence: the polar speed lookup, one
// visible live update (averages, lookup, live layer, chart reading) and the
// full redraw after a setting change, at 1000 x 800 pixels (offscreen).
#include "NullPolarHost.h"
#include "frmPolar.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A made-up polar: rows evenly from 0 to 180 degrees, wind speeds 1, 2, ...
QByteArray PolarText(int rows, int cols, double scale)
{
    QByteArray text = "TWA";
    for (int c = 1; c <= cols; ++c)
        text += '\t' + QByteArray::number(c);
    text += '\n';
    for (int r = 1; r <= rows; ++r) {
        const double angle = 180.0 * (r - 1) / (rows - 1);
        text += QByteArray::number(angle, 'f', 2);
        for (int c = 1; c <= cols; ++c)
            text += '\t' + QByteArray::number(scale * (2 + 0.3 * c) * (0.5 + angle / 360), 'f', 1);
        text += '\n';
    }
    return text;
}

// A shown window of 1000 x 800 client pixels with a main polar and, when
// asked, a reference polar of the same size.
struct WindowRig {
    QTemporaryDir dir;
    NullPolarHost host;
    std::unique_ptr<frmPolar> window;

    WindowRig(int rows, int cols, bool reference)
    {
        host.folder = dir.path();
        for (const char* name : {"main.pol", "reference.pol"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            file.open(QIODevice::WriteOnly);
            file.write(PolarText(rows, cols, name[0] == 'm' ? 1.0 : 0.9));
        }
        QFile profile(host.ProfileFile());
        profile.open(QIODevice::WriteOnly);
        profile.write("[Polar Data]\nFile 1=main.pol\nSpeed Range=30\n");
        profile.close();
        PolarWindowSetup setup;
        setup.OpenFile = [this](QWidget*, const QString&, const QString&, const QString&, QString& chosen, QString&) {
            chosen = dir.filePath(QStringLiteral("reference.pol"));
            return true;
        };
        setup.MessageBox = [](QWidget*, const QString&, const QString& text) { qWarning("%s", qPrintable(text)); };
        window = std::make_unique<frmPolar>(host, setup);
        window->Form_Load();
        window->show();
        window->resize(window->size() + QSize(1000, 800) - window->centralWidget()->size());
        if (reference)
            window->findChild<QAction*>(QStringLiteral("mnuOverlayFile2"))->trigger();
        QCoreApplication::processEvents();
    }
};

void BM_PolarLookup(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.pol"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(PolarText(200, 50, 1));
    file.close();
    auto table = std::make_unique<PolarTable>();
    QString message;
    table->PolarFileRead(0, path, 1, message);
    float angle = 0;
    float wind = 0;
    for (auto _ : state) {
        // Steps through the table so that every bracket is met.
        angle += 7.3f;
        if (angle > 180)
            angle -= 180;
        wind += 1.7f;
        if (wind > 55)
            wind -= 55;
        benchmark::DoNotOptimize(table->PolarLookup(0, angle, wind));
    }
}

InstrumentValues Values(float step)
{
    InstrumentValues v;
    v.eTrackMode = TrackModeTrack;
    v.bHeadingValid = true;
    v.fHeading = 200 + step;
    v.fBoatSpeed = 7 + step / 10;
    v.fWindAngleApparent = 35 + step;
    v.fWindSpeedApparent = 16;
    v.fWindAngleTrue = 50 + step;
    v.fWindSpeedTrue = 12;
    return v;
}

void BM_SetValueVisible(benchmark::State& state)
{
    WindowRig rig(37, 25, false);
    float step = 0;
    for (auto _ : state) {
        step = step > 5 ? 0 : step + 1;
        rig.window->SetValue(Values(step));
    }
}

// The same with the window's repaint of the changed picture.
void BM_SetValueRepainted(benchmark::State& state)
{
    WindowRig rig(37, 25, false);
    float step = 0;
    for (auto _ : state) {
        step = step > 5 ? 0 : step + 1;
        rig.window->SetValue(Values(step));
        rig.window->centralWidget()->repaint();
    }
}

void BM_PolarRedraw(benchmark::State& state)
{
    WindowRig rig(int(state.range(0)), 50, true);
    for (auto _ : state)
        rig.window->PolarRedraw();
}

} // namespace

BENCHMARK(BM_PolarLookup);
BENCHMARK(BM_SetValueVisible)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_SetValueRepainted)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
// Two polars of 50 wind speeds, with 37 angle rows (every 5 degrees) and
// with the full 200.
BENCHMARK(BM_PolarRedraw)->Arg(37)->Arg(200)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
