#pragma once
// The Signal K paths Vanehold reads, their conversion from SI units and
// radians to the program's units, the deltas it publishes, and a readable
// one-line record of each update in and out.
//
// Program units: wind angles in degrees -180..180 from the bow, positive to
// starboard; headings, courses and bearings in degrees 0..360; variation in
// degrees, east positive; speeds in knots; distances in nautical miles.
// A value is refused as the NMEA decoders refuse a field: not a number, null,
// or beyond what an instrument can mean.

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QStringView>

enum class SignalKKind {
    None,
    WindAngleApparent,
    WindSpeedApparent,
    WindAngleTrue,
    WindSpeedTrue,
    HeadingMagnetic,
    CourseOverGroundTrue,
    CourseOverGroundMagnetic,
    SpeedOverGround,
    SpeedThroughWater,
    MagneticVariation,
    WaypointBearingTrue,
    WaypointBearingMagnetic,
    WaypointDistance,
    PilotState, // text: "auto", "standby", ...
    PilotMode,  // text: "compass", "wind", ...
};

// One value of the boat's own data, in program units.
struct SignalKUpdate {
    SignalKKind eKind = SignalKKind::None;
    double fValue = 0;
    QString sText;    // PilotState and PilotMode only
    qint64 iTimeMs = 0; // the client's clock when it arrived
};

namespace SignalK {

// Plausibility limits, the same as the NMEA decoders'.
constexpr double MaxAngle = 360;      // degrees, either sign
constexpr double MaxVariation = 90;   // degrees, either sign
constexpr double MaxBoatSpeed = 100;  // knots
constexpr double MaxWindSpeed = 150;  // knots
constexpr double MaxRange = 21600;    // nautical miles

// The kind of a path, None for one Vanehold does not read.
SignalKKind KindOfPath(QStringView path);
// Every path read, for the subscription.
const QStringList& SubscribedPaths();

// The value of a path converted to program units. False with the refusal
// ("Decode Error - environment.wind.angleApparent out of range - 7.5") when
// the path is not read or the value is refused; update is then untouched.
bool Convert(const QString& path, const QJsonValue& value, SignalKUpdate& update, QString& refusal);

// A heading in degrees as the Autopilot API's target: radians in [0, 2pi).
// False for a value that is not finite.
bool TargetRadians(double degrees, double& radians);

// The request body of a target PUT: {"value":<radians>}
QByteArray TargetBody(double radians);

// A delta of the boat's own data with $source "vanehold"; values is a list
// of {"path":..., "value":...} objects.
QByteArray Delta(const QJsonArray& values);
// The held wind angle, degrees -180..180, as
// steering.autopilot.target.windAngleApparent or .windAngleTrue in radians.
// False for a value that is not finite.
bool HeldAngleDelta(bool apparent, double degrees, QByteArray& delta);
// notifications.vanehold.<name>, state "alarm" (visual and sound) or
// "normal", with the message. name is a path element: letters and digits.
QByteArray NotificationDelta(const QString& name, bool alarm, const QString& message);

} // namespace SignalK

// A line of the record: what came in on the stream, what went out as a
// delta and what was PUT.
//   in environment.wind.angleApparent 0.663225
//   out notifications.vanehold.windAlarm {"message":"Wind Alarm","state":"alarm"}
//   put steering.autopilot.target 6.108652
// The value is a number in the general form or JSON.
struct SignalKRecord {
    enum Direction { In, Out, Put };
    Direction eDirection = In;
    QString sPath;
    QJsonValue value;

    bool operator==(const SignalKRecord& other) const
    {
        return eDirection == other.eDirection && sPath == other.sPath && value == other.value;
    }
};

QString SignalKRecordLine(const SignalKRecord& record);
// False with the reason when the line is not a record line.
bool ParseSignalKRecordLine(QStringView line, SignalKRecord& record, QString& error);
