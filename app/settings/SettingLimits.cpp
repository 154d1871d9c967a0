#include "SettingLimits.h"

#include "NumberText.h"

#include <cmath>

namespace {

using L = SettingLimit;

// Ports are the numbers of the "Ports" section and of COM1.., ttyS0..;
// speeds in knots, angles in degrees, ranges in nautical miles. The
// simulator's ceilings match what the decoders take from instruments.
const SettingRule kRules[] = {
    {u"Nmea", u"Boat Speed", L::Range, 0, 1},
    {u"Nmea", u"Heading", L::Range, 0, 1},
    {u"Nmea", u"Port", L::Range, 1, 255},
    {u"Nmea", u"True Wind", L::Range, 0, 1},
    {u"Nmea", u"True Wind Average", L::Samples, 0, 3600},
    {u"Nmea", u"Wind Indicator Average", L::Samples, 0, 3600},
    {u"Pilot", u"Port", L::Range, 1, 255},
    {u"Pilot", u"Bearing", L::Heading, 0, 360},
    {u"Simulate", u"Boat Speed", L::Range, 0, 100},
    {u"Simulate", u"Compass Offset", L::Range, -360, 360},
    {u"Simulate", u"Noise Angle", L::Range, 0, 180},
    {u"Simulate", u"Noise Speed", L::Range, 0, 50},
    {u"Simulate", u"True Wind Angle", L::Range, 0, 360},
    {u"Simulate", u"True Wind Speed", L::Range, 0, 150},
    {u"Simulate", u"Variation", L::Range, -90, 90},
    {u"Simulate", u"Waypoint Bearing", L::Range, 0, 360},
    {u"Simulate", u"Waypoint Range", L::Range, 0, 21600},
    {u"Track", u"Alarm Limit", L::Above, 0, 180},
    {u"Track", u"Bandwidth", L::Finite, 0, 0},
    {u"Track", u"Damping", L::Finite, 0, 0},
    {u"Track", u"Desired 1", L::Range, -180, 180},
    {u"Track", u"Desired 2", L::Range, -180, 180},
    {u"Track", u"Max SteerTo", L::Range, 0, 180},
};

QString Name(QStringView section, QStringView key)
{
    return section.toString() + QLatin1Char(' ') + key.toString();
}

QString Number(double value)
{
    return NumberText::Plain(value);
}

} // namespace

const SettingRule* FindSettingRule(QStringView section, QStringView key)
{
    for (const SettingRule& rule : kRules)
        if (section.compare(QStringView(rule.section), Qt::CaseInsensitive) == 0
            && key.compare(QStringView(rule.key), Qt::CaseInsensitive) == 0)
            return &rule;
    return nullptr;
}

bool ProfileSettingValid(QStringView section, QStringView key, double& value, QString& why)
{
    if (!std::isfinite(value)) {
        why = Name(section, key) + QStringLiteral(" must be a number.");
        return false;
    }
    const SettingRule* rule = FindSettingRule(section, key);
    if (!rule)
        return true;
    const double v = value;
    switch (rule->limit) {
    case L::Range:
        if (v >= rule->min && v <= rule->max)
            return true;
        why = Name(section, key) + QStringLiteral(" must be from ") + Number(rule->min) + QStringLiteral(" to ")
            + Number(rule->max) + QLatin1Char('.');
        return false;
    case L::Above:
        if (v > rule->min && v <= rule->max)
            return true;
        why = Name(section, key) + QStringLiteral(" must be above ") + Number(rule->min)
            + QStringLiteral(" and at most ") + Number(rule->max) + QLatin1Char('.');
        return false;
    case L::Samples:
        if (v == 0 || (v >= 1 && v <= rule->max))
            return true;
        why = Name(section, key) + QStringLiteral(" must be 0 (no averaging) or from 1 to ") + Number(rule->max)
            + QLatin1Char('.');
        return false;
    case L::Heading: {
        double wrapped = std::fmod(v, 360.0);
        if (wrapped < 0)
            wrapped += 360;
        // Members are single precision: just below 360 would store as 360.
        if (static_cast<float>(wrapped) >= 360.0f)
            wrapped = 0;
        value = wrapped;
        return true;
    }
    case L::Finite:
        return true;
    }
    return true;
}
