#include "SystemLib.h"

#include <QTest>

namespace {
const QString kFile = QStringLiteral(VANEHOLD_TEST_DATA "/profiles/values.ini");
const QString kSection = QStringLiteral("Values");
} // namespace

// Each row reads one key into a target that starts at a recognisable value;
// "keeps" rows expect that value unchanged.
class TestSystemLib : public QObject {
    Q_OBJECT
private slots:
    void int16_data();
    void int16();
    void int32();
    void single_data();
    void single();
    void boolean_data();
    void boolean();
    void text();
    void missingFileKeepsEverything();
};

void TestSystemLib::int16_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("whole") << "Whole" << true << 12;
    QTest::newRow("half to even, down") << "Half Down" << true << 2;
    QTest::newRow("half to even, up") << "Half Up" << true << 4;
    QTest::newRow("negative half") << "Negative Half" << true << -2;
    QTest::newRow("field form") << "Field" << true << 5;
    QTest::newRow("exponent") << "Exponent" << true << 1000;
    QTest::newRow("True is -1") << "Boolean True" << true << -1;
    QTest::newRow("False is 0") << "Boolean False" << true << 0;
    QTest::newRow("lower-case true keeps") << "Lower True" << false << 77;
    QTest::newRow("too big keeps") << "Too Big" << false << 77;
    QTest::newRow("letters keep") << "Letters" << false << 77;
    QTest::newRow("number then letters keeps") << "Leading Number" << false << 77;
    QTest::newRow("empty keeps") << "Empty" << false << 77;
    QTest::newRow("missing keeps") << "Absent" << false << 77;
}

void TestSystemLib::int16()
{
    QFETCH(QString, key);
    QFETCH(bool, stored);
    QFETCH(int, expected);
    int16_t value = 77;
    QCOMPARE(ProfileGet(kFile, kSection, key, value), stored);
    QCOMPARE(int(value), expected);
}

void TestSystemLib::int32()
{
    int32_t value = 77;
    QVERIFY(ProfileGet(kFile, kSection, u"Too Big", value));
    QCOMPARE(value, 40000);
    QVERIFY(ProfileGet(kFile, kSection, u"Boolean True", value));
    QCOMPARE(value, -1);
    QVERIFY(!ProfileGet(kFile, kSection, u"Huge", value));
    QCOMPARE(value, -1);
}

void TestSystemLib::single_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<float>("expected");
    QTest::newRow("fraction") << "Fraction" << true << 0.3333333f;
    QTest::newRow("half stays") << "Half Down" << true << 2.5f;
    QTest::newRow("field negative") << "Field Negative" << true << -3.0f;
    QTest::newRow("True is -1") << "Boolean True" << true << -1.0f;
    QTest::newRow("False is 0") << "Boolean False" << true << 0.0f;
    QTest::newRow("beyond single precision keeps") << "Huge" << false << 7.5f;
    QTest::newRow("lower-case true keeps") << "Lower True" << false << 7.5f;
    QTest::newRow("letters keep") << "Letters" << false << 7.5f;
    QTest::newRow("empty keeps") << "Empty" << false << 7.5f;
}

void TestSystemLib::single()
{
    QFETCH(QString, key);
    QFETCH(bool, stored);
    QFETCH(float, expected);
    float value = 7.5f;
    QCOMPARE(ProfileGet(kFile, kSection, key, value), stored);
    QCOMPARE(value, expected);
}

void TestSystemLib::boolean_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("start");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("expected");
    QTest::newRow("True") << "Boolean True" << false << true << true;
    QTest::newRow("False") << "Boolean False" << true << true << false;
    QTest::newRow("lower-case true") << "Lower True" << false << true << true;
    QTest::newRow("upper-case false") << "Upper False" << true << true << false;
    QTest::newRow("-1") << "Minus One" << false << true << true;
    QTest::newRow("0") << "Zero" << true << true << false;
    QTest::newRow("letters keep") << "Letters" << true << false << true;
    QTest::newRow("empty keeps") << "Empty" << true << false << true;
    QTest::newRow("missing keeps") << "Absent" << false << false << false;
}

void TestSystemLib::boolean()
{
    QFETCH(QString, key);
    QFETCH(bool, start);
    QFETCH(bool, stored);
    QFETCH(bool, expected);
    bool value = start;
    QCOMPARE(ProfileGet(kFile, kSection, key, value), stored);
    QCOMPARE(value, expected);
}

void TestSystemLib::text()
{
    QString value = QStringLiteral("default.pol");
    QVERIFY(ProfileGet(kFile, kSection, u"Text", value));
    QCOMPARE(value, QStringLiteral("Fast Sled 60ft.pol"));
    QVERIFY(ProfileGet(kFile, kSection, u"Boolean True", value));
    QCOMPARE(value, QStringLiteral("True"));
    QVERIFY(!ProfileGet(kFile, kSection, u"Empty", value));
    QCOMPARE(value, QStringLiteral("True"));
}

void TestSystemLib::missingFileKeepsEverything()
{
    const QString none = QStringLiteral(VANEHOLD_TEST_DATA "/profiles/absent.ini");
    int16_t i = 5;
    float f = 2;
    bool b = true;
    QString s = QStringLiteral("x");
    QVERIFY(!ProfileGet(none, kSection, u"Whole", i));
    QVERIFY(!ProfileGet(none, kSection, u"Fraction", f));
    QVERIFY(!ProfileGet(none, kSection, u"Boolean False", b));
    QVERIFY(!ProfileGet(none, kSection, u"Text", s));
    QCOMPARE(int(i), 5);
    QCOMPARE(f, 2.0f);
    QCOMPARE(b, true);
    QCOMPARE(s, QStringLiteral("x"));
}

QTEST_GUILESS_MAIN(TestSystemLib)
#include "tst_systemlib.moc"
