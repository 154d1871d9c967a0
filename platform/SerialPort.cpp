#include "SerialPort.h"

#include "NumberText.h"

QString SerialPort::CommEventText(int commEvent) const
{
    switch (commEvent) {
    case comEventBreak:
        return QStringLiteral("Break Signal Received");
    case comEventFrame:
        return QStringLiteral("Framing Error");
    case comEventOverrun:
        return QStringLiteral("Port Overrun");
    case comEventRxOver:
        return QStringLiteral("Rx Overflow");
    case comEventRxParity:
        return QStringLiteral("Parity Error");
    case comEventDeviceLost:
        return QStringLiteral("Port Closed - ") + LastError();
    case comEventLinkUp:
    case comEventLineCut:
        return QString();
    case comEventNotReading:
        return QStringLiteral("Not Reading - ") + LastError();
    default:
        return QStringLiteral("Event ") + NumberText::Format(static_cast<double>(commEvent), u"0");
    }
}
