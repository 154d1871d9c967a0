#include "NmeaDecoders.h"
#include "NmeaRecorder.h"

#include <QTest>
#include <limits>

class TestNmeaDecoders : public QObject {
    Q_OBJECT
private slots:
    void init() { m_host.events.clear(); }
    void checksum();
    void checksumOfEveryLength_data();
    void checksumOfEveryLength();
    void checkLine_data();
    void checkLine();
    void sentenceType();
    void fields_data();
    void fields();
    void fieldsBeyondTheTableAreIgnored();
    void number_data();
    void number();
    void mwv_data();
    void mwv();
    void vhwAndVtgErrorRules();
    void hdg();
    void hvm();
    void rmc();
    void rmbShift_data();
    void rmbShift();
    void mwvRecord_data();
    void mwvRecord();
    void rmcRecord();

private:
    NmeaHostRecorder m_host;
    ReportingDecoder m_decoder{m_host};
};

void TestNmeaDecoders::checksum()
{
    QCOMPARE(NmeaReceiver::NmeaChecksum(u"$IIMWV,045,R,10.5,N,A"), QStringLiteral("16"));
    QCOMPARE(NmeaReceiver::NmeaChecksum(u"$IIMWV,045,R,10.8,N,A"), QStringLiteral("1B"));
    // Below 16: two digits with a leading zero.
    QCOMPARE(NmeaReceiver::NmeaChecksum(u"$GPRMC,123519,A,4807.038,N,01131.000,E,5.5,084.4,230394,003.1,W,A"),
             QStringLiteral("03"));
    QCOMPARE(NmeaReceiver::NmeaChecksum(u"$"), QStringLiteral("00"));
    QCOMPARE(NmeaReceiver::NmeaChecksum(u""), QStringLiteral("00"));
    // 8-bit codes: a Latin-1 character and NUL take part as they are.
    QCOMPARE(NmeaReceiver::NmeaChecksum(QString::fromLatin1("$\xE9\x00" "A", 4)), QStringLiteral("A8"));
}

// Characters are summed several at a time: every length up to a few blocks,
// against a plain XOR of the 8-bit codes.
void TestNmeaDecoders::checksumOfEveryLength_data()
{
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<int>("expected");
    const QString all = QStringLiteral("$GPRMC,123519,A,4807.038,N,01131.000,E,\u00E9\u00FF5.5");
    for (int n = 1; n <= all.size(); ++n) {
        int sum = 0;
        for (int i = 1; i < n; ++i)
            sum ^= all[i].unicode() & 0xFF;
        QTest::addRow("%d", n) << all.left(n) << sum;
    }
}

void TestNmeaDecoders::checksumOfEveryLength()
{
    QFETCH(QString, sentence);
    QFETCH(int, expected);
    QCOMPARE(int(NmeaChecksumValue(sentence)), expected);
}

void TestNmeaDecoders::checkLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("expected");
    const int ok = int(NmeaLineCheck::Accepted);
    const int sentence = int(NmeaLineCheck::SentenceError);
    const int sum = int(NmeaLineCheck::ChecksumError);
    QTest::newRow("good checksum") << "$IIMWV,045,R,10.5,N,A*16" << ok;
    QTest::newRow("other good") << "$IIMWV,045,R,10.8,N,A*1B" << ok;
    QTest::newRow("lower-case digits") << "$IIMWV,045,R,10.8,N,A*1b" << sum;
    QTest::newRow("wrong checksum") << "$IIMWV,045,R,10.5,N,A*17" << sum;
    QTest::newRow("leading zero") << "$GPRMC,123519,A,4807.038,N,01131.000,E,5.5,084.4,230394,003.1,W,A*03" << ok;
    QTest::newRow("no checksum") << "$IIMWV,045,R,10.5,N,A" << ok;
    QTest::newRow("star not third from end") << "$IIMWV,045,R,10.5,N,A*1" << ok;
    QTest::newRow("empty") << "" << sentence;
    QTest::newRow("noise before dollar") << "x$IIMWV,045,R,10.5,N,A*16" << sentence;
    QTest::newRow("dollar alone") << "$" << ok;
    QTest::newRow("two characters") << "$*" << ok;
    QTest::newRow("three characters") << "*00" << sentence;
    QTest::newRow("shortest with checksum") << "$*00" << ok;
    QTest::newRow("shortest with wrong checksum") << "$*01" << sum;
}

void TestNmeaDecoders::checkLine()
{
    QFETCH(QString, line);
    QFETCH(int, expected);
    QCOMPARE(int(NmeaCheckLine(line)), expected);
}

void TestNmeaDecoders::sentenceType()
{
    QCOMPARE(NmeaSentenceType(u"$GPRMC,1"), NmeaType("RMC"));
    QCOMPARE(NmeaSentenceType(u"$IIRMC"), NmeaType("RMC"));
    QCOMPARE(NmeaSentenceType(u"$PGRMZ,93,f,3*21"), NmeaType("RMZ"));
    QCOMPARE(NmeaSentenceType(u"$IIMW"), 0u);
    QVERIFY(NmeaSentenceType(QString::fromUtf16(u"$II\u014DWV")) != NmeaType("MWV"));
}

void TestNmeaDecoders::fields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("with checksum") << "$IIMWV,045,R,10.5,N,A*16" << QStringList{"045", "R", "10.5", "N", "A"};
    QTest::newRow("last field is the rest") << "$GPRMC,1,A,,,,,5.5,84.4,1,003.1,W"
                                            << QStringList{"1", "A", "", "", "", "", "5.5", "84.4", "1", "003.1", "W"};
    QTest::newRow("ending in a comma") << "$IIHVM,3.1," << QStringList{"3.1", ""};
    QTest::newRow("empty before the star") << "$IIHVM,3.1,*00" << QStringList{"3.1", ""};
    QTest::newRow("adjacent commas") << "$IIVHW,,T,,M" << QStringList{"", "T", "", "M"};
    // Commas last and first in blocks of eight characters, then the rest.
    QTest::newRow("commas at block edges") << "$IIXDR,abcdefg,h,,ijklmnop,q,rstuvw*1"
                                           << QStringList{"abcdefg", "h", "", "ijklmnop", "q", "rstuvw"};
    QTest::newRow("star inside a middle field stays") << "$IIMWV,4*5,R" << QStringList{"4*5", "R"};
    QTest::newRow("proprietary five-character address") << "$PGRMZ,93,f,3*21" << QStringList{"93", "f", "3"};
    QTest::newRow("four-character address") << "$IIMW,045,R" << QStringList{};
    QTest::newRow("six-character address") << "$IIMWVX,045,R" << QStringList{};
    QTest::newRow("no comma") << "$IIMWV" << QStringList{};
}

void TestNmeaDecoders::fields()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    const int count = m_decoder.NmeaFields(line);
    QCOMPARE(count, int(expected.size()));
    for (int i = 1; i <= count; ++i)
        QCOMPARE(m_decoder.Field(i).toString(), expected[i - 1]);
    QVERIFY(m_decoder.Field(0).isEmpty());
    QVERIFY(m_decoder.Field(count + 1).isEmpty());
}

void TestNmeaDecoders::fieldsBeyondTheTableAreIgnored()
{
    QString line = QStringLiteral("$IIXDR");
    for (int i = 1; i <= 25; ++i)
        line += QLatin1Char(',') + QString(QChar(u'a' + i - 1));
    line += QStringLiteral("*00");
    QCOMPARE(m_decoder.NmeaFields(line), NmeaDecoder::MaxFields);
    QCOMPARE(m_decoder.Field(1), u"a");
    QCOMPARE(m_decoder.Field(20), u"t");
    QVERIFY(m_decoder.Field(21).isEmpty());
    // A shorter sentence afterwards sees nothing of the longer one.
    QCOMPARE(m_decoder.NmeaFields(u"$IIHVM,3.1,W"), 2);
    QVERIFY(m_decoder.Field(3).isEmpty());
}

void TestNmeaDecoders::number_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("value");
    QTest::newRow("whole") << "045" << true << 45.0f;
    QTest::newRow("fraction") << "10.5" << true << 10.5f;
    QTest::newRow("leading point") << ".5" << true << 0.5f;
    QTest::newRow("trailing point") << "5." << true << 5.0f;
    QTest::newRow("negative") << "-3.25" << true << -3.25f;
    QTest::newRow("plus") << "+7" << true << 7.0f;
    QTest::newRow("trailing letter") << "12.3x" << false << 0.0f;
    QTest::newRow("blank in front") << " 12" << false << 0.0f;
    QTest::newRow("exponent") << "1e2" << false << 0.0f;
    QTest::newRow("two points") << "1.2.3" << false << 0.0f;
    QTest::newRow("point alone") << "." << false << 0.0f;
    QTest::newRow("sign alone") << "-" << false << 0.0f;
    QTest::newRow("empty") << "" << false << 0.0f;
    QTest::newRow("NUL") << QString(QChar(0)) << false << 0.0f;
    QTest::newRow("beyond single precision") << "1" + QString(39, QLatin1Char('0')) << false << 0.0f;
    QTest::newRow("largest single") << "340282346638528859811704183484516925440" << true
                                    << std::numeric_limits<float>::max();
}

void TestNmeaDecoders::number()
{
    QFETCH(QString, field);
    QFETCH(bool, ok);
    QFETCH(float, value);
    float v = 0;
    QCOMPARE(NmeaDecoder::NmeaNumber(field, v), ok);
    QCOMPARE(v, value);
}

void TestNmeaDecoders::mwv_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<float>("angle");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<float>("speed");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("error"); // the report in front of the line, "" for none
    const QString missing = QStringLiteral("Decode Error - ");
    QTest::newRow("apparent knots") << "$IIMWV,045,R,10.5,N,A*16" << 45.0f << "R" << 10.5f << "Kts" << "";
    QTest::newRow("true") << "$WIMWV,270,T,12.0,N,A" << 270.0f << "T" << 12.0f << "Kts" << "";
    QTest::newRow("metres per second kept as read") << "$IIMWV,045,R,10.5,M,A" << 45.0f << "R" << 10.5f << "M" << "";
    QTest::newRow("unknown reference") << "$IIMWV,045,X,10.5,N,A" << 45.0f << "" << 10.5f << "Kts" << missing;
    QTest::newRow("empty angle skips its letter") << "$IIMWV,,R,10.5,N,A" << 0.0f << "" << 10.5f << "Kts" << missing;
    QTest::newRow("too few fields for speed") << "$IIMWV,045,R,10.5" << 45.0f << "R" << 0.0f << "" << missing;
    QTest::newRow("empty units") << "$IIMWV,045,R,10.5,,A" << 45.0f << "R" << 10.5f << "" << missing;
    QTest::newRow("bad address") << "$IIMWVV,045,R,10.5,N,A" << 0.0f << "" << 0.0f << "" << missing;
    // A field that is not a number is named, and the line gives nothing.
    const QString angle = QStringLiteral("Decode Error - Angle not a number - ");
    QTest::newRow("angle 04x") << "$IIMWV,04x,R,10.5,N,A" << 0.0f << "" << 0.0f << "" << angle;
    QTest::newRow("angle nan") << "$IIMWV,nan,R,10.5,N,A" << 0.0f << "" << 0.0f << "" << angle;
    QTest::newRow("angle 3.4E38") << "$IIMWV,3.4E38,R,10.5,N,A" << 0.0f << "" << 0.0f << "" << angle;
    QTest::newRow("angle blank") << "$IIMWV, ,R,10.5,N,A" << 0.0f << "" << 0.0f << "" << angle;
    QTest::newRow("speed 1O.5 after a good angle")
        << "$IIMWV,045,R,1O.5,N,A" << 0.0f << "" << 0.0f << "" << "Decode Error - Speed not a number - ";
    QTest::newRow("angle beyond single is a number")
        << "$IIMWV,1" + QString(39, QLatin1Char('0')) + ",R,10.5,N,A" << 0.0f << "" << 0.0f << ""
        << "Decode Error - Angle out of range - ";
}

void TestNmeaDecoders::mwv()
{
    QFETCH(QString, line);
    QFETCH(float, angle);
    QFETCH(QString, reference);
    QFETCH(float, speed);
    QFETCH(QString, units);
    QFETCH(QString, error);
    float a = -1, s = -1;
    QStringView r = u"?", u = u"?";
    m_decoder.NmeaDecodeMWV(line, a, r, s, u);
    QCOMPARE(a, angle);
    QCOMPARE(r.toString(), reference);
    QCOMPARE(s, speed);
    QCOMPARE(u.toString(), units);
    QCOMPARE(m_host.take(), error.isEmpty() ? QStringList{} : QStringList{"error " + error + line});
}

void TestNmeaDecoders::vhwAndVtgErrorRules()
{
    float h = 0, s = 0;
    QStringView hr, su;
    m_decoder.NmeaDecodeVHW(QStringLiteral("$IIVHW,,T,200.0,M,6.2,N,11.5,K*48"), h, hr, s, su);
    QCOMPARE(h, 200.0f);
    QCOMPARE(hr, u"M");
    QCOMPARE(s, 6.2f);
    QCOMPARE(su, u"Kts");
    QCOMPARE(m_host.take(), QStringList{});

    // Course without speed: VTG is content, VHW is not.
    m_decoder.NmeaDecodeVTG(QStringLiteral("$GPVTG,054.7,T,034.4,M,,N,,K"), h, hr, s, su);
    QCOMPARE(h, 34.4f);
    QCOMPARE(hr, u"M");
    QVERIFY(su.isEmpty());
    QCOMPARE(m_host.take(), QStringList{});
    m_decoder.NmeaDecodeVHW(QStringLiteral("$IIVHW,054.7,T,034.4,M,,N,,K"), h, hr, s, su);
    QCOMPARE(m_host.take(), QStringList{"error Decode Error - $IIVHW,054.7,T,034.4,M,,N,,K"});

    // Speed without course, and wrong letters.
    m_decoder.NmeaDecodeVTG(QStringLiteral("$GPVTG,,T,,M,5.5,N,10.2,K"), h, hr, s, su);
    QCOMPARE(s, 5.5f);
    QCOMPARE(su, u"Kts");
    QCOMPARE(m_host.take(), QStringList{});
    m_decoder.NmeaDecodeVTG(QStringLiteral("$GPVTG,054.7,T,034.4,T,5.5,K"), h, hr, s, su);
    QVERIFY(hr.isEmpty() && su.isEmpty());
    QCOMPARE(m_host.take(), QStringList{"error Decode Error - $GPVTG,054.7,T,034.4,T,5.5,K"});
}

void TestNmeaDecoders::hdg()
{
    float h = 0, v = 0;
    QStringView hr, vd;
    m_decoder.NmeaDecodeHDG(QStringLiteral("$HCHDG,101.1,,,7.1,W*3C"), h, hr, v, vd);
    QCOMPARE(h, 101.1f);
    QCOMPARE(hr, u"M");
    QCOMPARE(v, -7.1f);
    QCOMPARE(vd, u"W");
    m_decoder.NmeaDecodeHDG(QStringLiteral("$HCHDG,98.3,0.0,E,12.6,E"), h, hr, v, vd);
    QCOMPARE(v, 12.6f);
    QCOMPARE(vd, u"E");
    QCOMPARE(m_host.take(), QStringList{});
    // Heading without variation: still read, but reported.
    m_decoder.NmeaDecodeHDG(QStringLiteral("$HCHDG,98.3,,,,"), h, hr, v, vd);
    QCOMPARE(h, 98.3f);
    QCOMPARE(hr, u"M");
    QVERIFY(vd.isEmpty());
    QCOMPARE(m_host.take(), QStringList{"error Decode Error - $HCHDG,98.3,,,,"});
    // A letter other than E or W leaves the direction unset.
    m_decoder.NmeaDecodeHDG(QStringLiteral("$HCHDG,98.3,,,5,X"), h, hr, v, vd);
    QCOMPARE(v, 5.0f);
    QVERIFY(vd.isEmpty());
    QCOMPARE(m_host.take().size(), 1);
}

void TestNmeaDecoders::hvm()
{
    float v = 0;
    QStringView vd;
    m_decoder.NmeaDecodeHVM(QStringLiteral("$IIHVM,3.5,W"), v, vd);
    QCOMPARE(v, -3.5f);
    QCOMPARE(vd, u"W");
    QCOMPARE(m_host.take(), QStringList{});
    m_decoder.NmeaDecodeHVM(QStringLiteral("$IIHVM,3.5"), v, vd);
    QCOMPARE(v, 0.0f);
    QVERIFY(vd.isEmpty());
    QCOMPARE(m_host.take(), QStringList{"error Decode Error - $IIHVM,3.5"});
}

void TestNmeaDecoders::rmc()
{
    float t = 0, s = 0, v = 0;
    QStringView tr, su, vd;
    m_decoder.NmeaDecodeRMC(
        QStringLiteral("$GPRMC,123519,A,4807.038,N,01131.000,E,5.5,084.4,230394,003.1,W,A*03"), t, tr, s, su, v, vd);
    QCOMPARE(s, 5.5f);
    QCOMPARE(su, u"Kts");
    QCOMPARE(t, 84.4f);
    QCOMPARE(tr, u"T");
    QCOMPARE(v, -3.1f);
    QCOMPARE(vd, u"W");
    // The last field without a checksum is "W".
    m_decoder.NmeaDecodeRMC(QStringLiteral("$GPRMC,123519,A,,,,,0.0,359.9,230394,003.1,W"), t, tr, s, su, v, vd);
    QCOMPARE(t, 359.9f);
    QCOMPARE(vd, u"W");
    QCOMPARE(m_host.take(), QStringList{});
    // No variation: the rest is read, the line is reported.
    m_decoder.NmeaDecodeRMC(QStringLiteral("$GPRMC,123519,A,,,,,6.1,12.0,230394,,,A"), t, tr, s, su, v, vd);
    QCOMPARE(s, 6.1f);
    QCOMPARE(t, 12.0f);
    QVERIFY(vd.isEmpty());
    QCOMPARE(m_host.take().size(), 1);
    // A speed that is not a number stops the reading before the track.
    const QString badSpeed = QStringLiteral("$GPRMC,123519,A,,,,,6.1k,12.0,230394,3,E,A");
    m_decoder.NmeaDecodeRMC(badSpeed, t, tr, s, su, v, vd);
    QCOMPARE(s, 0.0f);
    QCOMPARE(t, 0.0f);
    QVERIFY(tr.isEmpty() && su.isEmpty() && vd.isEmpty());
    QCOMPARE(m_host.take(), QStringList{"error Decode Error - Speed not a number - " + badSpeed});
}

void TestNmeaDecoders::rmbShift_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<float>("range");
    QTest::addColumn<float>("bearing");
    QTest::addColumn<bool>("error");
    QTest::newRow("status first") << "$GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V*20"
                                  << 1.3f << 52.5f << false;
    QTest::newRow("status one late") << "$GPRMB,,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V"
                                     << 1.3f << 52.5f << false;
    QTest::newRow("void status not shifted") << "$GPRMB,V,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V"
                                             << 1.3f << 52.5f << false;
    QTest::newRow("both A not shifted") << "$GPRMB,A,A,L,003,004,4917.24,N,12309.57,W,001.3,052.5"
                                        << 1.3f << 52.5f << false;
    QTest::newRow("no bearing") << "$GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,,000.5,V"
                                << 1.3f << 0.0f << true;
    QTest::newRow("shifted but too short for the bearing")
        << "$GPRMB,V,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3" << 1.3f << 0.0f << true;
}

void TestNmeaDecoders::rmbShift()
{
    QFETCH(QString, line);
    QFETCH(float, range);
    QFETCH(float, bearing);
    QFETCH(bool, error);
    float b = -1, r = -1;
    QStringView br, ru;
    m_decoder.NmeaDecodeRMB(line, b, br, r, ru);
    QCOMPARE(r, range);
    QCOMPARE(ru, u"nm");
    QCOMPARE(b, bearing);
    QCOMPARE(br.isEmpty(), error);
    QCOMPARE(m_host.take().size(), error ? 1 : 0);
}

// The record itself: the enums the letters become, the status, and what a
// refusal names.
void TestNmeaDecoders::mwvRecord_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<float>("angle"); // NaN: absent
    QTest::addColumn<int>("reference"); // -1: absent
    QTest::addColumn<float>("speed");
    QTest::addColumn<int>("units");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("field");
    const float none = qQNaN();
    const int relative = int(NmeaReference::Relative), isTrue = int(NmeaReference::True);
    const int knots = int(NmeaUnits::Knots), kmh = int(NmeaUnits::KilometresPerHour);
    const int ms = int(NmeaUnits::MetresPerSecond), other = int(NmeaUnits::Other);
    const int valid = int(NmeaStatus::Valid), notValid = int(NmeaStatus::NotValid);
    const int good = NmeaDecodeError::None, missing = NmeaDecodeError::LettersMissing;
    QTest::newRow("knots") << "$IIMWV,045,R,10.5,N,A*16" << 45.0f << relative << 10.5f << knots << valid << good << "";
    QTest::newRow("km/h") << "$IIMWV,-45,T,20,K,A" << -45.0f << isTrue << 20.0f << kmh << valid << good << "";
    QTest::newRow("m/s") << "$IIMWV,10,R,5,M,A" << 10.0f << relative << 5.0f << ms << valid << good << "";
    QTest::newRow("other units") << "$IIMWV,10,R,5,S,A" << 10.0f << relative << 5.0f << other << valid << good << "";
    QTest::newRow("no status") << "$IIMWV,10,R,5,N" << 10.0f << relative << 5.0f << knots << -1 << good << "";
    QTest::newRow("unknown status") << "$IIMWV,10,R,5,N,X" << 10.0f << relative << 5.0f << knots << -1 << good << "";
    QTest::newRow("not valid carries nothing")
        << "$IIMWV,10,R,5,N,V" << none << -1 << none << -1 << notValid << good << "";
    QTest::newRow("reference without angle")
        << "$IIMWV,,R,5,N,A" << none << -1 << 5.0f << knots << valid << missing << "";
    QTest::newRow("units without speed") << "$IIMWV,10,R,,N,A" << 10.0f << relative << none << -1 << valid << missing
                                         << "";
    QTest::newRow("km/h beyond 150 knots") << "$IIMWV,10,R,278,K,A" << none << -1 << none << -1 << -1
                                           << int(NmeaDecodeError::OutOfRange) << "Speed";
    QTest::newRow("angle not a number") << "$IIMWV,4x,R,5,N,A" << none << -1 << none << -1 << -1
                                        << int(NmeaDecodeError::NotANumber) << "Angle";
}

void TestNmeaDecoders::mwvRecord()
{
    QFETCH(QString, line);
    QFETCH(float, angle);
    QFETCH(int, reference);
    QFETCH(float, speed);
    QFETCH(int, units);
    QFETCH(int, status);
    QFETCH(int, error);
    QFETCH(QString, field);
    NmeaDecoder decoder;
    NmeaMWV s;
    // A record filled before is filled anew.
    s.Angle = 1;
    s.Status = NmeaStatus::NotValid;
    const NmeaDecodeError e = decoder.NmeaDecodeMWV(line, s);
    QCOMPARE(int(e.eKind), error);
    QCOMPARE(e.sField.toString(), field);
    QCOMPARE(s.Angle.has_value(), !qIsNaN(angle));
    if (s.Angle)
        QCOMPARE(*s.Angle, angle);
    QCOMPARE(s.Reference ? int(*s.Reference) : -1, reference);
    QCOMPARE(s.Speed.has_value(), !qIsNaN(speed));
    if (s.Speed)
        QCOMPARE(*s.Speed, speed);
    QCOMPARE(s.Units ? int(*s.Units) : -1, units);
    QCOMPARE(s.Status ? int(*s.Status) : -1, status);
}

void TestNmeaDecoders::rmcRecord()
{
    NmeaDecoder decoder;
    NmeaRMC s;
    QVERIFY(!decoder.NmeaDecodeRMC(u"$GPRMC,1,A,,,,,5.5,84.4,1,3.1,E", s));
    QCOMPARE(s.Status, NmeaStatus::Valid);
    QCOMPARE(s.SpeedUnits, NmeaUnits::Knots);
    QCOMPARE(s.TrackReference, NmeaReference::True);
    QCOMPARE(s.Variation, 3.1f);
    QCOMPARE(s.VariationDirection, NmeaDirection::East);
    // No fix: the status alone, without an error.
    QVERIFY(!decoder.NmeaDecodeRMC(u"$GPRMC,1,V,,,,,5.5,84.4,1,3.1,W", s));
    QCOMPARE(s.Status, NmeaStatus::NotValid);
    QVERIFY(!s.Speed && !s.Track && !s.Variation && !s.VariationDirection);
}

QTEST_GUILESS_MAIN(TestNmeaDecoders)
#include "tst_nmeadecoders.moc"
