// The tack, jibe and steer procedure on a recording host and a timer the
// test ticks: the classification, the small-steer shortcut, the walk of the
// autopilot heading, refusals and the end of a walk.

#include "ProfileSettings.h"
#include "SwitchTimer.h"
#include "TackProcedure.h"

#include <QTest>

namespace {

// What the procedure asked of the program, and the mode it reads back.
struct Host {
    QList<float> steered;   // deltas steered at once
    QList<float> autoPilot; // each heading set by the walk
    int beeps = 0;
    bool pilotStarts = true; // whether Manual can be entered
    ProfileSettings settings;
    Host() { settings.m_fTrackMaxSteerTo = 10; }
    bool Manual() const { return settings.m_eTrackMode == TrackModeManual; }
    void Listen(TackProcedure& tack)
    {
        QObject::connect(&tack, &TackProcedure::SteerRequested, [this](float d) { steered << d; });
        QObject::connect(&tack, &TackProcedure::ManualRequested, [this] {
            if (pilotStarts)
                settings.m_eTrackMode = TrackModeManual;
        });
        QObject::connect(&tack, &TackProcedure::AutoPilotStepped, [this](float a) { autoPilot << a; });
        QObject::connect(&tack, &TackProcedure::BeepRequested, [this] { ++beeps; });
    }
};

} // namespace

class TestTackProcedure : public QObject {
    Q_OBJECT
    Host host;
    ManualTimer timer;
    std::unique_ptr<TackProcedure> tack;

private slots:
    void init()
    {
        tack.reset();
        host = Host();
        timer.SetEnabled(false);
        tack = std::make_unique<TackProcedure>(host.settings, timer);
        host.Listen(*tack);
    }

    void classify_data()
    {
        QTest::addColumn<QList<float>>("in"); // heading, wind angle, steer to
        QTest::addColumn<QString>("result");  // word and direction, or the small steer sent at once
        QTest::newRow("c 40 n 120: steer") << QList<float>{0, 40, 280} << "Steer 0";
        QTest::newRow("c 45 n -45: tack") << QList<float>{0, 45, 90} << "Tack 1";
        QTest::newRow("c -45 n 45: tack") << QList<float>{90, -45, 0} << "Tack -1";
        QTest::newRow("c 150 n -150: jibe") << QList<float>{0, 150, 300} << "Jibe -1";
        QTest::newRow("c -150 n 150: jibe") << QList<float>{300, -150, 0} << "Jibe 1";
        QTest::newRow("n exactly 0") << QList<float>{0, 45, 45} << "Steer 0";
        QTest::newRow("c exactly 0") << QList<float>{0, 0, 60} << "Steer 0";
        QTest::newRow("c exactly 90") << QList<float>{0, 90, 100} << "Steer 0";
        QTest::newRow("c exactly -90, n 150") << QList<float>{0, -90, 120} << "Steer 0";
        QTest::newRow("n exactly 90, c -45") << QList<float>{0, -45, 225} << "Steer 0";
        QTest::newRow("delta +10 = maximum") << QList<float>{0, 0, 10} << "steered 10";
        QTest::newRow("delta -10 across north") << QList<float>{5, 0, 355} << "steered -10";
        QTest::newRow("delta 11 asks") << QList<float>{0, 0, 11} << "Steer 0";
    }
    void classify()
    {
        QFETCH(QList<float>, in);
        const bool asks = tack->SetValue(in[2], in[0], in[0], in[1]);
        QCOMPARE(host.beeps, asks ? 1 : 0);
        QTEST(asks ? tack->Word() + ' ' + QString::number(tack->Direction())
                   : QStringLiteral("steered ") + QString::number(host.steered.value(0)),
              "result");
    }

    void walk_data()
    {
        QTest::addColumn<QList<float>>("set");  // heading, autopilot, wind angle, steer to
        QTest::addColumn<QStringList>("texts"); // heading, overshoot, rate at OK
        // "ticks: first, second-last and last autopilot heading", or why OK
        // was refused
        QTest::addColumn<QString>("result");
        const QList<float> tack{0, 0, 45, 90};
        QTest::newRow("tack +100 at 5") << tack << QStringList{"90", "10", "5"} << "20: 5 95 100";
        QTest::newRow("at 7 the 15th tick clamps") << tack << QStringList{"90", "10", "7"} << "15: 7 98 100";
        QTest::newRow("offset -10 kept") << QList<float>{5, 355, 45, 95} << QStringList{"95", "10", "5"}
                                         << "20: 0 90 95";
        QTest::newRow("jibe -70") << QList<float>{0, 0, 150, 300} << QStringList{"300", "10", "5"} << "14: 355 295 290";
        QTest::newRow("rate 0 runs at 10, a steer without overshoot")
            << QList<float>{0, 0, 0, 60} << QStringList{"60", "10", "0"} << "6: 10 50 60";
        QTest::newRow("short way round, edited heading")
            << QList<float>{350, 350, 0, 40} << QStringList{"20", "0", "10"} << "3: 0 10 20";
        QTest::newRow("heading not a number") << tack << QStringList{"9O", "10", "5"} << "Heading is not a number";
        QTest::newRow("overshoot empty") << tack << QStringList{"90", "", "5"} << "Overshoot is not a number";
        QTest::newRow("rate not a number") << tack << QStringList{"90", "10", "fast"} << "Rate is not a number";
    }
    void walk()
    {
        QFETCH(QList<float>, set);
        QFETCH(QStringList, texts);
        QVERIFY(tack->SetValue(set[3], set[0], set[1], set[2]));
        QString why;
        if (!tack->Start(texts[0], texts[1], texts[2], why)) {
            QTEST(why, "result");
            // Nothing changed: no Manual, no walk, the rate as it was.
            QVERIFY(!host.Manual() && !timer.Enabled());
            QCOMPARE(tack->CurrentState(), TackProcedure::State::Proposed);
            QCOMPARE(tack->m_fRate[2], 5.0f);
            return;
        }
        QVERIFY(host.Manual());
        int ticks = 0;
        for (; timer.Enabled() && ticks < 400; ++ticks)
            tack->TimerTack_Timer();
        const QList<float>& a = host.autoPilot;
        QTEST(QString::number(ticks) + QStringLiteral(": ") + QString::number(a.first()) + ' '
                  + QString::number(a[a.size() - 2]) + ' ' + QString::number(a.last()),
              "result");
        // What was typed is kept for the next time, a rate of 0 too.
        QCOMPARE(tack->m_fRate[tack->ProcedureIndex()], texts[2].toFloat());
    }

    // No Manual without the autopilot link; a new proposal, or a mode other
    // than Manual, ends a walk where it stands.
    void walkEnds()
    {
        QString why;
        host.pilotStarts = false;
        tack->SetValue(90, 0, 0, 45);
        QVERIFY(!tack->Start(QStringLiteral("90"), QStringLiteral("10"), QStringLiteral("5"), why));
        QCOMPARE(why, QStringLiteral("Manual mode could not be started"));
        host.pilotStarts = true;
        for (int way = 0; way < 2; ++way) {
            tack->SetValue(90, 0, 0, 45);
            QVERIFY(tack->Start(QStringLiteral("90"), QStringLiteral("10"), QStringLiteral("5"), why));
            tack->TimerTack_Timer();
            if (way == 0)
                tack->SetValue(90, 0, 0, 45);
            else
                host.settings.m_eTrackMode = TrackModeSetup;
            tack->TimerTack_Timer();
            QVERIFY(!timer.Enabled());
        }
        QCOMPARE(host.autoPilot, (QList<float>{5, 5}));
    }
};

QTEST_GUILESS_MAIN(TestTackProcedure)
#include "tst_tackprocedure.moc"
