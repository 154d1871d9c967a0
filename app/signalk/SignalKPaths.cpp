#include "SignalKPaths.h"

#include "NumberText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;
constexpr double kMetresPerMile = 1852.0;

enum class Unit { WindAngle, Direction, Variation, BoatSpeed, WindSpeed, Distance, Text };

struct PathInfo {
    const char16_t* path;
    SignalKKind kind;
    Unit unit;
};

// The apparent wind and heading first: they are the control loop's. The
// true wind is the sensor's over water; the waypoint comes from the v1
// rhumb line (an NMEA RMB through the server) or the v2 course API.
const PathInfo kPaths[] = {
    {u"environment.wind.angleApparent", SignalKKind::WindAngleApparent, Unit::WindAngle},
    {u"environment.wind.speedApparent", SignalKKind::WindSpeedApparent, Unit::WindSpeed},
    {u"environment.wind.angleTrueWater", SignalKKind::WindAngleTrue, Unit::WindAngle},
    {u"environment.wind.speedTrue", SignalKKind::WindSpeedTrue, Unit::WindSpeed},
    {u"navigation.headingMagnetic", SignalKKind::HeadingMagnetic, Unit::Direction},
    {u"navigation.courseOverGroundTrue", SignalKKind::CourseOverGroundTrue, Unit::Direction},
    {u"navigation.courseOverGroundMagnetic", SignalKKind::CourseOverGroundMagnetic, Unit::Direction},
    {u"navigation.speedOverGround", SignalKKind::SpeedOverGround, Unit::BoatSpeed},
    {u"navigation.speedThroughWater", SignalKKind::SpeedThroughWater, Unit::BoatSpeed},
    {u"navigation.magneticVariation", SignalKKind::MagneticVariation, Unit::Variation},
    {u"navigation.courseRhumbline.nextPoint.bearingTrue", SignalKKind::WaypointBearingTrue, Unit::Direction},
    {u"navigation.courseRhumbline.nextPoint.bearingMagnetic", SignalKKind::WaypointBearingMagnetic,
     Unit::Direction},
    {u"navigation.courseRhumbline.nextPoint.distance", SignalKKind::WaypointDistance, Unit::Distance},
    {u"navigation.course.calcValues.bearingTrue", SignalKKind::WaypointBearingTrue, Unit::Direction},
    {u"navigation.course.calcValues.bearingMagnetic", SignalKKind::WaypointBearingMagnetic, Unit::Direction},
    {u"navigation.course.calcValues.distance", SignalKKind::WaypointDistance, Unit::Distance},
    {u"steering.autopilot.state", SignalKKind::PilotState, Unit::Text},
    {u"steering.autopilot.mode", SignalKKind::PilotMode, Unit::Text},
};

const PathInfo* FindPath(QStringView path)
{
    for (const PathInfo& info : kPaths)
        if (path == QStringView(info.path))
            return &info;
    return nullptr;
}

QString ValueText(const QJsonValue& value)
{
    if (value.isDouble())
        return NumberText::General(value.toDouble());
    if (value.isNull() || value.isUndefined())
        return QStringLiteral("null");
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    // Strings, objects and arrays in their JSON form: [x] less its brackets.
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

double Degrees(double radians) { return radians * 180.0 / kPi; }

// -180 < angle <= 180
double Wrap180(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a > 180)
        a -= 360;
    else if (a <= -180)
        a += 360;
    return a;
}

// 0 <= angle < 360
double Wrap360(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0)
        a += 360;
    return a >= 360 ? 0 : a;
}

// The value in program units, or false when out of range.
bool ToProgramUnits(Unit unit, double si, double& value)
{
    switch (unit) {
    case Unit::WindAngle:
    case Unit::Direction: {
        const double degrees = Degrees(si);
        if (std::fabs(degrees) > SignalK::MaxAngle)
            return false;
        value = unit == Unit::WindAngle ? Wrap180(degrees) : Wrap360(degrees);
        return true;
    }
    case Unit::Variation:
        value = Degrees(si);
        return std::fabs(value) <= SignalK::MaxVariation;
    case Unit::BoatSpeed:
        value = si * kKnotsPerMetrePerSecond;
        return value >= 0 && value <= SignalK::MaxBoatSpeed;
    case Unit::WindSpeed:
        value = si * kKnotsPerMetrePerSecond;
        return value >= 0 && value <= SignalK::MaxWindSpeed;
    case Unit::Distance:
        value = si / kMetresPerMile;
        return value >= 0 && value <= SignalK::MaxRange;
    case Unit::Text:
        return false;
    }
    return false;
}

QByteArray Compact(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

} // namespace

namespace SignalK {

SignalKKind KindOfPath(QStringView path)
{
    const PathInfo* info = FindPath(path);
    return info ? info->kind : SignalKKind::None;
}

const QStringList& SubscribedPaths()
{
    static const QStringList paths = [] {
        QStringList list;
        for (const PathInfo& info : kPaths)
            list << QString::fromUtf16(info.path);
        return list;
    }();
    return paths;
}

bool Convert(const QString& path, const QJsonValue& value, SignalKUpdate& update, QString& refusal)
{
    const PathInfo* info = FindPath(path);
    const QString head = QStringLiteral("Decode Error - ") + path;
    if (!info) {
        refusal = head + QStringLiteral(" not read");
        return false;
    }
    if (value.isNull() || value.isUndefined()) {
        refusal = head + QStringLiteral(" null");
        return false;
    }
    if (info->unit == Unit::Text) {
        if (!value.isString() || value.toString().isEmpty()) {
            refusal = head + QStringLiteral(" not a text - ") + ValueText(value);
            return false;
        }
        update.eKind = info->kind;
        update.fValue = 0;
        update.sText = value.toString();
        return true;
    }
    if (!value.isDouble()) {
        refusal = head + QStringLiteral(" not a number - ") + ValueText(value);
        return false;
    }
    double converted = 0;
    const double si = value.toDouble();
    if (!std::isfinite(si) || !ToProgramUnits(info->unit, si, converted)) {
        refusal = head + QStringLiteral(" out of range - ") + ValueText(value);
        return false;
    }
    update.eKind = info->kind;
    update.fValue = converted;
    update.sText.clear();
    return true;
}

bool TargetRadians(double degrees, double& radians)
{
    if (!std::isfinite(degrees))
        return false;
    double r = Wrap360(degrees) * kPi / 180.0;
    // Rounding may carry 359.9999... to 2pi itself.
    if (r >= 2 * kPi)
        r = 0;
    radians = r;
    return true;
}

QByteArray TargetBody(double radians) { return Compact(QJsonObject{{QStringLiteral("value"), radians}}); }

QByteArray Delta(const QJsonArray& values)
{
    const QJsonObject update{{QStringLiteral("$source"), QStringLiteral("vanehold")},
                             {QStringLiteral("values"), values}};
    return Compact(QJsonObject{{QStringLiteral("context"), QStringLiteral("vessels.self")},
                               {QStringLiteral("updates"), QJsonArray{update}}});
}

bool HeldAngleDelta(bool apparent, double degrees, QByteArray& delta)
{
    if (!std::isfinite(degrees))
        return false;
    const QString path = apparent ? QStringLiteral("steering.autopilot.target.windAngleApparent")
                                  : QStringLiteral("steering.autopilot.target.windAngleTrue");
    const double radians = Wrap180(degrees) * kPi / 180.0;
    delta = Delta(QJsonArray{QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("value"), radians}}});
    return true;
}

QByteArray NotificationDelta(const QString& name, bool alarm, const QString& message)
{
    QJsonArray method;
    if (alarm)
        method = QJsonArray{QStringLiteral("visual"), QStringLiteral("sound")};
    const QJsonObject value{{QStringLiteral("state"), alarm ? QStringLiteral("alarm") : QStringLiteral("normal")},
                            {QStringLiteral("method"), method},
                            {QStringLiteral("message"), message}};
    return Delta(QJsonArray{QJsonObject{{QStringLiteral("path"), QStringLiteral("notifications.vanehold.") + name},
                                        {QStringLiteral("value"), value}}});
}

} // namespace SignalK

namespace {

const QString kDirections[] = {QStringLiteral("in"), QStringLiteral("out"), QStringLiteral("put")};

} // namespace

QString SignalKRecordLine(const SignalKRecord& record)
{
    return kDirections[record.eDirection] + QLatin1Char(' ') + record.sPath + QLatin1Char(' ')
        + ValueText(record.value);
}

bool ParseSignalKRecordLine(QStringView line, SignalKRecord& record, QString& error)
{
    const qsizetype first = line.indexOf(u' ');
    const qsizetype second = first < 0 ? -1 : line.indexOf(u' ', first + 1);
    if (second < 0) {
        error = QStringLiteral("a Signal K record line is: in|out|put path value");
        return false;
    }
    SignalKRecord parsed;
    const QStringView direction = line.left(first);
    int found = -1;
    for (int i = 0; i < 3; ++i)
        if (direction == kDirections[i])
            found = i;
    if (found < 0) {
        error = QStringLiteral("unknown direction \"") + direction.toString() + QStringLiteral("\", use in, out or put");
        return false;
    }
    parsed.eDirection = static_cast<SignalKRecord::Direction>(found);
    parsed.sPath = line.mid(first + 1, second - first - 1).toString();
    if (parsed.sPath.isEmpty()) {
        error = QStringLiteral("path missing");
        return false;
    }
    const QStringView text = line.mid(second + 1);
    double number = 0;
    if (NumberText::TryParse(text, number) && !text.trimmed().isEmpty()) {
        parsed.value = number;
    } else {
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(
            QByteArray("[") + text.toUtf8() + QByteArray("]"), &parseError);
        if (parseError.error != QJsonParseError::NoError || document.array().size() != 1) {
            error = QStringLiteral("value \"") + text.toString() + QStringLiteral("\" is neither a number nor JSON");
            return false;
        }
        parsed.value = document.array().first();
    }
    record = parsed;
    return true;
}
