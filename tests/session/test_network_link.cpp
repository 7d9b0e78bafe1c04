// The session over a serial device server (tcp://) in virtual time, the
// server being a socket in the test: a camera that does not answer is not a
// lost link, a server that passes nothing back holds commands back instead
// of letting them reach a camera late, and reconnections do not clear the
// cameras' interfaces more than once a minute.
#include "rigs.h"
#include "serial_port_object.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

const QByteArray kClear = QByteArray::fromHex("88010001ff");
const QByteArray kZoomTele = QByteArray::fromHex("8101040702ff");
const QByteArray kZoomStop = QByteArray::fromHex("8101040700ff");

// The session on a port to a device server that is a socket of the test.
struct NetRig {
    NetRig() : port({listening(server)}, {}), session(port, clock) {}
    static QString listening(QTcpServer& server)
    {
        server.listen(QHostAddress::LocalHost);
        return QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort());
    }
    QTcpServer server;
    ManualClock clock;
    SerialPortObject port;
    CameraSession session;
    QTcpSocket* peer = nullptr;
    QByteArray seen;   // what reached the server
    QStringList news;

    bool open()
    {
        QObject::connect(&session, &CameraSession::linkNews, &session,
                         [this](const LinkNews& n) { news << n.text; });
        if (!session.link().openPort(1, QStringLiteral("9600")))
            return false;
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000))
            return false;
        peer = server.nextPendingConnection();
        session.link().resumeReceiving();
        return true;
    }
    // Lets bytes cross the sockets both ways.
    void pump(int ms = 50)
    {
        QTest::qWait(ms);
        seen += peer->readAll();
    }
    // The server answers with bytes now.
    void answer(const QByteArray& bytes)
    {
        peer->write(bytes);
        peer->flush();
        pump();
    }
    void advance(double seconds)
    {
        clock.advance(seconds);
        pump();
        clock.advance(0);
        pump();
    }
    bool newsStarts(const QString& text) const
    {
        return std::any_of(news.begin(), news.end(), [&](const QString& n) { return n.startsWith(text); });
    }
};

} // namespace

class TestNetworkLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unansweredCommandChecksTheServer_data();
    void unansweredCommandChecksTheServer();
    void stalledServerRefusesUntilItAnswers();
    void reconnectionsClearAtMostOnceAMinute();
};

// A command nobody answers: the interface clear shows whether the server
// passes bytes on. Coming back around the chain, it was a camera; nothing
// comes back, and the server is held to be stalled. Never a lost link.
void TestNetworkLink::unansweredCommandChecksTheServer_data()
{
    QTest::addColumn<bool>("clearReturns");
    QTest::newRow("a camera is silent") << true;
    QTest::newRow("the server passes nothing back") << false;
}

void TestNetworkLink::unansweredCommandChecksTheServer()
{
    QFETCH(bool, clearReturns);
    NetRig r;
    QVERIFY(r.open());
    QSignalSpy lost(&r.session.link(), &Link::lost);
    QCOMPARE(r.session.command(Packet::fromBytes(kZoomTele)), SendResult::Sent);
    r.pump();
    QCOMPARE(r.seen, kZoomTele);
    r.seen.clear();

    r.advance(1.1);   // no acknowledge within the second
    QCOMPARE(r.seen, kClear);
    if (clearReturns)
        r.answer(kClear);
    r.advance(1.1);
    QCOMPARE(r.session.serverStalled(), !clearReturns);
    QCOMPARE(lost.size(), 0);
    QVERIFY(!r.session.link().portLost());
    QVERIFY(!r.newsStarts(QStringLiteral("Link lost")));
    if (!clearReturns)
        QCOMPARE(r.news.last(),
                 QStringLiteral("No answer through the device server %1: not even the interface clear came back. "
                                "Commands are refused, not kept for later; the panel asks again in 2 s.")
                     .arg(r.session.link().currentDevice()));
    else
        QVERIFY(r.news.isEmpty());

    // The next command goes out only through a server that passes bytes.
    r.seen.clear();
    const SendResult next = r.session.command(Packet::fromBytes(kZoomTele));
    r.pump();
    QCOMPARE(next, clearReturns ? SendResult::Sent : SendResult::RefusedLinkLost);
    QCOMPARE(r.seen, clearReturns ? kZoomTele : QByteArray());
}

// A stalled server is asked again, each wait twice the one before; what the
// operator sends meanwhile is refused in words and never reaches the line.
// Once the interface clear comes back the server is back.
void TestNetworkLink::stalledServerRefusesUntilItAnswers()
{
    NetRig r;
    QVERIFY(r.open());
    r.session.command(Packet::fromBytes(kZoomTele));
    r.advance(1.1);
    r.advance(1.1);
    QVERIFY(r.session.serverStalled());
    r.seen.clear();

    QCOMPARE(r.session.command(Packet::fromBytes(kZoomTele)), SendResult::RefusedLinkLost);
    QCOMPARE(r.news.last(), QStringLiteral("Not sent: the device server %1 passes nothing back. The command was "
                                           "dropped, not kept for later; the panel tells when the server answers.")
                                .arg(r.session.link().currentDevice()));
    QVERIFY(!r.session.readStatus());   // no inquiries piled up in the server either
    // A stop still goes: right behind the movement that may wait in the
    // server, it can only end it.
    r.seen.clear();
    QCOMPARE(r.session.command(Packet::fromBytes(kZoomStop)), SendResult::Sent);
    r.pump();
    QCOMPARE(r.seen, kZoomStop);
    QCOMPARE(r.session.command(Packet::fromBytes(QByteArray::fromHex("8101060118180303ff"))), SendResult::Sent);
    QCOMPARE(r.session.command(Packet::fromBytes(QByteArray::fromHex("8101060118180103ff"))),
             SendResult::RefusedLinkLost);   // a drive is no stop
    r.pump();
    r.seen.clear();

    r.advance(2.0);    // asked again: still nothing
    QCOMPARE(r.seen, kClear);
    r.advance(1.1);
    QVERIFY(r.news.last().endsWith(QStringLiteral("the panel asks again in 4 s.")));
    r.seen.clear();
    r.advance(3.5);
    QCOMPARE(r.seen, QByteArray());   // not before the four seconds are over
    r.advance(0.6);
    QCOMPARE(r.seen, kClear);
    r.answer(kClear);
    QVERIFY(!r.session.serverStalled());
    QCOMPARE(r.news.last(), QStringLiteral("The device server %1 answers again; commands go out.")
                                .arg(r.session.link().currentDevice()));
    r.seen.clear();
    QCOMPARE(r.session.command(Packet::fromBytes(kZoomTele)), SendResult::Sent);
    r.pump();
    QCOMPARE(r.seen, kZoomTele);
    QCOMPARE(r.session.link().portLost(), false);
}

// A port that keeps coming back (a device server shared with another
// station) is checked with the address set alone when its interfaces were
// cleared less than a minute before.
void TestNetworkLink::reconnectionsClearAtMostOnceAMinute()
{
    SessionRig r;
    r.startUp();
    QStringList news;
    connect(&r.session, &CameraSession::linkNews, this, [&news](const LinkNews& n) { news << n.text; });
    const auto reconnect = [&r, &news] {
        r.port.pull();
        r.settle(5);
        r.port.putBack();
        const bool back = QTest::qWaitFor([&] {
            r.settle(1);
            return news.last().startsWith(QStringLiteral("Link back"));
        }, 5000);
        return back ? r.sent() : QStringList{QStringLiteral("the link did not come back")};
    };
    const QStringList first = reconnect();
    QVERIFY2(news.last().startsWith(QStringLiteral("Link back")), qPrintable(news.join(QLatin1Char(10))));
    QVERIFY2(first.contains(QStringLiteral("88 01 00 01 FF")), qPrintable(first.join('|')));
    r.clock.advance(30);
    const QStringList second = reconnect();
    QVERIFY2(!second.contains(QStringLiteral("88 01 00 01 FF")), qPrintable(second.join('|')));
    QVERIFY(second.contains(QStringLiteral("88 30 01 FF")));
    // Told as it happened: no interfaces were cleared this time.
    QVERIFY2(news.last().endsWith(QStringLiteral(" reopened, addresses set, status read.")), qPrintable(news.last()));
    QVERIFY(r.session.linkUp());
    r.clock.advance(31);
    const QStringList third = reconnect();
    QVERIFY2(third.contains(QStringLiteral("88 01 00 01 FF")), qPrintable(third.join('|')));
}

QTEST_MAIN(TestNetworkLink)
#include "test_network_link.moc"
