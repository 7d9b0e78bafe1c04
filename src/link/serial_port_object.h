#pragma once

#include "com_ports.h"
#include "port_object.h"

#include <QSerialPort>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

class QFileSystemWatcher;
class QIODevice;
class QTcpSocket;

namespace peltro {

// Why a port could not be opened or used, in the operator's words.
// QSerialPort reports a device held by another program (its lock file, or an
// exclusive open) as a permission error, like a device the user may not open;
// whether the user may read and write the device tells the two apart.
// systemText is the system's own message, added where the words alone say
// too little.
QString portErrorText(QSerialPort::SerialPortError error, bool mayReadWrite,
                      const QString& systemText = {});

// The panel's port to the camera chain. "Com N" opens the N-th of the given
// devices: a serial device ("/dev/ttyUSB0", a name under /dev/serial/by-id),
// or a serial device server over the network ("tcp://HOST:PORT"), which then
// carries the same packets with the same time-outs.
//
// A device that fails while open (adapter pulled out, connection dropped) is
// lost: it is then watched for, without a polling loop, and mayBeBack() tells
// when it seems to be there again under the same name.
class SerialPortObject final : public PortObject {
    Q_OBJECT
public:
    // The first look for a lost device comes after firstReturnCheckMs, then
    // one every returnCheckMs (a watch on its folder sees a serial device
    // come back sooner).
    int firstReturnCheckMs = 1000;
    int returnCheckMs = 3000;
    // How long a device server has to accept a connection.
    int connectMs = 3000;
    // A device server that accepts a connection but cannot open its serial
    // device closes it again at once: a connection is taken as the server's
    // return only once it has stayed up this long.
    int settleMs = 500;
    // A device server lets one client in at a time: one that closes a
    // connection the panel reopened less than takeOverWindowMs ago has let
    // another client in instead. The panel then waits before it connects
    // again (each connection takes the server back from the other client),
    // twice as long each time, up to maxBackoffMs.
    int takeOverWindowMs = 60000;
    int firstBackoffMs = 2000;
    int maxBackoffMs = 60000;

    // system: what the system says of its serial devices, for describe().
    explicit SerialPortObject(QStringList comDevices, QList<SerialDeviceInfo> system = systemSerialDevices(),
                              QObject* parent = nullptr);
    ~SerialPortObject() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    int inBufferCount() override;
    QByteArray read() override;
    bool write(const QByteArray& bytes) override;
    bool waitForReadyRead(int msecs) override;
    QString deviceName(int commPort) const override;
    ComDescription describe(int commPort) const override;
    int retryInMs() const override;

protected:
    void watchForReturn(bool on) override;

private:
    bool openSerial();
    bool openTcp();
    void useTcp(QTcpSocket* socket);
    void dropTcp();
    void onSerialError(QSerialPort::SerialPortError error);
    void onTcpFailure(bool endOfStream);
    void watchFolders();
    void lookForReturn();
    void probeServer();
    void dropProbe();
    void fail(const QString& words);

    QStringList m_devices;
    QList<SerialDeviceInfo> m_system;
    QString m_device;                  // the one opened last
    QMap<int, QString> m_openFailures; // by Com number, in words
    QSerialPort m_serial;
    QTcpSocket* m_tcp = nullptr;
    QIODevice* m_io = nullptr;         // m_serial or m_tcp, while open

    QTimer m_returnTimer;
    QFileSystemWatcher* m_watcher = nullptr;
    QTcpSocket* m_probe = nullptr;     // a connection tried while the server is lost
    bool m_probeSettled = false;
    QTimer m_settle;

    QElapsedTimer m_connectedFor;      // since the present connection was made
    bool m_reconnected = false;        // it was made after a loss
    int m_backoffMs = 0;               // wait before the next connection, after a close by the server
    QDeadlineTimer m_nextTry;
};

} // namespace peltro
