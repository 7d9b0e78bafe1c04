// The port to a serial device server (tcp://HOST:PORT) against a server in
// the test: the same contract as a local serial device, losses and returns
// included.
#include "serial_port_object.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace peltro;

class TestTcpPort : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bytesPassBothWaysAndNotifyOnlyWhenAsked();
    void refusedConnectionSaysWhy();
    void droppedConnectionIsLost();
    void serverComesBack();
    void serverThatDropsAtOnceIsNotBack();
    void aWaitThatRunsOutIsNoLoss();
    void closedSoonAfterReturnIsATakeOverAndBacksOff();
};

namespace {
QString address(const QTcpServer& server)
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort());
}

QTcpSocket* accepted(QTcpServer& server)
{
    if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000))
        return nullptr;
    return server.nextPendingConnection();
}

QByteArray receivedBy(QTcpSocket* peer)
{
    if (!QTest::qWaitFor([&] { return peer->bytesAvailable() > 0; }, 5000))
        return {};
    return peer->readAll();
}

// Short watch timings, so that a return is seen in milliseconds.
void quick(SerialPortObject& port)
{
    port.firstReturnCheckMs = 20;
    port.returnCheckMs = 50;
    port.settleMs = 50;
}
} // namespace

void TestTcpPort::bytesPassBothWaysAndNotifyOnlyWhenAsked()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    SerialPortObject port({address(server)}, {});
    port.setDtrEnable(true);  // no DTR line over the network; still opens
    QVERIFY2(port.open(), qPrintable(port.lastError()));
    QTcpSocket* peer = accepted(server);
    QVERIFY(peer);
    QList<int> events;
    connect(&port, &PortObject::comEvent, this, [&](int code) { events << code; });
    port.setSThreshold(1);
    QVERIFY(port.write(QByteArray::fromHex("81090002ff")));
    QTRY_VERIFY(events.contains(PortObject::SendEvent));
    QCOMPARE(receivedBy(peer).toHex(), QByteArray("81090002ff"));

    // threshold 0: the answer waits in the buffer, no notification
    events.clear();
    const QByteArray answer = QByteArray::fromHex("9050000100");
    peer->write(answer);
    QVERIFY(peer->waitForBytesWritten(1000));
    QVERIFY(port.waitForReadyRead(5000));
    QCoreApplication::processEvents();
    QVERIFY(!events.contains(PortObject::ReceiveEvent));
    QCOMPARE(port.inBufferCount(), 5);
    port.setRThreshold(1);
    QTRY_VERIFY(events.contains(PortObject::ReceiveEvent));
    QCOMPARE(port.read(), answer);
    QCOMPARE(port.describe(1).description, QStringLiteral("serial device server"));
}

void TestTcpPort::refusedConnectionSaysWhy()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString device = address(server);
    server.close();  // nobody listens there now
    SerialPortObject port({device}, {});
    QVERIFY(!port.open());
    QCOMPARE(port.lastError(), device + QStringLiteral(": connection refused: is the device server running?"));
    QCOMPARE(port.describe(1).problem, QStringLiteral("connection refused: is the device server running?"));
    QVERIFY(!port.isOpen());
    QVERIFY(!port.isLost());  // never open: nothing was lost
    QVERIFY(!port.write(QByteArray::fromHex("883001ff")));
}

void TestTcpPort::droppedConnectionIsLost()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    SerialPortObject port({address(server)}, {});
    QSignalSpy lost(&port, &PortObject::lost);
    QVERIFY(port.open());
    QTcpSocket* peer = accepted(server);
    QVERIFY(peer);
    peer->close();  // the server goes, or drops the connection
    // A wait finds the loss and ends at once; so does every later wait.
    QVERIFY(!port.waitForReadyRead(5000));
    QVERIFY(port.isLost());
    QVERIFY(!port.waitForReadyRead(60000));
    QVERIFY(!port.write(QByteArray::fromHex("883001ff")));
    const QString reason = address(server) + QStringLiteral(": connection closed by the device server");
    QCOMPARE(port.lastError(), reason);
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(lost.at(0).at(0).toString(), reason);
    QCoreApplication::processEvents();
    QCOMPARE(lost.size(), 1);
}

// A lost server is tried again every few seconds; the connection that shows
// it is back is the one the reopened port uses.
void TestTcpPort::serverComesBack()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const quint16 number = server.serverPort();
    SerialPortObject port({address(server)}, {});
    quick(port);
    QSignalSpy back(&port, &PortObject::mayBeBack);
    QVERIFY(port.open());
    QTcpSocket* peer = accepted(server);
    QVERIFY(peer);
    server.close();
    peer->close();
    QTRY_VERIFY(port.isLost());
    QTest::qWait(200);  // several tries, all refused
    QCOMPARE(back.size(), 0);

    QVERIFY(server.listen(QHostAddress::LocalHost, number));
    QTRY_VERIFY_WITH_TIMEOUT(back.size() >= 1, 5000);
    QVERIFY(port.open());
    QVERIFY(!port.isLost());
    QTcpSocket* again = accepted(server);
    QVERIFY(again);
    QVERIFY(port.write(QByteArray::fromHex("88010001ff")));
    QCOMPARE(receivedBy(again).toHex(), QByteArray("88010001ff"));
    again->write(QByteArray::fromHex("88010001ff"));
    QVERIFY(again->waitForBytesWritten(1000));
    QVERIFY(port.waitForReadyRead(5000));
    QCOMPARE(port.read().toHex(), QByteArray("88010001ff"));
    // No second connection for the reopening, and no more tries after it.
    QTest::qWait(200);
    QVERIFY(!server.hasPendingConnections());
}

// A device server that accepts and hangs up at once (its own serial device
// is missing) is not back.
void TestTcpPort::serverThatDropsAtOnceIsNotBack()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    SerialPortObject port({address(server)}, {});
    quick(port);
    QSignalSpy back(&port, &PortObject::mayBeBack);
    QVERIFY(port.open());
    QTcpSocket* peer = accepted(server);
    QVERIFY(peer);
    int refused = 0;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            s->write("Device open failure\r\n");
            s->close();
            ++refused;
        }
    });
    peer->close();
    QTRY_VERIFY(port.isLost());
    QTRY_VERIFY_WITH_TIMEOUT(refused >= 3, 5000);
    QCOMPARE(back.size(), 0);
    QVERIFY(port.isLost());
}

// Cameras that say nothing leave the connection as it was: a wait that runs
// out (the socket's own time-out error) is not a loss.
void TestTcpPort::aWaitThatRunsOutIsNoLoss()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    SerialPortObject port({address(server)}, {});
    QSignalSpy lost(&port, &PortObject::lost);
    QVERIFY(port.open());
    QTcpSocket* peer = accepted(server);
    QVERIFY(peer);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!port.waitForReadyRead(30));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(!port.isLost());
    QCOMPARE(lost.size(), 0);
    QVERIFY(port.lastError().isEmpty());
    QVERIFY(port.write(QByteArray::fromHex("81090002ff")));
    QCOMPARE(receivedBy(peer).toHex(), QByteArray("81090002ff"));
}

// A server that closes the connection once is told as such and tried again
// after the first wait; one that closes it again soon after the panel got it
// back has let another client in: told in those words, and each wait is
// twice the one before, up to the longest. A connection that lasted resets
// the waits.
void TestTcpPort::closedSoonAfterReturnIsATakeOverAndBacksOff()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    SerialPortObject port({address(server)}, {});
    quick(port);
    port.firstBackoffMs = 150;
    port.maxBackoffMs = 500;
    port.takeOverWindowMs = 1500;
    QSignalSpy lost(&port, &PortObject::lost);
    QSignalSpy back(&port, &PortObject::mayBeBack);
    QVERIFY(port.open());
    QTcpSocket* peer = accepted(server);
    QVERIFY(peer);

    const QString closed = address(server) + QStringLiteral(": connection closed by the device server");
    const QString takenOver = address(server) + QStringLiteral(": another client took over the device server");
    struct Round {
        QString reason;
        int waitMs;
    };
    const Round rounds[] = {{closed, 150}, {takenOver, 300}, {takenOver, 500}, {takenOver, 500}};
    for (const Round& r : rounds) {
        lost.clear();
        back.clear();
        peer->close();  // the server lets another client in
        QTRY_COMPARE(lost.size(), 1);
        QCOMPARE(lost.at(0).at(0).toString(), r.reason);
        const int retry = port.retryInMs();
        QVERIFY2(retry > r.waitMs - 100 && retry <= r.waitMs, qPrintable(QString::number(retry)));
        // No connection before the wait is over: each one would take the
        // server back from the other client.
        QTest::qWait(r.waitMs - 100);
        QVERIFY(!server.hasPendingConnections());
        QTRY_VERIFY_WITH_TIMEOUT(back.size() >= 1, 5000);
        QVERIFY(port.open());
        peer = accepted(server);
        QVERIFY(peer);
    }

    // Kept for longer than the window: a close is no take-over any more.
    QTest::qWait(1600);
    lost.clear();
    peer->close();
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(lost.at(0).at(0).toString(), closed);
    QVERIFY(port.retryInMs() <= 150);
}

QTEST_MAIN(TestTcpPort)
#include "test_tcp_port.moc"
