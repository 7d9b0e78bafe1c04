#include "motion_pacer.h"
#include "rigs.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

using namespace peltro;
using namespace peltro::test;

namespace {

QByteArray packet(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray zoomTo(int address, int v)
{
    return packet({0x80 + address, 0x01, 0x04, 0x47, (v >> 12) & 0xF, (v >> 8) & 0xF, (v >> 4) & 0xF, v & 0xF, 0xFF});
}

QByteArray zoomDrive(int address, int speed)
{
    const int byte = speed == 0 ? 0 : speed > 0 ? 0x20 + speed : 0x30 - speed;
    return packet({0x80 + address, 0x01, 0x04, 0x07, byte, 0xFF});
}

QByteArray focusTo(int address, int v)
{
    QByteArray p = zoomTo(address, v);
    p[3] = 0x48;
    return p;
}

QByteArray panRight(int address, int speed)
{
    return packet({0x80 + address, 0x01, 0x06, 0x01, speed, 0x01, 0x02, 0x03, 0xFF});
}

QByteArray panTiltStop(int address)
{
    return packet({0x80 + address, 0x01, 0x06, 0x01, 0x18, 0x18, 0x03, 0x03, 0xFF});
}

// The simulated chain paced at 9600 bps in virtual time, with one pacer per
// camera. The rig plays the session's part: it is the line, and it hands each
// acknowledge and error to the pacer of the camera that sent it.
struct PacedChain : ChainRig, MotionLine {
    explicit PacedChain(const QStringList& names = {QStringLiteral("quorin-p3")}) : ChainRig(names)
    {
        port.pace = true;
        for (int a = 1; a <= chain.size(); ++a)
            pacers.push_back(std::make_unique<MotionPacer>(a, *this, clock));
    }

    MotionPacer& pacer(int address = 1) { return *pacers[address - 1]; }

    bool sendMotion(const MotionPacket& packet) override
    {
        if (!port.write(packet))
            return false;
        events << Event{clock.now(), 'S', packet};
        return true;
    }
    bool lineFree() const override { return free; }
    double lineTime(int bytes) const override { return bytes * 10.0 / port.baudRate(); }

    // Virtual time passes in steps shorter than a byte time, the replies
    // going to their pacers as they arrive.
    void run(double seconds)
    {
        const double end = clock.now() + seconds;
        while (clock.now() < end - 1e-12) {
            clock.advance(std::min(kStep, end - clock.now()));
            route(port.read());
        }
    }

    void route(const QByteArray& bytes)
    {
        m_partial += bytes;
        for (qsizetype end; (end = m_partial.indexOf(char(0xFF))) >= 0;) {
            const QByteArray reply = m_partial.left(end + 1);
            m_partial.remove(0, end + 1);
            const int address = (quint8(reply.at(0)) >> 4) - 8;
            if (reply.size() < 3 || address < 1 || address > int(pacers.size()))
                continue;
            switch (quint8(reply.at(1)) & 0xF0) {
            case 0x40:
                if (lostAcks > 0) {
                    --lostAcks;
                    break;
                }
                events << Event{clock.now(), 'A', reply};
                pacer(address).acknowledged();
                break;
            case 0x60:
                events << Event{clock.now(), 'E', reply};
                pacer(address).failed();
                break;
            }
        }
    }

    QList<QByteArray> sent() const
    {
        QList<QByteArray> out;
        for (const Event& e : events) {
            if (e.what == 'S')
                out << e.packet;
        }
        return out;
    }
    QList<double> sendTimes() const
    {
        QList<double> out;
        for (const Event& e : events) {
            if (e.what == 'S')
                out << e.at;
        }
        return out;
    }

    struct Event {
        double at;
        char what;   // S sent, A acknowledge, E error
        QByteArray packet;
    };
    QList<Event> events;
    bool free = true;
    int lostAcks = 0;   // acknowledges lost on the way
    std::vector<std::unique_ptr<MotionPacer>> pacers;

    static constexpr double kStep = 0.0005;

private:
    QByteArray m_partial;
};

int zoomValue(const QByteArray& p)
{
    return (p.at(4) << 12) | (p.at(5) << 8) | (p.at(6) << 4) | p.at(7);
}

} // namespace

class TestMotionPacer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<MotionKind>(); }

    // A zoom drag faster than the line: only the newest value waits, each
    // packet waits for the acknowledge of the one before, values go out in
    // the order of the hand, the last packet carries the final value, and it
    // leaves at most one exchange after the hand has stopped.
    void latestWins_data()
    {
        QTest::addColumn<double>("dragSeconds");
        QTest::addColumn<int>("steps");
        QTest::newRow("quick drag") << 0.25 << 400;
        QTest::newRow("slow drag") << 2.0 << 400;
        QTest::newRow("one step") << 0.0 << 1;
    }
    void latestWins()
    {
        QFETCH(double, dragSeconds);
        QFETCH(int, steps);
        PacedChain rig;
        const int last = 0x4000;
        double finalAt = 0;
        for (int i = 1; i <= steps; ++i) {
            rig.pacer().setPosition(MotionKind::position(0x47), zoomTo(1, last * i / steps));
            finalAt = rig.clock.now();
            if (i < steps)
                rig.run(dragSeconds / steps);
        }
        rig.run(1.0);

        const QList<QByteArray> sent = rig.sent();
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent.last(), zoomTo(1, last));
        QCOMPARE(rig.chain.camera(1).state.zoom, last);
        // Exchange times at 9600 bps: 9 bytes out, 3 back.
        const double exchange = rig.lineTime(12);
        const double maxPackets = dragSeconds / exchange + 2;
        QVERIFY2(sent.size() <= maxPackets, qPrintable(QStringLiteral("%1 packets").arg(sent.size())));
        int previous = -1;
        for (const QByteArray& p : sent) {
            QVERIFY(zoomValue(p) > previous);
            previous = zoomValue(p);
        }
        // Never two packets without an acknowledge between them.
        char before = 'A';
        for (const auto& e : rig.events) {
            if (e.what == 'S')
                QVERIFY2(before != 'S', qPrintable(QStringLiteral("second packet at %1").arg(e.at)));
            before = e.what;
        }
        QVERIFY(rig.sendTimes().last() - finalAt <= exchange + 2 * PacedChain::kStep);
        QCOMPARE(rig.pacer().waiting(), 0);
    }

    // A stop goes before every waiting value and drops a waiting drive of
    // its own kind, whatever held it: the acknowledge of the packet before,
    // an exchange holding the line, or a lost link (then it is owed).
    void stopFirst_data()
    {
        QTest::addColumn<QString>("held");
        QTest::newRow("acknowledge awaited") << QStringLiteral("ack");
        QTest::newRow("line held by an exchange") << QStringLiteral("line");
        QTest::newRow("link lost while queued") << QStringLiteral("link");
    }
    void stopFirst()
    {
        QFETCH(QString, held);
        PacedChain rig;
        MotionPacer& pacer = rig.pacer();
        QSignalSpy moving(&pacer, &MotionPacer::movingChanged);
        pacer.drive(MotionKind::zoom(), zoomDrive(1, 5), zoomDrive(1, 0));
        QCOMPARE(rig.sent(), QList<QByteArray>{zoomDrive(1, 5)});
        QCOMPARE(moving.size(), 1);
        QVERIFY(pacer.moving());
        if (held == QLatin1String("line"))
            rig.free = false;
        if (held == QLatin1String("line"))
            rig.run(0.5);   // the first packet's acknowledge comes; the line stays held
        pacer.setPosition(MotionKind::position(0x48), focusTo(1, 0x2000));
        pacer.drive(MotionKind::panTilt(), panRight(1, 4), panTiltStop(1));
        pacer.drive(MotionKind::zoom(), zoomDrive(1, 3), zoomDrive(1, 0));
        pacer.stop(MotionKind::zoom(), zoomDrive(1, 0));
        if (held == QLatin1String("line")) {
            rig.run(0.5);
            QCOMPARE(rig.sent().size(), 1);
            rig.free = true;
            pacer.lineFreed();
        }
        if (held == QLatin1String("link")) {
            pacer.linkLost();
            pacer.drive(MotionKind::panTilt(), panRight(1, 9), panTiltStop(1));   // not taken while down
            rig.run(0.5);
            QCOMPARE(rig.sent().size(), 1);
            pacer.linkBack();
        }
        rig.run(1.0);
        QList<QByteArray> expected{zoomDrive(1, 5), zoomDrive(1, 0)};
        if (held != QLatin1String("link"))
            expected << focusTo(1, 0x2000) << panRight(1, 4);
        QCOMPARE(rig.sent(), expected);
        QCOMPARE(rig.chain.log.size(), expected.size());
        if (held == QLatin1String("link")) {
            QVERIFY(!pacer.moving());
        } else {
            QVERIFY(pacer.moving());   // the pan still runs
            pacer.stop(MotionKind::panTilt(), panTiltStop(1));
            rig.run(0.2);
            QCOMPARE(rig.sent().last(), panTiltStop(1));
            QVERIFY(!pacer.moving());
        }
        QCOMPARE(moving.last().first().toBool(), false);
    }

    // When the link goes, a stop is owed to every drive that was running
    // and to a stop not yet confirmed; waiting values are dropped. When it
    // comes back the owed stops go first.
    void linkLossOwesStops()
    {
        PacedChain rig({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p3")});
        rig.pacer(1).drive(MotionKind::panTilt(), panRight(1, 4), panTiltStop(1));
        rig.pacer(1).drive(MotionKind::zoom(), zoomDrive(1, 2), zoomDrive(1, 0));
        rig.pacer(1).setPosition(MotionKind::position(0x47), zoomTo(1, 0x3000));
        rig.pacer(1).drive(MotionKind::focus(), zoomDrive(1, 1), zoomDrive(1, 0));
        rig.pacer(2).setPosition(MotionKind::position(0x47), zoomTo(2, 0x1000));
        while (!rig.sent().contains(zoomDrive(1, 2)))
            rig.run(PacedChain::kStep);
        for (auto& p : rig.pacers)
            p->linkLost();
        rig.run(0.5);
        const int before = int(rig.sent().size());
        QCOMPARE(rig.sent(), (QList<QByteArray>{panRight(1, 4), zoomTo(2, 0x1000), zoomDrive(1, 2)}));
        for (auto& p : rig.pacers)
            p->linkBack();
        rig.run(1.0);
        const QList<QByteArray> after = rig.sent().mid(before);
        // Camera 2 only went to a position: nothing is owed to it.
        QCOMPARE(after, (QList<QByteArray>{panTiltStop(1), zoomDrive(1, 0)}));
        QVERIFY(!rig.pacer(1).moving());
        QCOMPARE(rig.pacer(1).waiting(), 0);
    }

    // A stop that is not acknowledged goes again at its interval, at most
    // three more times; an acknowledge ends the re-sends.
    void stopResent_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("lostAcks");
        QTest::addColumn<int>("sends");
        QTest::newRow("silent camera") << true << 0 << 1 + MotionPacer::kStopResends;
        QTest::newRow("first acknowledge lost") << false << 1 << 2;
        QTest::newRow("acknowledged") << false << 0 << 1;
    }
    void stopResent()
    {
        QFETCH(bool, silent);
        QFETCH(int, lostAcks);
        QFETCH(int, sends);
        PacedChain rig;
        if (silent)
            rig.chain.faults.silent.insert(1);
        rig.lostAcks = lostAcks;
        QSignalSpy unconfirmed(&rig.pacer(), &MotionPacer::stopUnconfirmed);
        rig.pacer().stop(MotionKind::panTilt(), panTiltStop(1));
        rig.run(3.0);
        const QList<double> times = rig.sendTimes();
        QCOMPARE(times.size(), sends);
        for (int i = 1; i < times.size(); ++i)
            QCOMPARE(times[i] - times[i - 1], MotionPacer::kStopResendInterval);
        QCOMPARE(unconfirmed.size(), silent ? 1 : 0);
        QCOMPARE(rig.pacer().waiting(), 0);
    }

    // A camera that does not acknowledge is paced by the line: after the
    // one missed deadline every packet follows the one before by its line
    // time, and the final value is still the last one sent. A drive sent
    // after an unconfirmed stop is not followed by that stop's re-send.
    void silentCameraPacedByLine()
    {
        PacedChain rig;
        rig.chain.faults.silent.insert(1);
        for (int i = 1; i <= 400; ++i) {
            rig.pacer().setPosition(MotionKind::position(0x47), zoomTo(1, i));
            rig.run(0.001);
        }
        rig.run(0.5);
        QVERIFY(!rig.pacer().acknowledging());
        const QList<double> times = rig.sendTimes();
        QCOMPARE(rig.sent().last(), zoomTo(1, 400));
        QVERIFY(times[1] - times[0] <= rig.lineTime(12) + MotionPacer::kAckDeadline + PacedChain::kStep);
        const double packetTime = rig.lineTime(9);
        for (int i = 2; i < times.size(); ++i)
            QVERIFY(times[i] - times[i - 1] >= packetTime - 1e-9
                    && times[i] - times[i - 1] <= packetTime + PacedChain::kStep + 1e-9);
        QVERIFY(times.size() >= 25);

        rig.events.clear();
        rig.pacer().stop(MotionKind::zoom(), zoomDrive(1, 0));
        rig.run(0.05);
        rig.pacer().drive(MotionKind::zoom(), zoomDrive(1, 2), zoomDrive(1, 0));
        rig.run(1.0);
        QCOMPARE(rig.sent(), (QList<QByteArray>{zoomDrive(1, 0), zoomDrive(1, 2)}));
        QVERIFY(rig.pacer().moving());
    }

    // A camera that answers again in time is waited for again; an error
    // answers a value (not retried) but leaves a stop owed.
    void answersAfterSilence()
    {
        PacedChain rig;
        rig.chain.faults.silent.insert(1);
        rig.pacer().setPosition(MotionKind::position(0x47), zoomTo(1, 1));
        rig.run(0.3);
        QVERIFY(!rig.pacer().acknowledging());
        rig.chain.faults.silent.clear();
        rig.pacer().setPosition(MotionKind::position(0x47), zoomTo(1, 2));
        rig.run(0.3);
        QVERIFY(rig.pacer().acknowledging());

        // A position outside the model's range is refused with an error.
        rig.events.clear();
        rig.pacer().setPosition(MotionKind::position(0x47), zoomTo(1, 0xF000));
        rig.run(0.5);
        QCOMPARE(rig.sent().size(), 1);
        // A head with speed 0 refuses the drive; as a stop packet it is owed
        // again until the re-sends run out.
        rig.events.clear();
        rig.pacer().stop(MotionKind::panTilt(), panRight(1, 0));
        rig.run(2.0);
        QCOMPARE(rig.sent().size(), 1 + MotionPacer::kStopResends);
        for (const auto& e : rig.events)
            QVERIFY(e.what != 'A');

        // What is no whole packet for one camera is refused and never sent.
        rig.events.clear();
        const QList<QByteArray> malformed{{}, packet({0x81, 0xFF}), packet({0x81, 0x01, 0x04, 0x07, 0x00}),
                                          packet({0x88, 0x01, 0x04, 0x07, 0x00, 0xFF}),
                                          packet({0x81, 0xFF, 0x04, 0x07, 0x00, 0xFF}), QByteArray(17, char(0x81))};
        for (const QByteArray& p : malformed) {
            QVERIFY(!rig.pacer().setPosition(MotionKind::position(0x47), p));
            QVERIFY(!rig.pacer().stop(MotionKind::zoom(), p));
            QVERIFY(!rig.pacer().drive(MotionKind::zoom(), p, zoomDrive(1, 0)));
            QVERIFY(!rig.pacer().drive(MotionKind::zoom(), zoomDrive(1, 2), p));
        }
        QVERIFY(!rig.pacer().setPosition(MotionKind::zoom(), zoomTo(1, 5)));   // a drive is no position
        rig.run(1.0);
        QVERIFY(rig.events.isEmpty());
        QCOMPARE(rig.pacer().waiting(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMotionPacer)
#include "test_motion_pacer.moc"
