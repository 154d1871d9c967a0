// The tracking response preview without a window: gains, the simulated
// curve, the inputs it refuses, its scale; and the simulated clock texts.

#include "SimulateClock.h"
#include "TrackResponse.h"

#include <QTest>

namespace {

TrackResponseTexts Texts(const char* bandwidth = "20", const char* damping = "4", const char* noise = "0")
{
    return {QLatin1String(bandwidth), QLatin1String(damping), QStringLiteral("10"), QLatin1String(noise),
            QStringLiteral("300"), QStringLiteral("-1"), QStringLiteral("10")};
}

TrackResponse Read(const TrackResponseTexts& texts)
{
    TrackResponse response;
    QString why;
    if (!response.Read(texts, why))
        qWarning("refused: %s", qPrintable(why));
    return response;
}

} // namespace

class TestTrackResponse : public QObject {
    Q_OBJECT
private slots:
    void gains_data()
    {
        QTest::addColumn<double>("bandwidth");
        QTest::addColumn<double>("damping");
        QTest::addColumn<double>("k");
        QTest::addColumn<double>("ki");
        QTest::addColumn<double>("kp");
        QTest::newRow("defaults") << 20.0 << 4.0 << 0.2 << 0.2 / 65 << 0.2 * 64 / 65;
        QTest::newRow("no damping") << 20.0 << 0.0 << 0.2 << 0.2 << 0.0;
        QTest::newRow("damping 1") << 10.0 << 1.0 << 0.4 << 0.08 << 0.32;
        QTest::newRow("damping 0.5") << 40.0 << 0.5 << 0.1 << 0.05 << 0.05;
    }
    void gains()
    {
        QFETCH(double, bandwidth);
        QFETCH(double, damping);
        QFETCH(double, k);
        QFETCH(double, ki);
        QFETCH(double, kp);
        const TrackGains g = TrackResponseGains(bandwidth, damping);
        QCOMPARE(g.k, k);
        QVERIFY(qAbs(g.ki - ki) < 1e-12);
        QVERIFY(qAbs(g.kp - kp) < 1e-12);
    }

    void withoutNoiseTheCurveStartsAtTheOffsetAndDecays()
    {
        const TrackResponse response = Read(Texts());
        const QVector<QPointF> curve = response.Run([] { return 0.9; });
        QCOMPARE(curve.size(), 302); // the start, then seconds 0 to 300
        QCOMPARE(curve[0], QPointF(0, 10));
        // 10 - kp * 10, then the accumulator joins in.
        QVERIFY(qAbs(curve[1].y() - 8.0307692) < 1e-6);
        QVERIFY(qAbs(curve[2].y() - 6.4432663) < 1e-6);
        QCOMPARE(curve[2].x(), 1.0);
        QVERIFY(qAbs(curve.last().y()) < 0.2);
        // Noise 0: the random numbers change nothing.
        QCOMPARE(response.Run([] { return 0.1; }), curve);
    }

    void withoutDampingTheErrorNeverMoves()
    {
        const QVector<QPointF> curve = Read(Texts("20", "0")).Run([] { return 0.5; });
        for (const QPointF& p : curve)
            QCOMPARE(p.y(), 10.0);
    }

    void noiseMovesTheCurveByTheRandomNumbers()
    {
        // r = 1 adds the whole noise of 4 to the loop input of the first step.
        const QVector<QPointF> curve = Read(Texts("20", "4", "4")).Run([] { return 1.0; });
        QVERIFY(qAbs(curve[1].y() - (10 + 0.2 * 64 / 65 * (4 - 10))) < 1e-9);
    }

    void refusedInputs_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("why");
        QTest::newRow("letters in bandwidth") << 0 << "abc" << "Bandwidth is not a number";
        QTest::newRow("bandwidth 0") << 0 << "0" << "Bandwidth must be above 0";
        QTest::newRow("bandwidth below 0") << 0 << "-5" << "Bandwidth must be above 0";
        QTest::newRow("empty damping") << 1 << "" << "Damping is not a number";
        QTest::newRow("letters in noise") << 3 << "4x" << "Noise is not a number";
        QTest::newRow("time 0") << 4 << "0" << "Time must be above 0 and at most 86400";
        QTest::newRow("time beyond a day") << 4 << "1e9" << "Time must be above 0 and at most 86400";
        QTest::newRow("min equals max") << 5 << "10" << "Min must be below Max";
        QTest::newRow("min above max") << 5 << "11" << "Min must be below Max";
        QTest::newRow("max not a number") << 6 << "ten" << "Max is not a number";
    }
    void refusedInputs()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(QString, why);
        TrackResponseTexts texts = Texts();
        QString* boxes[] = {&texts.bandwidth, &texts.damping, &texts.offset, &texts.noise,
                            &texts.time,      &texts.min,     &texts.max};
        *boxes[box] = text;
        TrackResponse response;
        QString reason;
        QVERIFY(!response.Read(texts, reason));
        QCOMPARE(reason, why);
    }

    void scaleAndReadOut()
    {
        TrackResponse response = Read(Texts());
        // 301 columns for 300 seconds, 111 rows for 11 degrees.
        response.SetSize(301, 111);
        QCOMPARE(response.Column(0), 0);
        QCOMPARE(response.Column(150), 150);
        QCOMPARE(response.Column(300), 300);
        QCOMPARE(response.Row(10), 0);
        QCOMPARE(response.Row(0), 100);
        QCOMPARE(response.Row(-1), 110);
        QCOMPARE(response.Row(0.05), 100); // 99.5 rounds to even
        QCOMPARE(response.TimeAt(75), 75.0);
        QCOMPARE(response.ValueAt(50), 5.0);
    }

    void clock_data()
    {
        QTest::addColumn<double>("hours");
        QTest::addColumn<QString>("clock");
        QTest::newRow("half past one") << 1.5 << "1:30";
        QTest::newRow("rounds up to the hour") << 0.999 << "1:00";
        QTest::newRow("one minute to") << 59.0 / 60 << "0:59";
        QTest::newRow("start") << 0.0 << "0:00";
        QTest::newRow("ten hours") << 10.25 << "10:15";
        QTest::newRow("before the start") << -1.5 << "-1:30";
        QTest::newRow("one minute before") << -1.0 / 60 << "-0:01";
    }
    void clock()
    {
        QFETCH(double, hours);
        QFETCH(QString, clock);
        QCOMPARE(HoursToClock(hours), clock);
        QVERIFY(qAbs(ClockToHours(clock) - hours) < 0.5 / 60);
    }

    void clockTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("hours");
        QTest::newRow("no colon") << "2.5" << 0.0;
        QTest::newRow("colon first") << ":30" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("minutes beyond the hour") << "1:90" << 2.5;
        QTest::newRow("blanks") << " 2: 15" << 2.25;
        QTest::newRow("negative below one hour") << "-0:30" << -0.5;
    }
    void clockTexts()
    {
        QFETCH(QString, text);
        QFETCH(double, hours);
        QCOMPARE(ClockToHours(text), hours);
    }
};

QTEST_GUILESS_MAIN(TestTrackResponse)
#include "tst_trackresponse.moc"
