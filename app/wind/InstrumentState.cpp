#include "InstrumentState.h"

#include "MathLib.h"
#include "NumberText.h"
#include "ProfileSettings.h"

using namespace MathLib;

void InstrumentDisplay::ShowNumber(InstrumentValue which, float value)
{
    ShowValue(which, NumberText::Format(value, ValueFormat(which)));
}

void InstrumentDisplay::ShowWindIndicatorValue(const QString& point, float speed)
{
    ShowWindIndicator(QStringLiteral("Wind ") + point + QLatin1Char('@') + NumberText::Format(speed, u".0"));
}

QString InstrumentDisplay::ValueFormat(InstrumentValue which)
{
    switch (which) {
    case InstrumentValue::BoatSpeed:
    case InstrumentValue::AppWindSpeed:
    case InstrumentValue::TrueWindSpeed:
        return QStringLiteral("0.0");
    case InstrumentValue::Heading:
    case InstrumentValue::AppWindAngle:
    case InstrumentValue::TrueWindAngle:
    case InstrumentValue::WaypointBearing:
        break;
    }
    return QStringLiteral("0");
}

InstrumentState::InstrumentState(const ProfileSettings& settings, InstrumentDisplay& display)
    : m_settings(settings)
    , m_display(display)
{
}

void InstrumentState::SetHeading(float h)
{
    HeadingValid = true;
    Heading = static_cast<float>(Angle360(h));
    m_display.ShowNumber(InstrumentValue::Heading, Heading);
    m_display.HistoryValue(QStringLiteral("Heading"), Heading, QStringLiteral("M"));
}

void InstrumentState::SetBoatSpeed(float v)
{
    if (!BoatSpeedValid) {
        BoatSpeedValid = true;
        BoatSpeedAverage = v;
    } else {
        AverageValue(v, m_settings.m_fNmeaTrueWindAverage, BoatSpeedAverage);
    }
    BoatSpeed = v;
    m_display.ShowNumber(InstrumentValue::BoatSpeed, v);
    m_display.HistoryValue(QStringLiteral("Boat Speed"), v, QStringLiteral("Kts"));
}

void InstrumentState::SetWaypoint(float Range, float Bearing)
{
    WaypointBearing = Bearing;
    WaypointValid = true;
    WaypointRange = Range;
    m_display.ShowNumber(InstrumentValue::WaypointBearing, Bearing);
}

void InstrumentState::SetWindApparent(float a, float s, bool ComputeTrue)
{
    if (WindApparentValid) {
        AverageAngle(a, m_settings.m_fNmeaTrueWindAverage, WindAngleApparentAverage);
        AverageValue(s, m_settings.m_fNmeaTrueWindAverage, WindSpeedApparentAverage);
    } else {
        WindApparentValid = true;
        WindAngleApparentAverage = static_cast<float>(Angle180(a));
        WindSpeedApparentAverage = s;
    }
    WindAngleApparent = static_cast<float>(Angle180(a));
    WindSpeedApparent = s;
    m_display.ShowNumber(InstrumentValue::AppWindAngle, WindAngleApparent);
    m_display.ShowNumber(InstrumentValue::AppWindSpeed, WindSpeedApparent);
    m_display.HistoryValue(QStringLiteral("App Wind Angle"), WindAngleApparent, QStringLiteral("R"));
    m_display.HistoryValue(QStringLiteral("App Wind Speed"), WindSpeedApparent, QStringLiteral("Kts"));

    // Built from the averaged inputs, so not averaged a second time.
    if (ComputeTrue && m_settings.m_iNmeaTrueWind == 1 && BoatSpeedValid) {
        WindTrueFromApparent(WindSpeedApparentAverage, WindAngleApparentAverage, BoatSpeedAverage, WindSpeedTrue,
                             WindAngleTrue);
        SetWindTrue(WindAngleTrue, WindSpeedTrue, false);
    }
}

void InstrumentState::SetWindTrue(float a, float s, bool Averaged)
{
    if (!Averaged || !WindTrueValid) {
        WindTrueValid = true;
        WindAngleTrue = static_cast<float>(Angle180(a));
        WindSpeedTrue = s;
    } else {
        AverageAngle(a, m_settings.m_fNmeaTrueWindAverage, WindAngleTrue);
        AverageValue(s, m_settings.m_fNmeaTrueWindAverage, WindSpeedTrue);
    }
    m_display.ShowNumber(InstrumentValue::TrueWindAngle, WindAngleTrue);
    m_display.ShowNumber(InstrumentValue::TrueWindSpeed, WindSpeedTrue);
    m_display.HistoryValue(QStringLiteral("True Wind Angle"), WindAngleTrue, QStringLiteral("R"));
    m_display.HistoryValue(QStringLiteral("True Wind Speed"), WindSpeedTrue, QStringLiteral("Kts"));
}

void InstrumentState::WindIndicator()
{
    // Degrees true the wind comes from; wrapped only by the averaging.
    const float d = static_cast<float>(static_cast<double>(WindAngleTrue) + Heading + Variation);
    if (WindIndicatorValid) {
        AverageAngle360(d, m_settings.m_fNmeaWindIndicatorAverage, WindDirectionAverage);
        AverageValue(WindSpeedTrue, m_settings.m_fNmeaWindIndicatorAverage, WindSpeedAverage);
    } else {
        WindIndicatorValid = true;
        WindDirectionAverage = d;
        WindSpeedAverage = WindSpeedTrue;
    }
    m_display.ShowWindIndicatorValue(CompassPoint(WindDirectionAverage), WindSpeedAverage);
}

void InstrumentState::Invalidate()
{
    HeadingValid = false;
    BoatSpeedValid = false;
    WaypointValid = false;
    WindApparentValid = false;
    WindIndicatorValid = false;
    WindTrueValid = false;
    for (InstrumentValue which : {InstrumentValue::AppWindAngle, InstrumentValue::AppWindSpeed,
                                  InstrumentValue::BoatSpeed, InstrumentValue::Heading, InstrumentValue::TrueWindAngle,
                                  InstrumentValue::TrueWindSpeed, InstrumentValue::WaypointBearing})
        m_display.ShowValue(which, QString());
}

InstrumentValues InstrumentState::Values(TrackMode mode) const
{
    return {mode,          HeadingValid,  Heading,       BoatSpeed,       WindAngleApparent, WindSpeedApparent,
            WindAngleTrue, WindSpeedTrue, WaypointValid, WaypointBearing, WaypointRange};
}

QString InstrumentState::CompassPoint(double Direction)
{
    struct Point {
        double below;
        const char16_t* name;
    };
    static constexpr Point points[] = {
        {11.25, u"N"},   {33.75, u"N-NE"},  {56.25, u"NE"},  {78.75, u"E-NE"},  {101.25, u"E"},  {123.75, u"E-SE"},
        {146.25, u"SE"}, {168.75, u"S-SE"}, {191.25, u"S"},  {213.75, u"S-SW"}, {236.25, u"SW"}, {258.75, u"W-SW"},
        {281.25, u"W"},  {303.75, u"W-NW"}, {326.25, u"NW"}, {348.75, u"N-NW"}, {371.25, u"N"},
    };
    const double y = Angle360(Direction);
    for (const Point& p : points)
        if (y < p.below)
            return QString::fromRawData(reinterpret_cast<const QChar*>(p.name),
                                        static_cast<qsizetype>(std::char_traits<char16_t>::length(p.name)));
    return QStringLiteral("??");
}
