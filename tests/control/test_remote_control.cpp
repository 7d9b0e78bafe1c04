// The remote control over real UDP sockets on this computer: messages from
// liblo and from oscsend reach the camera operations, refusals come back to
// the sender in words, subscribers get the state, senders not allowed are
// dropped and counted, a port in use is said in words, and the safety
// stops hold under a flood and at the end.
#include "fake_camera_operations.h"
#include "remote_control.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QUdpSocket>
#include <QtTest>
#include <lo/lo.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace peltro;
using namespace peltro::test;

namespace {

// A controller on this computer: sends from its own liblo socket, so that
// replies and feedback come back to it, and keeps what it receives.
class Controller {
public:
    Controller()
    {
        m_server = lo_server_new_with_proto("0", LO_UDP, nullptr);
        lo_server_add_method(m_server, nullptr, nullptr, &Controller::handle, this);
        sockaddr_storage local{};
        socklen_t length = sizeof local;
        getsockname(lo_server_get_socket_fd(m_server), reinterpret_cast<sockaddr*>(&local), &length);
        m_port = ntohs(reinterpret_cast<sockaddr_in6*>(&local)->sin6_port);
    }
    ~Controller() { lo_server_free(m_server); }
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    quint16 port() const { return m_port; }
    QString source() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    // Sends the message (which it frees) to the panel's port.
    void send(quint16 to, const char* path, lo_message message)
    {
        lo_address target = lo_address_new("127.0.0.1", QByteArray::number(to).constData());
        lo_send_message_from(target, m_server, path, message);
        lo_address_free(target);
        lo_message_free(message);
    }
    void sendFloats(quint16 to, const char* path, std::initializer_list<float> values)
    {
        lo_message m = lo_message_new();
        for (float v : values)
            lo_message_add_float(m, v);
        send(to, path, m);
    }
    void sendBundle(quint16 to, std::initializer_list<std::pair<const char*, float>> messages)
    {
        lo_bundle bundle = lo_bundle_new(LO_TT_IMMEDIATE);
        for (const auto& [path, value] : messages) {
            lo_message m = lo_message_new();
            lo_message_add_float(m, value);
            lo_bundle_add_message(bundle, path, m);
        }
        lo_address target = lo_address_new("127.0.0.1", QByteArray::number(to).constData());
        lo_send_bundle_from(target, m_server, bundle);
        lo_address_free(target);
        lo_bundle_free_recursive(bundle);
    }

    // What arrived so far, "path arg arg", taken.
    QStringList received()
    {
        while (lo_server_recv_noblock(m_server, 0) > 0) {
        }
        return std::exchange(m_received, {});
    }

private:
    static int handle(const char* path, const char* types, lo_arg** argv, int argc, lo_message, void* self)
    {
        OscMessage m;
        m.path = QString::fromUtf8(path);
        m.args = oscArgs(types, argv, argc);
        static_cast<Controller*>(self)->m_received << m.toString();
        return 0;
    }

    lo_server m_server = nullptr;
    quint16 m_port = 0;
    QStringList m_received;
};

RemoteAccess onThisComputer(quint16 port = 0)
{
    RemoteAccess a;
    a.on = true;
    a.port = port;
    a.bind = RemoteAccess::thisComputer();
    return a;
}

struct Rig {
    Rig()
    {
        ops.addCamera(2, QStringLiteral("TAMIRO-J1A"), false);
        remote->configure(onThisComputer());
    }
    quint16 port() const { return remote->port(); }
    // Waits until the chain has been asked for count operations in all.
    bool operationsReach(int count)
    {
        return QTest::qWaitFor([&] { return ops.operations().size() >= count; }, 5000);
    }

    FakeCameraOperations ops;
    ManualClock clock;
    std::unique_ptr<RemoteControl> remote = std::make_unique<RemoteControl>(ops, clock);
    Controller controller;
};

QStringList waitForReplies(Controller& c, int count)
{
    QStringList all;
    (void)QTest::qWaitFor([&] {
        all += c.received();
        return all.size() >= count;
    }, 5000);
    return all;
}

} // namespace

class TestRemoteControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listensWhereAskedOrSaysWhyNot()
    {
        FakeCameraOperations ops;
        ManualClock clock;
        RemoteControl remote(ops, clock);
        QCOMPARE(remote.stateText(), QStringLiteral("Remote control is off."));
        QVERIFY(!remote.isListening());

        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::LocalHost, 0));
        const quint16 taken = other.localPort();
        QSignalSpy state(&remote, &RemoteControl::stateChanged);
        QSignalSpy saved(&remote, &RemoteControl::accessChanged);
        remote.configure(onThisComputer(taken));
        QVERIFY(!remote.isListening());
        QCOMPARE(remote.stateText(),
                 QStringLiteral("Remote control is off: UDP port %1 is in use by another program.").arg(taken));
        QCOMPARE(state.size(), 1);
        QCOMPARE(saved.size(), 1);

        // The same settings again, once the port is free: it tries again.
        other.close();
        remote.configure(onThisComputer(taken));
        QVERIFY(remote.isListening());
        QCOMPARE(remote.port(), taken);
        QCOMPARE(remote.stateText(), QStringLiteral("Listening on 127.0.0.1, UDP port %1 (this computer only).").arg(taken));
        QCOMPARE(saved.size(), 1);
        // A second remote control on the same port is refused in words.
        RemoteControl second(ops, clock);
        second.configure(onThisComputer(taken));
        QCOMPARE(second.stateText(),
                 QStringLiteral("Remote control is off: UDP port %1 is in use by another program.").arg(taken));

        RemoteAccess a = onThisComputer();
        a.bind = QStringLiteral("192.0.2.1");   // documentation range: never this computer's
        remote.configure(a);
        QVERIFY(!remote.isListening());
        QCOMPARE(remote.stateText(), QStringLiteral("Remote control is off: 192.0.2.1 is not an address of this computer."));
        a.bind = QStringLiteral("camera-room");
        remote.configure(a);
        QCOMPARE(remote.stateText(), QStringLiteral("Remote control is off: \"camera-room\" is not an IP address."));
        a.bind = RemoteAccess::network();
        remote.configure(a);
        QVERIFY(remote.isListening());
        QCOMPARE(remote.stateText(), QStringLiteral("Listening on 0.0.0.0, UDP port %1 (the network).").arg(remote.port()));
        a.on = false;
        remote.configure(a);
        QVERIFY(!remote.isListening());
        QCOMPARE(remote.stateText(), QStringLiteral("Remote control is off."));
    }

    // Messages and bundles through the socket; a refusal goes back to the
    // sender in words, and nothing reaches the chain for it.
    void messagesAndRefusalsOverUdp()
    {
        Rig r;
        r.controller.sendFloats(r.port(), "/peltro/cam/1/zoom", {0.5f});
        QVERIFY(r.operationsReach(1));
        QCOMPARE(r.ops.takeCalls(), (QStringList{QStringLiteral("note %1 /peltro/cam/1/zoom 0.5").arg(r.controller.source()),
                                                 QStringLiteral("zoom 1 4")}));
        r.controller.sendBundle(r.port(), {{"/peltro/cam/2/preset/recall", 3.0f}, {"/peltro/select", 2.0f}});
        QVERIFY(r.operationsReach(2));
        QCOMPARE(r.ops.operations(), (QStringList{QStringLiteral("preset 2 recall 3"), QStringLiteral("select 2")}));
        r.ops.takeCalls();

        r.controller.sendFloats(r.port(), "/peltro/cam/5/zoom", {1.0f});
        r.controller.sendFloats(r.port(), "/peltro/cam/2/pantilt", {1.0f, 0.0f});
        r.controller.sendFloats(r.port(), "/peltro/cam/1/zoom", {3.0f});
        r.controller.sendFloats(r.port(), "/peltro/kam/1/zoom", {1.0f});
        QCOMPARE(waitForReplies(r.controller, 4),
                 (QStringList{QStringLiteral("/peltro/error \"Camera 5 is not in the chain.\""),
                              QStringLiteral("/peltro/error \"Camera 2 (TAMIRO-J1A) has no pan-tilt head.\""),
                              QStringLiteral("/peltro/error \"/peltro/cam/1/zoom: 3.0 is out of range (-1 to 1).\""),
                              QStringLiteral("/peltro/error \"Unknown address /peltro/kam/1/zoom.\"")}));
        // Datagrams that are no OSC are counted and leave the socket working.
        QUdpSocket junk;
        junk.writeDatagram(QByteArray("\x81\x01\x04\x07\x02\xff"), QHostAddress::LocalHost, r.port());
        junk.writeDatagram(QByteArray("/peltro/select\0\0,i\0\0\0\0", 20), QHostAddress::LocalHost, r.port());
        QTRY_COMPARE(r.remote->malformedCount(), 2);
        r.controller.sendFloats(r.port(), "/peltro/cam/1/focus", {-1.0f});
        QVERIFY(r.operationsReach(1));
        QCOMPARE(r.ops.operations(), QStringList{QStringLiteral("focus 1 -7")});

        r.ops.setLink(false);
        r.ops.takeCalls();
        r.controller.sendFloats(r.port(), "/peltro/cam/1/home", {});
        QCOMPARE(waitForReplies(r.controller, 1),
                 QStringList{QStringLiteral("/peltro/error \"Link lost: the cameras cannot be reached.\"")});
        QCOMPARE(r.ops.calls, QStringList{});
    }

    // liblo's own command-line client as the controller.
    void oscsendDrivesTheCameras()
    {
        const QString oscsend = QStandardPaths::findExecutable(QStringLiteral("oscsend"));
        if (oscsend.isEmpty())
            QFAIL("oscsend is missing: install liblo-tools (./run.sh does)");
        Rig r;
        const QString port = QString::number(r.port());
        const QList<QStringList> sends{
            {QStringLiteral("/peltro/cam/1/pantilt"), QStringLiteral("ff"), QStringLiteral("1.0"), QStringLiteral("-0.5")},
            {QStringLiteral("/peltro/cam/1/preset/recall"), QStringLiteral("i"), QStringLiteral("2")},
            {QStringLiteral("/peltro/select"), QStringLiteral("f"), QStringLiteral("2.0")},
            {QStringLiteral("/peltro/cam/2/power"), QStringLiteral("i"), QStringLiteral("0")},
            {QStringLiteral("/peltro/cam/1/stop")},
        };
        for (const QStringList& args : sends) {
            QProcess p;
            p.start(oscsend, QStringList{QStringLiteral("127.0.0.1"), port} + args);
            QVERIFY(p.waitForFinished(5000));
            QCOMPARE(p.exitCode(), 0);
            // One at a time: each process sends from a port of its own.
            QVERIFY(r.operationsReach(int(&args - sends.data()) + 1));
        }
        QCOMPARE(r.ops.operations(),
                 (QStringList{QStringLiteral("panTilt 1 24 -10"), QStringLiteral("preset 1 recall 2"),
                              QStringLiteral("select 2"), QStringLiteral("power 2 off"), QStringLiteral("stop 1")}));
    }

    // 10 000 pan-tilt messages through the socket, then a stop: every one
    // reaches the chain in order and the stop comes last. A flood whose stop
    // never arrives ends in the hold's stop.
    void floodNeverLosesTheStop()
    {
        Rig r;
        constexpr int kFlood = 10000;
        constexpr int kChunk = 200;   // what the receive buffer holds while the test sends
        for (int sent = 0; sent < kFlood;) {
            for (int k = 0; k < kChunk; ++k, ++sent)
                r.controller.sendFloats(r.port(), "/peltro/cam/1/pantilt", {float((sent % 21) - 10) / 10.0f, 0.5f});
            QVERIFY2(r.operationsReach(sent), qPrintable(QStringLiteral("%1 of %2").arg(r.ops.operations().size()).arg(sent)));
        }
        r.controller.sendFloats(r.port(), "/peltro/cam/1/stop", {});
        QVERIFY(r.operationsReach(kFlood + 1));
        const QStringList ops = r.ops.operations();
        QCOMPARE(ops.size(), kFlood + 1);
        QCOMPARE(ops.last(), QStringLiteral("stop 1"));
        // The last of the flood: pan -0.7 of 24 steps, tilt 0.5 of 20.
        QCOMPARE(ops.at(kFlood - 1), QStringLiteral("panTilt 1 -17 10"));
        QCOMPARE(r.remote->dispatcher().movingCameras(), QList<int>{});

        r.ops.takeCalls();
        for (int k = 0; k < kChunk; ++k)
            r.controller.sendFloats(r.port(), "/peltro/cam/1/pantilt", {0.5f, 0.5f});
        QVERIFY(r.operationsReach(kChunk));
        QCOMPARE(r.ops.operations().last(), QStringLiteral("panTilt 1 12 10"));
        r.clock.advance(0.5);
        QCOMPARE(r.ops.operations().last(), QStringLiteral("stop 1"));
        QCOMPARE(r.ops.operations().size(), kChunk + 1);
    }

    // Link lost, remote control turned off, the panel closing: every camera
    // still moving at the remote control's command stops.
    void everyMovedCameraStops_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("why");
        QTest::newRow("link lost") << 0 << QStringLiteral("link lost");
        QTest::newRow("turned off") << 1 << QStringLiteral("remote control off");
        QTest::newRow("panel closing") << 2 << QStringLiteral("panel closing");
    }

    void everyMovedCameraStops()
    {
        QFETCH(int, how);
        QFETCH(QString, why);
        Rig r;
        r.ops.addCamera(3, QStringLiteral("QUORIN-P2"), true);
        r.controller.sendFloats(r.port(), "/peltro/cam/1/pantilt", {-1.0f, 0.0f});
        r.controller.sendFloats(r.port(), "/peltro/cam/2/zoom", {1.0f});
        r.controller.sendFloats(r.port(), "/peltro/cam/3/focus", {1.0f});
        r.controller.sendFloats(r.port(), "/peltro/cam/3/focus", {0.0f});   // its sender stopped it
        QVERIFY(r.operationsReach(4));
        r.ops.takeCalls();
        if (how == 0)
            r.ops.setLink(false);
        else if (how == 1)
            r.remote->configure(RemoteAccess{});
        else
            r.remote.reset();
        const QString src = r.controller.source();
        QCOMPARE(r.ops.takeCalls(), (QStringList{QStringLiteral("note %1 /peltro/cam/1/stop (%2)").arg(src, why),
                                                 QStringLiteral("stop 1"),
                                                 QStringLiteral("note %1 /peltro/cam/2/stop (%2)").arg(src, why),
                                                 QStringLiteral("stop 2")}));
        r.clock.advance(1.0);
        QCOMPARE(r.ops.calls, QStringList{});
    }

    // The state once on subscribing, then each change as it happens, to the
    // sender's port or to the one it names; nothing after unsubscribing.
    void feedbackToSubscribers()
    {
        Rig r;
        Controller display;   // a second listener the controller subscribes
        r.ops.info(1).lastPreset = 2;
        r.ops.info(1).zoomPosition = 0x4000;
        r.controller.sendFloats(r.port(), "/peltro/subscribe", {});
        const QStringList whole = waitForReplies(r.controller, 10);
        QCOMPARE(whole, (QStringList{QStringLiteral("/peltro/link \"up\""), QStringLiteral("/peltro/selected 1"),
                                     QStringLiteral("/peltro/cam/1/model \"QUORIN-P3\""), QStringLiteral("/peltro/cam/1/preset 2"),
                                     QStringLiteral("/peltro/cam/1/zoom/position 16384"), QStringLiteral("/peltro/cam/1/moving 0"),
                                     QStringLiteral("/peltro/cam/2/model \"TAMIRO-J1A\""), QStringLiteral("/peltro/cam/2/preset -1"),
                                     QStringLiteral("/peltro/cam/2/zoom/position -1"), QStringLiteral("/peltro/cam/2/moving 0")}));
        lo_message m = lo_message_new();
        lo_message_add_int32(m, display.port());
        r.controller.send(r.port(), "/peltro/subscribe", m);
        QCOMPARE(waitForReplies(display, 10), whole);
        QCOMPARE(r.remote->subscribers().size(), 2);

        r.ops.info(1).moving = true;
        r.ops.info(1).lastPreset = -1;
        Q_EMIT r.ops.cameraChanged(1);
        const QStringList moved{QStringLiteral("/peltro/cam/1/preset -1"), QStringLiteral("/peltro/cam/1/moving 1")};
        QCOMPARE(waitForReplies(r.controller, 2), moved);
        QCOMPARE(waitForReplies(display, 2), moved);
        Q_EMIT r.ops.cameraChanged(1);   // nothing changed: nothing sent
        r.ops.selected = 2;
        Q_EMIT r.ops.selectedChanged(2);
        QCOMPARE(waitForReplies(r.controller, 1), QStringList{QStringLiteral("/peltro/selected 2")});

        r.controller.sendFloats(r.port(), "/peltro/unsubscribe", {});
        QVERIFY(QTest::qWaitFor([&] { return r.remote->subscribers().size() == 1; }, 5000));
        r.ops.removeCamera(2);
        r.ops.addCamera(3, QStringLiteral("QUORIN-P1"), true);
        Q_EMIT r.ops.chainChanged();
        r.ops.setLink(false);
        QCOMPARE(waitForReplies(display, 7),
                 (QStringList{QStringLiteral("/peltro/selected 2"), QStringLiteral("/peltro/cam/2/model \"\""),
                              QStringLiteral("/peltro/cam/3/model \"QUORIN-P1\""), QStringLiteral("/peltro/cam/3/preset -1"),
                              QStringLiteral("/peltro/cam/3/zoom/position -1"), QStringLiteral("/peltro/cam/3/moving 0"),
                              QStringLiteral("/peltro/link \"lost\"")}));
        QCOMPARE(r.controller.received(), QStringList{});
    }

    void sendersNotAllowedAreDroppedAndCounted()
    {
        Rig r;
        RemoteAccess a = onThisComputer(r.port());
        a.allowed = {QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.0/8")};
        r.remote->configure(a);
        QVERIFY(r.remote->isListening());
        QSignalSpy dropped(r.remote.get(), &RemoteControl::droppedCountChanged);
        for (int k = 0; k < 3; ++k)
            r.controller.sendFloats(r.port(), "/peltro/cam/1/zoom", {1.0f});
        r.controller.sendFloats(r.port(), "/peltro/subscribe", {});
        QTRY_COMPARE(r.remote->droppedCount(), 4);
        QCOMPARE(dropped.size(), 4);
        QCOMPARE(dropped.last().at(0).toInt(), 4);
        QCOMPARE(r.ops.calls, QStringList{});
        QCOMPARE(r.remote->subscribers().size(), 0);
        QCOMPARE(r.controller.received(), QStringList{});   // no answer to a sender not allowed

        // Allowing this computer's subnet lets it through, on the same socket.
        a.allowed << QStringLiteral("127.0.0.0/8");
        r.remote->configure(a);
        QCOMPARE(r.remote->droppedCount(), 4);
        r.controller.sendFloats(r.port(), "/peltro/cam/1/zoom", {1.0f});
        QVERIFY(r.operationsReach(1));
        QCOMPARE(r.ops.operations(), QStringList{QStringLiteral("zoom 1 7")});
        QCOMPARE(r.remote->droppedCount(), 4);
    }
};

QTEST_GUILESS_MAIN(TestRemoteControl)
#include "test_remote_control.moc"
