// The Options dialog's live lists over real pseudo-terminals: the
// instruments write to one, the autopilot reads from another.

#include "../util/Engage.h"
#include "../util/Wire.h"
#include "frmMain.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QStringList Lines(QDialog& options, const char* list)
{
    QStringList lines;
    auto* widget = options.findChild<QListWidget*>(QLatin1String(list));
    for (int i = 0; i < widget->count(); ++i)
        lines << widget->item(i)->text();
    return lines;
}

} // namespace

class TestOptionsEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void listsShowWhatThePortsCarry()
    {
        Pty instruments;
        Pty autopilot;
        QVERIFY(!instruments.device.isEmpty() && !autopilot.device.isEmpty());
        QTemporaryDir dir;
        const QString profile = dir.filePath(QStringLiteral("Vanehold.ini"));
        QFile file(profile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Ports]\n5=" + instruments.device + "\n6=" + autopilot.device + "\n[Pilot]\nPort= 6\n");
        file.close();
        MainWindowSetup setup;
        setup.Choose = SteerTheBox;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.Core.ProfileFile = profile;
        setup.AskYesNo = [](QWidget*, const QString&, const QString&) { return true; };
        setup.Options.SerialDevices = [] { return QStringList(); };
        auto w = std::make_unique<frmMain>(setup);
        w->Form_Load();
        w->Core().TrackSetManual();
        QCOMPARE(w->Core().Settings().m_eTrackMode, TrackModeManual);
        w->findChild<QAction*>(QStringLiteral("mnuOptionsInput"))->trigger();
        QDialog& options = w->Options();
        auto label = [&options](const char* name) { return options.findChild<QLabel*>(QLatin1String(name))->text(); };
        QCOMPARE(label("lblNmeaStatus"), QStringLiteral("Running"));
        QCOMPARE(label("lblNmeaDevice"), QString::fromLatin1(instruments.device));
        QCOMPARE(label("lblPilotDevice"), QString::fromLatin1(autopilot.device));

        // Course 50 at 6 knots, then the wind: one APB for the wind.
        QVERIFY(instruments.Write("$IIVTG,,T,050.0,M,6.0,N,,K*5A\r\n$IIMWV,045.0,R,10.5,N,A*08\r\n"));
        const QStringList received{QStringLiteral("$IIVTG,,T,050.0,M,6.0,N,,K*5A"),
                                   QStringLiteral("$IIMWV,045.0,R,10.5,N,A*08")};
        QTRY_COMPARE_WITH_TIMEOUT(Lines(options, "lstNmeaData"), received, 10000);
        QCOMPARE(Lines(options, "lstPilotData"),
                 QStringList{QStringLiteral("$ECAPB,A,A,0.00,R,N,V,V,040.0,M,1,040.0,M,040.0,M*01")});
        w.reset();
    }
};

QTEST_MAIN(TestOptionsEndToEnd)
#include "tst_optionsendtoend.moc"
