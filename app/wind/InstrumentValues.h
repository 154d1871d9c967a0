#pragma once
// The live instrument picture handed to the Polar window after each wind
// measurement, in one piece. Angles in degrees (wind angles -180..180,
// positive to starboard; heading and bearing magnetic), speeds in knots,
// range in nautical miles.

#include "ProfileSettings.h"

struct InstrumentValues {
    TrackMode eTrackMode = TrackModeOff;
    bool bHeadingValid = false;
    float fHeading = 0;
    float fBoatSpeed = 0;
    float fWindAngleApparent = 0;
    float fWindSpeedApparent = 0;
    float fWindAngleTrue = 0;
    float fWindSpeedTrue = 0;
    bool bWaypointValid = false;
    float fWaypointBearing = 0;
    float fWaypointRange = 0;
};
