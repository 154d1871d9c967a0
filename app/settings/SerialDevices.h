#pragma once
// The serial devices present on this machine, as the Options dialog offers
// them for a port number.

#include <QStringList>

// The stable names under /dev/serial/by-id first (they survive a replug
// into another socket), then every port's own device path, each group
// sorted.
QStringList SerialDevicesPresent();

// The same order from given names; byId entries are full paths.
QStringList SerialDeviceChoices(QStringList byId, QStringList locations);
