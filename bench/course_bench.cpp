// Course mode per wind sentence: one visible update of the Polar window in
// course mode at 1000 x 800 pixels (offscreen), which is the averaging, the
// polar speed, the best-legs search over the 91 x 91 grid, the live layer
// with the legs, and the steer controls; and the search alone, on a polar
// of 37 and of the full 200 angle rows.
#include "NullPolarHost.h"
#include "frmPolar.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A made-up polar, rows evenly from 0 to 180 degrees, wind speeds 2, 4, ...:
// slow close to the wind, fastest on a broad reach.
QByteArray PolarText(int rows, int cols)
{
    QByteArray text = "TWA";
    for (int c = 1; c <= cols; ++c)
        text += '\t' + QByteArray::number(2 * c);
    text += '\n';
    for (int r = 1; r <= rows; ++r) {
        const double angle = 180.0 * (r - 1) / (rows - 1);
        const double shape = angle < 40 ? angle / 40 : 1 + (angle - 40) / 140 * (angle < 120 ? 1 : 0.5);
        text += QByteArray::number(angle, 'f', 2);
        for (int c = 1; c <= cols; ++c)
            text += '\t' + QByteArray::number(shape * (1 + 0.25 * c), 'f', 1);
        text += '\n';
    }
    return text;
}

QString WritePolar(const QTemporaryDir& dir, int rows)
{
    const QString path = dir.filePath(QStringLiteral("course.pol"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(PolarText(rows, 25));
    return path;
}

InstrumentValues Values(float step)
{
    InstrumentValues v;
    v.eTrackMode = TrackModeManual;
    v.bHeadingValid = true;
    v.fHeading = 40 + step;
    v.fBoatSpeed = 6 + step / 10;
    v.fWindAngleApparent = -30 - step;
    v.fWindSpeedApparent = 16;
    v.fWindAngleTrue = -42 - step;
    v.fWindSpeedTrue = 12;
    return v;
}

// Course toward bearing 0 with the wind near the bow: two legs, a tack.
void BM_CourseUpdate(benchmark::State& state)
{
    QTemporaryDir dir;
    NullPolarHost host;
    host.folder = dir.path();
    WritePolar(dir, int(state.range(0)));
    QFile profile(host.ProfileFile());
    profile.open(QIODevice::WriteOnly);
    profile.write("[Polar Data]\nFile 1=course.pol\nSpeed Range=12\nCourse Waypoint=True\n"
                  "Course Waypoint Index=0\nCourse Target Bearing=0\n");
    profile.close();
    PolarWindowSetup setup;
    setup.MessageBox = [](QWidget*, const QString&, const QString& text) { qWarning("%s", qPrintable(text)); };
    frmPolar window(host, setup);
    window.Form_Load();
    window.show();
    window.resize(window.size() + QSize(1000, 800) - window.centralWidget()->size());
    QCoreApplication::processEvents();
    float step = 0;
    for (auto _ : state) {
        step = step > 5 ? 0 : step + 1;
        window.SetValue(Values(step));
    }
    if (window.TargetSpeed() <= 0)
        state.SkipWithError("no course was worked out");
}

void BM_CourseOptimize(benchmark::State& state)
{
    QTemporaryDir dir;
    auto table = std::make_unique<PolarTable>();
    QString message;
    table->PolarFileRead(0, WritePolar(dir, int(state.range(0))), 1, message);
    float step = 0;
    CourseLeg P;
    CourseLeg S;
    for (auto _ : state) {
        step = step > 5 ? 0 : step + 1;
        CourseOptimize(*table, 40 + step, 0, -42 - step, 12, P, S);
        benchmark::DoNotOptimize(P);
        benchmark::DoNotOptimize(S);
    }
}

} // namespace

BENCHMARK(BM_CourseUpdate)->Arg(37)->Arg(200)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_CourseOptimize)->Arg(37)->Arg(200)->Unit(benchmark::kMicrosecond);
