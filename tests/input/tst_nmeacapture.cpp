// Reading captures and records back with their times: line ends of every
// kind, lines that are not sentences, times from RMC and ZDA spread over
// the lines between them, record stamps.

#include "NmeaCapture.h"

#include <QTest>

namespace {

const QDateTime Start(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);

int64_t Utc(int h, int m, int s, int ms = 0, QDate date = QDate(2026, 12, 8))
{
    return QDateTime(date, QTime(h, m, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

} // namespace

class TestNmeaCapture : public QObject {
    Q_OBJECT

private slots:
    void lineEndsAndOtherLines_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("CR LF") << "\r\n";
        QTest::newRow("LF") << "\n";
        QTest::newRow("CR") << "\r";
    }
    void lineEndsAndOtherLines()
    {
        QFETCH(QString, end);
        const QStringList lines{"# leaving the harbour", "$GPRMC,101500.50,A,,,,,6.1,221.6,071226,1.8,W,A",
                                "!AIVDM,1,1,,A,15MgK45P3@G?fl0E`JbR0OwT0@MS,0*4E", "$WIMWV,038,R,14.2,N,A",
                                "", "$IIVHW,,T,223.0,M,6.2,N,11.5,K", "$GPRMC,101501.50,A,,,,,6.1,221.6,071226,,,A",
                                "$WIMWV,039,R,14.6,N,A"};
        const NmeaCapture capture = NmeaCaptureRead(lines.join(end) + end, Start);
        QCOMPARE(capture.skipped, 2);
        QVERIFY(capture.timed);
        QCOMPARE(capture.lines.size(), 5);
        QCOMPARE(capture.lines[1].line, QStringLiteral("$WIMWV,038,R,14.2,N,A"));
        // Two lines between fixes a second apart: a third of a second each.
        const QDate seventh(2026, 12, 7);
        const int64_t expected[] = {Utc(10, 15, 0, 500, seventh), Utc(10, 15, 0, 833, seventh),
                                    Utc(10, 15, 1, 166, seventh), Utc(10, 15, 1, 500, seventh),
                                    Utc(10, 15, 1, 600, seventh)};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(capture.lines[i].ms, expected[i]);
    }

    void timesWhereTheFileHasNone()
    {
        const NmeaCapture capture = NmeaCaptureRead(u"$WIMWV,038,R,14.2,N,A\n$WIMWV,039,R,14.2,N,A\n", Start);
        QVERIFY(!capture.timed);
        QCOMPARE(capture.lines[0].ms, Utc(9, 0, 0));
        QCOMPARE(capture.lines[1].ms, Utc(9, 0, 0, 100));
    }

    // ZDA carries the date; a fix that goes back in time does not run the
    // clock backwards.
    void zdaDateAndNoWayBack()
    {
        const NmeaCapture capture = NmeaCaptureRead(u"$GPZDA,235959.00,31,12,2026,00,00\r\n"
                                                    u"$GPZDA,235958.00,31,12,2026,00,00\r\n"
                                                    u"$IIHDG,228.0,,,,\r\n",
                                                    Start);
        QCOMPARE(capture.lines[0].ms, Utc(23, 59, 59, 0, QDate(2026, 12, 31)));
        QCOMPARE(capture.lines[1].ms, capture.lines[0].ms);
        QCOMPARE(capture.lines[2].ms, capture.lines[0].ms + 100);
    }

    // A record reads back to the lines received, at their times; the
    // sentences sent are not input.
    void recordReadsBack()
    {
        const QDateTime at(QDate(2026, 12, 8), QTime(14, 16, 8, 123));
        const QString text = NmeaRecordLine(at, QLatin1Char('<'), QStringLiteral("$WIMWV,038,R,14.2,N,A*01"))
                             + QLatin1Char('\n')
                             + NmeaRecordLine(at.addMSecs(2), QLatin1Char('>'), QStringLiteral("$ECAPB,A,A*04"))
                             + QLatin1Char('\n')
                             + NmeaRecordLine(at.addMSecs(900), QLatin1Char('<'), QStringLiteral("$IIHDG,1,,,,"));
        QCOMPARE(text.left(26), QStringLiteral("2026-12-08T14:16:08.123 < "));
        const NmeaCapture capture = NmeaCaptureRead(text, Start);
        QCOMPARE(capture.lines.size(), 2);
        QCOMPARE(capture.lines[0].line, QStringLiteral("$WIMWV,038,R,14.2,N,A*01"));
        QCOMPARE(capture.lines[0].ms, at.toMSecsSinceEpoch());
        QCOMPARE(capture.lines[1].ms, at.toMSecsSinceEpoch() + 900);
    }
};

QTEST_GUILESS_MAIN(TestNmeaCapture)
#include "tst_nmeacapture.moc"
