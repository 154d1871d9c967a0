// A tack over real pseudo-terminals: after OK in the Tack dialog each tick
// of the walk moves the heading that the next APB sentence carries, at the
// set rate, to the new heading plus the overshoot.

#include "SerialPort.h"
#include "frmMain.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// One pseudo-terminal: the test holds the master, the program opens the
// slave device by its path.
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
        m_device = QString::fromLocal8Bit(name);
    }
    ~Pty() { Close(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Valid() const { return m_master >= 0 && !m_device.isEmpty(); }
    QString Device() const { return m_device; }
    void Write(const QByteArray& bytes) const
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                return;
            done += n;
        }
    }
    // Everything the program has written so far, collected over calls.
    QByteArray Received()
    {
        char buffer[1024];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_received.append(buffer, n);
        }
        return m_received;
    }
    void Close()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_device;
    QByteArray m_received;
};

// A sentence with its checksum, worked out here.
QByteArray Sentence(const QByteArray& body)
{
    unsigned x = 0;
    for (char c : body.mid(1))
        x ^= static_cast<unsigned char>(c);
    const char* digits = "0123456789ABCDEF";
    return body + '*' + digits[x >> 4] + digits[x & 15] + "\r\n";
}

} // namespace

class TestTackEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void tackStepsTheAutopilotHeading()
    {
        Pty instruments;
        Pty autopilot;
        QVERIFY(instruments.Valid() && autopilot.Valid());
        QTemporaryDir dir;
        QFile profile(dir.filePath(QStringLiteral("Vanehold.ini")));
        QVERIFY(profile.open(QIODevice::WriteOnly));
        profile.write("[Ports]\n5=" + instruments.Device().toLocal8Bit() + "\n6=" + autopilot.Device().toLocal8Bit()
                      + "\n[Pilot]\nPort= 6\nBearing=45\n");
        profile.close();
        MainWindowSetup setup;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Core.ProfileFile = profile.fileName();
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.Beep = [] {};
        frmMain w(setup);
        w.Form_Load();

        // Heading 50 with the wind 45 on the starboard bow; tack to 140.
        // The autopilot steers 5 to port of the heading, and keeps doing so.
        w.Core().TackRequest(140, 50, 45);
        w.findChild<QLineEdit*>(QStringLiteral("txtRate"))->setText(QStringLiteral("20"));
        w.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeManual);
        QByteArray expected;
        const QByteArray wind = Sentence("$IIVTG,061.0,T,050.0,M,6.0,N,11.1,K") + Sentence("$IIMWV,045.0,R,10.5,N,A");
        for (const char* heading : {"065.0", "085.0", "105.0", "125.0", "145.0"}) {
            w.Core().TimerTack_Timer();
            instruments.Write(wind);
            const QByteArray h(heading);
            expected += Sentence("$ECAPB,A,A,0.00,R,N,V,V," + h + ",M,1," + h + ",M," + h + ",M");
            QTRY_COMPARE_WITH_TIMEOUT(autopilot.Received(), expected, 10000);
        }
        QVERIFY(!w.Core().TimerTack().Enabled());
    }
};

QTEST_MAIN(TestTackEndToEnd)
#include "tst_tackendtoend.moc"
