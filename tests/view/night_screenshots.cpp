// Pictures of night mode for the README: the main window, the Polar window
// in course mode and the Options dialog's tracking preview, on simulated
// instruments; first by day, then switched with View > Night Mode. Run
// under a display (xvfb-run):
//     night_screenshots <folder>

#include "../util/Engage.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vanehold"));
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("Vanehold.ini"));
    QFile file(profile);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write("[Simulate]\nNmea=True\n[Polar Window]\nVisible=True\n[Polar Data]\nFile 1=" VANEHOLD_POLARS
               "/Fast Sled 60ft.pol\nSpeed Range=14\nCourse Waypoint=True\nCourse Waypoint Index=0\n");
    file.close();

    MainWindowSetup setup;

    setup.Choose = SteerTheBox;
    setup.Core.ProfileFile = profile;
    frmMain window(setup);
    window.Form_Load();
    window.move(40, 40);
    window.show();
    const auto save = [&](QWidget& widget, const char* name) {
        widget.grab().save(folder.filePath(QLatin1String(name)));
    };
    QTimer::singleShot(500, &window, [&window] {
        window.Core().TrackSetTrack();
        window.PolarWindow().resize(760, 580);
        window.PolarWindow().findChild<QAction*>(QStringLiteral("mnuCourseLedger"))->trigger();
        window.Options().SetTab(frmOptions::TabTracking);
        window.Options().ShowCenter();
    });
    QTimer::singleShot(6000, &window, [&] {
        save(window, "day-main.png");
        save(window.PolarWindow(), "day-polar.png");
        save(window.Options(), "day-options.png");
        window.findChild<QAction*>(QStringLiteral("mnuViewNight"))->trigger();
    });
    QTimer::singleShot(8000, &window, [&] {
        save(window, "night-main.png");
        save(window.PolarWindow(), "night-polar.png");
        save(window.Options(), "night-options.png");
        window.Core().TrackSetOff();
        QApplication::quit();
    });
    return app.exec();
}
