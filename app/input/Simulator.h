#pragma once
// Simulated instruments: with m_bSimulate on, each tick of tmrNmea makes a
// boat that steers exactly the commanded heading plus a compass offset, at
// a set speed, in a set true wind with random noise, with a set variation
// and a waypoint, and feeds it through the same setters and control step as
// real data.

#include "InstrumentValues.h"

#include <cstdint>
#include <functional>
#include <random>

class InstrumentState;
struct ProfileSettings;

// What a simulation tick hands on besides the instrument state.
// Uniform numbers from 0 up to below 1. Never seeded, so the same noise
// repeats from run to run.
class SimulateRandom {
public:
    double operator()() { return double(m_engine()) / 4294967296.0; }

private:
    std::mt19937 m_engine;
};

class Simulator {
public:
    Simulator(ProfileSettings& settings, InstrumentState& state, std::function<double()> random = SimulateRandom());

    // Sets every simulated value; the owner then runs the control step as
    // for a wind sentence.
    void SimulateStep();
    // Time in hours. Moving it dead-reckons the boat along m_fAutoPilot
    // over the difference; 0 puts the configured waypoint back. Bearing in
    // degrees magnetic, -180..180 (not wrapped), range in nautical miles.
    void SimulateTime(float Time, float& TimeWaypointBearing, float& TimeWaypointRange);
    // (r - 0.5) times the noise setting, a fresh r on each call.
    float SimulateNoiseAngle();
    float SimulateNoiseSpeed();

private:
    ProfileSettings& m_settings;
    InstrumentState& m_state;
    std::function<double()> m_random;
    float m_fWaypointBearing = 0;
    float m_fWaypointRange = 0;
};
