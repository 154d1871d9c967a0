// The whole program over real pseudo-terminals: instruments write NMEA to
// one pty, the autopilot reads APB from another (or from the same one).

#include "../util/Engage.h"
#include "SerialPort.h"
#include "frmMain.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
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
    int Master() const { return m_master; }
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

// Course 50 magnetic at 6 knots twice over (VTG, and RMC with 11 east),
// then apparent wind 45 at 10.5 knots.
QByteArray Instruments()
{
    return Sentence("$IIVTG,061.0,T,050.0,M,6.0,N,11.1,K")
           + Sentence("$GPRMC,123519,A,4807.038,N,01131.000,E,006.0,061.0,081226,011.0,E,A")
           + Sentence("$IIMWV,045.0,R,10.5,N,A");
}

// A compass (HDG, 11 east) on 214 magnetic while the boat makes good 220
// (VTG), then the apparent wind.
QByteArray OnCompass(const QByteArray& windAngle)
{
    return Sentence("$HCHDG,214.0,,,11.0,E") + Sentence("$IIVTG,231.0,T,220.0,M,6.0,N,11.1,K")
           + Sentence("$IIMWV," + windAngle + ",R,10.5,N,A");
}

// The heading to steer of each whole line an autopilot reads: "bad" for a
// line that is no APB or whose checksum does not hold.
QStringList Steered(const QByteArray& received)
{
    QList<QByteArray> lines = received.split('\n');
    lines.removeLast(); // not ended yet
    QStringList headings;
    for (const QByteArray& line : lines) {
        const qsizetype star = line.lastIndexOf('*');
        unsigned x = 0;
        for (char c : line.mid(1, star - 1))
            x ^= static_cast<unsigned char>(c);
        const QList<QByteArray> fields = line.left(star).split(',');
        bool ok = false;
        const bool good = star > 0 && line.endsWith('\r') && line.mid(star + 1, 2).toUInt(&ok, 16) == x && ok
                          && fields.size() == 15 && fields[0] == "$ECAPB" && fields[14] == "M";
        headings << (good ? QString::fromLatin1(fields[13]) : QStringLiteral("bad"));
    }
    return headings;
}

// Instruments on port 5, the autopilot on port 6.
QByteArray TwoLines(const Pty& instruments, const Pty& autopilot)
{
    return "[Ports]\n5=" + instruments.Device().toLocal8Bit() + "\n6=" + autopilot.Device().toLocal8Bit()
           + "\n[Pilot]\nPort= 6\n";
}

SerialPort& Port(frmMain& w, const char* name)
{
    return *w.Core().findChild<SerialPort*>(QLatin1String(name));
}

QString Text(frmMain& w, const char* name)
{
    auto* label = w.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<none>");
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;

    frmMain& Start(const QByteArray& profile, decltype(MainWindowSetup::Choose) choose = SteerTheBox,
                   bool coreThread = false)
    {
        const QString path = m_dir->filePath(QStringLiteral("Vanehold.ini"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(profile);
        file.close();
        MainWindowSetup setup;
        setup.Choose = std::move(choose);
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.Core.ProfileFile = path;
        setup.AskYesNo = [](QWidget*, const QString&, const QString&) { return true; };
        setup.Beep = [] {};
        setup.CoreThread = coreThread;
        m_window = std::make_unique<frmMain>(setup);
        m_window->Form_Load();
        return *m_window;
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void apbGoesOutOnTheAutopilotLine()
    {
        Pty instruments;
        Pty autopilot;
        QVERIFY(instruments.Valid() && autopilot.Valid());
        frmMain& w = Start("[Ports]\n5=" + instruments.Device().toLocal8Bit() + "\n6=" + autopilot.Device().toLocal8Bit()
                           + "\n[Pilot]\nPort= 6\nBearing=45\n");
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeSetup);
        QVERIFY2(Port(w, "MSCommNmea").PortOpen(), qPrintable(w.Panel(2)));
        w.Core().TrackSetManual();
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeManual);
        QVERIFY2(Port(w, "MSCommPilot").PortOpen(), qPrintable(w.Panel(3)));

        instruments.Write(Instruments());
        const QByteArray apb = Sentence("$ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M");
        QCOMPARE(apb, QByteArray("$ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M*04\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(autopilot.Received(), apb, 10000);
        QCOMPARE(Text(w, "lblHeading_2"), QStringLiteral("50"));
        QCOMPARE(Text(w, "lblBoatSpeed_2"), QStringLiteral("6.0"));
        QCOMPARE(Text(w, "lblAppWindAngle_2"), QStringLiteral("45"));
        QCOMPARE(Text(w, "lblAppWindSpeed_2"), QStringLiteral("10.5"));
        QCOMPARE(w.Panel(2), QString());

        // Steering by hand: the next wind sentence carries the new heading.
        w.Core().TrackSteerTo(1);
        instruments.Write(Sentence("$IIMWV,044.0,R,10.4,N,A"));
        QTRY_COMPARE_WITH_TIMEOUT(autopilot.Received(),
                                  apb + Sentence("$ECAPB,A,A,0.00,R,N,V,V,046.0,M,1,046.0,M,046.0,M"), 10000);
        QCOMPARE(instruments.Received(), QByteArray()); // nothing goes back to the instruments
    }

    void samePortSendsBackOnTheInstrumentLine()
    {
        Pty line;
        QVERIFY(line.Valid());
        frmMain& w = Start("[Ports]\n5=" + line.Device().toLocal8Bit() + "\n");
        w.Core().TrackSetManual();
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeManual);
        QVERIFY(!Port(w, "MSCommPilot").PortOpen());
        line.Write(Instruments());
        QTRY_COMPARE_WITH_TIMEOUT(line.Received(), Sentence("$ECAPB,A,A,0.00,R,N,V,V,040.0,M,1,040.0,M,040.0,M"),
                                  10000);
    }

    void pullingTheLineShowsAnErrorAndKeepsRunning()
    {
        auto instruments = std::make_unique<Pty>();
        QVERIFY(instruments->Valid());
        frmMain& w = Start("[Ports]\n5=" + instruments->Device().toLocal8Bit() + "\n");
        QVERIFY(Port(w, "MSCommNmea").PortOpen());
        instruments->Write(Instruments());
        QTRY_COMPARE_WITH_TIMEOUT(Text(w, "lblAppWindAngle_2"), QStringLiteral("45"), 10000);
        instruments->Close();
        QTRY_VERIFY_WITH_TIMEOUT(w.Panel(2).startsWith(QStringLiteral("Port Closed - ")), 10000);
        QVERIFY(!Port(w, "MSCommNmea").PortOpen());
        QCOMPARE(w.Core().NmeaStatusText(), QStringLiteral("Stopped - ") + Port(w, "MSCommNmea").LastError());
        // Still alive: the timer ticks, the modes can be walked again.
        for (int tick = 0; tick < 5; ++tick)
            w.Core().tmrNmea_Timer();
        QVERIFY(w.Panel(2).startsWith(QStringLiteral("Port Closed - ")));
        w.Core().TrackSetOff();
        w.Core().TrackSetSetup();
        QVERIFY(w.isEnabled());
        QVERIFY(w.Core().Settings().m_eTrackMode == TrackModeOff || w.Core().Settings().m_eTrackMode == TrackModeSetup);
    }

    void manualAsksWhenTheBoxIsFarFromTheBoat_data()
    {
        QTest::addColumn<QString>("typed"); // "" leaves the box following
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("steered"); // "" nothing goes out
        const QStringList both{QStringLiteral("Steer 214"), QStringLiteral("Steer 40")};
        QTest::newRow("cancel") << "40" << -1 << both << "";
        QTest::newRow("the boat's") << "40" << 0 << both << "214.0";
        QTest::newRow("the box's") << "40" << 1 << both << "040.0";
        QTest::newRow("followed") << "" << -1 << QStringList() << "214.0";
        QTest::newRow("typed near") << "190" << -1 << QStringList() << "190.0";
    }

    void manualAsksWhenTheBoxIsFarFromTheBoat()
    {
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(QStringList, asked);
        QFETCH(QString, steered);
        Pty instruments;
        Pty autopilot;
        QVERIFY(instruments.Valid() && autopilot.Valid());
        QStringList buttons;
        frmMain& w = Start(TwoLines(instruments, autopilot) + "[Nmea]\nHeading=0\n",
                           [&](QWidget*, const QString&, const QString&, const QStringList& captions) {
                               buttons = captions;
                               return answer;
                           });
        auto* box = w.findChild<QLineEdit*>(QStringLiteral("txtAutoPilot"));
        instruments.Write(OnCompass("045.0"));
        QTRY_COMPARE_WITH_TIMEOUT(box->text(), QStringLiteral("214.0"), 10000);
        if (!typed.isEmpty()) {
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box, typed);
            QTest::keyClick(box, Qt::Key_Return);
        }
        // The compass goes on; a typed heading stays.
        instruments.Write(OnCompass("046.0"));
        QTRY_COMPARE_WITH_TIMEOUT(Text(w, "lblAppWindAngle_2"), QStringLiteral("46"), 10000);
        QCOMPARE(box->text(), (typed.isEmpty() ? QStringLiteral("214") : typed) + QStringLiteral(".0"));

        w.findChild<QAction*>(QStringLiteral("tbrTrack_5"))->trigger();
        QCOMPARE(buttons, asked);
        instruments.Write(Sentence("$IIMWV,047.0,R,10.5,N,A"));
        QTRY_COMPARE_WITH_TIMEOUT(Text(w, "lblAppWindAngle_2"), QStringLiteral("47"), 10000);
        if (steered.isEmpty()) {
            QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeSetup);
            QVERIFY(!w.findChild<QAction*>(QStringLiteral("tbrTrack_5"))->isChecked());
            QVERIFY(!Port(w, "MSCommPilot").PortOpen());
            QCOMPARE(autopilot.Received(), QByteArray());
        } else {
            QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeManual);
            QTRY_COMPARE_WITH_TIMEOUT(Steered(autopilot.Received()), QStringList{steered}, 10000);
        }
    }

    // The sailor tuning in the Options dialog sees the alarm there.
    void alarmLiesOverTheOptionsDialog()
    {
        Pty instruments;
        Pty autopilot;
        QVERIFY(instruments.Valid() && autopilot.Valid());
        frmMain& w = Start(TwoLines(instruments, autopilot) + "[Nmea]\nHeading=0\n");
        w.show();
        instruments.Write(OnCompass("045.0"));
        QTRY_COMPARE_WITH_TIMEOUT(Text(w, "lblAppWindAngle_2"), QStringLiteral("45"), 10000);
        w.Core().TrackSetManual();
        w.Core().TrackSetTrack();
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeTrack);
        frmOptions& options = w.Options();
        options.SetTab(frmOptions::TabTracking);
        options.ShowCenter();
        QVERIFY(QTest::qWaitForWindowActive(&options));

        instruments.Write(Sentence("$IIMWV,057.0,R,10.5,N,A")); // 12 off the desired 45
        AlarmBanner& banner = w.Banner();
        const QString alarm = QStringLiteral("Alarm Limit Exceeded 12");
        QTRY_COMPARE_WITH_TIMEOUT(banner.Text(), alarm, 10000);
        QCOMPARE(w.Panel(3), alarm);
        QVERIFY(banner.isVisible());
        QCOMPARE(banner.Over(), &options);
        QCOMPARE(banner.geometry().topLeft(), options.geometry().topLeft());
        // Escape stops the sound, not the dialog; the alarm stands in panel 3.
        QTest::keyClick(&options, Qt::Key_Escape);
        QVERIFY(!w.Core().Alarms().Sounding());
        QVERIFY(options.isVisible());
        QVERIFY(!banner.isVisible());
        QCOMPARE(w.Panel(3), alarm);
    }

    void silenceShowsNoInputData()
    {
        Pty instruments;
        QVERIFY(instruments.Valid());
        frmMain& w = Start("[Ports]\n5=" + instruments.Device().toLocal8Bit() + "\n");
        QVERIFY(Port(w, "MSCommNmea").PortOpen());
        for (int tick = 1; tick <= 3; ++tick) {
            w.Core().tmrNmea_Timer();
            QCOMPARE(w.Panel(2), QString());
        }
        w.Core().tmrNmea_Timer();
        QCOMPARE(w.Panel(2), QStringLiteral("No Input Data"));
        instruments.Write("$");
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel(2), QString(), 10000);
    }

    // The window's thread stops (a long paint, a dialog waiting) while the
    // wind goes on: each wind sentence still gets its sentence for the
    // autopilot at once, and none waits to come out after.
    void aStalledWindowDelaysNoSentence()
    {
        Pty instruments;
        Pty autopilot;
        QVERIFY(instruments.Valid() && autopilot.Valid());
        frmMain& w = Start(TwoLines(instruments, autopilot) + "[Nmea]\nHeading=0\n", SteerTheBox, true);
        w.show();
        CoreRunner& core = w.Runner();
        QVERIFY(core.OwnThread());
        instruments.Write(OnCompass("045.0"));
        QTRY_COMPARE_WITH_TIMEOUT(Text(w, "lblAppWindAngle_2"), QStringLiteral("45"), 10000);
        core.Post([](SteeringCore& c) { c.TrackSetManual(); });
        QTRY_COMPARE_WITH_TIMEOUT(core.Ask([](SteeringCore& c) { return c.Mode(); }), TrackModeManual, 10000);
        const auto steered = [&] { return Steered(autopilot.Received()).size(); };
        QTRY_COMPARE_WITH_TIMEOUT(steered(), 0, 10000);

        // From here on this thread serves no event until the wind is done.
        const int lines = 20;
        for (int i = 0; i < lines; ++i) {
            instruments.Write(Sentence("$IIMWV,0" + QByteArray::number(50 + i) + ".0,R,10.5,N,A"));
            for (int waited = 0; steered() < i + 1 && waited < 100; ++waited) {
                pollfd wait{autopilot.Master(), POLLIN, 0};
                ::poll(&wait, 1, 100);
            }
            QCOMPARE(steered(), i + 1);
        }
        QCOMPARE(Text(w, "lblAppWindAngle_2"), QStringLiteral("45")); // nothing shown yet
        QTRY_COMPARE_WITH_TIMEOUT(Text(w, "lblAppWindAngle_2"), QStringLiteral("69"), 10000);
        QCOMPARE(Steered(autopilot.Received()), QStringList(lines, QStringLiteral("214.0")));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
