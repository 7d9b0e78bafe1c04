#pragma once

#include "port_object.h"

#include <QSerialPort>
#include <QStringList>

namespace peltro {

// Which device each "Com N" opens: the devices given on the command line in
// order, or else the serial devices the system reports, sorted by name.
QStringList defaultComDevices();

// Why a port could not be opened or used, in the operator's words.
// QSerialPort reports a device held by another program (its lock file, or an
// exclusive open) as a permission error, like a device the user may not open;
// whether the user may read and write the device tells the two apart.
// systemText is the system's own message, added where the words alone say
// too little.
QString portErrorText(QSerialPort::SerialPortError error, bool mayReadWrite,
                      const QString& systemText = {});

class SerialPortObject final : public PortObject {
    Q_OBJECT
public:
    explicit SerialPortObject(QStringList comDevices, QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    int inBufferCount() override;
    QByteArray read() override;
    bool write(const QByteArray& bytes) override;
    bool waitForReadyRead(int msecs) override;
    QString deviceName(int commPort) const override;

private:
    void onError(QSerialPort::SerialPortError error);
    QString errorText(QSerialPort::SerialPortError error) const;

    QStringList m_devices;
    QString m_device;  // the one opened last
    QSerialPort m_port;
    bool m_lost = false;  // the device went away; closed at the next event loop pass
};

} // namespace peltro
