#include "PilotOutput.h"

#include "ProfileSettings.h"
#include "SerialPort.h"

#include <cstring>

namespace {

SerialPort& PilotPort(const ProfileSettings& settings, SerialPort& MSCommNmea, SerialPort& MSCommPilot)
{
    return settings.m_iNmeaPort != settings.m_iPilotPort ? MSCommPilot : MSCommNmea;
}

} // namespace

QString PilotOutput(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                    SerialPort& MSCommPilot)
{
    QString s = PilotLine(Heading);
    // A closed port drops it and says so, for the record.
    PilotPort(settings, MSCommNmea, MSCommPilot).Output(s);
    // One text a step: the line end is cut off in place (a port that kept
    // the line keeps its own).
    s.chop(2);
    return s;
}

const QString& PilotSender::Send(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                                 SerialPort& MSCommPilot)
{
    // The same bits make the same text.
    uint32_t bits = 0;
    std::memcpy(&bits, &Heading, sizeof bits);
    if (m_sLine.isEmpty() || bits != m_lHeadingBits) {
        m_lHeadingBits = bits;
        m_sLine = PilotLine(Heading);
    }
    // A port that keeps the line shares it; it is never changed, only
    // replaced.
    PilotPort(settings, MSCommNmea, MSCommPilot).Output(m_sLine);
    return m_sLine;
}
