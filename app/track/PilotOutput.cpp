#include "PilotOutput.h"

#include "ProfileSettings.h"
#include "SerialPort.h"

QString PilotOutput(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                    SerialPort& MSCommPilot)
{
    QString s = PilotLine(Heading);
    SerialPort& port = settings.m_iNmeaPort != settings.m_iPilotPort ? MSCommPilot : MSCommNmea;
    // A closed port drops it and says so, for the record.
    port.Output(s);
    // One text a step: the line end is cut off in place (a port that kept
    // the line keeps its own).
    s.chop(2);
    return s;
}
