// What "Com N" opens and what the operator is told of it: stable names under
// /dev/serial/by-id, the adapters' own words, why a device does not open, and
// device servers given as tcp://HOST:PORT. The system's list is a fake one.
#include "com_ports.h"
#include "serial_port_object.h"
#include "tcp_endpoint.h"

#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace peltro;

class TestComPorts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stableNamesByDevice();
    void defaultComsOpenStableNames();
    void describedAsTheOperatorSeesThem_data();
    void describedAsTheOperatorSeesThem();
    void openFailureIsRemembered();
    void tcpDevices_data();
    void tcpDevices();
};

namespace {
// A folder standing in for /dev with three adapters, one of them the user's
// and two that are not, and a by-id folder naming two of them.
struct FakeDev {
    FakeDev()
    {
        for (const char* n : {"ttyUSB0", "ttyUSB1", "ttyACM0"}) {
            QFile f(dev(QString::fromLatin1(n)));
            f.open(QIODevice::WriteOnly);
        }
        QDir(root.path()).mkdir(QStringLiteral("by-id"));
        QFile::link(dev(QStringLiteral("ttyUSB1")), byId(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")));
        QFile::link(dev(QStringLiteral("ttyACM0")), byId(QStringLiteral("usb-Arduino_Uno_8573-if00")));
        QFile::link(dev(QStringLiteral("ttyUSB7")), byId(QStringLiteral("usb-gone-if00")));  // names nothing
        ::chmod(dev(QStringLiteral("ttyACM0")).toLocal8Bit().constData(), 0);
        list = {
            {dev(QStringLiteral("ttyUSB1")), byId(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")),
             QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"), QStringLiteral("A50285BI")},
            {dev(QStringLiteral("ttyUSB0")), {}, QStringLiteral("CP2102 USB to UART Bridge Controller"),
             QStringLiteral("Silicon Labs"), QStringLiteral("0001")},
            {dev(QStringLiteral("ttyACM0")), byId(QStringLiteral("usb-Arduino_Uno_8573-if00")),
             QStringLiteral("Uno"), QStringLiteral("Arduino"), QStringLiteral("8573")},
        };
    }
    QString dev(const QString& n) const { return root.filePath(n); }
    QString byId(const QString& n) const { return root.filePath(QStringLiteral("by-id/") + n); }
    QTemporaryDir root;
    QList<SerialDeviceInfo> list;
};
} // namespace

void TestComPorts::stableNamesByDevice()
{
    FakeDev d;
    const QMap<QString, QString> names = stableNames(d.root.filePath(QStringLiteral("by-id")));
    QCOMPARE(names.size(), 2);  // the link that names nothing is left out
    QCOMPARE(names.value(QFileInfo(d.dev(QStringLiteral("ttyUSB1"))).canonicalFilePath()),
             d.byId(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")));
    QVERIFY(stableNames(d.root.filePath(QStringLiteral("none"))).isEmpty());  // no adapter: no folder
}

void TestComPorts::defaultComsOpenStableNames()
{
    FakeDev d;
    // In the order of the devices, each by its stable name where it has one.
    QCOMPARE(defaultComDevices(d.list),
             (QStringList{d.byId(QStringLiteral("usb-Arduino_Uno_8573-if00")), d.dev(QStringLiteral("ttyUSB0")),
                          d.byId(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"))}));
    QVERIFY(defaultComDevices(QList<SerialDeviceInfo>{}).isEmpty());
}

void TestComPorts::describedAsTheOperatorSeesThem_data()
{
    QTest::addColumn<QString>("device");  // "dev:NAME", "id:NAME" in the fake folder, or as it stands
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("stableName");
    QTest::addColumn<QString>("adapter");  // description / maker / serial number
    QTest::addColumn<QString>("problem");
    const QString denied = QStringLiteral("permission denied: add your user to the dialout group");
    const bool root = ::geteuid() == 0;
    QTest::newRow("by its node") << "dev:ttyUSB1" << "dev:ttyUSB1"
                                 << "id:usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
                                 << "FT232R USB UART / FTDI / A50285BI" << "";
    QTest::newRow("by its stable name") << "id:usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" << "dev:ttyUSB1"
                                        << "id:usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
                                        << "FT232R USB UART / FTDI / A50285BI" << "";
    QTest::newRow("no stable name") << "dev:ttyUSB0" << "dev:ttyUSB0" << ""
                                    << "CP2102 USB to UART Bridge Controller / Silicon Labs / 0001" << "";
    QTest::newRow("not the user's") << "dev:ttyACM0" << "dev:ttyACM0" << "id:usb-Arduino_Uno_8573-if00"
                                    << "Uno / Arduino / 8573" << (root ? QString() : denied);
    QTest::newRow("pulled out") << "id:usb-gone-if00" << "" << "id:usb-gone-if00" << " /  / "
                                << "no such device";
    QTest::newRow("not in the system's list") << "dev:ttyS9" << "" << "" << " /  / " << "no such device";
}

void TestComPorts::describedAsTheOperatorSeesThem()
{
    QFETCH(QString, device);
    QFETCH(QString, location);
    QFETCH(QString, stableName);
    QFETCH(QString, adapter);
    QFETCH(QString, problem);
    FakeDev d;
    const auto path = [&d](const QString& s) {
        if (s.startsWith(QLatin1String("dev:")))
            return QFileInfo(d.dev(s.mid(4))).absoluteFilePath();
        if (s.startsWith(QLatin1String("id:")))
            return d.byId(s.mid(3));
        return s;
    };
    // The fake by-id folder stands for /dev/serial/by-id.
    ComDescription c = describeDevice(path(device), d.list, d.root.filePath(QStringLiteral("by-id")));
    QCOMPARE(c.device, path(device));
    QCOMPARE(QFileInfo(c.location).canonicalFilePath(), QFileInfo(path(location)).canonicalFilePath());
    QCOMPARE(c.stableName, path(stableName));
    QCOMPARE(QStringLiteral("%1 / %2 / %3").arg(c.description, c.manufacturer, c.serialNumber), adapter);
    QCOMPARE(c.problem, problem);

    // Through the port object, Com by Com.
    SerialPortObject port({path(device)}, d.list);
    QCOMPARE(port.describe(1).problem, problem);
    QCOMPARE(port.describe(1).description, c.description);
    QVERIFY(port.describe(2).device.isEmpty());
}

// "Busy" is only known by trying: the dialog shows what the last try said.
void TestComPorts::openFailureIsRemembered()
{
    FakeDev d;
    const QString plain = d.dev(QStringLiteral("ttyUSB0"));  // a plain file, not a terminal
    SerialPortObject port({plain, QStringLiteral("tcp://127.0.0.1:1")}, d.list);
    QVERIFY(port.describe(1).problem.isEmpty());
    QVERIFY(!port.open());
    const QString words = port.lastError().mid(plain.size() + 2);
    QVERIFY2(!words.isEmpty(), qPrintable(port.lastError()));
    QCOMPARE(port.describe(1).problem, words);
    QCOMPARE(port.describe(2).description, QStringLiteral("serial device server"));
    QVERIFY(port.describe(2).problem.isEmpty());
}

void TestComPorts::tcpDevices_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("host");  // empty: not a device server address
    QTest::addColumn<int>("port");
    QTest::newRow("address") << "tcp://192.168.1.50:4001" << "192.168.1.50" << 4001;
    QTest::newRow("name") << "tcp://camserver.local:2000" << "camserver.local" << 2000;
    QTest::newRow("upper case") << "TCP://10.0.0.7:7000" << "10.0.0.7" << 7000;
    QTest::newRow("IPv6") << "tcp://[::1]:4001" << "::1" << 4001;
    QTest::newRow("slash") << "tcp://10.0.0.7:7000/" << "10.0.0.7" << 7000;
    QTest::newRow("no port") << "tcp://10.0.0.7" << "" << 0;
    QTest::newRow("port 0") << "tcp://10.0.0.7:0" << "" << 0;
    QTest::newRow("port too big") << "tcp://10.0.0.7:70000" << "" << 0;
    QTest::newRow("no host") << "tcp://:4001" << "" << 0;
    QTest::newRow("a path") << "tcp://10.0.0.7:4001/dev/ttyS0" << "" << 0;
    QTest::newRow("user") << "tcp://me@10.0.0.7:4001" << "" << 0;
    QTest::newRow("blank") << "tcp://10.0.0.7: 4001" << "" << 0;
    QTest::newRow("serial device") << "/dev/ttyUSB0" << "" << 0;
    QTest::newRow("telnet") << "telnet://10.0.0.7:23" << "" << 0;
}

void TestComPorts::tcpDevices()
{
    QFETCH(QString, device);
    QFETCH(QString, host);
    QFETCH(int, port);
    const auto server = parseTcpDevice(device);
    QCOMPARE(server.has_value(), !host.isEmpty());
    if (server) {
        QCOMPARE(server->host, host);
        QCOMPARE(int(server->port), port);
    }
    if (!isTcpDevice(device))
        return;
    // What the Com Setting dialog and a failed open say of a bad address.
    SerialPortObject p({device}, {});
    QCOMPARE(p.describe(1).problem.isEmpty(), server.has_value());
    if (!server) {
        QVERIFY(!p.open());
        QCOMPARE(p.lastError(), device + QStringLiteral(": not a device server address (tcp://HOST:PORT)"));
    }
}

QTEST_MAIN(TestComPorts)
#include "test_com_ports.moc"
