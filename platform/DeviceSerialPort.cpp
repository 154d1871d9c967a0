#include "DeviceSerialPort.h"

#include "NumberText.h"
#include "SerialPortFactory.h"

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace {

// Characters the system holds for the line and has not sent yet, where it
// tells (a real line does; a pseudo-terminal says 0).
qint64 SystemQueue(QSerialPort& serial)
{
#ifdef Q_OS_UNIX
    int queued = 0;
    if (serial.handle() >= 0 && ::ioctl(serial.handle(), TIOCOUTQ, &queued) == 0 && queued > 0)
        return queued;
#else
    Q_UNUSED(serial);
#endif
    return 0;
}

} // namespace

DeviceSerialPort::DeviceSerialPort(DeviceResolver deviceForPort, LineTiming timing, QObject* parent)
    : SerialPort(parent), m_deviceForPort(std::move(deviceForPort)), m_timing(std::move(timing))
{
    m_timing.CharsPerSecond = std::max(1, m_timing.CharsPerSecond);
    m_elapsed.start();
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &DeviceSerialPort::Pace);
    connect(&m_serial, &QSerialPort::bytesWritten, this, [this] {
        // The device took characters: it is read, whatever still waits.
        m_stuckSinceMs = -1;
        Pace();
    });
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
    m_lineFreeUs = 0;
    m_stuckSinceMs = -1;
    m_bNotReading = false;
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
    m_wake.stop();
    DropWaiting();
}

QString DeviceSerialPort::Input()
{
    if (!m_serial.isOpen())
        return QString();
    return QString::fromLatin1(m_serial.readAll());
}

void DeviceSerialPort::Output(const QString& text)
{
    if (text.isEmpty())
        return;
    if (!m_serial.isOpen()) {
        emit OutputDone(text, OutputDropped);
        return;
    }
    DropWaiting(OutputReplaced);
    m_waiting = text;
    Pace();
}

void DeviceSerialPort::Pace()
{
    if (!m_serial.isOpen())
        return;
    const qint64 now = NowMs();
    if (m_serial.bytesToWrite() == 0) {
        m_stuckSinceMs = -1;
    } else if (m_stuckSinceMs < 0) {
        m_stuckSinceMs = now;
    } else if (now - m_stuckSinceMs >= m_timing.NotReadingMs) {
        // Nobody reads: what waits would reach a reader that comes back
        // before anything new.
        m_serial.clear(QSerialPort::Output);
        m_stuckSinceMs = -1;
        m_lineFreeUs = now * 1000;
        m_lastError = Describe(m_openedPort, QStringLiteral("the device takes no output"));
        if (!m_bNotReading) {
            m_bNotReading = true;
            Post(comEventNotReading);
        }
    }
    qint64 next = -1;
    if (!m_waiting.isEmpty()) {
        next = BusyMs(now);
        if (next == 0) {
            Write(now);
            next = -1;
        }
    }
    if (m_timing.Clock)
        return;
    // Wake when the line is free, and to watch characters the device has
    // not taken yet.
    if (m_serial.bytesToWrite() > 0) {
        const qint64 watch = m_stuckSinceMs < 0 ? BusyMs(now) : m_stuckSinceMs + m_timing.NotReadingMs - now;
        next = next < 0 ? watch : std::min(next, watch);
    }
    if (next < 0)
        m_wake.stop();
    else
        m_wake.start(int(std::clamp<qint64>(next, 1, m_timing.NotReadingMs + 1000)));
}

qint64 DeviceSerialPort::NowMs() const
{
    return m_timing.Clock ? m_timing.Clock() : m_elapsed.elapsed();
}

qint64 DeviceSerialPort::BusyMs(qint64 nowMs)
{
    const qint64 queued = m_serial.bytesToWrite() + SystemQueue(m_serial);
    const qint64 busyUs = std::max(queued * 1000000 / m_timing.CharsPerSecond, m_lineFreeUs - nowMs * 1000);
    return busyUs <= 0 ? 0 : (busyUs + 999) / 1000;
}

void DeviceSerialPort::Write(qint64 nowMs)
{
    const QString text = std::exchange(m_waiting, QString());
    const QByteArray bytes = text.toLatin1();
    // After a stall the device may still hold old sentences for a reader
    // that has not come back.
    if (m_bNotReading)
        m_serial.clear(QSerialPort::Output);
    if (m_serial.write(bytes) < 0) {
        m_lastError = Describe(m_openedPort, m_serial.errorString());
        emit OutputDone(text, OutputDropped);
        return;
    }
    m_lineFreeUs = std::max(m_lineFreeUs, nowMs * 1000) + bytes.size() * 1000000 / m_timing.CharsPerSecond;
    emit OutputDone(text, OutputWritten);
}

void DeviceSerialPort::DropWaiting(OutputFate fate)
{
    if (!m_waiting.isEmpty())
        emit OutputDone(std::exchange(m_waiting, QString()), fate);
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
