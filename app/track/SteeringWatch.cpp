#include "SteeringWatch.h"

#include "MathLib.h"

#include <algorithm>
#include <cmath>

using namespace MathLib;

namespace {
constexpr double ToRadians = Pi / 180;
}

bool SteeringWatch::Follow(int64_t now, bool active, bool headingKnown, double heading, double autoPilot)
{
    if (!active || !headingKnown || !std::isfinite(heading) || !std::isfinite(autoPilot)) {
        m_lFollowSince = -1;
        m_bNotFollowing = false;
        return false;
    }
    m_fGap = std::fabs(AngleWrap180(heading - autoPilot));
    if (m_fGap <= FollowBound) {
        m_lFollowSince = -1;
        m_bNotFollowing = false;
        return false;
    }
    if (m_bNotFollowing)
        return true;
    if (m_lFollowSince < 0 || m_fGap <= m_fGapAtStart - FollowProgress || now < m_lFollowSince) {
        m_lFollowSince = now;
        m_fGapAtStart = m_fGap;
    }
    m_bNotFollowing = now - m_lFollowSince >= FollowMs;
    return m_bNotFollowing;
}

void SteeringWatch::FollowRestart()
{
    if (!m_bNotFollowing)
        m_lFollowSince = -1;
}

void SteeringWatch::WindReset()
{
    m_readings.clear();
    m_lowest.clear();
    m_highest.clear();
    m_fSumX = m_fSumY = 0;
    m_bShifted = false;
    m_fShift = 0;
}

void SteeringWatch::Wind(int64_t now, double direction)
{
    if (!std::isfinite(direction))
        return;
    if (!m_readings.empty() && now < m_readings.back().at)
        WindReset();
    const Reading reading{now, std::cos(direction * ToRadians), std::sin(direction * ToRadians)};
    m_readings.push_back(reading);
    m_fSumX += reading.x;
    m_fSumY += reading.y;
    while (m_readings.front().at < now - ShiftSmoothMs) {
        m_fSumX -= m_readings.front().x;
        m_fSumY -= m_readings.front().y;
        m_readings.pop_front();
    }
    // Unit vectors, so that 359 and 1 average to 0.
    const double smoothed = Angle360(std::atan2(m_fSumY, m_fSumX) / ToRadians);
    m_fUnwound = m_lowest.empty() ? smoothed : m_fUnwound + AngleWrap180(smoothed - m_fLastSmoothed);
    m_fLastSmoothed = smoothed;
    const Smoothed unwound{now, m_fUnwound};
    while (!m_lowest.empty() && m_lowest.back().direction >= m_fUnwound)
        m_lowest.pop_back();
    m_lowest.push_back(unwound);
    while (!m_highest.empty() && m_highest.back().direction <= m_fUnwound)
        m_highest.pop_back();
    m_highest.push_back(unwound);
    while (m_lowest.front().at < now - ShiftWindowMs)
        m_lowest.pop_front();
    while (m_highest.front().at < now - ShiftWindowMs)
        m_highest.pop_front();

    const double veered = m_fUnwound - m_lowest.front().direction;
    const double backed = m_highest.front().direction - m_fUnwound;
    m_fShift = veered >= backed ? veered : -backed;
    const double shift = m_fShift;
    if (!m_bShifted && std::fabs(shift) > ShiftBound)
        m_bShifted = true;
    else if (m_bShifted && std::fabs(shift) <= ShiftClear)
        m_bShifted = false;
}

double SteeringWatch::TackGuard(double from, double to, double trueAngle, int side, Cross& crossed)
{
    crossed = Cross::None;
    const double s = side < 0 ? -1 : 1;
    // The wind angle on the present side, 0 head to wind, 180 dead
    // downwind; turning by d to starboard moves a starboard wind forward by
    // d.
    const double a = std::clamp(s * AngleWrap180(trueAngle), 0.0, 180.0);
    const double d = AngleWrap180(to - from);
    const double wanted = a - s * d;
    double allowed = wanted;
    if (wanted < HeadMargin)
        allowed = std::max(wanted, std::min(a, HeadMargin));
    else if (wanted > 180 - DownMargin)
        allowed = std::min(wanted, std::max(a, 180 - DownMargin));
    if (allowed == wanted)
        return to;
    crossed = wanted < HeadMargin ? Cross::Tack : Cross::Jibe;
    return HeadingWrap(from + s * (a - allowed));
}

double SteeringWatch::TurnLimit(int64_t now, double perSecond, double from, double to)
{
    if (!m_turns.empty() && now < m_turns.back().at) {
        m_turns.clear();
        m_fTurned = 0;
    }
    while (!m_turns.empty() && m_turns.front().at <= now - 1000) {
        m_fTurned -= m_turns.front().degrees;
        m_turns.pop_front();
    }
    const double left = std::max(perSecond - m_fTurned, 0.0);
    const double d = AngleWrap180(to - from);
    const double move = std::clamp(d, -left, left);
    if (move != 0) {
        m_turns.push_back({now, std::fabs(move)});
        m_fTurned += std::fabs(move);
    }
    return move == d ? to : HeadingWrap(from + move);
}

double SteeringWatch::LeadLimit(double heading, double to)
{
    const double d = AngleWrap180(to - heading);
    if (std::fabs(d) <= LeadBound)
        return to;
    return HeadingWrap(heading + std::copysign(LeadBound, d));
}
