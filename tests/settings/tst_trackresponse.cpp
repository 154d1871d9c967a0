// The tracking response preview without a window: gains, the simulated
// curve and the inputs it refuses; and the simulated clock texts.

#include "SimulateClock.h"
#include "TrackResponse.h"

#include <QTest>

namespace {

TrackResponseTexts Texts(const char* bandwidth = "20", const char* damping = "4")
{
    return {QLatin1String(bandwidth), QLatin1String(damping), QStringLiteral("10"), QStringLiteral("0"),
            QStringLiteral("300"), QStringLiteral("-1"), QStringLiteral("10")};
}

QVector<QPointF> Curve(const TrackResponseTexts& texts, double random)
{
    TrackResponse response;
    QString why;
    if (!response.Read(texts, why))
        qWarning("refused: %s", qPrintable(why));
    return response.Run([random] { return random; });
}

} // namespace

class TestTrackResponse : public QObject {
    Q_OBJECT
private slots:
    void withoutNoiseTheCurveStartsAtTheOffsetAndDecays()
    {
        const QVector<QPointF> curve = Curve(Texts(), 0.9);
        QCOMPARE(curve.size(), 302); // the start, then seconds 0 to 300
        QCOMPARE(curve[0], QPointF(0, 10));
        // 10 - kp * 10, then the accumulator joins in.
        QVERIFY(qAbs(curve[1].y() - 8.0307692) < 1e-6);
        QVERIFY(qAbs(curve[2].y() - 6.4432663) < 1e-6);
        QCOMPARE(curve[2].x(), 1.0);
        QVERIFY(qAbs(curve.last().y()) < 0.2);
        QCOMPARE(Curve(Texts(), 0.1), curve); // noise 0: the random numbers change nothing
        // Away from the defaults: bandwidth 10 and damping 1 give 4/10 split
        // one part in five to the integral.
        const TrackGains g = TrackResponseGains(10, 1);
        QVERIFY(qAbs(g.ki - 0.08) < 1e-12 && qAbs(g.kp - 0.32) < 1e-12);
    }

    void withoutDampingTheErrorNeverMoves()
    {
        for (const QPointF& p : Curve(Texts("20", "0"), 0.5))
            QCOMPARE(p.y(), 10.0);
    }

    void refusedInputs_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("why");
        QTest::newRow("letters in bandwidth") << 0 << "abc" << "Bandwidth is not a number";
        QTest::newRow("bandwidth 0") << 0 << "0" << "Bandwidth must be above 0";
        QTest::newRow("empty damping") << 1 << "" << "Damping is not a number";
        QTest::newRow("time 0") << 4 << "0" << "Time must be above 0 and at most 86400";
        QTest::newRow("time beyond a day") << 4 << "1e9" << "Time must be above 0 and at most 86400";
        QTest::newRow("min equals max") << 5 << "10" << "Min must be below Max";
    }
    void refusedInputs()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        TrackResponseTexts texts = Texts();
        QString* boxes[] = {&texts.bandwidth, &texts.damping, &texts.offset, &texts.noise,
                            &texts.time,      &texts.min,     &texts.max};
        *boxes[box] = text;
        TrackResponse response;
        QString reason;
        QVERIFY(!response.Read(texts, reason));
        QTEST(reason, "why");
    }

    void clock_data()
    {
        QTest::addColumn<double>("hours");
        QTest::addColumn<QString>("clock");
        QTest::newRow("half past one") << 1.5 << "1:30";
        QTest::newRow("rounds up to the hour") << 0.999 << "1:00";
        QTest::newRow("one minute to") << 59.0 / 60 << "0:59";
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

    void clockWithoutAColonIsZero()
    {
        QCOMPARE(ClockToHours(u"2.5"), 0.0);
        QCOMPARE(ClockToHours(u":30"), 0.0);
        QCOMPARE(ClockToHours(u" 2: 15"), 2.25);
    }
};

QTEST_GUILESS_MAIN(TestTrackResponse)
#include "tst_trackresponse.moc"
