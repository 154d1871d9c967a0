#pragma once
// The current instrument picture of the main window: latest and averaged
// heading, boat speed, variation, waypoint, apparent and true wind, and the
// wind indicator. Values are meaningful only while their flag is true.
// Angles in degrees, speeds in knots, ranges in nautical miles.

#include "InstrumentValues.h"

#include <QString>

#include <functional>

struct ProfileSettings;

// The seven value labels of the main window.
enum class InstrumentValue {
    Heading,
    BoatSpeed,
    AppWindAngle,
    AppWindSpeed,
    TrueWindAngle,
    TrueWindSpeed,
    WaypointBearing,
};

// What the state reports as it sets and forgets values, as numbers: the
// owner decides what is shown and formats it only where it is shown.
struct InstrumentReports {
    // A value label's number, or the label blanked (value unknown).
    std::function<void(InstrumentValue which, float value)> Value;
    std::function<void(InstrumentValue which)> Blank;
    // One reading for the History window (name, value, units).
    std::function<void(const QString& name, float value, const QString& units)> History;
    // The wind indicator: the true wind's compass point and speed.
    std::function<void(const QString& point, float speed)> WindIndicator;
};

class InstrumentState {
public:
    InstrumentState(const ProfileSettings& settings, InstrumentReports reports);

    // "0" for the angles and the bearing, "0.0" for the speeds: the labels'
    // formats.
    static QString ValueFormat(InstrumentValue which);
    // "Wind N-NE@12.3"; the window decides how the caption shows it.
    static QString WindIndicatorText(const QString& point, float speed);

    bool HeadingValid() const { return m_bHeadingValid; }
    float Heading() const { return m_fHeading; } // magnetic, 0..360
    bool BoatSpeedValid() const { return m_bBoatSpeedValid; }
    float BoatSpeed() const { return m_fBoatSpeed; }
    float BoatSpeedAverage() const { return m_fBoatSpeedAverage; }
    bool VariationValid() const { return m_bVariationValid; } // never cleared once known
    float Variation() const { return m_fVariation; } // east positive
    bool WaypointValid() const { return m_bWaypointValid; }
    float WaypointBearing() const { return m_fWaypointBearing; } // magnetic, not wrapped
    float WaypointRange() const { return m_fWaypointRange; }
    bool WindApparentValid() const { return m_bWindApparentValid; }
    float WindAngleApparent() const { return m_fWindAngleApparent; } // -180..180, positive to starboard
    float WindAngleApparentAverage() const { return m_fWindAngleApparentAverage; }
    float WindSpeedApparent() const { return m_fWindSpeedApparent; }
    float WindSpeedApparentAverage() const { return m_fWindSpeedApparentAverage; }
    bool WindIndicatorValid() const { return m_bWindIndicatorValid; }
    float WindDirectionAverage() const { return m_fWindDirectionAverage; } // degrees true
    float WindSpeedAverage() const { return m_fWindSpeedAverage; }
    bool WindTrueValid() const { return m_bWindTrueValid; }
    float WindAngleTrue() const { return m_fWindAngleTrue; } // -180..180, averaged or computed
    float WindSpeedTrue() const { return m_fWindSpeedTrue; }

    void SetHeading(float Heading);
    // East positive; once known it stays known.
    void SetVariation(float Variation);
    void SetBoatSpeed(float Speed);
    void SetWaypoint(float Range, float Bearing);
    void SetWindApparent(float Angle, float Speed, bool ComputeTrue);
    void SetWindTrue(float Angle, float Speed, bool Averaged);
    void WindIndicator();
    // Instrument link start: every flag but VariationValid goes false and
    // the seven value labels are blanked.
    void Invalidate();

    // The picture handed to the Polar window.
    InstrumentValues Values(TrackMode mode) const;

    static QString CompassPoint(double Direction);

private:
    const ProfileSettings& m_settings;
    InstrumentReports m_reports;
    bool m_bHeadingValid = false;
    float m_fHeading = 0;
    bool m_bBoatSpeedValid = false;
    float m_fBoatSpeed = 0;
    float m_fBoatSpeedAverage = 0;
    bool m_bVariationValid = false;
    float m_fVariation = 0;
    bool m_bWaypointValid = false;
    float m_fWaypointBearing = 0;
    float m_fWaypointRange = 0;
    bool m_bWindApparentValid = false;
    float m_fWindAngleApparent = 0;
    float m_fWindAngleApparentAverage = 0;
    float m_fWindSpeedApparent = 0;
    float m_fWindSpeedApparentAverage = 0;
    bool m_bWindIndicatorValid = false;
    float m_fWindDirectionAverage = 0;
    float m_fWindSpeedAverage = 0;
    bool m_bWindTrueValid = false;
    float m_fWindAngleTrue = 0;
    float m_fWindSpeedTrue = 0;
};
