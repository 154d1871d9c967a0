// The Options dialog's live lists over real pseudo-terminals: the
// instruments write to one, the autopilot reads from another.

#include "frmMain.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The test holds the master side; the program opens the slave by its path.
class Pty {
public:
    Pty()
    {
        int slave = -1;
        char name[256] = {};
        if (openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        ::close(slave);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_device = QByteArray(name);
    }
    ~Pty()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    QByteArray Device() const { return m_device; }
    bool Write(const QByteArray& bytes) const { return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size(); }

private:
    int m_master = -1;
    QByteArray m_device;
};

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
        QVERIFY(!instruments.Device().isEmpty() && !autopilot.Device().isEmpty());
        QTemporaryDir dir;
        const QString profile = dir.filePath(QStringLiteral("Vanehold.ini"));
        QFile file(profile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Ports]\n5=" + instruments.Device() + "\n6=" + autopilot.Device() + "\n[Pilot]\nPort= 6\n");
        file.close();
        MainWindowSetup setup;
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
        QCOMPARE(options.findChild<QLabel*>(QStringLiteral("lblNmeaStatus"))->text(), QStringLiteral("Running"));
        QCOMPARE(options.findChild<QLabel*>(QStringLiteral("lblNmeaDevice"))->text(), QString::fromLatin1(instruments.Device()));
        QCOMPARE(options.findChild<QLabel*>(QStringLiteral("lblPilotDevice"))->text(), QString::fromLatin1(autopilot.Device()));

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
