#include "ChartTime.h"

#include <QTest>
#include <ctime>

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

// What the local clock reads at a C library time, counted as the chart
// counts: seconds of that reading since 2000-01-01 00:00:00.
int64_t LocalReading(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return (DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) - DaysFromCivil(2000, 1, 1)) * 86400
        + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

} // namespace

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
    void fromTimeT_data();
    void fromTimeT();
    void fromEpochMilliseconds();
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
    QCOMPARE(ChartTime::ToString(ChartSeconds(t)), text);
    QCOMPARE(ChartTime::ToString(ChartSeconds(t)).size(), 19);
}

void TestChartTime::fromDateTimeRoundsHalfToEven()
{
    ChartSeconds t(99);
    QVERIFY(ChartTime::FromDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0, 500)), t));
    QCOMPARE(t.Count(), 0);
    QVERIFY(ChartTime::FromDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0, 1, 500)), t));
    QCOMPARE(t.Count(), 2);
    QVERIFY(ChartTime::FromDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), t));
    QCOMPARE(t.Count(), -1);
}

void TestChartTime::fromDateTimeOutOfRange()
{
    ChartSeconds t(7);
    QVERIFY(!ChartTime::FromDateTime(QDateTime(QDate(2100, 1, 1), QTime(0, 0)), t));
    QVERIFY(!ChartTime::FromDateTime(QDateTime(), t));
    QCOMPARE(t.Count(), 7);
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
    ChartSeconds result(-12345);
    QCOMPARE(ChartTime::FromString(text, result), ok);
    QCOMPARE(result.Count(), ok ? t : -12345);
}

void TestChartTime::roundTrip()
{
    for (int32_t count : {0, 1, -1, 86399, 86400, 123456789, -123456789}) {
        ChartSeconds back;
        QVERIFY(ChartTime::FromString(ChartTime::ToString(ChartSeconds(count)), back));
        QCOMPARE(back.Count(), count);
    }
}

void TestChartTime::fromTimeT_data()
{
    // A std::time_t counts UTC seconds from 1970; taken for what it is, it
    // gives the local clock's reading counted from 2000.
    QTest::addColumn<qint64>("when");
    QTest::addColumn<bool>("ok");
    QTest::newRow("now") << qint64(std::time(nullptr)) << true;
    QTest::newRow("chart epoch") << qint64(LocalTime(2000, 1, 1, 0, 0, 0)) << true;
    QTest::newRow("second before") << qint64(LocalTime(1999, 12, 31, 23, 59, 59)) << true;
    QTest::newRow("a summer afternoon") << qint64(LocalTime(2024, 8, 22, 14, 30, 5)) << true;
    QTest::newRow("last chart second") << qint64(LocalTime(2068, 1, 19, 3, 14, 7)) << true;
    QTest::newRow("first after") << qint64(LocalTime(2068, 1, 19, 3, 14, 8)) << false;
}

void TestChartTime::fromTimeT()
{
    QFETCH(qint64, when);
    QFETCH(bool, ok);
    ChartSeconds t(-12345);
    QCOMPARE(ChartTime::FromTimeT(static_cast<std::time_t>(when), t), ok);
    QCOMPARE(qint64(t.Count()), ok ? LocalReading(static_cast<std::time_t>(when)) : -12345);
}

QTEST_GUILESS_MAIN(TestChartTime)
#include "tst_charttime.moc"

void TestChartTime::fromEpochMilliseconds()
{
    // Against the full conversion, in whatever order the instants come (the
    // offset kept from the minute before must never leak into another):
    // half-second ties, both sides of the chart's epoch and range, minute
    // edges, and the hours around the European and American clock changes.
    QList<qint64> instants = {QDateTime::currentMSecsSinceEpoch(), 0, -1, 946684800000, 946684799500,
                              946684800500, 946684801500, 4102444799999, 3472182847000, 3472182848000};
    for (qint64 change : {1711846800000LL, 1729990800000LL, 1710054000000LL, 1730613600000LL})
        for (qint64 d : {-3600001LL, -60000LL, -1LL, 0LL, 499LL, 500LL, 1500LL, 59999LL, 3600000LL})
            instants << change + d;
    for (int i = 0; i < instants.size(); ++i) {
        const qint64 ms = instants[i];
        ChartSeconds expected(-7), got(-7);
        const bool ok = ChartTime::FromDateTime(QDateTime::fromMSecsSinceEpoch(ms), expected);
        QCOMPARE(ChartTime::FromEpochMilliseconds(ms, got), ok);
        QVERIFY2(got == expected, qPrintable(QString::number(ms)));
    }
}
