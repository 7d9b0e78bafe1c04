#include "serial_port_object.h"

#include <QElapsedTimer>
#include <QFileInfo>
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

QString portErrorText(QSerialPort::SerialPortError error, bool mayReadWrite, const QString& systemText)
{
    const auto withSystemText = [&systemText](const QString& words) {
        return systemText.isEmpty() ? words : QStringLiteral("%1 (%2)").arg(words, systemText);
    };
    switch (error) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("no such device");
    case QSerialPort::PermissionError:
        return mayReadWrite ? QStringLiteral("busy")
                            : QStringLiteral("permission denied: add your user to the dialout group");
    case QSerialPort::OpenError:
        return QStringLiteral("busy");
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        // A terminal that hung up (adapter pulled out) reads as end of file,
        // which QSerialPort reports as a read error with a stale reason.
        return QStringLiteral("device gone (unplugged?)");
    case QSerialPort::NotOpenError:
        return QStringLiteral("not open");
    case QSerialPort::WriteError:
        return withSystemText(QStringLiteral("write failed"));
    case QSerialPort::UnsupportedOperationError:
        return withSystemText(QStringLiteral("not supported by the device"));
    case QSerialPort::TimeoutError:
        return QStringLiteral("timed out");
    default:
        return withSystemText(QStringLiteral("unknown error"));
    }
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
    m_lost = false;
    setLastError({});
    const QString device = deviceName(commPort());
    if (device.isEmpty()) {
        setLastError(QStringLiteral("Com %1: no such device").arg(commPort()));
        return false;
    }
    m_device = device;
    m_port.setPortName(device);
    m_port.setBaudRate(baudRate());
    m_port.setParity(QSerialPort::NoParity);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        // onError has put the reason into words already
        if (lastError().isEmpty())
            setLastError(errorText(QSerialPort::UnknownError));
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

bool SerialPortObject::write(const QByteArray& bytes)
{
    if (!m_port.isOpen() || m_lost)
        return false;
    return bytes.isEmpty() || m_port.write(bytes) == bytes.size();
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
    setLastError(errorText(error));
    // A vanished adapter: close, so that later writes and reads are no-ops
    // instead of a stream of failures (a hung-up terminal keeps signalling
    // readable). Not from inside QSerialPort's own notification; until then
    // writes report the loss.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        m_lost = true;
        QMetaObject::invokeMethod(this, [this] { m_port.close(); }, Qt::QueuedConnection);
    } else {
        m_port.clearError();
    }
}

QString SerialPortObject::errorText(QSerialPort::SerialPortError error) const
{
    const QFileInfo device(m_device);
    return QStringLiteral("%1: %2").arg(m_device, portErrorText(error, device.isReadable() && device.isWritable(),
                                                                m_port.errorString()));
}

} // namespace peltro
