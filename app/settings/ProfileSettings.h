#pragma once
// The user settings of the whole program, held by the main window and
// edited by the Options dialog. Angles in degrees, speeds in knots, ranges
// in nautical miles, times in seconds unless said otherwise.

#include <QString>
#include <cstdint>

// Each value equals the index of its toolbar button.
enum TrackMode : int16_t {
    TrackModeOff = 1,
    TrackModeSetup = 3,
    TrackModeManual = 5,
    TrackModeTrack = 7,
};

struct ProfileSettings {
    int16_t m_iNmeaPort = 5;
    int16_t m_iNmeaHeading = 1;    // 0 "Compass Heading", 1 "Course Over Ground"
    int16_t m_iNmeaBoatSpeed = 1;  // 0 "Speed Over Water", 1 "Speed Over Ground"
    int16_t m_iNmeaTrueWind = 1;   // 0 "True Wind Sensor", 1 "Compute from Boat Speed"
    bool m_bNmeaSentenceHDG = true;
    bool m_bNmeaSentenceHVM = true;
    bool m_bNmeaSentenceMWV = true;
    bool m_bNmeaSentenceRMB = true;
    bool m_bNmeaSentenceRMC = true;
    bool m_bNmeaSentenceVHW = true;
    bool m_bNmeaSentenceVTG = true;
    float m_fNmeaWindIndicatorAverage = 60; // filter samples, 0 = none
    float m_fNmeaTrueWindAverage = 2;       // filter samples, 0 = none
    int16_t m_iPilotPort = 5;
    float m_fAutoPilot = 40;                // heading commanded to the autopilot
    QString m_sProfileFile;                 // not stored
    bool m_bSimulate = false;
    float m_fSimulateBoatSpeed = 8;
    float m_fSimulateCompassOffset = 10;
    float m_fSimulateNoiseAngle = 4;        // ± degrees
    float m_fSimulateNoiseSpeed = 2;        // ± knots
    float m_fSimulateTime = 0;              // hours; not stored
    float m_fSimulateTrueWindAngle = 0;     // true wind direction, degrees true
    float m_fSimulateTrueWindSpeed = 12;
    float m_fSimulateVariation = 11;        // east positive
    float m_fSimulateWaypointBearing = 5;   // magnetic
    float m_fSimulateWaypointRange = 10;
    bool m_bTrackAlarm = true;
    float m_fTrackAlarmLimit = 5;           // ± degrees from the desired angle
    float m_fTrackBandwidth = 20;           // seconds
    float m_fTrackDamping = 4;
    float m_fTrackMaxSteerTo = 10;          // largest change without a prompt
    TrackMode m_eTrackMode = TrackModeOff;  // not stored
    bool m_bNightMode = false;              // dark red palette; kept by SetDefaults

    // Desired wind angles, indexed 1 (apparent) and 2 (true); index 0 unused.
    float m_fDesired[3] = {0, 45, 92};

    // Every member but the profile path, the mode and night mode back to
    // its default. (Going back to the default settings at night must not
    // throw a white screen at the helmsman.)
    void SetDefaults()
    {
        const QString file = m_sProfileFile;
        const TrackMode mode = m_eTrackMode;
        const bool night = m_bNightMode;
        *this = ProfileSettings();
        m_sProfileFile = file;
        m_eTrackMode = mode;
        m_bNightMode = night;
    }
};
