// A capture replayed through the program: the summary a sailor reads, worked
// out by hand for a short capture, and a record that replays to the same
// sentences for the autopilot.

#include "../util/Wire.h"
#include "NmeaReplay.h"
#include "SteeringCore.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Two fixes a second apart with wind pairs between, an AIS line, a comment
// and one wind line whose checksum is wrong.
QString Capture()
{
    const QString rmc = QStringLiteral("GPRMC,%1,A,5021.314,N,00408.221,W,6.0,221.6,081226,1.8,W,A");
    return QStringList{QStringLiteral("# out of the harbour"),
                       Checksummed(rmc.arg(QLatin1String("120000.00"))),
                       QStringLiteral("$WIMWV,040.0,R,14.0,N,A"),
                       QStringLiteral("$WIMWV,062.0,T,10.0,N,A"),
                       QStringLiteral("!AIVDM,1,1,,A,15MgK45P3@G?fl0E`JbR0OwT0@MS,0*4E"),
                       Checksummed(rmc.arg(QLatin1String("120001.00"))),
                       QStringLiteral("$WIMWV,041.0,R,14.0,N,A*00"),
                       QStringLiteral("$WIMWV,042.0,R,14.0,N,A"),
                       QStringLiteral("$WIMWV,064.0,T,10.0,N,A")}
               .join(QStringLiteral("\n"))
           + QLatin1Char('\n');
}

struct Run {
    explicit Run(const QString& text, const QString& profile)
        : session(NmeaCaptureReader::FromText(text, QDateTime::currentDateTime()))
    {
        CoreSetup setup;
        setup.ProfileFile = profile;
        session.Prepare(setup);
        core = std::make_unique<SteeringCore>(setup);
        QObject::connect(core.get(), &SteeringCore::PilotSent, [this](const QString& s) { sent << s; });
        core->ProfileInitialize(true);
    }
    ReplaySession session;
    std::unique_ptr<SteeringCore> core;
    QStringList sent;
};

} // namespace

class TestReplay : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // The first wind pair is the first step, in Setup, where the AutoPilot
    // box has followed the boat (track 221.6 true, 1.8 W: 223.4 magnetic);
    // Manual on it and Track follow, and the second pair's 2 degree error
    // turns the heading by K2 x 2 = 0.39. The true MWVs are not steps of
    // their own, the bad line none at all.
    // The heading counted of each sentence sent: our own sentences have it
    // at a fixed place, any other APB where its commas put it.
    void bearingOfASentence_data()
    {
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("heading");
        const QString ours = QStringLiteral("$ECAPB,A,A,0.00,R,N,V,V,%1,M,1,%1,M,%1,M*00");
        QTest::newRow("ours") << ours.arg(QLatin1String("215.3")) << true << 215.3;
        QTest::newRow("ours, north") << ours.arg(QLatin1String("000.0")) << true << 0.0;
        QTest::newRow("ours, last tenth") << ours.arg(QLatin1String("359.9")) << true << 359.9;
        QTest::newRow("wider bearing") << ours.arg(QLatin1String("1215.3")) << true << 1215.3;
        QTest::newRow("shorter bearing") << ours.arg(QLatin1String("5.25")) << true << 5.25;
        QTest::newRow("letter in it") << ours.arg(QLatin1String("2x5.3")) << false << 0.0;
        QTest::newRow("another talker") << QStringLiteral("$GPAPB,A,A,0.00,R,N,V,V,011.0,M,1,012.5,M,013.0,M*00")
                                        << true << 11.0;
        QTest::newRow("longer error field") << QStringLiteral("$ECAPB,A,A,10.50,R,N,V,V,215.3,M,1,2,M,3,M*00")
                                            << true << 215.3;
        QTest::newRow("too few fields") << QStringLiteral("$ECAPB,A,A,0.00,R,N,V,V,215.3") << false << 0.0;
    }

    void bearingOfASentence()
    {
        QFETCH(QString, sentence);
        QFETCH(bool, found);
        QFETCH(double, heading);
        double bearing = 0;
        QCOMPARE(ReplayReport::Bearing(sentence, bearing), found);
        QCOMPARE(bearing, heading);
    }

    void reportOfAShortCapture()
    {
        Run run(Capture(), m_dir.filePath(QStringLiteral("a.ini")));
        QCOMPARE(run.session.Report(*run.core), QStringLiteral("Lines: 7 sentences, 2 other lines skipped, 1 s\n"
                                                               "Sentences by type: MWV 5 RMC 2\n"
                                                               "Errors by kind: Checksum Error 1\n"
                                                               "Control steps: 2\n"
                                                               "Heading change per step: mean 0.00, max 0.00\n"
                                                               "Time in alarm: 0 s\n"
                                                               "APB sentences: 1, headings 223.8 to 223.8\n"
                                                               "Alarms: none\n"));
    }

    // Types as the Options dialog lists the lines: more of them than the
    // report's table holds, and lines too short for one (a rejected line
    // has its mark after it).
    void sentencesByType_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("types");
        QStringList many;
        QString counted = QStringLiteral("Sentences by type:");
        for (int i = 0; i < 60; ++i) {
            const QString type = QStringLiteral("A") + QChar(u'A' + i / 26) + QChar(u'A' + i % 26);
            many << Checksummed(QStringLiteral("GP") + type + QStringLiteral(",1"));
            counted += QLatin1Char(' ') + type + QStringLiteral(" 1");
        }
        QTest::newRow("sixty types") << many << counted;
        QTest::newRow("short") << QStringList{"$*01", "$AB", "$GPMWV", "$WIMWV,1*00"}
                               << "Sentences by type: 1 < 1 MWV 2 other 1";
    }
    void sentencesByType()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, types);
        Run run(lines.join(QLatin1Char('\n')), m_dir.filePath(QStringLiteral("t.ini")));
        QCOMPARE(run.session.Report(*run.core).split(QLatin1Char('\n')).value(1), types);
    }

    // A report feeds no window: the AutoPilot box still holds the heading
    // commanded last (223.8) when the sailor steers on from Manual.
    void steersOnFromTheLastHeading()
    {
        Run run(Capture(), m_dir.filePath(QStringLiteral("e.ini")));
        run.session.Report(*run.core);
        run.core->TrackSetManual();
        run.core->TrackSteerTo(1);
        QCOMPARE(run.core->Settings().m_fAutoPilot, 224.8f);
    }

    void recordThenReplaySendsTheSame()
    {
        QBuffer record;
        record.open(QIODevice::WriteOnly);
        Run first(Capture(), m_dir.filePath(QStringLiteral("b.ini")));
        RecordWriter writer(*first.core, record);
        first.session.Report(*first.core);
        QCOMPARE(first.sent.size(), 1);
        // A replay steers nothing: its sentence is marked as never written.
        const QString text = QString::fromLatin1(record.data());
        QVERIFY2(text.contains(QLatin1String(" - $ECAPB,")) && !text.contains(QLatin1String(" > ")), qPrintable(text));

        Run again(QString::fromLatin1(record.data()), m_dir.filePath(QStringLiteral("c.ini")));
        again.session.Report(*again.core);
        QCOMPARE(again.sent, first.sent);
    }

    // A gust 10 degrees off the angle held, a second long: raised and
    // cleared in the record, counted once in the report.
    void alarmsRecordedAndCounted()
    {
        const QString rmc = QStringLiteral("GPRMC,%1,A,5021.314,N,00408.221,W,6.0,221.6,081226,1.8,W,A");
        QStringList lines;
        const char* winds[] = {"$WIMWV,040.0,R,14.0,N,A", "$WIMWV,050.0,R,14.0,N,A", "$WIMWV,041.0,R,14.0,N,A"};
        for (int second = 0; second < 3; ++second)
            lines << Checksummed(rmc.arg(QStringLiteral("12000%1.00").arg(second))) << QLatin1String(winds[second]);
        QBuffer record;
        record.open(QIODevice::WriteOnly);
        Run run(lines.join(QLatin1Char('\n')), m_dir.filePath(QStringLiteral("d.ini")));
        RecordWriter writer(*run.core, record);
        QVERIFY(run.session.Report(*run.core).endsWith(QLatin1String("\nAlarms: Alarm Limit Exceeded 1\n")));
        const QString text = QString::fromLatin1(record.data());
        QVERIFY2(text.contains(QLatin1String(" ! Alarm Limit Exceeded 10\n"))
                     && text.contains(QLatin1String(" ! Alarm Limit Exceeded Cleared\n")),
                 qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestReplay)
#include "tst_replay.moc"
