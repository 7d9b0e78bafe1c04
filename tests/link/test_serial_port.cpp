#include "serial_port_object.h"

#include <QtTest>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace peltro;

// The serial port object over a real pseudo-terminal: what a USB adapter or a
// simulator on a terminal looks like to the panel.
class TestSerialPort : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void comNumbersMapToDevices();
    void errorWords_data();
    void errorWords();
    void openFailuresSayWhy();
    void openFailuresOfUsers();
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
    QCOMPARE(port.lastError(), QStringLiteral("Com 3: no such device"));
    port.setCommPort(1);
    QVERIFY(!port.open());  // no such device: refused, not fatal
    QCOMPARE(port.lastError(), QStringLiteral("/dev/ttyA: no such device"));
    QVERIFY(!port.isOpen());
    QVERIFY(!port.write(QByteArray("\x81\xFF", 2)));  // nothing queued on a closed port
    QCOMPARE(port.inBufferCount(), 0);
    QVERIFY(port.read().isEmpty());
    QVERIFY(!port.setSettings(QStringLiteral("4800,n,8,1")));
    QVERIFY(port.setSettings(QStringLiteral("38400,N,8,1")));
    QCOMPARE(port.baudRate(), 38400);
}

void TestSerialPort::errorWords_data()
{
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<bool>("mayReadWrite");
    QTest::addColumn<QString>("words");
    const QString denied = QStringLiteral("permission denied: add your user to the dialout group");
    QTest::newRow("none") << QSerialPort::NoError << true << QString();
    QTest::newRow("missing") << QSerialPort::DeviceNotFoundError << false << QStringLiteral("no such device");
    QTest::newRow("not ours") << QSerialPort::PermissionError << false << denied;
    QTest::newRow("held elsewhere") << QSerialPort::PermissionError << true << QStringLiteral("busy");
    QTest::newRow("open twice") << QSerialPort::OpenError << true << QStringLiteral("busy");
    QTest::newRow("unplugged") << QSerialPort::ResourceError << true << QStringLiteral("device gone (unplugged?)");
    QTest::newRow("hung up") << QSerialPort::ReadError << true << QStringLiteral("device gone (unplugged?)");
    QTest::newRow("write") << QSerialPort::WriteError << true << QStringLiteral("write failed (System says)");
    QTest::newRow("unknown") << QSerialPort::UnknownError << true << QStringLiteral("unknown error (System says)");
}

void TestSerialPort::errorWords()
{
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(bool, mayReadWrite);
    QFETCH(QString, words);
    QCOMPARE(portErrorText(error, mayReadWrite, QStringLiteral("System says")), words);
}

// What the operator reads when a real device does not open.
void TestSerialPort::openFailuresSayWhy()
{
    const auto failure = [](const QString& device) {
        SerialPortObject port({device});
        return port.open() ? QString() : port.lastError();
    };
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyUSB9"));
    QCOMPARE(failure(missing), missing + QStringLiteral(": no such device"));

    Pty pty;
    {
        SerialPortObject holder({pty.path});  // another program has the device
        QVERIFY(holder.open());
        QCOMPARE(failure(pty.path), pty.path + QStringLiteral(": busy"));
    }
    QCOMPARE(failure(pty.path), QString());  // free again
}

// What only a user who is not root meets: a terminal held exclusively by a
// program that does not use lock files, and a device the user may not open.
void TestSerialPort::openFailuresOfUsers()
{
    if (geteuid() == 0)
        QSKIP("root opens exclusive and unreadable terminals alike");
    const auto failure = [](const QString& device) {
        SerialPortObject port({device});
        return port.open() ? QString() : port.lastError();
    };
    Pty pty;
    {
        const int other = ::open(pty.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(other >= 0 && ::ioctl(other, TIOCEXCL) == 0);
        QCOMPARE(failure(pty.path), pty.path + QStringLiteral(": busy"));
        ::close(other);
    }
    QVERIFY(::chmod(pty.path.toLocal8Bit().constData(), 0) == 0);
    QCOMPARE(failure(pty.path), pty.path + QStringLiteral(": permission denied: add your user to the dialout group"));
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
    QVERIFY(port.write(QByteArray::fromHex("81090002ff")));
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
    port.waitForReadyRead(200);
    // the loss is known before the event loop closes the port: no write is "sent"
    QVERIFY(!port.write(QByteArray::fromHex("81090002ff")));
    QVERIFY(port.lastError().endsWith(QStringLiteral(": device gone (unplugged?)")));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(t.elapsed() < 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 2000);  // closed on the resource error
    QCOMPARE(port.inBufferCount(), 0);
    QVERIFY(!port.write(QByteArray::fromHex("81090002ff")));
    QVERIFY(!port.waitForReadyRead(50));
}

QTEST_MAIN(TestSerialPort)
#include "test_serial_port.moc"
