#include "FakeSerialPort.h"
#include "NmeaRecorder.h"
#include "ProfileSettings.h"

#include <QTest>
#include <algorithm>
#include <memory>

class TestNmeaReceiver : public QObject {
    Q_OBJECT
private slots:
    void init();
    void lineFeedsDroppedAnywhere();
    void rejectedLinesReported();
    void overlongLineReportedOnceAndSkipped();
    void longestLineIsProcessed();
    void controlCharactersDoNoHarm();
    void clearLineFromHostDropsRestOfChunk();
    void typeSwitchedOffIsNotDecoded_data();
    void typeSwitchedOffIsNotDecoded();
    void headingAndSpeedSources_data();
    void headingAndSpeedSources();
    void trueWindSource();
    void otherWindUnitsIgnored();
    void rmcVariationBeforeTrack();
    void rmbNeedsVariation();
    void hdgWithoutVariation();
    void implausibleOrVoidTakesNothing_data();
    void implausibleOrVoidTakesNothing();
    void windSentenceRunsControlStep();
    void windUpdates_data();
    void windUpdates();
    void controlStepWithWindDecodingOff();
    void portEvents_data();
    void portEvents();
    void receiveEventClearsStatusAndTicks();
    void nestedReceiveEventLeavesCharacters();
    void wholeLineAsThePortGivesIt_data();
    void wholeLineAsThePortGivesIt();

private:
    void Connect(FakeSerialPort& port)
    {
        QObject::connect(&port, &SerialPort::OnComm, &port,
                         [this, &port](int code) { m_receiver->MSCommNmea_OnComm(code, port); });
    }

    void Feed(QStringView text) { m_receiver->Receive(text); }
    void Rebuild();

    ProfileSettings m_settings;
    NmeaHostRecorder m_host;
    std::unique_ptr<QuietDisplay> m_display;
    std::unique_ptr<InstrumentState> m_state;
    std::unique_ptr<NmeaReceiver> m_receiver;
};

void TestNmeaReceiver::init()
{
    m_settings = ProfileSettings();
    m_settings.m_fNmeaTrueWindAverage = 0;
    m_settings.m_fNmeaWindIndicatorAverage = 0;
    m_host.events.clear();
    m_host.waits = 0;
    m_host.status.clear();
    m_host.onData = nullptr;
    Rebuild();
}

void TestNmeaReceiver::Rebuild()
{
    m_receiver.reset();
    m_state.reset();
    m_display = std::make_unique<QuietDisplay>(m_host.events);
    m_state = std::make_unique<InstrumentState>(m_settings, m_display->Reports());
    m_receiver = std::make_unique<NmeaReceiver>(m_settings, *m_state);
    m_host.Attach(*m_receiver);
}

void TestNmeaReceiver::lineFeedsDroppedAnywhere()
{
    Feed(QStringLiteral("$IIMWV,045,R,10.5,N,A*16\r\n$IIHVM,\n3.1,W*28\r\n\n$IIHV"));
    QCOMPARE(m_host.take(), QStringList({"used $IIMWV,045,R,10.5,N,A*16", "used $IIHVM,3.1,W*28"}));
    QCOMPARE(m_state->WindAngleApparent(), 45.0f);
    QCOMPARE(m_state->Variation(), -3.1f);
    Feed(QStringLiteral("M,1,E\r"));
    QCOMPARE(m_host.take(), QStringList({"used $IIHVM,1,E"}));
    QCOMPARE(m_state->Variation(), 1.0f);
}

void TestNmeaReceiver::rejectedLinesReported()
{
    m_host.ShowStatus(QStringLiteral("No Input Data"));
    Feed(QStringLiteral("$IIMWV,045,R,10.8,N,A*1b\r\n"
                        "\r\n"
                        "xx$IIMWV,045,R,10.5,N,A*16\r"
                        "$IIMWV,045,R,10.8,N,A*1B\r"));
    QCOMPARE(m_host.take(), QStringList({
        "status Checksum Error",
        "data $IIMWV,045,R,10.8,N,A*1b <<Checksum Error>>",
        "error Checksum Error - $IIMWV,045,R,10.8,N,A*1b",
        "status Sentence Error",
        "data  <<Sentence Error>>",
        "error Sentence Error - ",
        "status Sentence Error",
        "data xx$IIMWV,045,R,10.5,N,A*16 <<Sentence Error>>",
        "error Sentence Error - xx$IIMWV,045,R,10.5,N,A*16",
        "used $IIMWV,045,R,10.8,N,A*1B",
    }));
    // Nothing of a rejected line is used.
    QCOMPARE(m_state->WindSpeedApparent(), 10.8f);
}

void TestNmeaReceiver::overlongLineReportedOnceAndSkipped()
{
    const QString noise = QString(3000, QLatin1Char('#'));
    const QString head = QStringLiteral("$IIMWV,0") + QString(72, QLatin1Char('#'));
    // Byte by byte and in one piece give the same reports.
    for (bool bytewise : {false, true}) {
        m_receiver->ClearLine();
        const QString text = QStringLiteral("$IIMWV,0") + noise + QStringLiteral("$IIHVM,3.1,W*28\r$IIHVM,3.1,W*28\r");
        if (bytewise) {
            for (QChar c : text)
                Feed(QStringView(&c, 1));
        } else {
            Feed(text);
        }
        QCOMPARE(m_host.take(), QStringList({
            "status Sentence Error",
            "data " + head + " <<Sentence Error>>",
            "error Sentence Error - " + head,
            "used $IIHVM,3.1,W*28",
        }));
    }
}

void TestNmeaReceiver::longestLineIsProcessed()
{
    QString line = QStringLiteral("$IIXDR,");
    line += QString(NmeaReceiver::MaxLineLength - line.size(), QLatin1Char('a'));
    Feed(line + QStringLiteral("\r"));
    QCOMPARE(m_host.take(), QStringList({"data " + line}));
    Feed(line + QStringLiteral("a\r"));
    QCOMPARE(m_host.take().size(), 3);
}

void TestNmeaReceiver::controlCharactersDoNoHarm()
{
    const QString withNul = QStringLiteral("$IIMWV,0") + QChar(0) + QStringLiteral("45,R,10.5,N,A");
    const QString nulType = QStringLiteral("$II") + QChar(0) + QStringLiteral("WV,045,R,10.5,N,A");
    const QString nulFirst = QChar(0) + QStringLiteral("$IIHVM,3.1,W");
    Feed(withNul + QStringLiteral("\r") + nulType + QStringLiteral("\r") + nulFirst + QStringLiteral("\r"));
    QCOMPARE(m_host.take(), QStringList({
        "error Decode Error - Angle not a number - " + withNul,
        "data " + withNul,
        "data " + nulType,
        "status Sentence Error",
        "data " + nulFirst + " <<Sentence Error>>",
        "error Sentence Error - " + nulFirst,
    }));
    QVERIFY(!m_state->WindApparentValid());
    QVERIFY(!m_state->VariationValid());
}

void TestNmeaReceiver::clearLineFromHostDropsRestOfChunk()
{
    // A host call that restarts the link: what is left of the chunk came
    // before the restart.
    m_host.onData = [this](const QString&) { m_receiver->ClearLine(); };
    Feed(QStringLiteral("$IIHVM,3.1,W\r$IIHVM,5,E\r$IIMWV,0"));
    m_host.onData = nullptr;
    QCOMPARE(m_host.take(), QStringList({"used $IIHVM,3.1,W"}));
    Feed(QStringLiteral("45,R,10.5,N,A\r$IIHVM,5,E\r"));
    QCOMPARE(m_host.take(), QStringList({
        "status Sentence Error",
        "data 45,R,10.5,N,A <<Sentence Error>>",
        "error Sentence Error - 45,R,10.5,N,A",
        "used $IIHVM,5,E",
    }));
}

void TestNmeaReceiver::typeSwitchedOffIsNotDecoded_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("line");
    QTest::newRow("HDG") << 0 << "$HCHDG,98.3,,,,";
    QTest::newRow("HVM") << 1 << "$IIHVM,3.1";
    QTest::newRow("MWV") << 2 << "$IIMWV,045,R,,N,A";
    QTest::newRow("RMB") << 3 << "$GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3";
    QTest::newRow("RMC") << 4 << "$GPRMC,123519,A,,,,,6.1,12.0,230394,,,A";
    QTest::newRow("VHW") << 5 << "$IIVHW,054.7,T,034.4,M,,N,,K";
    QTest::newRow("VTG") << 6 << "$GPVTG,054.7,T,034.4,T,5.5,K";
}

void TestNmeaReceiver::typeSwitchedOffIsNotDecoded()
{
    QFETCH(int, flag);
    QFETCH(QString, line);
    bool* flags[] = {&m_settings.m_bNmeaSentenceHDG, &m_settings.m_bNmeaSentenceHVM, &m_settings.m_bNmeaSentenceMWV,
                     &m_settings.m_bNmeaSentenceRMB, &m_settings.m_bNmeaSentenceRMC, &m_settings.m_bNmeaSentenceVHW,
                     &m_settings.m_bNmeaSentenceVTG};
    // Switched on, each of these lines is a decode error.
    Feed(line + QStringLiteral("\r"));
    QCOMPARE(m_host.take().filter("Decode Error").size(), 1);
    *flags[flag] = false;
    Feed(line + QStringLiteral("\r"));
    QCOMPARE(m_host.take(), QStringList({"data " + line}));
}

void TestNmeaReceiver::headingAndSpeedSources_data()
{
    QTest::addColumn<int>("headingSource");
    QTest::addColumn<int>("speedSource");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("used");
    QTest::addColumn<float>("heading");
    QTest::addColumn<float>("speed");
    const QString vhw = QStringLiteral("$IIVHW,,T,200.0,M,6.2,N,11.5,K*48");
    const QString vtg = QStringLiteral("$GPVTG,054.7,T,034.4,M,5.5,N,10.2,K");
    const QString hdg = QStringLiteral("$HCHDG,101.1,,,7.1,W*3C");
    const QString rmc = QStringLiteral("$GPRMC,123519,A,,,,,5.5,084.4,230394,003.1,W,A");
    QTest::newRow("VHW compass and water") << 0 << 0 << vhw << true << 200.0f << 6.2f;
    QTest::newRow("VHW compass only") << 0 << 1 << vhw << true << 200.0f << -1.0f;
    QTest::newRow("VHW water only") << 1 << 0 << vhw << true << -1.0f << 6.2f;
    QTest::newRow("VHW neither") << 1 << 1 << vhw << false << -1.0f << -1.0f;
    QTest::newRow("VTG ground both") << 1 << 1 << vtg << true << 34.4f << 5.5f;
    QTest::newRow("VTG neither") << 0 << 0 << vtg << false << -1.0f << -1.0f;
    QTest::newRow("HDG compass") << 0 << 0 << hdg << true << 101.1f << -1.0f;
    QTest::newRow("HDG variation only") << 1 << 0 << hdg << true << -1.0f << -1.0f;
    QTest::newRow("RMC ground") << 1 << 1 << rmc << true << 87.5f << 5.5f;
    QTest::newRow("RMC variation only") << 0 << 0 << rmc << true << -1.0f << -1.0f;
}

void TestNmeaReceiver::headingAndSpeedSources()
{
    QFETCH(int, headingSource);
    QFETCH(int, speedSource);
    QFETCH(QString, line);
    QFETCH(bool, used);
    QFETCH(float, heading);
    QFETCH(float, speed);
    m_settings.m_iNmeaHeading = int16_t(headingSource);
    m_settings.m_iNmeaBoatSpeed = int16_t(speedSource);
    Feed(line + QStringLiteral("\r"));
    QCOMPARE(m_host.take(), QStringList({(used ? "used " : "data ") + line}));
    QCOMPARE(m_state->HeadingValid(), heading >= 0);
    if (heading >= 0)
        QVERIFY(qAbs(m_state->Heading() - heading) < 1e-4f);
    QCOMPARE(m_state->BoatSpeedValid(), speed >= 0);
    if (speed >= 0)
        QCOMPARE(m_state->BoatSpeed(), speed);
}

void TestNmeaReceiver::trueWindSource()
{
    // Computed from boat speed: a true wind sentence is shown unused.
    Feed(QStringLiteral("$WIMWV,270,T,12.0,N,A\r"));
    QCOMPARE(m_host.take(), QStringList({"data $WIMWV,270,T,12.0,N,A"}));
    QVERIFY(!m_state->WindTrueValid());
    m_settings.m_iNmeaTrueWind = 0;
    Feed(QStringLiteral("$WIMWV,270,T,12.0,N,A\r"));
    QCOMPARE(m_host.take(), QStringList({"used $WIMWV,270,T,12.0,N,A"}));
    QVERIFY(m_state->WindTrueValid());
    QCOMPARE(m_state->WindAngleTrue(), -90.0f);
    QCOMPARE(m_state->WindSpeedTrue(), 12.0f);
}

void TestNmeaReceiver::otherWindUnitsIgnored()
{
    Feed(QStringLiteral("$GPVTG,,T,,M,5.0,N\r$IIMWV,045,R,10.5,M,A\r"));
    QCOMPARE(m_host.take(), QStringList({"used $GPVTG,,T,,M,5.0,N", "data $IIMWV,045,R,10.5,M,A"}));
    QVERIFY(!m_state->WindApparentValid());
    // In knots, with boat speed known, true wind follows.
    Feed(QStringLiteral("$IIMWV,000,R,10.5,N,A\r"));
    QVERIFY(m_state->WindTrueValid());
    QCOMPARE(m_state->WindSpeedTrue(), 5.5f);
}

void TestNmeaReceiver::rmcVariationBeforeTrack()
{
    // No variation known yet: the track cannot be made magnetic.
    Feed(QStringLiteral("$GPRMC,123519,A,,,,,5.5,084.4,230394,,,A\r"));
    QVERIFY(!m_state->HeadingValid());
    QVERIFY(m_state->BoatSpeedValid());
    QCOMPARE(m_host.take().filter("Decode Error").size(), 1);
    // Variation taken first, then used by the same sentence.
    Feed(QStringLiteral("$GPRMC,123519,A,,,,,5.5,084.4,230394,003.1,E,A\r"));
    QVERIFY(m_state->HeadingValid());
    QVERIFY(qAbs(m_state->Heading() - 81.3f) < 1e-4f);
    // A later RMC without variation uses the one known.
    Feed(QStringLiteral("$GPRMC,123519,A,,,,,5.5,001.0,230394,,,A\r"));
    QVERIFY(qAbs(m_state->Heading() - 357.9f) < 1e-4f);
}

void TestNmeaReceiver::rmbNeedsVariation()
{
    const QString rmb = QStringLiteral("$GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V*20");
    Feed(rmb + QStringLiteral("\r"));
    QCOMPARE(m_host.take(), QStringList({"data " + rmb}));
    QVERIFY(!m_state->WaypointValid());
    Feed(QStringLiteral("$IIHVM,3.1,W*28\r") + rmb + QStringLiteral("\r"));
    QCOMPARE(m_host.take(), QStringList({"used $IIHVM,3.1,W*28", "used " + rmb}));
    QVERIFY(m_state->WaypointValid());
    QCOMPARE(m_state->WaypointBearing(), 55.6f);
    QCOMPARE(m_state->WaypointRange(), 1.3f);
}

void TestNmeaReceiver::hdgWithoutVariation()
{
    m_settings.m_iNmeaHeading = 0;
    Feed(QStringLiteral("$HCHDG,98.3,,,,\r"));
    QCOMPARE(m_host.take(), QStringList({"error Decode Error - $HCHDG,98.3,,,,", "used $HCHDG,98.3,,,,"}));
    QCOMPARE(m_state->Heading(), 98.3f);
    QVERIFY(!m_state->VariationValid());
}

void TestNmeaReceiver::implausibleOrVoidTakesNothing_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("refused"); // field and reason, "" for none
    QTest::addColumn<bool>("used");
    const QString max = QStringLiteral("340282346638528859811704183484516925440");
    const QString beyond = QStringLiteral("1") + QString(39, QLatin1Char('0'));
    QTest::newRow("MWV largest single angle") << "$IIMWV," + max + ",R,10.5,N,A*1A" << "Angle out of range" << false;
    QTest::newRow("MWV angle beyond single") << "$IIMWV," + beyond + ",R,10.5,N,A" << "Angle out of range" << false;
    QTest::newRow("MWV angle -360") << "$IIMWV,-360,R,10.5,N,A" << "" << true;
    QTest::newRow("MWV angle 360.1") << "$IIMWV,360.1,R,10.5,N,A" << "Angle out of range" << false;
    QTest::newRow("MWV 150 knots") << "$IIMWV,045,R,150,N,A" << "" << true;
    QTest::newRow("MWV 150.1 knots") << "$IIMWV,045,R,150.1,N,A" << "Speed out of range" << false;
    QTest::newRow("MWV 278 km/h") << "$IIMWV,045,R,278,K,A" << "Speed out of range" << false;
    QTest::newRow("VHW heading, good speed") << "$IIVHW,,T,361,M,6.2,N" << "Heading out of range" << false;
    QTest::newRow("VHW 100 knots") << "$IIVHW,,T,200,M,100,N" << "" << true;
    QTest::newRow("VHW 100.1 knots") << "$IIVHW,,T,200,M,100.1,N" << "Speed out of range" << false;
    QTest::newRow("VTG course") << "$GPVTG,,T,-361,M,5.5,N" << "Course out of range" << false;
    QTest::newRow("HDG variation, good heading") << "$HCHDG,101.1,,,90.1,W" << "Variation out of range" << false;
    QTest::newRow("HVM variation") << "$IIHVM,-91,W" << "Variation out of range" << false;
    QTest::newRow("RMC track, good variation") << "$GPRMC,1,A,,,,,5.5,400,1,3.1,W" << "Track out of range" << false;
    QTest::newRow("RMB range") << "$GPRMB,A,0.66,L,3,4,4917.24,N,12309.57,W,21601,52.5" << "Range out of range"
                               << false;
    // Not a number: named as well, and the good values before it go too.
    QTest::newRow("MWV angle nan") << "$IIMWV,nan,R,10.5,N,A" << "Angle not a number" << false;
    QTest::newRow("MWV angle 3.4E38") << "$IIMWV,3.4E38,R,10.5,N,A" << "Angle not a number" << false;
    QTest::newRow("VHW speed, good heading") << "$IIVHW,,T,200,M,6.2kn,N" << "Speed not a number" << false;
    QTest::newRow("VTG course inf") << "$GPVTG,,T,inf,M,5.5,N" << "Course not a number" << false;
    QTest::newRow("HDG variation NaN, good heading") << "$HCHDG,101.1,,,NaN,W" << "Variation not a number" << false;
    QTest::newRow("HVM variation 3;1") << "$IIHVM,3;1,W" << "Variation not a number" << false;
    QTest::newRow("RMC variation") << "$GPRMC,1,A,,,,,5.5,84.4,1,3.1.0,W" << "Variation not a number" << false;
    QTest::newRow("RMB bearing") << "$GPRMB,A,0.66,L,3,4,4917.24,N,12309.57,W,1.3,-" << "Bearing not a number"
                                 << false;
    // The instrument's own "not valid", whatever the fields hold.
    QTest::newRow("MWV status V") << "$IIMWV,045,R,10.5,N,V*01" << "" << false;
    QTest::newRow("MWV status V, wild angle") << "$IIMWV," + max + ",R,10.5,N,V" << "" << false;
    QTest::newRow("RMC status V") << "$GPRMC,1,V,,,,,5.5,84.4,1,3.1,W" << "" << false;
}

void TestNmeaReceiver::implausibleOrVoidTakesNothing()
{
    QFETCH(QString, line);
    QFETCH(QString, refused);
    QFETCH(bool, used);
    // Sources that take every value of these lines that is let through.
    m_settings.m_iNmeaHeading = 0;
    m_settings.m_iNmeaBoatSpeed = 0;
    Feed(line + QStringLiteral("\r"));
    QStringList expected{(used ? "used " : "data ") + line};
    if (!refused.isEmpty())
        expected.prepend("error Decode Error - " + refused + " - " + line);
    QCOMPARE(m_host.take(), expected);
}

void TestNmeaReceiver::windSentenceRunsControlStep()
{
    m_settings.m_eTrackMode = TrackModeManual;
    m_settings.m_iNmeaTrueWind = 0;
    // Apparent wind alone: no step.
    Feed(QStringLiteral("$IIMWV,045,R,10.5,N,A*16\r"));
    QCOMPARE(m_host.take(), QStringList({"used $IIMWV,045,R,10.5,N,A*16"}));
    // The true wind of the same update makes no second step; the next
    // update steps with both, but without boat speed no polar values, and
    // without variation no wind indicator. Only wind sentences step.
    Feed(QStringLiteral("$WIMWV,100,T,14.0,N,A\r$IIVHW,,T,200.0,M,6.2,N,11.5,K*48\r"));
    QCOMPARE(m_host.take(), QStringList({"used $WIMWV,100,T,14.0,N,A", "data $IIVHW,,T,200.0,M,6.2,N,11.5,K*48"}));
    Feed(QStringLiteral("$WIMWV,100,T,14.0,N,A\r"));
    QCOMPARE(m_host.take(), QStringList({"used $WIMWV,100,T,14.0,N,A", "step"}));
    m_settings.m_iNmeaBoatSpeed = 0;
    m_settings.m_iNmeaHeading = 0;
    Feed(QStringLiteral("$IIVHW,,T,200.0,M,6.2,N,11.5,K*48\r$IIMWV,045,R,10.5,N,A*16\r"));
    QCOMPARE(m_host.take(), QStringList({
        "used $IIVHW,,T,200.0,M,6.2,N,11.5,K*48",
        "used $IIMWV,045,R,10.5,N,A*16",
        "step",
        "polar 5 H 200.0 6.2 45.0 10.5 100.0 14.0 - 0.0 0.0",
    }));
    Feed(QStringLiteral("$IIHVM,10,W\r$IIMWV,045,R,10.5,N,A*16\r"));
    QCOMPARE(m_host.take(), QStringList({
        "used $IIHVM,10,W",
        "used $IIMWV,045,R,10.5,N,A*16",
        "step",
        "polar 5 H 200.0 6.2 45.0 10.5 100.0 14.0 - 0.0 0.0",
        "caption Wind W-NW@14.0",
    }));
    // A rejected wind line is no clock tick.
    Feed(QStringLiteral("$IIMWV,045,R,10.5,N,A*17\r"));
    QVERIFY(!m_host.take().contains("step"));
}

void TestNmeaReceiver::windUpdates_data()
{
    QTest::addColumn<bool>("known");    // both winds, boat speed and variation known before
    QTest::addColumn<bool>("decoding"); // MWV decoding switched on
    QTest::addColumn<bool>("sensor");   // true wind from the sensor, else computed
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("updates"); // steps when the winds are known, else waits
    const QString r = QStringLiteral("$IIMWV,045,R,10.5,N,A");
    const QString t = QStringLiteral("$WIMWV,100,T,14.0,N,A");
    QTest::newRow("good apparent") << true << true << false << QStringList{r} << 1;
    QTest::newRow("empty angle") << true << true << false << QStringList{"$IIMWV,,R,10.5,N,A"} << 0;
    QTest::newRow("angle 999") << true << true << false << QStringList{"$IIMWV,999,R,10.5,N,A"} << 0;
    QTest::newRow("angle nan") << true << true << false << QStringList{"$IIMWV,nan,R,10.5,N,A"} << 0;
    QTest::newRow("angle 3.4E38") << true << true << false << QStringList{"$IIMWV,3.4E38,R,10.5,N,A"} << 0;
    QTest::newRow("speed -5") << true << true << false << QStringList{"$IIMWV,045,R,-5,N,A"} << 0;
    QTest::newRow("status V") << true << true << false << QStringList{"$IIMWV,045,R,10.5,N,V"} << 0;
    QTest::newRow("units M") << true << true << false << QStringList{"$IIMWV,045,R,10.5,M,A"} << 0;
    QTest::newRow("true wind while computed") << true << true << false << QStringList{t, t} << 0;
    QTest::newRow("R then T pairs") << true << true << true << QStringList{r, t, r, t} << 2;
    QTest::newRow("T of a refused R steps") << true << true << true
                                            << QStringList{r, t, "$IIMWV,nan,R,10.5,N,A", t} << 2;
    QTest::newRow("off: every line")
        << true << false << false
        << QStringList{r, "$IIMWV,bad", "$IIMWV,999,R,10.5,N,A", "$IIMWV,045,R,10.5,M,A"} << 4;
    QTest::newRow("off: R then T pairs") << true << false << true << QStringList{r, t} << 1;
    QTest::newRow("off: status V") << true << false << false << QStringList{"$IIMWV,045,R,10.5,N,V"} << 0;
    QTest::newRow("unknown: good apparent waits") << false << true << false << QStringList{r} << 1;
    QTest::newRow("unknown: refused does not wait")
        << false << true << false
        << QStringList{"$IIMWV,nan,R,10.5,N,A", "$IIMWV,045,R,10.5,N,V", "$IIMWV,045,R,10.5,M,A"} << 0;
    QTest::newRow("unknown, off: every line waits") << false << false << false << QStringList{r, "$IIMWV,bad"} << 2;
}

void TestNmeaReceiver::windUpdates()
{
    QFETCH(bool, known);
    QFETCH(bool, decoding);
    QFETCH(bool, sensor);
    QFETCH(QStringList, lines);
    QFETCH(int, updates);
    if (known) {
        Feed(QStringLiteral("$GPVTG,,T,034.4,M,5.0,N\r$IIHVM,3.1,W\r$IIMWV,045,R,10.5,N,A\r"));
        QVERIFY(m_state->WindTrueValid() && m_state->WindApparentValid());
        m_host.events.clear();
    }
    m_host.waits = 0;
    m_settings.m_bNmeaSentenceMWV = decoding;
    m_settings.m_iNmeaTrueWind = int16_t(sensor ? 0 : 1);
    for (const QString& line : lines)
        Feed(line + QStringLiteral("\r"));
    const QStringList events = m_host.take();
    const auto count = [&](const QString& prefix) {
        return int(std::count_if(events.begin(), events.end(), [&](const QString& e) { return e.startsWith(prefix); }));
    };
    const int steps = known ? updates : 0;
    QCOMPARE(count(QStringLiteral("step")), steps);
    // The Polar window and the wind indicator follow each step and nothing else.
    QCOMPARE(count(QStringLiteral("polar ")), steps);
    QCOMPARE(count(QStringLiteral("caption ")), steps);
    QCOMPARE(m_host.waits, known ? 0 : updates);
}

void TestNmeaReceiver::controlStepWithWindDecodingOff()
{
    Feed(QStringLiteral("$GPVTG,,T,,M,5.0,N\r$IIMWV,045,R,10.5,N,A*16\r"));
    QVERIFY(m_state->WindTrueValid());
    m_host.events.clear();
    m_settings.m_bNmeaSentenceMWV = false;
    Feed(QStringLiteral("$IIMWV,090,R,20.0,N,A\r$IIMWV,bad\r"));
    QCOMPARE(m_host.take(), QStringList({
        "data $IIMWV,090,R,20.0,N,A",
        "step",
        "polar 1 - 0.0 5.0 45.0 10.5 " + NumberText::Format(m_state->WindAngleTrue(), u"0.0") + " "
            + NumberText::Format(m_state->WindSpeedTrue(), u"0.0") + " - 0.0 0.0",
        "data $IIMWV,bad",
        "step",
        "polar 1 - 0.0 5.0 45.0 10.5 " + NumberText::Format(m_state->WindAngleTrue(), u"0.0") + " "
            + NumberText::Format(m_state->WindSpeedTrue(), u"0.0") + " - 0.0 0.0",
    }));
    QCOMPARE(m_state->WindAngleApparent(), 45.0f);
}

void TestNmeaReceiver::portEvents_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("status");
    QTest::newRow("break") << 1001 << "Break Signal Received";
    QTest::newRow("framing") << 1004 << "Framing Error";
    QTest::newRow("overrun") << 1006 << "Port Overrun";
    QTest::newRow("rx overflow") << 1008 << "Rx Overflow";
    QTest::newRow("parity") << 1009 << "Parity Error";
    QTest::newRow("device lost") << 1100 << "Port Closed - Device lost";
    QTest::newRow("unknown") << 3 << "Event 3";
    QTest::newRow("negative") << -12 << "Event -12";
}

void TestNmeaReceiver::portEvents()
{
    QFETCH(int, code);
    QFETCH(QString, status);
    FakeSerialPort port;
    Connect(port);
    for (int i = 0; i < 3; ++i)
        m_receiver->NoInputTick();
    port.raise(code);
    QCOMPARE(m_host.take(), QStringList({"status " + status}));
    // Only a receive event counts as input.
    QCOMPARE(m_receiver->NoInputTicks(), 3u);
}

void TestNmeaReceiver::receiveEventClearsStatusAndTicks()
{
    FakeSerialPort port;
    QString error;
    QVERIFY(port.Open(error));
    Connect(port);
    m_host.ShowStatus(QStringLiteral("No Input Data"));
    for (int i = 0; i < 7; ++i)
        m_receiver->NoInputTick();
    port.feed(QStringLiteral("$IIHVM,3"));
    QCOMPARE(m_receiver->NoInputTicks(), 0u);
    QCOMPARE(m_host.take(), QStringList({"status "}));
    port.feed(QStringLiteral(".1,W\r"));
    QCOMPARE(m_host.take(), QStringList({"used $IIHVM,3.1,W"}));
    QVERIFY(port.pending().isEmpty());
    QVERIFY(!m_receiver->ReceiveBusy());
}

void TestNmeaReceiver::nestedReceiveEventLeavesCharacters()
{
    FakeSerialPort port;
    QString error;
    QVERIFY(port.Open(error));
    Connect(port);
    bool busyInside = false;
    bool first = true;
    // A host call that runs the event loop, during which more arrives.
    m_host.onData = [&](const QString&) {
        if (!first)
            return;
        first = false;
        busyInside = m_receiver->ReceiveBusy();
        for (int i = 0; i < 2; ++i)
            m_receiver->NoInputTick();
        port.feed(QStringLiteral("$IIHVM,5,E\r"));
        QCOMPARE(m_receiver->NoInputTicks(), 0u);
    };
    port.feed(QStringLiteral("$IIHVM,3.1,W\r$IIHVM,4"));
    QVERIFY(busyInside);
    QVERIFY(!m_receiver->ReceiveBusy());
    QCOMPARE(m_host.take(), QStringList({"used $IIHVM,3.1,W"}));
    QCOMPARE(port.pending(), QStringLiteral("$IIHVM,5,E\r"));
    // The next event reads them, after the partial line of the first.
    port.feed(QString());
    QCOMPARE(m_host.take(),
             QStringList({"error Decode Error - Variation not a number - $IIHVM,4$IIHVM,5,E",
                          "data $IIHVM,4$IIHVM,5,E"}));
}

// A line handed in whole reports what the same line with CR LF through the
// port does; while part of a line waits in the buffer it is refused.
void TestNmeaReceiver::wholeLineAsThePortGivesIt_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("wind") << "$IIMWV,045,R,10.5,N,A*16";
    QTest::newRow("checksum") << "$IIMWV,045,R,10.5,N,A*17";
    QTest::newRow("no sentence") << "junk";
    QTest::newRow("longest") << "$IIHVM,3.1,W," + QString(NmeaReceiver::MaxLineLength - 13, QLatin1Char('x'));
    QTest::newRow("overlong") << "$IIHVM,3.1,W," + QString(NmeaReceiver::MaxLineLength - 12, QLatin1Char('x'));
}

void TestNmeaReceiver::wholeLineAsThePortGivesIt()
{
    QFETCH(QString, line);
    FakeSerialPort port;
    QString error;
    QVERIFY(port.Open(error));
    Connect(port);
    m_host.ShowStatus(QStringLiteral("No Input Data"));
    m_receiver->NoInputTick();
    port.feed(line + QStringLiteral("\r\n"));
    const QStringList expected = m_host.take();

    Rebuild();
    m_host.ShowStatus(QStringLiteral("No Input Data"));
    m_receiver->NoInputTick();
    QVERIFY(m_receiver->ReceiveLine(line));
    QCOMPARE(m_host.take(), expected);
    QCOMPARE(m_receiver->NoInputTicks(), 0u);

    Feed(u"$IIHVM,3");
    QVERIFY(!m_receiver->ReceiveLine(line));
    QVERIFY(m_host.take().isEmpty());
}

QTEST_GUILESS_MAIN(TestNmeaReceiver)
#include "tst_nmeareceiver.moc"
