// Debian's ser2net in front of the simulator, as one or two stations share
// it: a camera that does not answer is no lost link, two panels on one
// server settle instead of taking it from each other for ever, and what the
// operator asks while the server is stalled never reaches a camera later.
#include "e2e_processes.h"

#include "camera_session.h"
#include "clock.h"
#include "serial_port_object.h"

using namespace e2e;
using namespace peltro;

namespace {

struct SharingJobs : JobOwner {};
Job runOn(SharingJobs&, Task<std::optional<int>> task, std::optional<std::optional<int>>& out)
{
    out = co_await task;
}

// The session in this process, on the server, in real time.
struct LiveSession {
    explicit LiveSession(const QString& device) : port({device}, {}), session(port, clock)
    {
        QObject::connect(&session, &CameraSession::linkNews, &session,
                         [this](const LinkNews& n) { news << n.text; });
        QObject::connect(&session, &CameraSession::noAnswer, &session, [this](int a) { silent << a; });
    }
    // The chain counted as start-up counts it.
    bool start()
    {
        if (!session.link().openPort(1, QStringLiteral("9600")))
            return false;
        std::optional<std::optional<int>> count;
        runOn(jobs, session.assignAddresses([] {}), count);
        if (!QTest::qWaitFor([&] { return count.has_value(); }, 10000) || !*count)
            return false;
        session.link().resumeReceiving();
        return true;
    }
    bool told(const QString& start) const
    {
        return std::any_of(news.begin(), news.end(), [&](const QString& n) { return n.startsWith(start); });
    }
    SharingJobs jobs;
    SteadyClock clock;
    SerialPortObject port;
    CameraSession session;
    QStringList news;
    QList<int> silent;
};

int count(const QStringList& packets, const QString& packet)
{
    return int(packets.count(packet));
}

const QString kClear = QStringLiteral("88 01 00 01 FF");
const QString kAddressSet = QStringLiteral("88 30 01 FF");

} // namespace

class TestDeviceServerSharing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo(QStringLiteral(PELTRO_SER2NET)).isExecutable())
            QSKIP("ser2net is not installed (./run.sh test installs it)");
    }

    // Camera 2 of two never answers; the broadcast still comes around the
    // chain, so the server is seen to pass bytes: "no answer", nothing else.
    void silentCameraIsNoLostLink()
    {
        ServedChain s;
        QVERIFY(s.start(QStringLiteral("quorin-p3,quorin-p3"), {QStringLiteral("--silent"), QStringLiteral("2")}));
        LiveSession live(s.address());
        QVERIFY(live.start());
        QCOMPARE(live.session.cameraCount(), 2);
        live.session.setAddress(2);
        QCOMPARE(live.session.command(Packet::fromBytes(QByteArray::fromHex("8201040702ff"))), SendResult::Sent);
        // the answer's second, then the check's
        // (the session lives in this process: the waits turn its event loop)
        QVERIFY2(QTest::qWaitFor([&] { s.sim.take(); return s.sim.received().contains(kClear); }, 5000),
                 qPrintable(s.sim.seen.join(QLatin1Char('|'))));
        QTest::qWait(500);
        QVERIFY2(!live.told(QStringLiteral("Link lost")), qPrintable(live.news.join('\n')));
        QVERIFY2(!live.told(QStringLiteral("No answer through")), qPrintable(live.news.join('\n')));
        QVERIFY(!live.session.serverStalled());
        QVERIFY(!live.session.link().portLost());
        // Camera 1 is still reached through the same connection.
        live.session.setAddress(1);
        const int mark = s.sim.seen.size();
        QCOMPARE(live.session.command(Packet::fromBytes(QByteArray::fromHex("8101040702ff"))), SendResult::Sent);
        QVERIFY(QTest::qWaitFor(
            [&] { s.sim.take(); return s.sim.received(mark).contains(QStringLiteral("81 01 04 07 02 FF")); }, 5000));
    }

    // A second panel takes the server (ser2net lets the newest client in):
    // the two hand it back and forth ever more slowly, and each clears the
    // cameras' interfaces at most once on its way back.
    void twoPanelsOnOneServerSettle()
    {
        ServedChain s;
        QVERIFY(s.start());
        const QString address = s.address();
        QTemporaryDir dirA, dirB;
        Panel a, b;
        QVERIFY(a.start(dirA, {address}));
        QVERIFY(s.sim.waitForAnswerTo(QStringLiteral("81 09 06 11 FF")));
        const int mark = s.sim.seen.size();
        QVERIFY(b.start(dirB, {address}));
        QTest::qWait(12000);
        s.sim.take();
        const QStringList fight = s.sim.received(mark);
        // B's start-up, and one return of each at most.
        QVERIFY2(count(fight, kClear) <= 3, qPrintable(fight.join('|')));
        // Each connection is one address set: B's start-up and a few
        // returns, not one every second or two.
        QVERIFY2(count(fight, kAddressSet) <= 6, qPrintable(fight.join('|')));
        const QString takenOver = QStringLiteral("another client took over the device server");
        QVERIFY2(a.waitForLine(QStringLiteral("Link lost: %1: %2").arg(address, takenOver), 0).size()
                     + b.waitForLine(QStringLiteral("Link lost: %1: %2").arg(address, takenOver), 0).size() > 0,
                 qPrintable(a.log + b.log));
        // Later, no clear at all: the returns within the minute only set
        // the addresses.
        const int later = s.sim.seen.size();
        QTest::qWait(6000);
        s.sim.take();
        QCOMPARE(count(s.sim.received(later), kClear), 0);
        QCOMPARE(a.process.state(), QProcess::Running);
        QCOMPARE(b.process.state(), QProcess::Running);
    }

    // The server stops (SIGSTOP): the first command finds it passes nothing
    // back, the next is refused and dropped; when the server goes on, that
    // one never reaches the camera, and the stop given meanwhile comes after
    // the movement. Never a lost link.
    void stalledServerDeliversNoCommandLate()
    {
        ServedChain s;
        QVERIFY(s.start());
        LiveSession live(s.address());
        QVERIFY(live.start());
        const pid_t pid = static_cast<pid_t>(s.server.process.processId());
        ::kill(pid, SIGSTOP);
        QCOMPARE(live.session.command(Packet::fromBytes(QByteArray::fromHex("8101040702ff"))), SendResult::Sent);
        // Told within two seconds of the missing answer.
        QVERIFY(QTest::qWaitFor([&] { return live.session.serverStalled(); }, 3500));
        QVERIFY(live.told(QStringLiteral("No answer through the device server")));
        QCOMPARE(live.session.command(Packet::fromBytes(QByteArray::fromHex("8101040703ff"))),
                 SendResult::RefusedLinkLost);
        QVERIFY(live.news.last().startsWith(QStringLiteral("Not sent: the device server")));
        // The zoom's stop still goes: the zoom that revealed the stall may
        // wait in the server, and nothing may leave it running.
        QCOMPARE(live.session.command(Packet::fromBytes(QByteArray::fromHex("8101040700ff"))), SendResult::Sent);
        ::kill(pid, SIGCONT);
        const int mark = s.sim.seen.size();
        QVERIFY(QTest::qWaitFor([&] { return !live.session.serverStalled(); }, 8000));
        QVERIFY(live.news.last().startsWith(QStringLiteral("The device server")));
        QTest::qWait(300);
        s.sim.take();
        QVERIFY2(!s.sim.received(mark).contains(QStringLiteral("81 01 04 07 03 FF")),
                 qPrintable(s.sim.received(mark).join('|')));
        const QStringList all = s.sim.received(0);
        QVERIFY2(all.lastIndexOf(QStringLiteral("81 01 04 07 00 FF")) > all.lastIndexOf(QStringLiteral("81 01 04 07 02 FF")),
                 qPrintable(all.join('|')));
        QVERIFY(!live.told(QStringLiteral("Link lost")));
    }
};

QTEST_MAIN(TestDeviceServerSharing)
#include "test_device_server_sharing.moc"
