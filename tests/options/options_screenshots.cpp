// Pictures of the Options tabs, the block diagram and the About window for
// the README: the program on fake ports fed with instrument sentences, in
// Manual so that APB sentences go out. Run under a display (xvfb-run):
//     options_screenshots <folder>

#include "../util/Engage.h"
#include "FakeSerialPort.h"
#include "frmAbout.h"
#include "frmDiagram.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>
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

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vanehold"));
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir profile;

    MainWindowSetup setup;

    setup.Choose = SteerTheBox;
    setup.Core.ProfileFile = profile.filePath(QStringLiteral("Vanehold.ini"));
    FakeSerialPort* nmea = nullptr;
    setup.Core.Ports = [&nmea](QObject* parent) {
        auto* port = new FakeSerialPort(parent);
        if (!nmea)
            nmea = port;
        return port;
    };
    setup.Options.SerialDevices = [] {
        return QStringList{QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"),
                           QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB0")};
    };
    frmMain window(setup);
    window.Form_Load();
    window.move(40, 40);
    window.show();
    window.Core().TrackSetManual();

    int step = 0;
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        ++step;
        const QString angle = QString::number(42 + step % 7) + QStringLiteral(".0");
        QString lines = Sentence(QStringLiteral("$IIVTG,061.0,T,050.0,M,6.2,N,11.5,K"))
            + Sentence(QStringLiteral("$IIHDG,048.0,,,11.0,E"))
            + Sentence(QStringLiteral("$IIMWV,") + angle + QStringLiteral(",R,10.5,N,A"));
        if (step % 5 == 0)
            lines += QStringLiteral("$IIMWV,045.0,R,10.5,N,A*00\r\n");
        nmea->feed(lines);
    });
    feed.start(150);

    const struct {
        int tab;
        const char* file;
    } shots[] = {
        {frmOptions::TabInput, "options-input.png"},       {frmOptions::TabData, "options-data.png"},
        {frmOptions::TabOutput, "options-output.png"},     {frmOptions::TabTracking, "options-tracking.png"},
        {frmOptions::TabSimulate, "options-simulate.png"}, {frmOptions::TabDiagram, "options-diagram.png"},
    };
    int at = 500;
    for (const auto& shot : shots) {
        QTimer::singleShot(at, &window, [&window, shot] {
            window.Options().SetTab(shot.tab);
            window.Options().ShowCenter();
        });
        QTimer::singleShot(at + 3500, &window, [&window, &folder, shot] {
            window.Options().grab().save(folder.filePath(QLatin1String(shot.file)));
        });
        at += 4000;
    }
    QTimer::singleShot(at, &window, [&window] {
        window.Options().hide();
        window.findChild<QAction*>(QStringLiteral("mnuViewDiagram"))->trigger();
        window.About().show();
    });
    QTimer::singleShot(at + 1000, &window, [&window, &folder] {
        window.Diagram().grab().save(folder.filePath(QStringLiteral("diagram.png")));
        window.About().grab().save(folder.filePath(QStringLiteral("about.png")));
        window.Core().TrackSetOff();
        QApplication::quit();
    });
    return app.exec();
}
