#include "NamedSerialPort.h"

#include "NetworkEndpoint.h"

NamedSerialPort::NamedSerialPort(NameResolver nameForPort, NetworkTiming timing, LineTiming lineTiming,
                                 QObject* parent)
    : SerialPort(parent)
    , m_nameForPort(std::move(nameForPort))
    , m_device([this](int) { return m_name; }, std::move(lineTiming))
    , m_network([this](int) { return m_name; }, timing)
{
    // A closed port posts nothing more, so only the one in use speaks.
    connect(&m_device, &SerialPort::OnComm, this, &SerialPort::OnComm);
    connect(&m_network, &SerialPort::OnComm, this, &SerialPort::OnComm);
    connect(&m_device, &SerialPort::OutputDone, this, &SerialPort::OutputDone);
    connect(&m_network, &SerialPort::OutputDone, this, &SerialPort::OutputDone);
}

void NamedSerialPort::SetReceiving(bool receiving)
{
    SerialPort::SetReceiving(receiving);
    m_device.SetReceiving(receiving);
    m_network.SetReceiving(receiving);
}

bool NamedSerialPort::Open(QString& errorDescription)
{
    if (m_active->PortOpen()) {
        if (m_active->CommPort() == m_port)
            return true;
        m_active->Close();
    }
    // Below 1 the device port gives the error, with no name to look up.
    m_name = m_port >= 1 && m_nameForPort ? m_nameForPort(m_port) : QString();
    m_active = IsNetworkName(m_name) ? static_cast<SerialPort*>(&m_network) : &m_device;
    m_active->SetCommPort(m_port);
    return m_active->Open(errorDescription);
}

void NamedSerialPort::Close()
{
    m_active->Close();
}
