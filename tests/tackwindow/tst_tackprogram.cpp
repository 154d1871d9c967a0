// The Tack dialog in the program, over real pseudo-terminals: asked for
// through the core as the Polar window's buttons do, each tick of the walk
// carried by the next APB sentence, the walk shown in panel 1 and ended by
// a steer button or a mode change, a refused OK, and the profile keys.

#include "../util/Engage.h"
#include "../util/Wire.h"
#include "frmMain.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestTackProgram : public QObject {
    Q_OBJECT
    std::unique_ptr<Pty> m_instruments;
    std::unique_ptr<Pty> m_autopilot;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
    int m_beeps = 0;

    template <typename T>
    T* Find(const char* name) { return m_window->findChild<T*>(QLatin1String(name)); }
    bool DialogShown() { return Find<frmTack>("frmTack")->isVisible(); }
    void Ok(const char* rate)
    {
        Find<QLineEdit>("txtRate")->setText(QLatin1String(rate));
        Find<QPushButton>("cmdOk")->click();
    }
    QString Profile() const { return m_dir->filePath(QStringLiteral("Vanehold.ini")); }

private slots:
    void init()
    {
        m_instruments = std::make_unique<Pty>();
        m_autopilot = std::make_unique<Pty>();
        QVERIFY(m_instruments->master >= 0 && m_autopilot->master >= 0);
        m_dir = std::make_unique<QTemporaryDir>();
        QFile profile(Profile());
        QVERIFY(profile.open(QIODevice::WriteOnly));
        profile.write("[Ports]\n5=" + m_instruments->device + "\n6=" + m_autopilot->device
                      + "\n[Pilot]\nPort= 6\nBearing=45\n[Tack Data]\nOvershoot 2=12\n");
        profile.close();
        MainWindowSetup setup;
        setup.Choose = SteerTheBox;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Core.ProfileFile = Profile();
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.Beep = [this] { ++m_beeps; };
        m_window = std::make_unique<frmMain>(setup);
        m_window->Form_Load();
        m_beeps = 0;
    }
    void cleanup() { m_window.reset(); }

    // Heading 50 with the wind 45 on the starboard bow; tack to 140, 12
    // beyond. The autopilot steers 5 to port of the heading, and keeps
    // doing so.
    void apbStepsToTheNewHeading()
    {
        SteeringCore& core = m_window->Core();
        core.TackRequest(140, 50, 45);
        Ok("20");
        QCOMPARE(core.Settings().m_eTrackMode, TrackModeManual);
        QByteArray expected;
        const QByteArray wind = Line("IIVTG,061.0,T,050.0,M,6.0,N,11.1,K") + Line("IIMWV,045.0,R,10.5,N,A");
        for (const char* heading : {"065.0", "085.0", "105.0", "125.0", "145.0", "147.0"}) {
            core.TimerTack_Timer();
            QVERIFY(m_instruments->Write(wind));
            const QString h = QLatin1String(heading);
            expected += Line("ECAPB,A,A,0.00,R,N,V,V," + h + ",M,1," + h + ",M," + h + ",M");
            QTRY_COMPARE_WITH_TIMEOUT(m_autopilot->Received(), expected, 10000);
        }
        QVERIFY(!core.TimerTack().Enabled() && !DialogShown());
        m_window->close(); // the dialog's keys are kept, the rate as typed
        QFile profile(Profile());
        QVERIFY(profile.open(QIODevice::ReadOnly));
        QVERIFY(profile.readAll().contains("Overshoot 2=12\nRate 1=10\nOvershoot 1=0\nRate 2=20\n"));
    }

    void walkShownAndEndedByTheUser()
    {
        frmMain& w = *m_window;
        SteeringCore& core = w.Core();
        core.TackRequest(90, 0, 45);
        QVERIFY(DialogShown());
        QCOMPARE(Find<frmTack>("frmTack")->windowTitle(), QStringLiteral("Vanehold - Tack"));
        QCOMPARE(Find<QListWidget>("lstTack")->item(0)->text(), QStringLiteral("Tack to new heading:"));
        QCOMPARE(Find<QLineEdit>("txtOvershoot")->text(), QStringLiteral("12")); // from the profile
        QCOMPARE(m_beeps, 1);
        Ok("fast");
        QCOMPARE(Find<QLabel>("lblStatus")->text(), QStringLiteral("Rate is not a number"));
        QCOMPARE(core.Settings().m_eTrackMode, TrackModeSetup);

        Ok("5"); // 102 degrees, the autopilot 45 to starboard of the heading
        for (int tick = 0; tick < 7; ++tick)
            core.TimerTack_Timer();
        QCOMPARE(w.Panel(1), QStringLiteral("Tack 35/102"));
        QCOMPARE(Find<QLineEdit>("txtAutoPilot")->text(), QStringLiteral("80"));
        QCOMPARE(Find<QLineEdit>("txtHeading")->text(), QStringLiteral("35"));
        Find<QPushButton>("cmdAutoPilot_2")->click(); // one degree more, and the walk ends
        QVERIFY(!core.TimerTack().Enabled() && !DialogShown());
        QCOMPARE(core.Settings().m_fAutoPilot, 81.0f);
        QCOMPARE(w.Panel(1), QStringLiteral("Manual"));

        core.TackRequest(90, 0, 45);
        Ok("5");
        core.TimerTack_Timer();
        w.findChild<QAction*>(QStringLiteral("tbrTrack_3"))->trigger(); // Setup
        QVERIFY(!core.TimerTack().Enabled());
        QCOMPARE(core.Settings().m_fAutoPilot, 86.0f);
        QCOMPARE(w.Panel(1), QStringLiteral("Initialize"));
    }

    // After a Cancel, Enter on the next proposal starts the walk.
    void enterMeansOkAfterACancel()
    {
        SteeringCore& core = m_window->Core();
        core.TackRequest(90, 0, 45);
        QTest::mouseClick(Find<QPushButton>("cmdCancel"), Qt::LeftButton);
        QVERIFY(!DialogShown());
        core.TackRequest(90, 0, 45);
        auto* heading = Find<QLineEdit>("txtHeading");
        QCOMPARE(Find<frmTack>("frmTack")->focusWidget(), heading);
        QTest::keyClick(heading, Qt::Key_Return);
        QVERIFY(core.TimerTack().Enabled());
    }
};

QTEST_MAIN(TestTackProgram)
#include "tst_tackprogram.moc"
