#pragma once
// Sending the APB sentence (PilotSentence.h) on the right port.

#include "PilotSentence.h"

#include <QString>

class SerialPort;
struct ProfileSettings;

// Sends PilotSentence(Heading) with CR LF on the autopilot port, or on the
// instrument port when both settings name the same port number; a closed
// port sends nothing. Returns the sentence (for the Options dialog's
// PilotData, which shows it whether or not it went out).
QString PilotOutput(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                    SerialPort& MSCommPilot);
