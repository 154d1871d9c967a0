// Reading captures and records back with their times: line ends of every
// kind, lines that are not sentences, times from RMC and ZDA spread over
// the lines between them, record stamps.

#include "NmeaCapture.h"

#include <QIODevice>
#include <QTest>

#include <functional>
#include <limits>

namespace {

const QDateTime Start(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);

int64_t Utc(int h, int m, int s, int ms = 0, QDate date = QDate(2026, 12, 8))
{
    return QDateTime(date, QTime(h, m, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

// A text made line by line as it is read, so that a test can read a file
// of any length without holding it.
class LinesDevice : public QIODevice {
public:
    LinesDevice(std::function<QByteArray(qint64)> line, qint64 count)
        : m_line(std::move(line))
        , m_count(count)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        qint64 done = 0;
        while (done < max) {
            if (m_at == m_current.size()) {
                if (m_next == m_count)
                    break;
                m_current = m_line(m_next++);
                m_at = 0;
            }
            const qint64 n = std::min(max - done, qint64(m_current.size() - m_at));
            memcpy(data + done, m_current.constData() + m_at, size_t(n));
            done += n;
            m_at += n;
        }
        return done;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::function<QByteArray(qint64)> m_line;
    qint64 m_count;
    qint64 m_next = 0;
    QByteArray m_current;
    qsizetype m_at = 0;
};

using Wide = __int128;

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

    // The reader takes the text 64 KiB at a time and cuts lines sixteen
    // bytes at a time: lines and line ends across those edges, a line longer
    // than a whole piece (given cut, still over the receive path's bound), a
    // last line without an end, NUL characters.
    void linesAcrossPieces_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QStringList>("lines");
        constexpr int piece = 64 * 1024;
        const QStringList two{"$WIMWV,038,R,14.2,N,A*01", "$IIHDG,228.0,,,,"};
        QTest::newRow("a line across the edge") << piece - 9 << "\r\n" << two;
        QTest::newRow("CR last, LF first") << piece - 25 << "\r\n" << two;
        QTest::newRow("the end first after the edge") << piece - 24 << "\r\n" << two;
        QTest::newRow("LF only across") << piece - 3 << "\n" << two;
        QTest::newRow("CR only at the edge") << piece - 24 << "\r" << two;
        const QStringList lengths{"$A", "$AB,", "$ABCDEFGHIJKLMN", "$ABCDEFGHIJKLMNO", "$ABCDEFGHIJKLMNOP",
                                  "$ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"};
        QTest::newRow("ends at every place in a block") << 17 << "\n" << lengths;
        QTest::newRow("NUL characters") << 5 << "\r\n"
                                        << QStringList{QString::fromLatin1("$II\0HDG,\0\0", 11), "$IIHDG,1,,,,"};
        QTest::newRow("longer than a piece") << 100 << "\n"
                                             << QStringList{"$IIXDR," + QString(piece + 5000, QLatin1Char('x')),
                                                            "$IIHDG,2,,,,"};
    }
    void linesAcrossPieces()
    {
        QFETCH(int, at);
        QFETCH(QString, end);
        QFETCH(QStringList, lines);
        // A comment first, so that the first sentence starts at "at"; the
        // last line has no end.
        const QString text = QLatin1Char('#') + QString(at - 1 - end.size(), QLatin1Char(' ')) + end
                             + lines.join(end);
        const NmeaCapture capture = NmeaCaptureRead(text, Start);
        QCOMPARE(capture.skipped, 1);
        QCOMPARE(capture.lines.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            const QString got = capture.lines[i].line;
            if (lines[i].size() <= 8 * 1024) {
                QCOMPARE(got, lines[i]);
            } else {
                QVERIFY(got.size() > 1024);
                QVERIFY(lines[i].startsWith(got));
            }
        }
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

    // Times a few lines apart and far apart (more lines than the reader
    // keeps between two), with comments among the lines: every sentence
    // once, in order, and the comments counted.
    void everyLineOnceInOrder()
    {
        const int counts[] = {3, 3000, 10, 2};
        QStringList text;
        QStringList sentences;
        int comments = 0;
        for (int part = 0; part < 4; ++part) {
            const QString zda = QStringLiteral("$GPZDA,12000%1.00,08,12,2026,00,00").arg(part);
            text << zda;
            sentences << zda;
            for (int i = 0; i < counts[part]; ++i) {
                if (i % 7 == 3) {
                    text << QStringLiteral("# note");
                    ++comments;
                }
                const QString hdg = QStringLiteral("$IIHDG,%1,,,,").arg(part * 10000 + i);
                text << hdg;
                sentences << hdg;
            }
        }
        const NmeaCapture capture = NmeaCaptureRead(text.join(QLatin1Char('\n')), Start);
        QStringList got;
        for (const NmeaCaptureLine& line : capture.lines)
            got << line.line;
        QCOMPARE(got, sentences);
        QCOMPARE(capture.skipped, comments);
    }

    // Two ZDA fixes with lines between, some of them overlong, and a few
    // after: each line's time as worked out in 128 bits, and the reader's
    // memory the same whatever the length.
    void timesFarApartInBoundedMemory_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("second");
        QTest::addColumn<qint64>("between");
        QTest::addColumn<qint64>("longLine");
        QTest::newRow("a day, 7 lines") << QDate(2026, 12, 7) << QDate(2026, 12, 8) << qint64(7) << qint64(0);
        QTest::newRow("ten thousand years, 300,000 lines")
            << QDate(1, 1, 1) << QDate(9999, 12, 31) << qint64(300000) << qint64(0);
        QTest::newRow("the same instant") << QDate(2026, 12, 8) << QDate(2026, 12, 8) << qint64(1000) << qint64(0);
        QTest::newRow("clock set back") << QDate(9999, 12, 31) << QDate(1, 1, 1) << qint64(1000) << qint64(0);
        QTest::newRow("one line of 8 MB between")
            << QDate(2026, 12, 7) << QDate(2026, 12, 8) << qint64(1000) << qint64(8 << 20);
    }
    void timesFarApartInBoundedMemory()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, second);
        QFETCH(qint64, between);
        QFETCH(qint64, longLine);
        const qint64 after = 5;
        auto zda = [](QDate d) {
            return QStringLiteral("$GPZDA,120000.00,%1,%2,%3,00,00\r\n")
                .arg(d.day(), 2, 10, QLatin1Char('0'))
                .arg(d.month(), 2, 10, QLatin1Char('0'))
                .arg(d.year(), 4, 10, QLatin1Char('0'))
                .toLatin1();
        };
        auto line = [&](qint64 i) -> QByteArray {
            if (i == 0)
                return zda(first);
            if (i == between + 1)
                return zda(second);
            if (longLine > 0 && i == between / 2)
                return "$IIXDR," + QByteArray(longLine, 'x') + "\n";
            return "$IIHDG,228.0,,,,\n";
        };
        const qint64 count = between + 2 + after;
        NmeaCaptureReader reader([&] { return std::make_unique<LinesDevice>(line, count); }, Start);
        const qint64 ta = QDateTime(first, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch();
        const qint64 tb = std::max(ta, QDateTime(second, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
        NmeaCaptureLine got;
        qint64 k = 0;
        int64_t mostHeld = 0;
        for (; reader.Next(got); ++k) {
            mostHeld = std::max(mostHeld, reader.BytesHeld());
            const Wide expected = k <= between + 1 ? Wide(ta) + Wide(tb - ta) * k / (between + 1)
                                                   : Wide(tb) + (k - between - 1) * 100;
            if (got.ms != qint64(expected))
                QFAIL(qPrintable(QStringLiteral("line %1: %2").arg(k).arg(got.ms)));
        }
        QCOMPARE(k, count);
        QVERIFY(reader.Timed());
        QVERIFY2(mostHeld <= NmeaCaptureReader::MaxBytesHeld, qPrintable(QString::number(mostHeld)));
    }

    // The spreading alone at the ends of its range, where a product of the
    // time span and the line count needs more than 64 bits.
    void spreadWithoutOverflow_data()
    {
        QTest::addColumn<qint64>("ta");
        QTest::addColumn<qint64>("tb");
        QTest::addColumn<qint64>("a");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<qint64>("k");
        const qint64 most = std::numeric_limits<qint64>::max();
        const qint64 least = std::numeric_limits<qint64>::min();
        QTest::newRow("small") << qint64(1000) << qint64(2000) << qint64(0) << qint64(3) << qint64(1);
        QTest::newRow("whole range, half way") << least << most << qint64(0) << qint64(2) << qint64(1);
        QTest::newRow("whole range, last line") << least << most << qint64(0) << most << most - 1;
        QTest::newRow("years apart, 2^40 lines")
            << qint64(-62135596800000) << qint64(253402300799000) << qint64(7) << (qint64(1) << 40)
            << (qint64(1) << 39) + 12345;
        QTest::newRow("remainder times index beyond 64 bits")
            << qint64(0) << most - 1 << qint64(0) << most << most - 2;
        QTest::newRow("line numbers across the whole range") << qint64(0) << most << least << most << most - 1;
        QTest::newRow("first line") << qint64(5) << most << qint64(3) << qint64(4) << qint64(3);
    }
    void spreadWithoutOverflow()
    {
        QFETCH(qint64, ta);
        QFETCH(qint64, tb);
        QFETCH(qint64, a);
        QFETCH(qint64, b);
        QFETCH(qint64, k);
        const Wide span = Wide(tb) - ta;
        const Wide expected = Wide(ta) + span * (Wide(k) - a) / (Wide(b) - a);
        QCOMPARE(NmeaCaptureSpread(ta, tb, a, b, k), qint64(expected));
    }
};

QTEST_GUILESS_MAIN(TestNmeaCapture)
#include "tst_nmeacapture.moc"
