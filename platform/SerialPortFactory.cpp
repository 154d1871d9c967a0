#include "SerialPortFactory.h"

#include "NamedSerialPort.h"
#include "NumberText.h"
#include "ProfileStore.h"

namespace {

// Paths under /dev/serial/by-id can be longer than a profile value buffer.
constexpr int kPathBufferSize = 4096;

QString PortNumberText(int port)
{
    return NumberText::Format(static_cast<double>(port), u"0");
}

} // namespace

QString SerialDeviceName(const QString& profileFile, int port)
{
    const QString number = PortNumberText(port);
    QString device;
    if (!profileFile.isEmpty() && ProfileStore::Read(profileFile, u"Ports", number, u"", device, kPathBufferSize) > 0)
        return device;
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + number;
#else
    return QStringLiteral("/dev/ttyS") + PortNumberText(port - 1);
#endif
}

QString InvalidPortText(int port)
{
    return QStringLiteral("Port ") + PortNumberText(port) + QStringLiteral(": invalid port number");
}

SerialPortFactory::SerialPortFactory(std::function<QString()> profileFile, Creator creator)
    : m_profileFile(std::move(profileFile))
    , m_creator(std::move(creator))
{
}

SerialPort* SerialPortFactory::Create(QObject* parent) const
{
    if (m_creator)
        return m_creator(parent);
    std::function<QString()> profileFile = m_profileFile;
    return new NamedSerialPort(
        [profileFile](int port) { return SerialDeviceName(profileFile ? profileFile() : QString(), port); }, {}, {},
        parent);
}
