#pragma once
// The current instrument picture of the main window: latest and averaged
// heading, boat speed, variation, waypoint, apparent and true wind, and the
// wind indicator. Values are meaningful only while their flag is true.
// Angles in degrees, speeds in knots, ranges in nautical miles.

#include "InstrumentValues.h"

#include <QString>

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

// Where the state shows what it sets. The main window implements it; tests
// record it.
class InstrumentDisplay {
public:
    virtual ~InstrumentDisplay() = default;
    // Text for a value label ("" blanks it).
    virtual void ShowValue(InstrumentValue which, const QString& text) = 0;
    // One reading for the History window (name, value, units).
    virtual void HistoryValue(const QString& name, float value, const QString& units) = 0;
    // "Wind N-NE@12.3"; the window decides how the caption shows it.
    virtual void ShowWindIndicator(const QString& text) = 0;

    // The state reports numbers through these two; by default they are
    // formatted as the labels and the caption show them and passed on to
    // ShowValue and ShowWindIndicator. Formatting costs far more than the
    // rest of a sentence's work, so a display that shows nothing can skip it.
    virtual void ShowNumber(InstrumentValue which, float value);
    virtual void ShowWindIndicatorValue(const QString& point, float speed);

    // "0" for the angles and the bearing, "0.0" for the speeds.
    static QString ValueFormat(InstrumentValue which);
};

class InstrumentState {
public:
    InstrumentState(const ProfileSettings& settings, InstrumentDisplay& display);

    bool HeadingValid = false;
    float Heading = 0;                  // magnetic, 0..360
    bool BoatSpeedValid = false;
    float BoatSpeed = 0;
    float BoatSpeedAverage = 0;
    bool VariationValid = false;        // never cleared once known
    float Variation = 0;                // east positive
    bool WaypointValid = false;
    float WaypointBearing = 0;          // magnetic, not wrapped
    float WaypointRange = 0;
    bool WindApparentValid = false;
    float WindAngleApparent = 0;        // -180..180, positive to starboard
    float WindAngleApparentAverage = 0;
    float WindSpeedApparent = 0;
    float WindSpeedApparentAverage = 0;
    bool WindIndicatorValid = false;
    float WindDirectionAverage = 0;     // degrees true
    float WindSpeedAverage = 0;
    bool WindTrueValid = false;
    float WindAngleTrue = 0;            // -180..180, averaged or computed
    float WindSpeedTrue = 0;

    void SetHeading(float Heading);
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
    InstrumentDisplay& m_display;
};
