// The Tack dialog in the program, headless: asked for through the core as
// the Polar window's buttons do, the walk shown in panel 1, a mode change or
// a steer button ending it, a refused OK, and the profile keys at close.

#include "FakeSerialPort.h"
#include "frmMain.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestTackDialog : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
    int m_beeps = 0;

    template <typename T>
    T* Find(const char* name) { return m_window->findChild<T*>(QLatin1String(name)); }
    frmTack* Dialog() { return Find<frmTack>("frmTack"); }
    void Ok(const char* rate)
    {
        Find<QLineEdit>("txtRate")->setText(QLatin1String(rate));
        Find<QPushButton>("cmdOk")->click();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QFile profile(m_dir->filePath(QStringLiteral("Vanehold.ini")));
        QVERIFY(profile.open(QIODevice::WriteOnly));
        profile.write("[Pilot]\nBearing=40\n[Tack Data]\nOvershoot 2=10\n");
        profile.close();
        MainWindowSetup setup;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.Core.ProfileFile = profile.fileName();
        setup.AskYesNo = [](QWidget*, const QString&, const QString&) { return true; };
        setup.Beep = [this] { ++m_beeps; };
        m_window = std::make_unique<frmMain>(setup);
        m_window->Form_Load();
        m_beeps = 0;
    }
    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void walkShownAndEndedByTheUser()
    {
        frmMain& w = *m_window;
        SteeringCore& core = w.Core();
        core.TackRequest(90, 0, 45); // a tack from the Polar window
        QVERIFY(Dialog()->isVisible());
        QCOMPARE(Dialog()->windowTitle(), QStringLiteral("Vanehold - Tack"));
        QCOMPARE(Find<QListWidget>("lstTack")->item(0)->text(), QStringLiteral("Tack to new heading:"));
        QCOMPARE(Find<QLineEdit>("txtOvershoot")->text(), QStringLiteral("10"));
        QCOMPARE(Find<QLineEdit>("txtRate")->text(), QStringLiteral("5"));
        QCOMPARE(m_beeps, 1);

        // OK in Setup: Manual first, then the walk, 40 degrees to starboard
        // of the boat's heading as the autopilot was.
        Find<QPushButton>("cmdOk")->click();
        QCOMPARE(core.Settings().m_eTrackMode, TrackModeManual);
        QCOMPARE(w.Panel(1), QStringLiteral("Tack 0/100"));
        for (int tick = 0; tick < 7; ++tick)
            core.TimerTack_Timer();
        QCOMPARE(w.Panel(1), QStringLiteral("Tack 35/100"));
        QCOMPARE(Find<QLineEdit>("txtAutoPilot")->text(), QStringLiteral("75"));
        QCOMPARE(Find<QLineEdit>("txtHeading")->text(), QStringLiteral("35"));

        Find<QPushButton>("cmdAutoPilot_2")->click(); // a steer button: one degree, and the walk ends
        QVERIFY(!core.TimerTack().Enabled());
        QVERIFY(!Dialog()->isVisible());
        QCOMPARE(core.Settings().m_fAutoPilot, 76.0f);
        QCOMPARE(w.Panel(1), QStringLiteral("Manual"));

        core.TackRequest(90, 0, 45);
        Ok("5");
        core.TimerTack_Timer();
        w.findChild<QAction*>(QStringLiteral("tbrTrack_3"))->trigger(); // Setup
        QVERIFY(!core.TimerTack().Enabled());
        QCOMPARE(core.Settings().m_fAutoPilot, 81.0f);
        QCOMPARE(w.Panel(1), QStringLiteral("Initialize"));
    }

    void refusedOkKeepsTheDialog()
    {
        SteeringCore& core = m_window->Core();
        core.TackRequest(90, 0, 45);
        Ok("five");
        QVERIFY(Dialog()->isVisible());
        QCOMPARE(Find<QLabel>("lblStatus")->text(), QStringLiteral("Rate is not a number"));
        QCOMPARE(core.Settings().m_eTrackMode, TrackModeSetup);

        Ok("60"); // 100 degrees at 60 a second: two ticks
        core.TimerTack_Timer();
        core.TimerTack_Timer();
        QVERIFY(!Dialog()->isVisible());
        QCOMPARE(core.Settings().m_fAutoPilot, 140.0f);
        QCOMPARE(m_window->Panel(1), QStringLiteral("Manual"));

        m_window->close();
        QFile profile(m_dir->filePath(QStringLiteral("Vanehold.ini")));
        QVERIFY(profile.open(QIODevice::ReadOnly));
        QVERIFY(profile.readAll().contains("Overshoot 2=10\nRate 1=10\nOvershoot 1=0\nRate 2=60\n"));
    }
};

QTEST_MAIN(TestTackDialog)
#include "tst_frmtack.moc"
