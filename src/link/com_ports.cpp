#include "com_ports.h"

#include "serial_port_object.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace peltro {

namespace {
// The device a name stands for in the end; the name itself when it names
// nothing (yet).
QString canonical(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}
} // namespace

QMap<QString, QString> stableNames(const QString& dir)
{
    QMap<QString, QString> names;
    const QFileInfoList links = QDir(dir).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        const QString target = link.canonicalFilePath();
        if (link.isSymLink() && !target.isEmpty())
            names.insert(target, link.absoluteFilePath());
    }
    return names;
}

QList<SerialDeviceInfo> systemSerialDevices(const QString& stableNameDir)
{
    const QMap<QString, QString> names = stableNames(stableNameDir);
    QList<SerialDeviceInfo> devices;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        devices.append({info.systemLocation(), names.value(canonical(info.systemLocation())), info.description(),
                        info.manufacturer(), info.serialNumber()});
    }
    return devices;
}

QStringList defaultComDevices(const QList<SerialDeviceInfo>& devices)
{
    QList<SerialDeviceInfo> sorted = devices;
    std::sort(sorted.begin(), sorted.end(),
              [](const SerialDeviceInfo& a, const SerialDeviceInfo& b) { return a.location < b.location; });
    QStringList names;
    for (const SerialDeviceInfo& d : sorted)
        names << (d.stableName.isEmpty() ? d.location : d.stableName);
    return names;
}

QStringList defaultComDevices()
{
    return defaultComDevices(systemSerialDevices());
}

ComDescription describeDevice(const QString& device, const QList<SerialDeviceInfo>& devices,
                              const QString& stableNameDir)
{
    ComDescription d;
    d.device = device;
    const QString target = canonical(device);
    if (QFileInfo::exists(device))
        d.location = target;
    for (const SerialDeviceInfo& info : devices) {
        if (canonical(info.location) != target && canonical(info.stableName) != target)
            continue;
        d.location = info.location;
        d.stableName = info.stableName;
        d.description = info.description;
        d.manufacturer = info.manufacturer;
        d.serialNumber = info.serialNumber;
        break;
    }
    if (d.stableName.isEmpty() && QFileInfo(device).absolutePath() == QFileInfo(stableNameDir).absoluteFilePath())
        d.stableName = device;
    // Whether it opens is only known by opening it, which may disturb the
    // program that holds it; what the file itself tells is safe to ask.
    const QFileInfo file(device);
    if (!file.exists())
        d.problem = portErrorText(QSerialPort::DeviceNotFoundError, false);
    else if (!file.isReadable() || !file.isWritable())
        d.problem = portErrorText(QSerialPort::PermissionError, false);
    return d;
}

} // namespace peltro
