#pragma once
// The APB sentence that tells the boat's autopilot which heading to steer:
// all three bearing fields carry it as a magnetic bearing, so the autopilot
// follows a waypoint that always lies on that heading.

#include <QString>

// The sentence for a heading in degrees, checksum included, without the
// line end: $ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M*04
QString PilotSentence(float Heading);
// The same with its CR LF, as it goes out on the line.
QString PilotLine(float Heading);
