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
    void sameNameComesBack();
    void closeEndsTheWatch();
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
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
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
            if (n > 0) {
                out.append(buf, int(n));
            } else {
                QCoreApplication::processEvents();  // the port writes from the event loop
                QThread::msleep(10);
            }
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

    // a wait that runs out is no failure of the port
    QVERIFY(!port.waitForReadyRead(20));
    QCOMPARE(port.lastError(), QString());
    QVERIFY(port.isOpen() && !port.isLost());
}

void TestSerialPort::vanishedDeviceDoesNotHang()
{
    auto pty = std::make_unique<Pty>();
    const QString device = pty->path;
    SerialPortObject port({device});
    QSignalSpy lost(&port, &PortObject::lost);
    QVERIFY(port.open());
    pty.reset();  // the adapter is pulled out
    // A wait finds the loss and ends: the port is lost from then on, before
    // the event loop has told anyone.
    QVERIFY(!port.waitForReadyRead(5000));
    QVERIFY(port.isLost());
    QCOMPARE(lost.size(), 0);
    QVERIFY(!port.write(QByteArray::fromHex("81090002ff")));
    const QString reason = device + QStringLiteral(": device gone (unplugged?)");
    QCOMPARE(port.lastError(), reason);
    // Further waits end at once (a 5 s wait would fail the test's own limit).
    QVERIFY(!port.waitForReadyRead(60000));
    // Told once, from the event loop.
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(lost.at(0).at(0).toString(), reason);
    QTRY_VERIFY(!port.isOpen());  // closed on the resource error
    QCOMPARE(port.inBufferCount(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(lost.size(), 1);
}

// A device that comes back under the name it was opened by (a link, as the
// names under /dev/serial/by-id are) is seen at once, and opens again.
void TestSerialPort::sameNameComesBack()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    auto pty = std::make_unique<Pty>();
    QVERIFY(QFile::link(pty->path, name));
    SerialPortObject port({name});
    port.firstReturnCheckMs = 60000;  // the folder's watch alone has to see it
    QSignalSpy lost(&port, &PortObject::lost);
    QSignalSpy back(&port, &PortObject::mayBeBack);
    QVERIFY(port.open());

    pty.reset();
    QFile::remove(name);
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(lost.at(0).at(0).toString(), name + QStringLiteral(": device gone (unplugged?)"));
    QTest::qWait(50);
    QCOMPARE(back.size(), 0);
    QVERIFY(!port.open());  // not there: still lost, still watched
    QVERIFY(port.isLost());
    QCOMPARE(port.lastError(), name + QStringLiteral(": no such device"));

    // Another name in the folder is not the device.
    Pty other;
    QVERIFY(QFile::link(other.path, dir.filePath(QStringLiteral("usb-other"))));
    QTest::qWait(50);
    QCOMPARE(back.size(), 0);

    Pty again;
    QVERIFY(QFile::link(again.path, name));
    QTRY_VERIFY_WITH_TIMEOUT(back.size() >= 1, 5000);
    QVERIFY(port.open());
    QVERIFY(!port.isLost());
    QVERIFY(port.write(QByteArray::fromHex("883001ff")));
    QCOMPARE(again.readMaster().toHex(), QByteArray("883001ff"));
    // The watch has ended with the loss.
    QFile::remove(dir.filePath(QStringLiteral("usb-other")));
    const int seen = back.size();
    QTest::qWait(50);
    QCOMPARE(back.size(), seen);
}

// Closing on purpose ends a loss and its watch: start-up's own search for a
// port is not taken for a device that failed.
void TestSerialPort::closeEndsTheWatch()
{
    auto pty = std::make_unique<Pty>();
    SerialPortObject port({pty->path});
    port.firstReturnCheckMs = 10;
    QSignalSpy back(&port, &PortObject::mayBeBack);
    QVERIFY(port.open());
    pty.reset();
    QVERIFY(!port.waitForReadyRead(5000));
    QVERIFY(port.isLost());
    port.close();
    QVERIFY(!port.isLost());
    Pty again;  // may even get the same number
    QTest::qWait(100);
    QCOMPARE(back.size(), 0);
}

QTEST_MAIN(TestSerialPort)
#include "test_serial_port.moc"
