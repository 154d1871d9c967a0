#include "Simulator.h"

#include "InstrumentState.h"
#include "MathLib.h"
#include "ProfileSettings.h"

#include <cmath>

using namespace MathLib;

Simulator::Simulator(ProfileSettings& settings, InstrumentState& state, std::function<double()> random)
    : m_settings(settings)
    , m_state(state)
    , m_random(std::move(random))
{
}

float Simulator::SimulateNoiseAngle()
{
    return float((m_random() - 0.5) * m_settings.m_fSimulateNoiseAngle);
}

float Simulator::SimulateNoiseSpeed()
{
    return float((m_random() - 0.5) * m_settings.m_fSimulateNoiseSpeed);
}

void Simulator::SimulateStep()
{
    ProfileSettings& s = m_settings;
    InstrumentState& st = m_state;

    m_state.SetHeading(float(Angle360(double(s.m_fSimulateCompassOffset) + s.m_fAutoPilot)));
    m_state.SetBoatSpeed(s.m_fSimulateBoatSpeed);

    float trueAngle = float(Angle180(double(s.m_fSimulateTrueWindAngle) - s.m_fSimulateVariation - st.Heading()));
    float trueSpeed = s.m_fSimulateTrueWindSpeed;
    float apparentSpeed = 0;
    float apparentAngle = 0;
    WindApparentFromTrue(trueSpeed, trueAngle, st.BoatSpeed(), apparentSpeed, apparentAngle);

    apparentAngle = float(Angle180(double(SimulateNoiseAngle()) + apparentAngle));
    apparentSpeed = SimulateNoiseSpeed() + apparentSpeed;
    m_state.SetWindApparent(apparentAngle, apparentSpeed, false);

    // Simulated true wind is not smoothed.
    trueAngle = float(Angle180(double(SimulateNoiseAngle()) + trueAngle));
    trueSpeed = SimulateNoiseSpeed() + trueSpeed;
    m_state.SetWindTrue(trueAngle, trueSpeed, false);

    m_state.SetVariation(s.m_fSimulateVariation);
    m_state.WindIndicator();

    float bearing = 0;
    float range = 0;
    SimulateTime(s.m_fSimulateTime, bearing, range);
    m_state.SetWaypoint(range, bearing);
}

void Simulator::SimulateTime(float Time, float& TimeWaypointBearing, float& TimeWaypointRange)
{
    ProfileSettings& s = m_settings;
    if (Time == 0) {
        m_fWaypointBearing = s.m_fSimulateWaypointBearing;
        m_fWaypointRange = s.m_fSimulateWaypointRange;
    } else if (Time != s.m_fSimulateTime) {
        const double d = (double(Time) - s.m_fSimulateTime) * s.m_fSimulateBoatSpeed;
        const double toRadians = Pi / 180;
        const double x = m_fWaypointRange * std::cos(m_fWaypointBearing * toRadians)
                         - d * std::cos(s.m_fAutoPilot * toRadians);
        const double y = m_fWaypointRange * std::sin(m_fWaypointBearing * toRadians)
                         - d * std::sin(s.m_fAutoPilot * toRadians);
        m_fWaypointRange = float(std::sqrt(x * x + y * y));
        m_fWaypointBearing = float(Atan2(x, y) * 180 / Pi);
    }
    s.m_fSimulateTime = Time;
    TimeWaypointBearing = m_fWaypointBearing;
    TimeWaypointRange = m_fWaypointRange;
}
