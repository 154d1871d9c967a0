#include "PilotOutput.h"

#include "ProfileSettings.h"
#include "SerialPort.h"

QString PilotOutput(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                    SerialPort& MSCommPilot)
{
    const QString s = PilotSentence(Heading);
    SerialPort& port = settings.m_iNmeaPort != settings.m_iPilotPort ? MSCommPilot : MSCommNmea;
    // A closed port drops it and says so, for the record.
    port.Output(s + QStringLiteral("\r\n"));
    return s;
}
