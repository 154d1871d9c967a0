// The tack, jibe and steer procedure on a recording host and a timer the
// test ticks: the classification, the small-steer shortcut, the walk of the
// autopilot heading, refusals, cancelling and the profile keys.

#include "SerialLinks.h"
#include "TackProcedure.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Host : TackHost {
    QList<float> steered;   // TrackSteerTo deltas
    QList<float> autoPilot; // each heading set by the walk
    int manualCalls = 0;
    int beeps = 0;
    bool manual = false;
    bool pilotStarts = true; // whether Manual can be entered
    void TrackSteerTo(float Delta) override { steered << Delta; }
    void TrackSetManual() override
    {
        ++manualCalls;
        manual = pilotStarts;
    }
    bool TrackManual() const override { return manual; }
    float TrackMaxSteerTo() const override { return 10; }
    void TackAutoPilot(float a) override { autoPilot << a; }
    void TackBeep() override { ++beeps; }
};

} // namespace

class TestTackProcedure : public QObject {
    Q_OBJECT
    Host host;
    ManualTimer timer;
    std::unique_ptr<TackProcedure> tack;

    // Ticks while the timer runs (at most 400); the number of ticks.
    int Walk()
    {
        int ticks = 0;
        while (timer.Enabled() && ticks < 400) {
            tack->TimerTack_Timer();
            ++ticks;
        }
        return ticks;
    }

private slots:
    void init()
    {
        host = Host();
        timer.SetEnabled(false);
        tack = std::make_unique<TackProcedure>(host, timer);
    }

    void classify_data()
    {
        QTest::addColumn<float>("heading");
        QTest::addColumn<float>("wind");
        QTest::addColumn<float>("steerTo");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QList<float>>("steered"); // a small steer goes straight to the loop
        QTest::newRow("c 40 n 120: steer") << 0.0f << 40.0f << 280.0f << "Steer" << 0 << QList<float>();
        QTest::newRow("c 45 n -45: tack") << 0.0f << 45.0f << 90.0f << "Tack" << 1 << QList<float>();
        QTest::newRow("c -45 n 45: tack") << 90.0f << -45.0f << 0.0f << "Tack" << -1 << QList<float>();
        QTest::newRow("c 150 n -150: jibe") << 0.0f << 150.0f << 300.0f << "Jibe" << -1 << QList<float>();
        QTest::newRow("c -150 n 150: jibe") << 300.0f << -150.0f << 0.0f << "Jibe" << 1 << QList<float>();
        QTest::newRow("n exactly 0") << 0.0f << 45.0f << 45.0f << "Steer" << 0 << QList<float>();
        QTest::newRow("c exactly 0") << 0.0f << 0.0f << 60.0f << "Steer" << 0 << QList<float>();
        QTest::newRow("c exactly 90") << 0.0f << 90.0f << 100.0f << "Steer" << 0 << QList<float>();
        QTest::newRow("c exactly -90, n 150") << 0.0f << -90.0f << 120.0f << "Steer" << 0 << QList<float>();
        QTest::newRow("n exactly 90, c -45") << 0.0f << -45.0f << 225.0f << "Steer" << 0 << QList<float>();
        QTest::newRow("delta +10 = maximum") << 0.0f << 0.0f << 10.0f << "Steer" << 0 << QList<float>{10};
        QTest::newRow("delta -10 across north") << 5.0f << 0.0f << 355.0f << "Steer" << 0 << QList<float>{-10};
        QTest::newRow("delta 11 asks") << 0.0f << 0.0f << 11.0f << "Steer" << 0 << QList<float>();
    }
    void classify()
    {
        QFETCH(float, heading);
        QFETCH(float, wind);
        QFETCH(float, steerTo);
        QFETCH(QList<float>, steered);
        const bool asks = tack->SetValue(steerTo, heading, heading, wind);
        QTEST(tack->Word(), "word");
        QTEST(tack->Direction(), "direction");
        QCOMPARE(host.steered, steered);
        QCOMPARE(asks, steered.isEmpty());
        QCOMPARE(host.beeps, asks ? 1 : 0);
    }

    void walk_data()
    {
        QTest::addColumn<QList<float>>("set");   // heading, autopilot, wind, steer to
        QTest::addColumn<QStringList>("texts");  // heading, overshoot, rate at OK
        QTest::addColumn<QList<float>>("steps"); // first, second-last and last autopilot heading
        QTest::addColumn<int>("ticks");
        QTest::newRow("tack +100 at 5") << QList<float>{0, 0, 45, 90} << QStringList{"90", "10", "5"}
                                        << QList<float>{5, 95, 100} << 20;
        QTest::newRow("at 7 the 15th tick clamps") << QList<float>{0, 0, 45, 90} << QStringList{"90", "10", "7"}
                                                   << QList<float>{7, 98, 100} << 15;
        QTest::newRow("offset -10 kept") << QList<float>{5, 355, 45, 95} << QStringList{"95", "10", "5"}
                                         << QList<float>{0, 90, 95} << 20;
        QTest::newRow("jibe -70") << QList<float>{0, 0, 150, 300} << QStringList{"300", "10", "5"}
                                  << QList<float>{355, 295, 290} << 14;
        QTest::newRow("rate 0 runs at 10, no overshoot on a steer")
            << QList<float>{0, 0, 0, 60} << QStringList{"60", "10", "0"} << QList<float>{10, 50, 60} << 6;
        QTest::newRow("short way round, edited heading")
            << QList<float>{350, 350, 0, 40} << QStringList{"20", "0", "10"} << QList<float>{0, 10, 20} << 3;
        QTest::newRow("no change finishes at once") << QList<float>{0, 0, 0, 90} << QStringList{"0", "0", "5"}
                                                    << QList<float>{0, 0, 0} << 1;
    }
    void walk()
    {
        QFETCH(QList<float>, set);
        QFETCH(QStringList, texts);
        QFETCH(QList<float>, steps);
        QVERIFY(tack->SetValue(set[3], set[0], set[1], set[2]));
        QString why;
        QVERIFY(tack->Start(texts[0], texts[1], texts[2], why));
        QCOMPARE(host.manualCalls, 1);
        QTEST(Walk(), "ticks");
        const QList<float>& a = host.autoPilot;
        QCOMPARE((QList<float>{a.first(), a.size() > 1 ? a[a.size() - 2] : a.first(), a.last()}), steps);
        QCOMPARE(tack->CurrentState(), TackProcedure::State::Idle);
        // What was typed is kept for the next time, a rate of 0 too.
        QCOMPARE(tack->m_fRate[tack->ProcedureIndex()], texts[2].toFloat());
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("pilotStarts");
        QTest::addColumn<QString>("why");
        QTest::newRow("heading") << QStringList{"9O", "10", "5"} << true << "Heading is not a number";
        QTest::newRow("overshoot") << QStringList{"90", "", "5"} << true << "Overshoot is not a number";
        QTest::newRow("rate") << QStringList{"90", "10", "fast"} << true << "Rate is not a number";
        QTest::newRow("no autopilot link") << QStringList{"90", "10", "5"} << false
                                           << "Manual mode could not be started";
    }
    void refusals()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, pilotStarts);
        host.pilotStarts = pilotStarts;
        tack->SetValue(90, 0, 0, 45);
        QString why;
        QVERIFY(!tack->Start(texts[0], texts[1], texts[2], why));
        QTEST(why, "why");
        QCOMPARE(tack->CurrentState(), TackProcedure::State::Proposed);
        QVERIFY(!timer.Enabled());
        QCOMPARE(tack->m_fRate[2], 5.0f);
    }

    void stoppingKeepsTheLastStep()
    {
        QString why;
        tack->SetValue(90, 0, 0, 45);
        QVERIFY(tack->Start(QStringLiteral("90"), QStringLiteral("10"), QStringLiteral("5"), why));
        tack->TimerTack_Timer();
        tack->Cancel();
        tack->TimerTack_Timer();
        QCOMPARE(host.autoPilot, QList<float>{5});
        // A new proposal stops a walk, and a mode other than Manual stops it.
        tack->SetValue(90, 0, 0, 45);
        QVERIFY(tack->Start(QStringLiteral("90"), QStringLiteral("10"), QStringLiteral("5"), why));
        tack->TimerTack_Timer();
        tack->SetValue(90, 0, 0, 45);
        QVERIFY(!timer.Enabled());
        QVERIFY(tack->Start(QStringLiteral("90"), QStringLiteral("10"), QStringLiteral("5"), why));
        host.manual = false;
        tack->TimerTack_Timer();
        QVERIFY(!timer.Enabled());
        QCOMPARE(host.autoPilot, (QList<float>{5, 5}));
    }

    void profileKeys()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Vanehold.ini"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Tack Data]\nRate 2=3\nOvershoot 3=12.5\n");
        file.close();
        tack->TackProfileRecall(path);
        QCOMPARE((QList<float>{tack->m_fRate[1], tack->m_fRate[2], tack->m_fRate[3]}), (QList<float>{10, 3, 5}));
        QCOMPARE(tack->m_fOvershoot[3], 12.5f);
        tack->m_fRate[1] = 0;
        QVERIFY(tack->TackProfileSave(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Tack Data]\nRate 2=3\nOvershoot 3=12.5\nRate 1=0\nOvershoot 1=0\n"
                                            "Overshoot 2=10\nRate 3=5\n"));
    }
};

QTEST_GUILESS_MAIN(TestTackProcedure)
#include "tst_tackprocedure.moc"
