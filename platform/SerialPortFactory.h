#pragma once
// Which serial port the program gets, and which device a port number names.

#include "SerialPort.h"

#include <QString>
#include <functional>

// Device of a port number: the key of that number in the profile section
// "Ports" when present ("5=/dev/ttyUSB0", any device path, or a network
// endpoint such as "5=tcp://192.168.1.20:10110"), otherwise the system's own
// name: /dev/ttyS<N-1> on Linux, COM<N> on Windows.
QString SerialDeviceName(const QString& profileFile, int port);

// Error description for a port number below 1.
QString InvalidPortText(int port);

class SerialPortFactory {
public:
    using Creator = std::function<SerialPort*(QObject* parent)>;

    // profileFile is asked at every Open of a real port, so the profile path
    // may be settled after the ports are made. A creator, when given, makes
    // the ports instead (tests hand in fake ones).
    explicit SerialPortFactory(std::function<QString()> profileFile = {}, Creator creator = {});

    // A real port over the serial device or network endpoint of its number,
    // or what the creator makes. The parent owns the port.
    SerialPort* Create(QObject* parent) const;

private:
    std::function<QString()> m_profileFile;
    Creator m_creator;
};
