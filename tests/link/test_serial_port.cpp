#include "serial_port_object.h"

#include <QtTest>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace peltro;

// The serial port object over a real pseudo-terminal: what a USB adapter or a
// simulator on a terminal looks like to the panel.
class TestSerialPort : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void comNumbersMapToDevices();
    void bytesPassBothWaysAndNotifyOnlyWhenAsked();
    void vanishedDeviceDoesNotHang();
};

namespace {
struct Pty {
    Pty()
    {
        char name[256] = {};
        openpty(&master, &slave, name, nullptr, nullptr);
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
    QByteArray readMaster()
    {
        QByteArray out;
        char buf[64];
        for (int i = 0; i < 50 && out.isEmpty(); ++i) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                out.append(buf, int(n));
            else
                QThread::msleep(10);
        }
        return out;
    }
    int master = -1;
    int slave = -1;
    QString path;
};
} // namespace

void TestSerialPort::comNumbersMapToDevices()
{
    SerialPortObject port({QStringLiteral("/dev/ttyA"), QStringLiteral("/dev/ttyB")});
    QCOMPARE(port.deviceName(1), QStringLiteral("/dev/ttyA"));
    QCOMPARE(port.deviceName(2), QStringLiteral("/dev/ttyB"));
    QVERIFY(port.deviceName(3).isEmpty());
    port.setCommPort(3);
    QVERIFY(!port.open());
    QCOMPARE(port.lastError(), QStringLiteral("no device for Com 3"));
    port.setCommPort(1);
    QVERIFY(!port.open());  // no such device: refused, not fatal
    QVERIFY(!port.lastError().isEmpty());
    QVERIFY(!port.isOpen());
    port.write(QByteArray("\x81\xFF", 2));  // writes to a closed port are dropped
    QCOMPARE(port.inBufferCount(), 0);
    QVERIFY(port.read().isEmpty());
    QVERIFY(!port.setSettings(QStringLiteral("4800,n,8,1")));
    QVERIFY(port.setSettings(QStringLiteral("38400,N,8,1")));
    QCOMPARE(port.baudRate(), 38400);
}

void TestSerialPort::bytesPassBothWaysAndNotifyOnlyWhenAsked()
{
    Pty pty;
    SerialPortObject port({pty.path});
    port.setDtrEnable(true);  // a terminal has no DTR line; still opens
    QVERIFY2(port.open(), qPrintable(port.lastError()));
    QList<int> events;
    connect(&port, &PortObject::comEvent, this, [&](int code) { events << code; });
    port.setSThreshold(1);
    port.write(QByteArray::fromHex("81090002ff"));
    QTRY_VERIFY(events.contains(PortObject::SendEvent));
    QCOMPARE(pty.readMaster().toHex(), QByteArray("81090002ff"));

    // threshold 0: the answer waits in the buffer, no notification
    events.clear();
    const QByteArray answer = QByteArray::fromHex("9050000100");
    QCOMPARE(::write(pty.master, answer.constData(), answer.size()), ssize_t(answer.size()));
    QVERIFY(port.waitForReadyRead(1000));
    QCoreApplication::processEvents();
    QVERIFY(!events.contains(PortObject::ReceiveEvent));
    QCOMPARE(port.inBufferCount(), 5);
    // switching notifications on announces what waits
    port.setRThreshold(1);
    QTRY_VERIFY(events.contains(PortObject::ReceiveEvent));
    QCOMPARE(port.read(), answer);
}

void TestSerialPort::vanishedDeviceDoesNotHang()
{
    auto pty = std::make_unique<Pty>();
    SerialPortObject port({pty->path});
    QVERIFY(port.open());
    pty.reset();  // the adapter is pulled out
    QElapsedTimer t;
    t.start();
    port.write(QByteArray::fromHex("81090002ff"));
    port.waitForReadyRead(200);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(t.elapsed() < 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 2000);  // closed on the resource error
    QCOMPARE(port.inBufferCount(), 0);
    port.write(QByteArray::fromHex("81090002ff"));  // still no crash
    QVERIFY(!port.waitForReadyRead(50));
}

QTEST_MAIN(TestSerialPort)
#include "test_serial_port.moc"
