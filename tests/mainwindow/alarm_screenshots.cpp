// Pictures of an alarm for the README: the program on fake ports in Track,
// the wind 12 degrees off the desired angle, first with the Options dialog
// open on the Tracking tab, then on the main window alone. The strip is a
// window of its own, so the pictures are cut from the screen. Run under a
// display (xvfb-run):
//     alarm_screenshots <folder>

#include "../util/Engage.h"
#include "FakeSerialPort.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QString Sentence(const QString& body)
{
    unsigned x = 0;
    for (QChar c : body.mid(1))
        x ^= c.unicode() & 0xFF;
    return body + QStringLiteral("*%1\r\n").arg(x, 2, 16, QLatin1Char('0')).toUpper();
}

// The screen under a window and the strip over it, with a margin.
void Save(QWidget& window, const QDir& folder, const char* name)
{
    const QRect area = window.frameGeometry().adjusted(-8, -8, 8, 8);
    QApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(folder.filePath(QLatin1String(name)));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vanehold"));
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir profile;

    MainWindowSetup setup;
    setup.Choose = SteerTheBox;
    setup.Beep = [] {};
    setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
    setup.Core.ProfileFile = profile.filePath(QStringLiteral("Vanehold.ini"));
    FakeSerialPort* nmea = nullptr;
    setup.Core.Ports = [&nmea](QObject* parent) {
        auto* port = new FakeSerialPort(parent);
        if (!nmea)
            nmea = port;
        return port;
    };
    frmMain window(setup);
    window.Form_Load();
    window.move(40, 40);
    window.show();

    // Steady wind 45 until Track holds it, then 57.
    QString wind = QStringLiteral("045.0");
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        nmea->feed(Sentence(QStringLiteral("$IIVTG,061.0,T,050.0,M,6.2,N,11.5,K"))
                   + Sentence(QStringLiteral("$IIHDG,048.0,,,11.0,E"))
                   + Sentence(QStringLiteral("$IIMWV,") + wind + QStringLiteral(",R,10.5,N,A")));
    });
    feed.start(500);

    QTimer::singleShot(1500, &window, [&] {
        window.Core().TrackSetManual();
        window.Core().TrackSetTrack();
        window.Options().SetTab(frmOptions::TabTracking);
        window.Options().ShowCenter();
        window.Options().move(640, 40);
    });
    QTimer::singleShot(3000, &window, [&] { wind = QStringLiteral("057.0"); });
    QTimer::singleShot(6000, &window, [&] {
        Save(window.Options(), folder, "alarm-options.png");
        window.Options().hide();
        window.raise();
        window.activateWindow();
    });
    QTimer::singleShot(7500, &window, [&] {
        Save(window, folder, "alarm-mainwindow.png");
        window.Core().TrackSetOff();
        QApplication::quit();
    });
    return app.exec();
}
