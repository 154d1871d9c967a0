#pragma once
// Sending the APB sentence (PilotSentence.h) on the right port.

#include "PilotSentence.h"

#include <QString>

#include <cstdint>

class SerialPort;
struct ProfileSettings;

// Sends PilotSentence(Heading) with CR LF on the autopilot port, or on the
// instrument port when both settings name the same port number; a closed
// port sends nothing. Returns the sentence (for the Options dialog's
// PilotData, which shows it whether or not it went out).
QString PilotOutput(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                    SerialPort& MSCommPilot);

// The same for the control loop, one line a step: a heading held (Manual,
// Track holding it) goes out as the line made for it before.
class PilotSender {
public:
    // The line sent, CR LF included, valid until the next call.
    const QString& Send(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                        SerialPort& MSCommPilot);

private:
    uint32_t m_lHeadingBits = 0;
    QString m_sLine;
};
