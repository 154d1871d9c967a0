#include "PilotOutput.h"

#include "NmeaReceiver.h"
#include "NumberText.h"
#include "ProfileSettings.h"
#include "SerialPort.h"

QString PilotSentence(float Heading)
{
    // Fields: status valid, cycle lock valid, no cross-track error, steer
    // right, nautical miles, arrival circle not entered, perpendicular not
    // passed, bearing origin to destination, destination "1", bearing to
    // destination, heading to steer.
    const QString b = NumberText::Format(Heading, u"000.0");
    QString s = QStringLiteral("$ECAPB,A,A,0.00,R,N,V,V,") + b + QStringLiteral(",M,1,") + b
                + QStringLiteral(",M,") + b + QStringLiteral(",M");
    s += QLatin1Char('*') + NmeaReceiver::NmeaChecksum(s);
    return s;
}

QString PilotOutput(float Heading, const ProfileSettings& settings, SerialPort& MSCommNmea,
                    SerialPort& MSCommPilot)
{
    const QString s = PilotSentence(Heading);
    SerialPort& port = settings.m_iNmeaPort != settings.m_iPilotPort ? MSCommPilot : MSCommNmea;
    // A closed port drops it and says so, for the record.
    port.Output(s + QStringLiteral("\r\n"));
    return s;
}
