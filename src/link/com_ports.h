#pragma once

#include "port_object.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace peltro {

// A serial device the system reports, with what its USB adapter says of itself.
struct SerialDeviceInfo {
    QString location;      // "/dev/ttyUSB0"
    QString stableName;    // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", or empty
    QString description;   // "FT232R USB UART"
    QString manufacturer;  // "FTDI"
    QString serialNumber;  // "A50285BI"
};

// Where udev names serial devices after their adapter, for as long as the
// adapter is plugged in.
inline const QString kStableNameDir = QStringLiteral("/dev/serial/by-id");

// The links in dir, by the canonical path of the device each one names.
QMap<QString, QString> stableNames(const QString& dir = kStableNameDir);

// The serial devices of the system (QSerialPortInfo), each with its stable name.
QList<SerialDeviceInfo> systemSerialDevices(const QString& stableNameDir = kStableNameDir);

// Which device each "Com N" opens when none is given: the serial devices
// sorted by location, each by its stable name where it has one, so that the
// same adapter is opened again after it was pulled out and put back.
QStringList defaultComDevices(const QList<SerialDeviceInfo>& devices);
QStringList defaultComDevices();

// What is known of a local device: the entry of devices it names (itself or
// through a link), and whether it is there and the user may open it. A name
// in stableNameDir is a stable name even while it names nothing.
ComDescription describeDevice(const QString& device, const QList<SerialDeviceInfo>& devices,
                              const QString& stableNameDir = kStableNameDir);

} // namespace peltro
