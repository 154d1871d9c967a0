#include "PolarSettings.h"

#include "MathLib.h"
#include "NumberText.h"
#include "PolarTable.h"
#include "ProfileStore.h"
#include "SystemLib.h"

#include <QDir>

#include <array>
#include <cmath>
#include <variant>

namespace {

const char16_t* const kPolarData = u"Polar Data";

struct Key {
    const char16_t* name;
    std::variant<QString*, float*, bool*, int16_t*, int32_t*> member;
};

// Every "Polar Data" key, in the order it is read and written.
std::array<Key, 14> Keys(PolarSettings& s)
{
    return {{
        {u"File 1", &s.m_sPolarFile[0]},
        {u"File 2", &s.m_sPolarFile[1]},
        {u"Plot Average", &s.m_fPlotAverage},
        {u"Plot Label WindSpeed", &s.m_bPlotLabelWindSpeed},
        {u"Plot Type", &s.m_iPlotType},
        {u"Speed Color", &s.m_lSpeedColor},
        {u"Speed Factor", &s.m_fSpeedFactor},
        {u"Speed Range", &s.m_fSpeedRange},
        {u"Course Scale", &s.m_bCourseScale},
        {u"Course Target Bearing", &s.m_fCourseTargetBearing},
        {u"Course Waypoint", &s.m_bCourseWaypoint},
        {u"Course Waypoint Index", &s.m_iCourseWaypointIndex},
        {u"Boat Motor Speed", &s.m_fBoatMotorSpeed},
        {u"Boat Type", &s.m_iBoatType},
    }};
}

QString ValueText(const QString* value) { return *value; }
QString ValueText(const bool* value) { return ProfileStore::BoolText(*value); }
QString ValueText(const float* value) { return NumberText::Plain(double(*value)); }
QString ValueText(const int16_t* value) { return NumberText::Plain(double(*value)); }
// A colour has up to eight digits: more than the plain form keeps.
QString ValueText(const int32_t* value) { return NumberText::Format(double(*value), u"0"); }

} // namespace

void PolarDataRecall(const QString& profile, PolarSettings& settings)
{
    for (const Key& key : Keys(settings))
        std::visit([&](auto* member) { ProfileGet(profile, QStringView(kPolarData), QStringView(key.name), *member); },
                   key.member);
    // A stored value the window would not take keeps its default: a range
    // of 0 or less has no scale, a huge one would draw rings by the million;
    // a filter shorter than 1 (but 0, none) overshoots and runs away.
    const PolarSettings defaults;
    if (!(settings.m_fSpeedRange > 0 && settings.m_fSpeedRange <= PolarTable::MaxSpeed))
        settings.m_fSpeedRange = defaults.m_fSpeedRange;
    if (!(settings.m_fBoatMotorSpeed >= 0 && settings.m_fBoatMotorSpeed <= PolarTable::MaxSpeed))
        settings.m_fBoatMotorSpeed = defaults.m_fBoatMotorSpeed;
    if (!(settings.m_fSpeedFactor > 0 && std::isfinite(settings.m_fSpeedFactor)))
        settings.m_fSpeedFactor = defaults.m_fSpeedFactor;
    if (!(settings.m_fPlotAverage == 0 || (settings.m_fPlotAverage >= 1 && std::isfinite(settings.m_fPlotAverage))))
        settings.m_fPlotAverage = defaults.m_fPlotAverage;
    if (!std::isfinite(settings.m_fCourseTargetBearing))
        settings.m_fCourseTargetBearing = defaults.m_fCourseTargetBearing;
}

bool PolarDataSave(const QString& profile, const PolarSettings& settings, const QString& programFolder)
{
    PolarSettings stored = settings;
    for (int i = 0; i < 2; ++i)
        stored.m_sPolarFile[i] = PolarFileStoredName(settings.m_sPolarFile[i], programFolder);
    bool written = true;
    for (const Key& key : Keys(stored))
        written &= ProfileStore::Write(profile, QStringView(kPolarData), QStringView(key.name),
                                       std::visit([](auto* member) { return ValueText(member); }, key.member));
    return written;
}

QString PolarFileStoredName(const QString& path, const QString& programFolder)
{
    if (programFolder.isEmpty())
        return path;
    // Only a leading folder is taken off: the same letters further inside
    // another path are part of that path.
    for (const QString& prefix :
         {programFolder + QLatin1Char('/'), QDir::toNativeSeparators(programFolder) + QDir::separator()}) {
        if (path.startsWith(prefix, Qt::CaseSensitive))
            return path.mid(prefix.size());
    }
    return path;
}

QString PolarFileTitle(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
    return path.mid(cut + 1);
}

void PolarLive::Average(const InstrumentValues& values, float N)
{
    m_bHeadingValid = values.bHeadingValid;
    MathLib::AverageAngle360(values.fHeading, N, m_fHeading);
    MathLib::AverageValue(values.fBoatSpeed, N, m_fBoatSpeed);
    MathLib::AverageAngle(values.fWindAngleApparent, N, m_fWindAngleApparent);
    MathLib::AverageValue(values.fWindSpeedApparent, N, m_fWindSpeedApparent);
    MathLib::AverageAngle(values.fWindAngleTrue, N, m_fWindAngleTrue);
    MathLib::AverageValue(values.fWindSpeedTrue, N, m_fWindSpeedTrue);
    m_lTrackMode = values.eTrackMode;
    m_bWaypointValid = values.bWaypointValid;
    m_fWaypointBearing = values.fWaypointBearing;
    m_fWaypointRange = values.fWaypointRange;
}
