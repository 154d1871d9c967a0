#pragma once
// Best legs toward a bearing, and what the Polar window shows of them in
// course mode, free of widgets. Angles in degrees (wind angles -180..180,
// positive to starboard; headings and bearings magnetic), speeds in knots,
// ranges in nautical miles.

#include "PolarSettings.h"
#include "PolarTable.h"

#include <QString>

#include <vector>

// One leg of a course. Heading -180 .. below 180; along and cross are the
// speed's components toward the bearing and across it; fraction 0..1 is the
// share of time on the leg (the two legs' fractions sum to 1).
struct CourseLeg {
    float heading = 0;
    float speed = 0;
    float along = 0;
    float cross = 0;
    float fraction = 0;
};

// The two legs from the polar, a 1 degree grid of up to +-90 degrees either
// side of the bearing (leg A to the right, leg B to the left):
//   W = the wind angle the boat would have heading along the bearing;
//   a pair (a, b) is sailed with the time split t : 1 - t so that its cross
//   track components cancel, t = yb / (yb - ya), and makes good
//   V = t xa + (1 - t) xb;
//   the best pair wins only when it beats sailing straight by more than
//   3 %, else the course is one leg along the bearing.
// Upwind (|WindAngle| <= 90) leg A is P, downwind leg B. The search never
// yields: each grid angle's polar speed is looked up once (181 lookups
// instead of 1 + 91 x 91), so that it is fast enough to run to its end.
void CourseOptimize(const PolarTable& table, float Heading, float Bearing, float WindAngle, float WindSpeed,
                    CourseLeg& P, CourseLeg& S);

// Passage time of Distance at Speed as "h:mm"; "--:--" beyond 99 hours, at
// no speed, or when it is not a number.
QString CourseTimeText(float Speed, float Distance);

enum class CourseKind { OneLeg, Tack, Jibe };

// Colours of the course drawing; the window maps them to its own.
enum class CourseTone {
    None,       // the window's background
    LightGreen, // 128, 255, 128
    LightRed,   // 255, 128, 128
    Starboard,  // green 0, 255, 0
    Port,       // red 255, 0, 0
    Bearing,    // blue 0, 0, 255
};

// A line between two plot points (angle, radius in knots on the speed
// scale), heads-up: angles relative to the bow.
struct CourseLine {
    bool arrow = false;
    int width = 1;
    double angle1 = 0;
    double radius1 = 0;
    double angle2 = 0;
    double radius2 = 0;
    CourseTone tone = CourseTone::None;
};

// One course update's inputs: the smoothed live values, the course bearing
// and the polar speed for the current wind.
struct CourseInput {
    float Heading = 0;
    float Bearing = 0;
    float WindAngle = 0; // true
    float WindSpeed = 0; // true
    float BoatSpeed = 0;
    float PolarSpeed = 0;
    float WaypointBearing = 0;
    float WaypointRange = 0;
};

// Everything a course update shows, worked out before anything is drawn.
struct CoursePlan {
    CourseLeg P;           // port-tack leg, after scaling and exchange
    CourseLeg S;           // starboard-tack leg
    float TwaP = 0;
    float TwaS = 0;
    float Vmg = 0;         // m_fTargetSpeed
    CourseKind kind = CourseKind::OneLeg;
    bool onPort = false;   // the leg steered is P
    float SteerChange = 0; // to the leg steered, -180..180
    QString SteerText;
    CourseTone SteerTone = CourseTone::None;
    float TackHeading = 0; // the other leg's heading
    QString TackCaption;
    CourseTone TackTone = CourseTone::None;
    bool TackShown = false; // false for one leg
    QString LegText[2];     // 0 "Stb (M)", 1 "Prt (M)"; empty for a leg not sailed
    // The value column: rows from the top (0 upward) and from the bottom
    // (-1 is the last line), each with its text.
    std::vector<std::pair<int, QString>> Values;
    std::vector<CourseLine> Lines; // in drawing order
};

// One course update without drawing: the legs, the scaling by boat speed /
// polar speed (when PolarSpeed is not 0 and Course Scale is on or the boat
// has a motor), P made the port-tack leg, the leg to steer and the kind of
// manoeuvre, the texts and the lines.
CoursePlan CoursePlanMake(const PolarTable& table, const PolarSettings& settings, const CourseInput& in);
