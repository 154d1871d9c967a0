#pragma once
// The Polar window's settings, kept in the profile section "Polar Data",
// and the live values it smooths. Angles in degrees, speeds in knots.

#include "InstrumentValues.h"

#include <QString>
#include <cstdint>

// Also the shipped default polar.
inline const QString DefaultPolarFile = QStringLiteral("Fast Sled 60ft.pol");

struct PolarSettings {
    // Polar file paths, indexed like the polars; 2 is never used. A
    // relative name is taken from the program's folder (PolarFilePath).
    QString m_sPolarFile[3] = {DefaultPolarFile, DefaultPolarFile, QString()};
    float m_fPlotAverage = 2;          // filter length N: 0, 2, 4, 8, 16 or 32
    bool m_bPlotLabelWindSpeed = false;
    int16_t m_iPlotType = 0;           // 0 true wind, 1 apparent wind
    int32_t m_lSpeedColor = 0;         // main polar colour, red + green*256 + blue*65536
    float m_fSpeedFactor = 1;          // applied to every boat speed read, above 0
    float m_fSpeedRange = 10;          // knots at the rim, above 0 up to PolarTable::MaxSpeed
    bool m_bCourseScale = true;
    float m_fCourseTargetBearing = 0;  // magnetic
    bool m_bCourseWaypoint = false;    // course mode on
    int16_t m_iCourseWaypointIndex = 3; // 0 target bearing, 1 waypoint, 2 waypoint and range, 3 none
    float m_fBoatMotorSpeed = 3;       // 0 up to PolarTable::MaxSpeed
    int16_t m_iBoatType = 0;           // 0 "Sail Only", 1 "Motor and Sail"
};

// Reads every "Polar Data" key in its order; a missing or unreadable key
// keeps the current value, and a number outside what the window accepts
// (see the members) its default.
void PolarDataRecall(const QString& profile, PolarSettings& settings);
// Writes every "Polar Data" key in the same order. File names that lie in
// the program's folder are stored by their name from there. False when a
// key could not be written.
bool PolarDataSave(const QString& profile, const PolarSettings& settings, const QString& programFolder);

// A path shortened to its name from the program's folder when it lies in
// it (case-sensitive), else as it is.
QString PolarFileStoredName(const QString& path, const QString& programFolder);
// The text after the last path separator.
QString PolarFileTitle(const QString& path);

// The live values as the window smooths them, each starting at 0.
struct PolarLive {
    bool m_bHeadingValid = false;
    float m_fHeading = 0;             // 0..360
    float m_fBoatSpeed = 0;
    float m_fWindAngleApparent = 0;   // -180..180
    float m_fWindSpeedApparent = 0;
    float m_fWindAngleTrue = 0;       // -180..180
    float m_fWindSpeedTrue = 0;
    bool m_bWaypointValid = false;
    float m_fWaypointBearing = 0;     // not averaged
    float m_fWaypointRange = 0;       // not averaged
    int32_t m_lTrackMode = 0;

    // One update with filter length N (0 takes the new values as they
    // are); angles are averaged on unit vectors, so that they pass 0/360
    // and +-180 without a jump.
    void Average(const InstrumentValues& values, float N);
};
