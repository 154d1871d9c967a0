#include "SignalKEndpoint.h"
#include "SignalKPaths.h"
#include "NumberText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <cmath>
#include <limits>

class TestSignalKPaths : public QObject {
    Q_OBJECT
private slots:
    void Endpoint_data();
    void Endpoint();
    void Convert_data();
    void Convert();
    void Target_data();
    void Target();
    void HeldAngleDelta();
    void NotificationDelta();
    void RecordRoundTrip_data();
    void RecordRoundTrip();
    void RecordRefused_data();
    void RecordRefused();
};

void TestSignalKPaths::Endpoint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("http"); // or the error
    QTest::addColumn<QString>("stream");

    QTest::newRow("plain") << "signalk://127.0.0.1:3000" << true << "http://127.0.0.1:3000/signalk"
                           << "ws://127.0.0.1:3000/signalk/v1/stream?subscribe=none";
    QTest::newRow("tls, upper-case kind") << " SignalKS://openplotter.local:3443 " << true
                                          << "https://openplotter.local:3443/signalk"
                                          << "wss://openplotter.local:3443/signalk/v1/stream?subscribe=none";
    QTest::newRow("ipv6") << "signalk://[::1]:3000" << true << "http://[::1]:3000/signalk"
                          << "ws://[::1]:3000/signalk/v1/stream?subscribe=none";
    QTest::newRow("tcp is another kind") << "tcp://127.0.0.1:10110" << false
                                         << "unknown kind \"tcp\", use signalk:// or signalks://" << "";
    QTest::newRow("no kind") << "127.0.0.1:3000" << false
                             << "not a Signal K server, use signalk://host:port or signalks://host:port" << "";
    QTest::newRow("no port") << "signalk://127.0.0.1" << false << "port number missing" << "";
    QTest::newRow("port too big") << "signalk://127.0.0.1:70000" << false
                                  << "port \"70000\" is not a number from 1 to 65535" << "";
    QTest::newRow("no host") << "signalk://:3000" << false << "host missing" << "";
    QTest::newRow("bad address") << "signalk://192.168.1.300:3000" << false
                                 << "invalid IPv4 address \"192.168.1.300\"" << "";
}

void TestSignalKPaths::Endpoint()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, http);
    QFETCH(QString, stream);
    SignalKEndpoint endpoint;
    endpoint.sHost = QStringLiteral("kept");
    QString error;
    QCOMPARE(ParseSignalKEndpoint(text, endpoint, error), ok);
    QCOMPARE(IsSignalKName(text), text.contains(u"ignal") && text.contains(u"://"));
    if (!ok) {
        QCOMPARE(error, http);
        QCOMPARE(endpoint.sHost, QStringLiteral("kept"));
        return;
    }
    QCOMPARE(endpoint.HttpUrl(QStringLiteral("/signalk")).toString(), http);
    QCOMPARE(endpoint.StreamUrl(QStringLiteral("/signalk/v1/stream?subscribe=none")).toString(), stream);
}

void TestSignalKPaths::Convert_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("json"); // the value as the stream carries it
    QTest::addColumn<int>("kind");     // SignalKKind, None when refused
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text"); // pilot text, or the refusal

    const auto row = [](const char* name, const char* path, const char* json, SignalKKind kind, double value,
                        const char* text = "") {
        QTest::newRow(name) << QString::fromLatin1(path) << QString::fromLatin1(json) << int(kind) << value
                            << QString::fromLatin1(text);
    };
    const SignalKKind refused = SignalKKind::None;
    // Radians to degrees: wind angles -180..180, directions 0..360.
    row("apparent angle 38", "environment.wind.angleApparent", "0.6632251157578452", SignalKKind::WindAngleApparent,
        38.0);
    row("apparent angle to port", "environment.wind.angleApparent", "-0.5", SignalKKind::WindAngleApparent,
        -28.64788975654116);
    row("apparent angle past 180", "environment.wind.angleApparent", "3.5", SignalKKind::WindAngleApparent,
        -159.46477173493);
    row("true angle", "environment.wind.angleTrueWater", "0.9128072779", SignalKKind::WindAngleTrue, 52.3);
    row("heading", "navigation.headingMagnetic", "3.7437188", SignalKKind::HeadingMagnetic, 214.4992869);
    row("heading below 0", "navigation.headingMagnetic", "-0.1", SignalKKind::HeadingMagnetic, 354.2704220486);
    row("cog true", "navigation.courseOverGroundTrue", "3.8100979", SignalKKind::CourseOverGroundTrue,
        218.3025292);
    row("cog magnetic", "navigation.courseOverGroundMagnetic", "0", SignalKKind::CourseOverGroundMagnetic, 0);
    row("waypoint bearing v1", "navigation.courseRhumbline.nextPoint.bearingTrue", "5.323254",
        SignalKKind::WaypointBearingTrue, 304.9999875);
    row("waypoint bearing v2", "navigation.course.calcValues.bearingMagnetic", "1", SignalKKind::WaypointBearingMagnetic,
        57.29577951308);
    row("variation east", "navigation.magneticVariation", "0.0558505361", SignalKKind::MagneticVariation, 3.2);
    row("variation west", "navigation.magneticVariation", "-0.2", SignalKKind::MagneticVariation, -11.45915590262);
    // m/s to knots, metres to nautical miles.
    row("apparent speed", "environment.wind.speedApparent", "7.305", SignalKKind::WindSpeedApparent,
        14.19978401728);
    row("true speed", "environment.wind.speedTrue", "0", SignalKKind::WindSpeedTrue, 0);
    row("speed through water", "navigation.speedThroughWater", "3.2924", SignalKKind::SpeedThroughWater,
        6.39991360691);
    row("speed over ground", "navigation.speedOverGround", "51.4", SignalKKind::SpeedOverGround, 99.91360691145);
    row("distance", "navigation.courseRhumbline.nextPoint.distance", "6019", SignalKKind::WaypointDistance, 3.25);
    row("distance v2", "navigation.course.calcValues.distance", "0", SignalKKind::WaypointDistance, 0);
    row("pilot state", "steering.autopilot.state", "\"auto\"", SignalKKind::PilotState, 0, "auto");
    row("pilot mode", "steering.autopilot.mode", "\"wind\"", SignalKKind::PilotMode, 0, "wind");
    // Refused as the NMEA decoders refuse a field.
    row("angle beyond a turn", "environment.wind.angleApparent", "6.3", refused, 0,
        "Decode Error - environment.wind.angleApparent out of range - 6.3");
    row("heading beyond a turn back", "navigation.headingMagnetic", "-6.3", refused, 0,
        "Decode Error - navigation.headingMagnetic out of range - -6.3");
    row("wind speed over 150 kn", "environment.wind.speedApparent", "77.2", refused, 0,
        "Decode Error - environment.wind.speedApparent out of range - 77.2");
    row("boat speed over 100 kn", "navigation.speedOverGround", "51.5", refused, 0,
        "Decode Error - navigation.speedOverGround out of range - 51.5");
    row("negative speed", "navigation.speedThroughWater", "-0.1", refused, 0,
        "Decode Error - navigation.speedThroughWater out of range - -0.1");
    row("variation past 90", "navigation.magneticVariation", "1.571", refused, 0,
        "Decode Error - navigation.magneticVariation out of range - 1.571");
    row("distance past a round trip", "navigation.courseRhumbline.nextPoint.distance", "40003300", refused, 0,
        "Decode Error - navigation.courseRhumbline.nextPoint.distance out of range - 40003300");
    row("null", "environment.wind.angleApparent", "null", refused, 0,
        "Decode Error - environment.wind.angleApparent null");
    row("text for a number", "navigation.headingMagnetic", "\"3.7\"", refused, 0,
        "Decode Error - navigation.headingMagnetic not a number - \"3.7\"");
    row("object for a number", "navigation.speedOverGround", "{\"a\":1}", refused, 0,
        "Decode Error - navigation.speedOverGround not a number - {\"a\":1}");
    row("number for a state", "steering.autopilot.state", "3", refused, 0,
        "Decode Error - steering.autopilot.state not a text - 3");
    row("path not read", "navigation.position", "1", refused, 0, "Decode Error - navigation.position not read");
}

void TestSignalKPaths::Convert()
{
    QFETCH(QString, path);
    QFETCH(QString, json);
    QFETCH(int, kind);
    QFETCH(double, value);
    QFETCH(QString, text);
    const QJsonValue parsed = QJsonDocument::fromJson(("[" + json + "]").toUtf8()).array().first();
    SignalKUpdate update;
    update.fValue = -1;
    QString refusal;
    const bool ok = SignalK::Convert(path, parsed, update, refusal);
    QCOMPARE(ok, kind != int(SignalKKind::None));
    if (!ok) {
        QCOMPARE(refusal, text);
        QCOMPARE(update.fValue, -1.0);
        return;
    }
    QCOMPARE(int(update.eKind), kind);
    QVERIFY2(std::fabs(update.fValue - value) < 1e-4, qPrintable(NumberText::General(update.fValue)));
    QCOMPARE(update.sText, text);
}

void TestSignalKPaths::Target_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("radians");
    QTest::newRow("350") << 350.0 << true << 6.108652381980153;
    QTest::newRow("0") << 0.0 << true << 0.0;
    QTest::newRow("360 is 0") << 360.0 << true << 0.0;
    QTest::newRow("359.99999999999") << 359.99999999999 << true << 0.0;
    QTest::newRow("-10") << -10.0 << true << 6.108652381980153;
    QTest::newRow("720.5") << 720.5 << true << 0.008726646259971648;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << -1.0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << false << -1.0;
}

void TestSignalKPaths::Target()
{
    QFETCH(double, degrees);
    QFETCH(bool, ok);
    QFETCH(double, radians);
    double result = -1;
    QCOMPARE(SignalK::TargetRadians(degrees, result), ok);
    QVERIFY(std::fabs(result - radians) < 1e-9 || std::fabs(result - radians - 6.283185307179586) < 1e-9);
    QVERIFY(!ok || (result >= 0 && result < 6.283185307179586));
    if (ok)
        QCOMPARE(QJsonDocument::fromJson(SignalK::TargetBody(result)).object().value("value").toDouble(), result);
}

void TestSignalKPaths::HeldAngleDelta()
{
    QByteArray delta;
    QVERIFY(SignalK::HeldAngleDelta(false, -140, delta));
    const QJsonObject object = QJsonDocument::fromJson(delta).object();
    QCOMPARE(object.value("context").toString(), QStringLiteral("vessels.self"));
    const QJsonObject update = object.value("updates").toArray().first().toObject();
    QCOMPARE(update.value("$source").toString(), QStringLiteral("vanehold"));
    const QJsonObject value = update.value("values").toArray().first().toObject();
    QCOMPARE(value.value("path").toString(), QStringLiteral("steering.autopilot.target.windAngleTrue"));
    QVERIFY(std::fabs(value.value("value").toDouble() - -2.443460952792061) < 1e-12);

    QVERIFY(SignalK::HeldAngleDelta(true, 200, delta));
    const QJsonObject wrapped = QJsonDocument::fromJson(delta)
                                    .object()["updates"].toArray()[0].toObject()["values"].toArray()[0].toObject();
    QCOMPARE(wrapped.value("path").toString(), QStringLiteral("steering.autopilot.target.windAngleApparent"));
    QVERIFY(std::fabs(wrapped.value("value").toDouble() - -2.792526803190927) < 1e-12);

    delta = "kept";
    QVERIFY(!SignalK::HeldAngleDelta(true, std::numeric_limits<double>::quiet_NaN(), delta));
    QCOMPARE(delta, QByteArray("kept"));
}

void TestSignalKPaths::NotificationDelta()
{
    QCOMPARE(SignalK::NotificationDelta("windAlarm", true, "Wind Alarm"),
             QByteArray(R"({"context":"vessels.self","updates":[{"$source":"vanehold","values":[{"path":)"
                        R"("notifications.vanehold.windAlarm","value":{"message":"Wind Alarm","method":)"
                        R"(["visual","sound"],"state":"alarm"}}]}]})"));
    QCOMPARE(SignalK::NotificationDelta("windAlarm", false, ""),
             QByteArray(R"({"context":"vessels.self","updates":[{"$source":"vanehold","values":[{"path":)"
                        R"("notifications.vanehold.windAlarm","value":{"message":"","method":[],"state":"normal"}}]}]})"));
}

void TestSignalKPaths::RecordRoundTrip_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("json");
    QTest::newRow("number in") << "in environment.wind.angleApparent 0.663225115757845" << int(SignalKRecord::In)
                               << "environment.wind.angleApparent" << "0.663225115757845";
    QTest::newRow("negative") << "in navigation.magneticVariation -0.0558" << int(SignalKRecord::In)
                              << "navigation.magneticVariation" << "-0.0558";
    QTest::newRow("text in") << "in steering.autopilot.state \"standby\"" << int(SignalKRecord::In)
                             << "steering.autopilot.state" << "\"standby\"";
    QTest::newRow("null in") << "in navigation.speedOverGround null" << int(SignalKRecord::In)
                             << "navigation.speedOverGround" << "null";
    QTest::newRow("put") << "put steering.autopilot.target 6.10865238198015" << int(SignalKRecord::Put)
                         << "steering.autopilot.target" << "6.10865238198015";
    QTest::newRow("notification out")
        << R"(out notifications.vanehold.windAlarm {"message":"Wind Alarm - 5 °","method":["visual","sound"],"state":"alarm"})"
        << int(SignalKRecord::Out) << "notifications.vanehold.windAlarm"
        << R"({"message":"Wind Alarm - 5 °","method":["visual","sound"],"state":"alarm"})";
}

void TestSignalKPaths::RecordRoundTrip()
{
    QFETCH(QString, line);
    QFETCH(int, direction);
    QFETCH(QString, path);
    QFETCH(QString, json);
    SignalKRecord record;
    QString error;
    QVERIFY2(ParseSignalKRecordLine(line, record, error), qPrintable(error));
    QCOMPARE(int(record.eDirection), direction);
    QCOMPARE(record.sPath, path);
    QCOMPARE(record.value, QJsonDocument::fromJson(("[" + json + "]").toUtf8()).array().first());
    QCOMPARE(SignalKRecordLine(record), line);
}

void TestSignalKPaths::RecordRefused_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");
    QTest::newRow("no value") << "in environment.wind.angleApparent"
                              << "a Signal K record line is: in|out|put path value";
    QTest::newRow("direction") << "sent navigation.headingMagnetic 1"
                               << "unknown direction \"sent\", use in, out or put";
    QTest::newRow("path") << "in  1" << "path missing";
    QTest::newRow("value") << "in navigation.headingMagnetic 1.2.3"
                           << "value \"1.2.3\" is neither a number nor JSON";
}

void TestSignalKPaths::RecordRefused()
{
    QFETCH(QString, line);
    QFETCH(QString, error);
    SignalKRecord record{SignalKRecord::Put, QStringLiteral("kept"), 1.0};
    QString text;
    QVERIFY(!ParseSignalKRecordLine(line, record, text));
    QCOMPARE(text, error);
    QCOMPARE(record.sPath, QStringLiteral("kept"));
}

QTEST_GUILESS_MAIN(TestSignalKPaths)
#include "tst_SignalKPaths.moc"
