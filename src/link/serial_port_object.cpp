#include "serial_port_object.h"

#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <QThread>
#include <algorithm>

namespace peltro {

QStringList defaultComDevices()
{
    QStringList devices;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports)
        devices << info.systemLocation();
    std::sort(devices.begin(), devices.end());
    return devices;
}

SerialPortObject::SerialPortObject(QStringList comDevices, QObject* parent)
    : PortObject(parent), m_devices(std::move(comDevices))
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPortObject::bytesArrived);
    connect(&m_port, &QSerialPort::bytesWritten, this, [this] {
        if (m_port.bytesToWrite() == 0)
            outputDrained();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPortObject::onError);
}

QString SerialPortObject::deviceName(int commPort) const
{
    if (commPort < 1 || commPort > m_devices.size())
        return {};
    return m_devices.at(commPort - 1);
}

bool SerialPortObject::open()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    const QString device = deviceName(commPort());
    if (device.isEmpty()) {
        setLastError(QStringLiteral("no device for Com %1").arg(commPort()));
        return false;
    }
    m_port.setPortName(device);
    m_port.setBaudRate(baudRate());
    m_port.setParity(QSerialPort::NoParity);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        setLastError(QStringLiteral("%1: %2").arg(device, m_port.errorString()));
        return false;
    }
    // A pseudo-terminal has no DTR line; that is not a reason to give up.
    if (dtrEnable() && !m_port.setDataTerminalReady(true))
        m_port.clearError();
    setLastError({});
    return true;
}

void SerialPortObject::close()
{
    if (m_port.isOpen())
        m_port.close();
}

int SerialPortObject::inBufferCount()
{
    return m_port.isOpen() ? static_cast<int>(m_port.bytesAvailable()) : 0;
}

QByteArray SerialPortObject::read()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void SerialPortObject::write(const QByteArray& bytes)
{
    if (!m_port.isOpen() || bytes.isEmpty())
        return;
    m_port.write(bytes);
}

bool SerialPortObject::waitForReadyRead(int msecs)
{
    // Never return early without bytes: a caller waiting out its deadline
    // would otherwise spin on a closed or failing port.
    QElapsedTimer elapsed;
    elapsed.start();
    if (m_port.isOpen() && m_port.waitForReadyRead(msecs))
        return true;
    const qint64 left = msecs - elapsed.elapsed();
    if (left > 0)
        QThread::msleep(static_cast<unsigned long>(left));
    return false;
}

void SerialPortObject::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    setLastError(m_port.errorString());
    // A vanished adapter: close, so that later writes and reads are no-ops
    // instead of a stream of failures.
    if (error == QSerialPort::ResourceError)
        QMetaObject::invokeMethod(this, [this] { m_port.close(); }, Qt::QueuedConnection);
    else
        m_port.clearError();
}

} // namespace peltro
