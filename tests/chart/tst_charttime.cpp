#include "ChartTime.h"

#include <QTest>

class TestChartTime : public QObject {
    Q_OBJECT
private slots:
    void toString_data();
    void toString();
    void fromDateTimeRoundsHalfToEven();
    void fromDateTimeOutOfRange();
    void fromString_data();
    void fromString();
    void roundTrip();
};

void TestChartTime::toString_data()
{
    QTest::addColumn<int>("t");
    QTest::addColumn<QString>("text");
    QTest::newRow("epoch") << 0 << "01/01/2000 00:00:00";
    QTest::newRow("end of first day") << 86399 << "01/01/2000 23:59:59";
    QTest::newRow("one second before") << -1 << "31/12/1999 23:59:59";
    QTest::newRow("leap day") << (59 * 86400 + 13 * 3600 + 5 * 60 + 7) << "29/02/2000 13:05:07";
    QTest::newRow("largest") << 2147483647 << "19/01/2068 03:14:07";
    QTest::newRow("smallest") << (-2147483647 - 1) << "13/12/1931 20:45:52";
}

void TestChartTime::toString()
{
    QFETCH(int, t);
    QFETCH(QString, text);
    QCOMPARE(ChartTime::ToString(t), text);
    QCOMPARE(ChartTime::ToString(t).size(), 19);
}

void TestChartTime::fromDateTimeRoundsHalfToEven()
{
    ChartTime::time_t t = 99;
    QVERIFY(ChartTime::FromDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0, 500)), t));
    QCOMPARE(t, 0);
    QVERIFY(ChartTime::FromDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0, 1, 500)), t));
    QCOMPARE(t, 2);
    QVERIFY(ChartTime::FromDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), t));
    QCOMPARE(t, -1);
}

void TestChartTime::fromDateTimeOutOfRange()
{
    ChartTime::time_t t = 7;
    QVERIFY(!ChartTime::FromDateTime(QDateTime(QDate(2100, 1, 1), QTime(0, 0)), t));
    QVERIFY(!ChartTime::FromDateTime(QDateTime(), t));
    QCOMPARE(t, 7);
}

void TestChartTime::fromString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("t");
    QTest::newRow("full") << "01/01/2000 00:00:00" << true << 0;
    QTest::newRow("short fields") << "2/1/2000 1:02:03" << true << (86400 + 3723);
    QTest::newRow("no seconds") << "01/01/2000 00:01" << true << 60;
    QTest::newRow("date only") << "31/12/1999" << true << -86400;
    QTest::newRow("surrounding blanks") << "  01/01/2000 00:00:01 " << true << 1;
    QTest::newRow("no such day") << "30/02/2001 00:00:00" << false << 0;
    QTest::newRow("hour 24") << "01/01/2000 24:00:00" << false << 0;
    QTest::newRow("fractional field") << "01/01/2000 00:00:1.5" << false << 0;
    QTest::newRow("words") << "yesterday" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("beyond 32 bits") << "01/01/2100 00:00:00" << false << 0;
}

void TestChartTime::fromString()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, t);
    ChartTime::time_t result = -12345;
    QCOMPARE(ChartTime::FromString(text, result), ok);
    QCOMPARE(result, ok ? t : -12345);
}

void TestChartTime::roundTrip()
{
    for (ChartTime::time_t t : {0, 1, -1, 86399, 86400, 123456789, -123456789}) {
        ChartTime::time_t back = 0;
        QVERIFY(ChartTime::FromString(ChartTime::ToString(t), back));
        QCOMPARE(back, t);
    }
}

QTEST_GUILESS_MAIN(TestChartTime)
#include "tst_charttime.moc"
