#pragma once
// The APB sentence that tells the boat's autopilot which heading to steer:
// all three bearing fields carry it as a magnetic bearing, so the autopilot
// follows a waypoint that always lies on that heading.

#include <QString>

class SerialPort;
struct ProfileSettings;

// The sentence for a heading in degrees, checksum included, without the
// line end: $ECAPB,A,A,0.00,R,N,V,V,045.0,M,1,045.0,M,045.0,M*04
QString PilotSentence(float Heading);

// Sends PilotSentence(Heading) with CR LF on the autopilot port, or on the
// instrument port when both settings name the same port number; a closed
// port sends nothing. Returns the sentence (for the Options dialog's
// PilotData, which shows it whether or not it went out).
QString PilotOutput(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                    SerialPort& MSCommPilot);
