#include "serial_port_object.h"

#include "tcp_endpoint.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTcpSocket>
#include <QThread>

namespace peltro {

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

SerialPortObject::SerialPortObject(QStringList comDevices, QList<SerialDeviceInfo> system, QObject* parent)
    : PortObject(parent), m_devices(std::move(comDevices)), m_system(std::move(system))
{
    connect(&m_serial, &QSerialPort::readyRead, this, &SerialPortObject::bytesArrived);
    connect(&m_serial, &QSerialPort::bytesWritten, this, [this] {
        if (m_serial.bytesToWrite() == 0)
            outputDrained();
    });
    connect(&m_serial, &QSerialPort::errorOccurred, this, &SerialPortObject::onSerialError);
    connect(&m_returnTimer, &QTimer::timeout, this, [this] {
        m_returnTimer.setInterval(returnCheckMs);
        lookForReturn();
    });
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (!m_probe || m_probe->state() != QAbstractSocket::ConnectedState)
            return;
        m_probe->readAll();  // a greeting of the server, not the cameras' words
        m_probeSettled = true;
        reportMayBeBack();
    });
}

SerialPortObject::~SerialPortObject()
{
    dropTcp();
    dropProbe();
}

QString SerialPortObject::deviceName(int commPort) const
{
    if (commPort < 1 || commPort > m_devices.size())
        return {};
    return m_devices.at(commPort - 1);
}

ComDescription SerialPortObject::describe(int commPort) const
{
    const QString device = deviceName(commPort);
    if (device.isEmpty())
        return {};
    ComDescription d;
    if (isTcpDevice(device)) {
        d.device = device;
        d.description = QStringLiteral("serial device server");
        if (!parseTcpDevice(device))
            d.problem = QStringLiteral("not a device server address (tcp://HOST:PORT)");
    } else {
        d = describeDevice(device, m_system);
    }
    if (d.problem.isEmpty())
        d.problem = m_openFailures.value(commPort);
    return d;
}

void SerialPortObject::fail(const QString& words)
{
    m_openFailures[commPort()] = words;
    setLastError(QStringLiteral("%1: %2").arg(m_device, words));
}

bool SerialPortObject::open()
{
    const bool reopening = isLost();
    if (m_serial.isOpen())
        m_serial.close();
    dropTcp();
    m_io = nullptr;
    m_serial.clearError();
    setLastError({});
    m_device = deviceName(commPort());
    if (m_device.isEmpty()) {
        m_openFailures[commPort()] = QStringLiteral("no such device");
        setLastError(QStringLiteral("Com %1: no such device").arg(commPort()));
        return false;
    }
    if (!(isTcpDevice(m_device) ? openTcp() : openSerial()))
        return false;
    m_openFailures.remove(commPort());
    setLastError({});
    m_connectedFor.start();
    m_reconnected = reopening;
    endLoss();
    return true;
}

bool SerialPortObject::openSerial()
{
    m_serial.setPortName(m_device);
    m_serial.setBaudRate(baudRate());
    m_serial.setParity(QSerialPort::NoParity);
    m_serial.setDataBits(QSerialPort::Data8);
    m_serial.setStopBits(QSerialPort::OneStop);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serial.open(QIODevice::ReadWrite)) {
        const QFileInfo file(m_device);
        fail(portErrorText(m_serial.error(), file.isReadable() && file.isWritable(), m_serial.errorString()));
        m_serial.clearError();
        return false;
    }
    // A pseudo-terminal has no DTR line; that is not a reason to give up.
    if (dtrEnable() && !m_serial.setDataTerminalReady(true))
        m_serial.clearError();
    m_io = &m_serial;
    return true;
}

bool SerialPortObject::openTcp()
{
    const std::optional<TcpEndpoint> server = parseTcpDevice(m_device);
    if (!server) {
        fail(QStringLiteral("not a device server address (tcp://HOST:PORT)"));
        return false;
    }
    // The connection that showed the server is back is the one to use.
    if (m_probe && m_probeSettled && m_probe->state() == QAbstractSocket::ConnectedState
        && m_probe->objectName() == m_device) {
        QTcpSocket* socket = m_probe;
        m_probe = nullptr;
        m_probeSettled = false;
        socket->disconnect(this);
        useTcp(socket);
        return true;
    }
    auto* socket = new QTcpSocket(this);
    socket->connectToHost(server->host, server->port);
    if (!socket->waitForConnected(connectMs)) {
        fail(socketErrorText(socket->error(), socket->errorString()));
        socket->abort();
        socket->deleteLater();
        return false;
    }
    useTcp(socket);
    return true;
}

void SerialPortObject::useTcp(QTcpSocket* socket)
{
    m_tcp = socket;
    tuneCameraSocket(*socket);
    connect(socket, &QTcpSocket::readyRead, this, &SerialPortObject::bytesArrived);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_tcp && m_tcp->bytesToWrite() == 0)
            outputDrained();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // A wait for bytes that ran out is no failure of the connection: the
        // cameras did not answer, which the caller tells in its own words.
        if (error == QAbstractSocket::SocketTimeoutError && m_tcp && m_tcp->state() == QAbstractSocket::ConnectedState)
            return;
        onTcpFailure(error == QAbstractSocket::RemoteHostClosedError);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this] { onTcpFailure(true); });
    m_io = socket;
}

void SerialPortObject::dropTcp()
{
    if (!m_tcp)
        return;
    if (m_io == m_tcp)
        m_io = nullptr;
    m_tcp->disconnect(this);
    m_tcp->abort();
    m_tcp->deleteLater();
    m_tcp = nullptr;
}

void SerialPortObject::close()
{
    if (m_serial.isOpen())
        m_serial.close();
    dropTcp();
    m_io = nullptr;
    endLoss();
}

bool SerialPortObject::isOpen() const
{
    return m_io && m_io->isOpen();
}

int SerialPortObject::inBufferCount()
{
    return isOpen() ? static_cast<int>(m_io->bytesAvailable()) : 0;
}

QByteArray SerialPortObject::read()
{
    return isOpen() ? m_io->readAll() : QByteArray();
}

bool SerialPortObject::write(const QByteArray& bytes)
{
    if (!isOpen() || isLost())
        return false;
    return bytes.isEmpty() || m_io->write(bytes) == bytes.size();
}

bool SerialPortObject::waitForReadyRead(int msecs)
{
    if (isLost())
        return false;
    QElapsedTimer elapsed;
    elapsed.start();
    if (isOpen() && m_io->waitForReadyRead(msecs))
        return true;
    // The device failed meanwhile: the caller is to learn it at once.
    if (isLost())
        return false;
    // Otherwise never return early without bytes: a caller waiting out its
    // deadline would spin on a closed port.
    const qint64 left = msecs - elapsed.elapsed();
    if (left > 0)
        QThread::msleep(static_cast<unsigned long>(left));
    return false;
}

void SerialPortObject::onSerialError(QSerialPort::SerialPortError error)
{
    // Failures to open are told by open() itself.
    if (error == QSerialPort::NoError || m_io != &m_serial)
        return;
    // A wait that ran out is no failure of the port: the camera did not
    // answer, which the caller tells in its own words.
    if (error == QSerialPort::TimeoutError) {
        m_serial.clearError();
        return;
    }
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        reportLost(QStringLiteral("%1: %2").arg(m_device, portErrorText(error, true)));
        // Closed, so that a hung-up terminal stops signalling readable; not
        // from inside QSerialPort's own notification.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isLost() && m_io == &m_serial) {
                    m_serial.close();
                    m_io = nullptr;
                }
            },
            Qt::QueuedConnection);
        return;
    }
    setLastError(QStringLiteral("%1: %2").arg(m_device, portErrorText(error, true, m_serial.errorString())));
    m_serial.clearError();
}

void SerialPortObject::onTcpFailure(bool endOfStream)
{
    if (!m_tcp || m_io != m_tcp || isLost())
        return;
    if (!endOfStream) {
        // A port error, or keep-alive probes unanswered: the server or the
        // way to it is gone; look for it as soon as the watch allows.
        m_backoffMs = 0;
        reportLost(QStringLiteral("%1: %2").arg(m_device, socketErrorText(m_tcp->error(), m_tcp->errorString())));
        return;
    }
    // The server closed the connection. Soon after the panel got it back,
    // that is another client taking the server over; connecting at once
    // would take it back from that client, which would do the same.
    const bool takenOver = m_reconnected && m_connectedFor.isValid() && m_connectedFor.elapsed() < takeOverWindowMs;
    m_backoffMs = takenOver ? qMin(qMax(m_backoffMs, firstBackoffMs / 2) * 2, maxBackoffMs) : firstBackoffMs;
    reportLost(QStringLiteral("%1: %2").arg(m_device, takenOver
                                                          ? QStringLiteral("another client took over the device server")
                                                          : socketErrorText(QAbstractSocket::RemoteHostClosedError)));
}

int SerialPortObject::retryInMs() const
{
    if (!isLost() || !isTcpDevice(m_device) || m_backoffMs <= 0)
        return 0;
    return int(qMax<qint64>(0, m_nextTry.remainingTime()));
}

void SerialPortObject::watchForReturn(bool on)
{
    if (!on) {
        m_returnTimer.stop();
        delete m_watcher;
        m_watcher = nullptr;
        dropProbe();
        return;
    }
    // Not at once: the device the port has just let go of may still be
    // there. A device server that closed the connection is given its wait.
    const int first = isTcpDevice(m_device) && m_backoffMs > 0 ? m_backoffMs : firstReturnCheckMs;
    m_nextTry.setRemainingTime(first);
    m_returnTimer.start(first);
    if (!isTcpDevice(m_device) && !m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &SerialPortObject::lookForReturn);
        watchFolders();
    }
}

void SerialPortObject::watchFolders()
{
    // The device's folder, and the one above it: /dev/serial/by-id goes
    // away with the last adapter and comes back with the next.
    const QString folder = QFileInfo(m_device).absolutePath();
    for (const QString& dir : {folder, QFileInfo(folder).absolutePath()}) {
        if (m_watcher && QFileInfo(dir).isDir() && !m_watcher->directories().contains(dir))
            m_watcher->addPath(dir);
    }
}

void SerialPortObject::lookForReturn()
{
    if (!isLost())
        return;
    if (isTcpDevice(m_device)) {
        probeServer();
        return;
    }
    watchFolders();
    if (QFileInfo::exists(m_device))
        reportMayBeBack();
}

void SerialPortObject::probeServer()
{
    if (m_probe) {
        if (m_probe->state() == QAbstractSocket::ConnectedState) {
            if (m_probeSettled)
                reportMayBeBack();
            return;
        }
        dropProbe();  // no answer since the last look: try afresh
    }
    const std::optional<TcpEndpoint> server = parseTcpDevice(m_device);
    if (!server)
        return;
    m_probe = new QTcpSocket(this);
    m_probe->setObjectName(m_device);
    m_probeSettled = false;
    connect(m_probe, &QTcpSocket::connected, this, [this] { m_settle.start(settleMs); });
    connect(m_probe, &QTcpSocket::disconnected, this, &SerialPortObject::dropProbe);
    connect(m_probe, &QTcpSocket::errorOccurred, this, &SerialPortObject::dropProbe);
    m_probe->connectToHost(server->host, server->port);
}

void SerialPortObject::dropProbe()
{
    m_settle.stop();
    m_probeSettled = false;
    if (!m_probe)
        return;
    m_probe->disconnect(this);
    m_probe->abort();
    m_probe->deleteLater();
    m_probe = nullptr;
}

} // namespace peltro
