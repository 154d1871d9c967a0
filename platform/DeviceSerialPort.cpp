#include "DeviceSerialPort.h"

#include "NumberText.h"
#include "SerialPortFactory.h"

DeviceSerialPort::DeviceSerialPort(DeviceResolver deviceForPort, QObject* parent)
    : SerialPort(parent), m_deviceForPort(std::move(deviceForPort))
{
    m_serial.setBaudRate(QSerialPort::Baud4800);
    m_serial.setDataBits(QSerialPort::Data8);
    m_serial.setParity(QSerialPort::NoParity);
    m_serial.setStopBits(QSerialPort::OneStop);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);
    connect(&m_serial, &QSerialPort::readyRead, this, &DeviceSerialPort::HandleReadyRead);
    connect(&m_serial, &QSerialPort::errorOccurred, this, &DeviceSerialPort::HandleError);
}

bool DeviceSerialPort::Open(QString& errorDescription)
{
    if (m_serial.isOpen()) {
        if (m_openedPort == m_port)
            return true;
        Close();
    }
    if (m_port < 1) {
        m_lastError = InvalidPortText(m_port);
        errorDescription = m_lastError;
        return false;
    }
    m_device = m_deviceForPort ? m_deviceForPort(m_port) : QString();
    m_serial.setPortName(m_device);
    if (!m_serial.open(QIODevice::ReadWrite)) {
        m_lastError = Describe(m_port, m_serial.errorString());
        m_serial.clearError();
        errorDescription = m_lastError;
        return false;
    }
    ++m_session;
    m_openedPort = m_port;
    m_receivePosted = false;
    return true;
}

void DeviceSerialPort::Close()
{
    if (!m_serial.isOpen())
        return;
    m_serial.close();
    m_serial.clearError();
    ++m_session;
    m_receivePosted = false;
}

QString DeviceSerialPort::Input()
{
    if (!m_serial.isOpen())
        return QString();
    return QString::fromLatin1(m_serial.readAll());
}

void DeviceSerialPort::Output(const QString& text)
{
    if (!m_serial.isOpen() || text.isEmpty())
        return;
    if (m_serial.write(text.toLatin1()) < 0)
        m_lastError = Describe(m_openedPort, m_serial.errorString());
}

void DeviceSerialPort::HandleReadyRead()
{
    // One event stands for everything waiting until it is handled.
    if (m_receivePosted)
        return;
    m_receivePosted = true;
    Post(comEvReceive);
}

void DeviceSerialPort::HandleError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_serial.isOpen())
        return;
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        // The device is gone: reading again would only repeat the error.
        // The system's reason for a vanished device is rarely meaningful
        // (a stale "Inappropriate ioctl for device").
        m_lastError = Describe(m_openedPort, QStringLiteral("device disconnected"));
        Close();
        Post(comEventDeviceLost);
        return;
    }
    m_lastError = Describe(m_openedPort, m_serial.errorString());
    m_serial.clearError();
}

void DeviceSerialPort::Post(int code)
{
    const quint64 session = m_session;
    QMetaObject::invokeMethod(
        this,
        [this, code, session] {
            if (session != m_session)
                return;
            if (code == comEvReceive)
                m_receivePosted = false;
            emit OnComm(code);
        },
        Qt::QueuedConnection);
}

QString DeviceSerialPort::Describe(int port, const QString& reason) const
{
    return QStringLiteral("Port ") + NumberText::Format(static_cast<double>(port), u"0")
        + QStringLiteral(" (") + m_device + QStringLiteral("): ")
        + (reason.isEmpty() ? QStringLiteral("unknown error") : reason);
}
