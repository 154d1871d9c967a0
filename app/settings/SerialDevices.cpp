#include "SerialDevices.h"

#include <QDir>
#include <QSerialPortInfo>

QStringList SerialDeviceChoices(QStringList byId, QStringList locations)
{
    byId.sort();
    locations.sort();
    locations.removeDuplicates();
    return byId + locations;
}

QStringList SerialDevicesPresent()
{
    QStringList byId;
    const QDir folder(QStringLiteral("/dev/serial/by-id"));
    for (const QString& name : folder.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        byId << folder.filePath(name);
    QStringList locations;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
        locations << port.systemLocation();
    return SerialDeviceChoices(byId, locations);
}
