#include "NumberText.h"

#include <QLocale>
#include <QTest>
#include <clocale>
#include <cmath>
#include <cstring>

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void format_data();
    void format();
    void formatBoundaries_data();
    void formatBoundaries();
    void formatFloatUsesItsOwnDigits();
    void formatFloatNearHalves_data();
    void formatFloatNearHalves();
    void general();
    void plainAndField_data();
    void plainAndField();
    void val_data();
    void val();
    void tryParse_data();
    void tryParse();
    void tryParseDecimal_data();
    void tryParseDecimal();
    void tryParseDecimalAgreesWithTryParse();
    void roundHalfEven();
    void localeDoesNotMatter();
};

void TestNumberText::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0 half away") << 2.5 << "0" << "3";
    QTest::newRow("0 negative half") << -2.5 << "0" << "-3";
    QTest::newRow("0 minus zero") << -0.4 << "0" << "-0";
    QTest::newRow("0 zero") << 0.0 << "0" << "0";
    QTest::newRow("0 big") << 123456.7 << "0" << "123457";
    QTest::newRow("0.0") << 10.45 << "0.0" << "10.5";
    QTest::newRow("0.0 small") << 0.04 << "0.0" << "0.0";
    QTest::newRow("0.00") << 2.675 << "0.00" << "2.68";
    QTest::newRow("000.0 pad") << 45.0 << "000.0" << "045.0";
    QTest::newRow("000.0 zero") << 0.0 << "000.0" << "000.0";
    QTest::newRow("000.0 carry") << 359.96 << "000.0" << "360.0";
    QTest::newRow("000.0 negative") << -5.0 << "000.0" << "-005.0";
    QTest::newRow("000.0 wide") << 1400.0 << "000.0" << "1400.0";
    QTest::newRow("00") << 7.0 << "00" << "07";
    QTest::newRow(".0 below one") << 0.4 << ".0" << ".4";
    QTest::newRow(".0 above one") << 12.34 << ".0" << "12.3";
    QTest::newRow(".0 rounds to one") << 0.96 << ".0" << "1.0";
    QTest::newRow("carry through nines") << 9.996 << "0.00" << "10.00";
}

void TestNumberText::format()
{
    QFETCH(double, value);
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QCOMPARE(NumberText::Format(value, code), expected);
}

void TestNumberText::formatBoundaries_data()
{
    // Where digit handling goes wrong: the rounding digit is the first
    // significant one or lies beyond it, carries that add an integer digit,
    // binary halves (which half to even would round down), and values whose
    // texts are longer than any digit buffer.
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first digit rounds") << 0.05 << "0.0" << "0.1";
    QTest::newRow("first digit stays") << 0.049 << "0.0" << "0.0";
    QTest::newRow("digits beyond reach") << 0.0005 << "0.00" << "0.00";
    QTest::newRow("half below one") << 0.5 << "0" << "1";
    QTest::newRow("binary half, second place") << 0.125 << "0.00" << "0.13";
    QTest::newRow("decimal half, third place") << 1.0005 << "0.000" << "1.001";
    QTest::newRow("heading carries to 360") << 359.95 << "000.0" << "360.0";
    QTest::newRow("heading below the carry") << 359.94 << "000.0" << "359.9";
    QTest::newRow("carry adds a digit") << 99.95 << "0.0" << "100.0";
    QTest::newRow("negative carry") << -999.5 << "0" << "-1000";
    QTest::newRow("negative zero") << -0.0 << "0.0" << "0.0";
    QTest::newRow("negative to zero, .0") << -0.04 << ".0" << "-.0";
    QTest::newRow("shortest, not binary") << 0.1 + 0.2 << "0.00000000000000000" << "0.30000000000000004";
    QTest::newRow("pads decimals") << 1.5 << "0.0000000" << "1.5000000";
    QTest::newRow("1e15 and a half") << 1000000000000000.5 << "0" << "1000000000000001";
    QTest::newRow("1e22") << 1e22 << "0.0" << "1" + QString(22, QLatin1Char('0')) + ".0";
    QTest::newRow("largest double") << 1.7976931348623157e308 << "0"
                                    << "17976931348623157" + QString(292, QLatin1Char('0'));
    QTest::newRow("smallest double") << 5e-324 << "0.0" << "0.0";
    QTest::newRow("NaN") << std::nan("") << "0.0" << "NaN";
    QTest::newRow("infinity") << HUGE_VAL << "000.0" << "Inf";
    QTest::newRow("minus infinity") << -HUGE_VAL << "0" << "-Inf";
}

void TestNumberText::formatBoundaries()
{
    QFETCH(double, value);
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QCOMPARE(NumberText::Format(value, code), expected);
}

void TestNumberText::formatFloatUsesItsOwnDigits()
{
    // 2.35f is 2.3499999... as a double; shown it must still round up.
    QCOMPARE(NumberText::Format(2.35f, u"0.0"), QStringLiteral("2.4"));
    QCOMPARE(NumberText::Format(12.345f, u"0.0"), QStringLiteral("12.3"));
    QCOMPARE(NumberText::Format(0.5f, u"0"), QStringLiteral("1"));
    // 2.675f is 2.67499995... as a double.
    QCOMPARE(NumberText::Format(2.675f, u"0.00"), QStringLiteral("2.68"));
    QCOMPARE(NumberText::Format(-359.95f, u"000.0"), QStringLiteral("-360.0"));
}

// Floats whose shortest digits end in a 5 just past the last place shown
// while the float lies below it, their neighbours, powers of two, and the
// edges of a few decimals' reach.
void TestNumberText::formatFloatNearHalves_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0.35 below its half") << 0.35f << "0.0" << "0.4";
    QTest::newRow("4.35 below its half") << 4.35f << "0.0" << "4.4";
    QTest::newRow("0.45, whole") << 0.45f << "0" << "0";
    QTest::newRow("binary half") << 100.25f << "0.0" << "100.3";
    QTest::newRow("heading tie") << 359.95f << "000.0" << "360.0";
    QTest::newRow("float below the tie") << std::nextafter(359.95f, 0.0f) << "000.0" << "359.9";
    QTest::newRow("third place tie") << 1.0005f << "0.000" << "1.001";
    QTest::newRow("shortest is the tie") << 838.86045f << "0.000" << "838.861";
    QTest::newRow("second place tie") << 12.345f << "0.00" << "12.35";
    QTest::newRow("carry to a digit") << 99.95f << "0.0" << "100.0";
    QTest::newRow("power of two") << 256.0f << "000.0" << "256.0";
    QTest::newRow("power of two half") << 0.125f << "0.00" << "0.13";
    QTest::newRow("zero") << 0.0f << "000.0" << "000.0";
    QTest::newRow("tiny") << 1e-7f << "0.0" << "0.0";
    QTest::newRow("negative to zero") << -0.04f << ".0" << "-.0";
    QTest::newRow("negative half") << -2.5f << "0" << "-3";
    QTest::newRow("large, one place") << 83886.05f << "0.0" << "83886.1";
    QTest::newRow("large, three places") << 8388.6045f << "0.000" << "8388.605";
}

void TestNumberText::formatFloatNearHalves()
{
    QFETCH(float, value);
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QCOMPARE(NumberText::Format(value, code), expected);
}

void TestNumberText::general()
{
    QCOMPARE(NumberText::General(0.1 + 0.2), QStringLiteral("0.3"));
    QCOMPARE(NumberText::General(0.1f), QStringLiteral("0.1"));
    QCOMPARE(NumberText::General(-12.5), QStringLiteral("-12.5"));
    QCOMPARE(NumberText::General(1e30), QStringLiteral("1E+30"));
}

void TestNumberText::plainAndField_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("field");
    QTest::newRow("whole") << 60.0 << "60" << " 60";
    QTest::newRow("fraction") << 2.5 << "2.5" << " 2.5";
    QTest::newRow("negative") << -3.0 << "-3" << "-3";
    QTest::newRow("third") << double(1.0f / 3.0f) << "0.3333333" << " 0.3333333";
    QTest::newRow("float tenth") << double(0.1f) << "0.1" << " 0.1";
    QTest::newRow("zero") << 0.0 << "0" << " 0";
    QTest::newRow("seven digits") << 1234567.8 << "1234568" << " 1234568";
    QTest::newRow("large no exponent") << 1e9 << "1000000000" << " 1000000000";
    QTest::newRow("small no exponent") << 0.000125 << "0.000125" << " 0.000125";
    QTest::newRow("rounds to a new digit") << 9999999.5 << "10000000" << " 10000000";
    QTest::newRow("tiny") << 1e-10 << "0.0000000001" << " 0.0000000001";
    QTest::newRow("huge") << 1e300 << "1" + QString(300, QLatin1Char('0')) << " 1" + QString(300, QLatin1Char('0'));
}

void TestNumberText::plainAndField()
{
    QFETCH(double, value);
    QFETCH(QString, plain);
    QFETCH(QString, field);
    QCOMPARE(NumberText::Plain(value), plain);
    QCOMPARE(NumberText::Field(value), field);
}

void TestNumberText::val_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("trailing letters") << "12abc" << 12.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("leading blank") << " 5" << 5.0;
    QTest::newRow("negative fraction") << "-5.25x" << -5.25;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("exponent") << "1.5e2deg" << 150.0;
    QTest::newRow("lone e") << "3e" << 3.0;
    QTest::newRow("comma is not a point") << "3,5" << 3.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    // Below the smallest double: 0, whichever way the text says it.
    QTest::newRow("tiny, upper-case exponent") << "1E-400" << 0.0;
    QTest::newRow("tiny, long fraction") << "0." + QString(400, QLatin1Char('0')) + "1" << 0.0;
}

void TestNumberText::val()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(NumberText::Val(text), expected);
}

void TestNumberText::tryParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "45" << true << 45.0;
    QTest::newRow("field form") << " 5" << true << 5.0;
    QTest::newRow("trailing blank") << "2.5 " << true << 2.5;
    QTest::newRow("trailing letters") << "12abc" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << "  " << false << 0.0;
    QTest::newRow("words") << "True" << false << 0.0;
    QTest::newRow("overflow") << "1e999" << false << 0.0;
    QTest::newRow("underflow reads as 0") << "1E-400" << true << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
}

void TestNumberText::tryParse()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    double v = 0;
    QCOMPARE(NumberText::TryParse(text, v), ok);
    QCOMPARE(v, expected);
}

void TestNumberText::tryParseDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("whole") << "045" << true << 45.0;
    QTest::newRow("fraction") << "10.5" << true << 10.5;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("negative") << "-3.25" << true << -3.25;
    QTest::newRow("plus") << "+7" << true << 7.0;
    QTest::newRow("not exact in binary") << "0.1" << true << 0.1;
    QTest::newRow("long mantissa") << "12345678901234567890.5" << true << 12345678901234567890.5;
    QTest::newRow("many decimals") << "0.00000000000000000000000123" << true << 1.23e-24;
    QTest::newRow("trailing letter") << "12.3x" << false << 0.0;
    QTest::newRow("blank in front") << " 12" << false << 0.0;
    QTest::newRow("blank behind") << "12 " << false << 0.0;
    QTest::newRow("exponent") << "1e2" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("sign alone") << "-" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
}

void TestNumberText::tryParseDecimal()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    double v = 0;
    QCOMPARE(NumberText::TryParseDecimal(text, v), ok);
    QCOMPARE(v, expected);
}

void TestNumberText::tryParseDecimalAgreesWithTryParse()
{
    // Bit for bit, over digits of every length either side of the point.
    const QStringList texts{"0",        "-0",        "359.9",    "0.3",    "1.7976931348623157",
                            "9007199254740993",      "900719925474099.3", "2.2250738585072014",
                            "123456.789012", "0.000001", "99999999999999999999", "4.35",
                            "999999999999999", "-999999999999999", "9999999999999999", "1234567890.1234",
                            "12345678901.2345", ".00000000000001"};
    for (const QString& text : texts) {
        double fast = 1;
        double full = 2;
        QVERIFY(NumberText::TryParseDecimal(text, fast));
        QVERIFY(NumberText::TryParse(text, full));
        QVERIFY2(std::memcmp(&fast, &full, sizeof fast) == 0, qPrintable(text));
    }
}

void TestNumberText::roundHalfEven()
{
    int16_t i = 7;
    QVERIFY(NumberText::ToInt16(2.5, i));
    QCOMPARE(i, int16_t(2));
    QVERIFY(NumberText::ToInt16(3.5, i));
    QCOMPARE(i, int16_t(4));
    QVERIFY(NumberText::ToInt16(-2.5, i));
    QCOMPARE(i, int16_t(-2));
    QVERIFY(!NumberText::ToInt16(40000, i));
    QCOMPARE(i, int16_t(-2));
    int32_t l = 0;
    QVERIFY(NumberText::ToInt32(4464.5, l));
    QCOMPARE(l, 4464);
    QCOMPARE(NumberText::ToInt16Saturated(1e6), int16_t(32767));
    QCOMPARE(NumberText::ToInt32Saturated(-1e12), INT32_MIN);
    QCOMPARE(NumberText::ToInt32Saturated(std::nan("")), 0);
    float f = 1;
    QVERIFY(!NumberText::TryParse(u"1e39", f));
    QCOMPARE(f, 1.0f);
}

void TestNumberText::localeDoesNotMatter()
{
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(NumberText::Format(10.5, u"0.0"), QStringLiteral("10.5"));
    QCOMPARE(NumberText::Plain(2.5), QStringLiteral("2.5"));
    QCOMPARE(NumberText::Val(u"2.5"), 2.5);
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
