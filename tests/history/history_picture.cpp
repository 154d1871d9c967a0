// Draws the History window as a user sees it after half an hour on the
// simulator, and the window with its configuration menu open. The program
// runs on simulated time, so the half hour takes a few seconds. Needs a
// display that can be grabbed (xvfb-run -a history_picture OUT.png MENU.png).

#include "FakeSerialPort.h"
#include "SimulatedClock.h"
#include "frmMain.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

// The window and its chart as a sailor might keep them: five traces.
const char* const kProfile = "[Simulate]\n"
                             "Nmea=True\n"
                             "True Wind Angle=200\n"
                             "[History Window]\n"
                             "Visible=True\n"
                             "Top= 0\n"
                             "Left= 0\n"
                             "Height= 9000\n"
                             "Width= 12000\n"
                             "[History Trace]\n"
                             "Number of Traces= 5\n"
                             "[History Trace #1]\n"
                             "Color= 12582912\n"
                             "[History Trace #2]\n"
                             "Color= 32768\n"
                             "[History Trace #3]\n"
                             "Color= 192\n"
                             "[History Trace #4]\n"
                             "Name=Heading\n"
                             "Color= 8388736\n"
                             "[History Trace #5]\n"
                             "Name=Pilot Delta\n"
                             "Range= 1\n"
                             "Color= 32896\n";

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: history_picture WINDOW.png MENU.png\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("Vanehold.ini"));
    QFile file(profile);
    if (!file.open(QIODevice::WriteOnly) || file.write(kProfile) < 0)
        return 1;
    file.close();

    // 2024-08-22 14:00, the half hour ending at 14:30.
    SimulatedClock clock(ChartSeconds(9000 * 86400 + 14 * 3600));
    int64_t milliseconds = 0;
    std::mt19937 noise(7);
    MainWindowSetup setup;
    setup.ManualTimers = true;
    setup.Core.ManualTimers = true;
    setup.Core.ProfileFile = profile;
    setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
    setup.Core.Random = [&noise] { return std::uniform_real_distribution<double>(0, 1)(noise); };
    setup.Core.Clock = [&milliseconds] { return milliseconds; };
    setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
    setup.AskYesNo = [](QWidget*, const QString&, const QString&) { return true; };
    setup.History.Clock = &clock;
    frmMain window(setup);
    window.Form_Load();

    SteeringCore& core = window.Core();
    ProfileSettings& settings = core.Settings();
    for (int second = 0; second < 1800; ++second) {
        // A wind that backs 25 degrees in a gust line and freshens.
        const double shift = 25.0 / (1.0 + std::exp((second - 900) / 60.0));
        settings.m_fSimulateTrueWindAngle = float(175.0 + shift);
        settings.m_fSimulateTrueWindSpeed = float(12.0 + 4.0 * (second > 900) + std::sin(second / 97.0));
        settings.m_fSimulateBoatSpeed = float(6.5 + 0.8 * (second > 900) + 0.3 * std::sin(second / 53.0));
        if (second == 120)
            core.TrackSetTrack();
        core.tmrNmea_Timer();
        clock.Advance(1000);
        milliseconds += 1000;
    }
    frmHistory& history = window.HistoryWindow();
    history.raise();
    QApplication::processEvents();
    if (!history.grab().save(QString::fromLocal8Bit(argv[1])))
        return 1;

    // The menu opens at the mouse, which a user would have on the chart.
    QCursor::setPos(history.mapToGlobal(QPoint(history.width() / 3, history.height() / 5)));
    history.ConfigurePopup();
    auto* menu = history.findChild<QMenu*>(QStringLiteral("popMenu"));
    auto* other = history.findChild<QMenu*>(QStringLiteral("popMiscInfo"));
    if (!menu || !other)
        return 1;
    // "Other Options" open, as by the keyboard: it holds "Hide Panel".
    menu->setActiveAction(other->menuAction());
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(menu, &right);
    QApplication::processEvents();
    const QRect area = history.frameGeometry().united(menu->geometry()).united(other->geometry());
    const QPixmap screen = history.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    menu->close();
    window.close();
    return screen.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
