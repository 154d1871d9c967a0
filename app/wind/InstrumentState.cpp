#include "InstrumentState.h"

#include "MathLib.h"
#include "NumberText.h"
#include "ProfileSettings.h"

using namespace MathLib;

QString InstrumentState::WindIndicatorText(const QString& point, float speed)
{
    return QStringLiteral("Wind ") + point + QLatin1Char('@') + NumberText::Format(speed, u".0");
}

QString InstrumentState::ValueFormat(InstrumentValue which)
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

InstrumentState::InstrumentState(const ProfileSettings& settings, InstrumentReports reports)
    : m_settings(settings)
    , m_reports(std::move(reports))
{
}

void InstrumentState::SetHeading(float h)
{
    m_bHeadingValid = true;
    m_fHeading = static_cast<float>(Angle360(h));
    m_reports.Value(InstrumentValue::Heading, m_fHeading);
    m_reports.History(QStringLiteral("Heading"), m_fHeading, QStringLiteral("M"));
}

void InstrumentState::SetVariation(float v)
{
    m_bVariationValid = true;
    m_fVariation = v;
}

void InstrumentState::SetBoatSpeed(float v)
{
    if (!m_bBoatSpeedValid) {
        m_bBoatSpeedValid = true;
        m_fBoatSpeedAverage = v;
    } else {
        AverageValue(v, m_settings.m_fNmeaTrueWindAverage, m_fBoatSpeedAverage);
    }
    m_fBoatSpeed = v;
    m_reports.Value(InstrumentValue::BoatSpeed, v);
    m_reports.History(QStringLiteral("Boat Speed"), v, QStringLiteral("Kts"));
}

void InstrumentState::SetWaypoint(float Range, float Bearing)
{
    m_fWaypointBearing = Bearing;
    m_bWaypointValid = true;
    m_fWaypointRange = Range;
    m_reports.Value(InstrumentValue::WaypointBearing, Bearing);
}

void InstrumentState::SetWindApparent(float a, float s, bool ComputeTrue)
{
    if (m_bWindApparentValid) {
        AverageAngle(a, m_settings.m_fNmeaTrueWindAverage, m_fWindAngleApparentAverage);
        AverageValue(s, m_settings.m_fNmeaTrueWindAverage, m_fWindSpeedApparentAverage);
    } else {
        m_bWindApparentValid = true;
        m_fWindAngleApparentAverage = static_cast<float>(Angle180(a));
        m_fWindSpeedApparentAverage = s;
    }
    m_fWindAngleApparent = static_cast<float>(Angle180(a));
    m_fWindSpeedApparent = s;
    m_reports.Value(InstrumentValue::AppWindAngle, m_fWindAngleApparent);
    m_reports.Value(InstrumentValue::AppWindSpeed, m_fWindSpeedApparent);
    m_reports.History(QStringLiteral("App Wind Angle"), m_fWindAngleApparent, QStringLiteral("R"));
    m_reports.History(QStringLiteral("App Wind Speed"), m_fWindSpeedApparent, QStringLiteral("Kts"));

    // Built from the averaged inputs, so not averaged a second time.
    if (ComputeTrue && m_settings.m_iNmeaTrueWind == 1 && m_bBoatSpeedValid) {
        WindTrueFromApparent(m_fWindSpeedApparentAverage, m_fWindAngleApparentAverage, m_fBoatSpeedAverage, m_fWindSpeedTrue,
                             m_fWindAngleTrue);
        SetWindTrue(m_fWindAngleTrue, m_fWindSpeedTrue, false);
    }
}

void InstrumentState::SetWindTrue(float a, float s, bool Averaged)
{
    if (!Averaged || !m_bWindTrueValid) {
        m_bWindTrueValid = true;
        m_fWindAngleTrue = static_cast<float>(Angle180(a));
        m_fWindSpeedTrue = s;
    } else {
        AverageAngle(a, m_settings.m_fNmeaTrueWindAverage, m_fWindAngleTrue);
        AverageValue(s, m_settings.m_fNmeaTrueWindAverage, m_fWindSpeedTrue);
    }
    m_reports.Value(InstrumentValue::TrueWindAngle, m_fWindAngleTrue);
    m_reports.Value(InstrumentValue::TrueWindSpeed, m_fWindSpeedTrue);
    m_reports.History(QStringLiteral("True Wind Angle"), m_fWindAngleTrue, QStringLiteral("R"));
    m_reports.History(QStringLiteral("True Wind Speed"), m_fWindSpeedTrue, QStringLiteral("Kts"));
}

void InstrumentState::WindIndicator()
{
    // Degrees true the wind comes from; wrapped only by the averaging.
    const float d = static_cast<float>(static_cast<double>(m_fWindAngleTrue) + m_fHeading + m_fVariation);
    if (m_bWindIndicatorValid) {
        AverageAngle360(d, m_settings.m_fNmeaWindIndicatorAverage, m_fWindDirectionAverage);
        AverageValue(m_fWindSpeedTrue, m_settings.m_fNmeaWindIndicatorAverage, m_fWindSpeedAverage);
    } else {
        m_bWindIndicatorValid = true;
        m_fWindDirectionAverage = d;
        m_fWindSpeedAverage = m_fWindSpeedTrue;
    }
    m_reports.WindIndicator(CompassPoint(m_fWindDirectionAverage), m_fWindSpeedAverage);
}

void InstrumentState::Invalidate()
{
    m_bHeadingValid = false;
    m_bBoatSpeedValid = false;
    m_bWaypointValid = false;
    m_bWindApparentValid = false;
    m_bWindIndicatorValid = false;
    m_bWindTrueValid = false;
    for (InstrumentValue which : {InstrumentValue::AppWindAngle, InstrumentValue::AppWindSpeed,
                                  InstrumentValue::BoatSpeed, InstrumentValue::Heading, InstrumentValue::TrueWindAngle,
                                  InstrumentValue::TrueWindSpeed, InstrumentValue::WaypointBearing})
        m_reports.Blank(which);
}

InstrumentValues InstrumentState::Values(TrackMode mode) const
{
    return {mode,          m_bHeadingValid,  m_fHeading,       m_fBoatSpeed,       m_fWindAngleApparent, m_fWindSpeedApparent,
            m_fWindAngleTrue, m_fWindSpeedTrue, m_bWaypointValid, m_fWaypointBearing, m_fWaypointRange};
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
