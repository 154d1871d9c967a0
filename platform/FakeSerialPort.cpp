#include "FakeSerialPort.h"

#include "SerialPortFactory.h"

bool FakeSerialPort::Open(QString& errorDescription)
{
    if (m_open) {
        if (m_openedPort == m_port)
            return true;
        Close();
    }
    if (!m_failNext.isEmpty()) {
        errorDescription = m_failNext;
        m_failNext.clear();
    } else if (m_port < 1) {
        errorDescription = InvalidPortText(m_port);
    } else {
        m_open = true;
        m_openedPort = m_port;
        ++m_openCount;
        m_input.clear();
        return true;
    }
    m_lastError = errorDescription;
    return false;
}

void FakeSerialPort::Close()
{
    if (!m_open)
        return;
    m_open = false;
    ++m_closeCount;
    m_input.clear();
}

QString FakeSerialPort::Input()
{
    QString text;
    text.swap(m_input);
    return text;
}

void FakeSerialPort::Output(const QString& text)
{
    if (text.isEmpty())
        return;
    if (m_open)
        m_sent += text;
    emit OutputDone(text, m_open ? OutputWritten : OutputDropped);
}

void FakeSerialPort::feed(const QString& text)
{
    if (!m_open)
        return;
    m_input += text;
    emit OnComm(comEvReceive);
}

void FakeSerialPort::raise(int code)
{
    if (code == comEventDeviceLost) {
        m_lastError = QStringLiteral("Device lost");
        Close();
    }
    emit OnComm(code);
}

void FakeSerialPort::failNextOpen(const QString& description)
{
    m_failNext = description.isEmpty() ? QStringLiteral("Open failed") : description;
}
