#pragma once

#include "port_object.h"

#include <QSerialPort>
#include <QStringList>

namespace peltro {

// Which device each "Com N" opens: the devices given on the command line in
// order, or else the serial devices the system reports, sorted by name.
QStringList defaultComDevices();

class SerialPortObject final : public PortObject {
    Q_OBJECT
public:
    explicit SerialPortObject(QStringList comDevices, QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    int inBufferCount() override;
    QByteArray read() override;
    void write(const QByteArray& bytes) override;
    bool waitForReadyRead(int msecs) override;
    QString deviceName(int commPort) const override;

private:
    void onError(QSerialPort::SerialPortError error);

    QStringList m_devices;
    QSerialPort m_port;
};

} // namespace peltro
