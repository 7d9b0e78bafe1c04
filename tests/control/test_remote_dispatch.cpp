// The remote control's address table on a recording chain: each address to
// its operation with the camera's own steps, the refusals in their words,
// and the holds that stop a motion nobody renews, in virtual time.
#include "fake_camera_operations.h"
#include "remote_dispatcher.h"

#include <QtTest>
#include <cmath>

using namespace peltro;
using namespace peltro::test;
using Result = RemoteDispatcher::Result;
using Outcome = CameraOperations::Outcome;

Q_DECLARE_METATYPE(QList<peltro::OscArg>)

namespace {

const QString kSource = QStringLiteral("127.0.0.1:53000");

OscMessage message(const QString& path, const QList<OscArg>& args = {})
{
    OscMessage m;
    m.path = path;
    m.args = args;
    m.from = {QHostAddress(QStringLiteral("127.0.0.1")), 53000};
    return m;
}

OscArg i(qint64 v) { return OscArg::integer(v); }
OscArg f(double v) { return OscArg::real(v); }
OscArg s(const char* v) { return OscArg::string(QString::fromLatin1(v)); }

// Camera 1 a QUORIN-P3, 2 a TAMIRO-J1A, 4 a block camera with one fixed
// focus speed; 3 and 5..7 not in the chain.
struct Rig {
    Rig()
    {
        ops.addCamera(2, QStringLiteral("TAMIRO-J1A"), false);
        ops.addCamera(4, QStringLiteral("TAMIRO-K9S"), false);
        ops.info(4).maxFocusSpeed = 0;
    }
    Result send(const QString& path, const QList<OscArg>& args = {}) { return dispatcher.dispatch(message(path, args)); }

    FakeCameraOperations ops;
    ManualClock clock;
    RemoteDispatcher dispatcher{ops, clock};
};

} // namespace

class TestRemoteDispatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachAddressToItsOperation_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QList<OscArg>>("args");
        QTest::addColumn<QString>("noted");       // the row in the decoded traffic
        QTest::addColumn<QString>("operation");

        auto row = [](const char* name, const char* path, QList<OscArg> args, const char* noted, const char* op) {
            QTest::newRow(name) << QString::fromLatin1(path) << args << QString::fromLatin1(noted)
                                << QString::fromLatin1(op);
        };
        row("select", "/peltro/select", {i(2)}, "/peltro/select 2", "select 2");
        row("select as float", "/peltro/select", {f(2.0)}, "/peltro/select 2.0", "select 2");
        row("select as true", "/peltro/select", {OscArg::truth(true)}, "/peltro/select true", "select 1");
        row("refresh", "/peltro/refresh", {}, "/peltro/refresh", "refresh");
        // Pan 1..24, tilt 1..20 on the head; zoom and focus 1..7.
        row("pan-tilt", "/peltro/cam/1/pantilt", {f(0.5), f(-0.25)}, "/peltro/cam/1/pantilt 0.5 -0.25", "panTilt 1 12 -5");
        row("pan-tilt full as integers", "/peltro/cam/1/pantilt", {i(1), i(-1)}, "/peltro/cam/1/pantilt 1 -1", "panTilt 1 24 -20");
        row("pan-tilt creeping never rounds to 0", "/peltro/cam/1/pantilt", {f(0.01), f(-0.001)},
            "/peltro/cam/1/pantilt 0.01 -0.001", "panTilt 1 1 -1");
        row("pan-tilt stop", "/peltro/cam/1/pantilt", {f(0), i(0)}, "/peltro/cam/1/pantilt 0.0 0", "panTilt 1 0 0");
        row("zoom tele", "/peltro/cam/1/zoom", {f(1)}, "/peltro/cam/1/zoom 1.0", "zoom 1 7");
        row("zoom wide half", "/peltro/cam/1/zoom", {f(-0.5)}, "/peltro/cam/1/zoom -0.5", "zoom 1 -4");
        row("zoom as integer", "/peltro/cam/1/zoom", {i(-1)}, "/peltro/cam/1/zoom -1", "zoom 1 -7");
        row("zoom on a block camera", "/peltro/cam/2/zoom", {f(0.2)}, "/peltro/cam/2/zoom 0.2", "zoom 2 1");
        row("focus far", "/peltro/cam/1/focus", {f(0.3)}, "/peltro/cam/1/focus 0.3", "focus 1 2");
        row("focus at one fixed speed", "/peltro/cam/4/focus", {f(-0.3)}, "/peltro/cam/4/focus -0.3", "focus 4 -1");
        row("stop", "/peltro/cam/1/stop", {}, "/peltro/cam/1/stop", "stop 1");
        row("stop from a button", "/peltro/cam/1/stop", {f(1)}, "/peltro/cam/1/stop 1.0", "stop 1");
        row("home", "/peltro/cam/1/home", {}, "/peltro/cam/1/home", "home 1");
        row("recall", "/peltro/cam/1/preset/recall", {i(3)}, "/peltro/cam/1/preset/recall 3", "preset 1 recall 3");
        row("set as float", "/peltro/cam/1/preset/set", {f(6)}, "/peltro/cam/1/preset/set 6.0", "preset 1 set 6");
        row("reset", "/peltro/cam/1/preset/reset", {i(1)}, "/peltro/cam/1/preset/reset 1", "preset 1 reset 1");
        // Camera 2 by its own address while camera 1 is the panel's.
        row("recall on camera 2 from 0", "/peltro/cam/2/preset/recall", {i(0)}, "/peltro/cam/2/preset/recall 0",
            "preset 2 recall 0");
        row("auto focus on", "/peltro/cam/1/focus/auto", {i(1)}, "/peltro/cam/1/focus/auto 1", "autoFocus 1 on");
        row("auto focus off as float", "/peltro/cam/2/focus/auto", {f(0)}, "/peltro/cam/2/focus/auto 0.0", "autoFocus 2 off");
        row("auto focus off as false", "/peltro/cam/1/focus/auto", {OscArg::truth(false)},
            "/peltro/cam/1/focus/auto false", "autoFocus 1 off");
        row("one push", "/peltro/cam/1/focus/onepush", {}, "/peltro/cam/1/focus/onepush", "onePush 1");
        row("power off", "/peltro/cam/2/power", {i(0)}, "/peltro/cam/2/power 0", "power 2 off");
        row("power on as true", "/peltro/cam/1/power", {OscArg::truth(true)}, "/peltro/cam/1/power true", "power 1 on");
    }

    void eachAddressToItsOperation()
    {
        QFETCH(QString, path);
        QFETCH(QList<OscArg>, args);
        QFETCH(QString, noted);
        QFETCH(QString, operation);
        Rig r;
        const Result result = r.send(path, args);
        QCOMPARE(result.kind, Result::Done);
        QCOMPARE(r.ops.takeCalls(), (QStringList{QStringLiteral("note ") + kSource + ' ' + noted, operation}));
        QCOMPARE(r.ops.selected, 1);
    }

    void refusalsInWords_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QList<OscArg>>("args");
        QTest::addColumn<QString>("words");

        auto row = [](const char* name, const char* path, QList<OscArg> args, const char* words) {
            QTest::newRow(name) << QString::fromLatin1(path) << args << QString::fromLatin1(words);
        };
        row("unknown address", "/peltro/cam/1/zooom", {f(1)}, "Unknown address /peltro/cam/1/zooom.");
        row("not ours", "/composition/layers/1/clear", {}, "Unknown address /composition/layers/1/clear.");
        row("camera not a number", "/peltro/cam/one/stop", {}, "Unknown address /peltro/cam/one/stop.");
        row("pattern", "/peltro/cam/*/stop", {}, "Unknown address /peltro/cam/*/stop.");
        row("camera not in the chain", "/peltro/cam/3/zoom", {f(1)}, "Camera 3 is not in the chain.");
        row("camera past the chain", "/peltro/cam/8/stop", {}, "Camera 8 is not in the chain.");
        row("select a camera not in the chain", "/peltro/select", {i(3)}, "Camera 3 is not in the chain.");
        row("select past 7", "/peltro/select", {i(9)}, "/peltro/select: 9 is out of range (1 to 7).");
        row("select half a camera", "/peltro/select", {f(1.5)}, "/peltro/select: 1.5 is not a whole number.");
        row("pan-tilt to a block camera", "/peltro/cam/2/pantilt", {f(0.5), f(0)},
            "Camera 2 (TAMIRO-J1A) has no pan-tilt head.");
        row("home of a block camera", "/peltro/cam/2/home", {}, "Camera 2 (TAMIRO-J1A) has no pan-tilt head.");
        row("zoom too fast", "/peltro/cam/1/zoom", {f(1.5)}, "/peltro/cam/1/zoom: 1.5 is out of range (-1 to 1).");
        row("zoom integer too fast", "/peltro/cam/1/zoom", {i(2)}, "/peltro/cam/1/zoom: 2 is out of range (-1 to 1).");
        row("zoom not a number", "/peltro/cam/1/zoom", {f(std::nan(""))},
            "/peltro/cam/1/zoom: nan is out of range (-1 to 1).");
        row("zoom without speed", "/peltro/cam/1/zoom", {}, "/peltro/cam/1/zoom needs one speed from -1 to 1.");
        row("zoom in words", "/peltro/cam/1/zoom", {s("fast")}, "/peltro/cam/1/zoom needs one speed from -1 to 1.");
        row("speed as truth", "/peltro/cam/1/focus", {OscArg::truth(true)},
            "/peltro/cam/1/focus needs one speed from -1 to 1.");
        row("pan without tilt", "/peltro/cam/1/pantilt", {f(0.5)},
            "/peltro/cam/1/pantilt needs a pan and a tilt speed, each from -1 to 1.");
        row("tilt too fast", "/peltro/cam/1/pantilt", {f(0.5), f(-1.01)},
            "/peltro/cam/1/pantilt: -1.01 is out of range (-1 to 1).");
        row("preset past the camera's", "/peltro/cam/1/preset/recall", {i(7)},
            "/peltro/cam/1/preset/recall: 7 is out of range (1 to 6).");
        row("preset 0 where they start at 1", "/peltro/cam/1/preset/recall", {f(0)},
            "/peltro/cam/1/preset/recall: 0.0 is out of range (1 to 6).");
        row("preset 6 where they start at 0", "/peltro/cam/2/preset/set", {i(6)},
            "/peltro/cam/2/preset/set: 6 is out of range (0 to 5).");
        row("half a preset", "/peltro/cam/1/preset/set", {f(2.5)}, "/peltro/cam/1/preset/set: 2.5 is not a whole number.");
        row("huge preset", "/peltro/cam/1/preset/reset", {f(1e12)},
            "/peltro/cam/1/preset/reset: 1000000000000.0 is out of range (1 to 6).");
        row("preset not a number", "/peltro/cam/2/preset/recall", {f(std::nan(""))},
            "/peltro/cam/2/preset/recall: nan is out of range (0 to 5).");
        row("auto focus 2", "/peltro/cam/1/focus/auto", {i(2)}, "/peltro/cam/1/focus/auto: 2 is out of range (0 or 1).");
        row("power in words", "/peltro/cam/1/power", {s("on")}, "/peltro/cam/1/power needs 1 (on) or 0 (off).");
        row("stop with two values", "/peltro/cam/1/stop", {f(1), f(1)},
            "/peltro/cam/1/stop takes no argument (or one button value).");
        row("subscribe past the ports", "/peltro/subscribe", {i(70000)},
            "/peltro/subscribe: 70000 is out of range (1 to 65535).");
    }

    // Refused before anything reaches the chain, with nothing recorded.
    void refusalsInWords()
    {
        QFETCH(QString, path);
        QFETCH(QList<OscArg>, args);
        QFETCH(QString, words);
        Rig r;
        const Result result = r.send(path, args);
        QCOMPARE(result.kind, Result::Refused);
        QCOMPARE(result.error, words);
        QCOMPARE(r.ops.calls, QStringList{});
        QCOMPARE(r.clock.nextDue(), -1.0);
    }

    // The link, and what the chain itself answers: nothing moves and the
    // sender is told why.
    void linkAndChainRefusals()
    {
        Rig r;
        r.ops.setLink(false);
        Result result = r.send(QStringLiteral("/peltro/cam/1/zoom"), {f(1)});
        QCOMPARE(result.error, QStringLiteral("Link lost: the cameras cannot be reached."));
        result = r.send(QStringLiteral("/peltro/refresh"));
        QCOMPARE(result.error, QStringLiteral("Link lost: the cameras cannot be reached."));
        QCOMPARE(r.ops.calls, QStringList{});
        // Subscribing needs no link: the state says it is lost.
        QCOMPARE(r.send(QStringLiteral("/peltro/subscribe"), {f(9001)}).kind, Result::Subscribe);
        QCOMPARE(r.send(QStringLiteral("/peltro/subscribe"), {f(9001)}).port, 9001);
        QCOMPARE(r.send(QStringLiteral("/peltro/unsubscribe")).kind, Result::Unsubscribe);
        r.ops.setLink(true);
        r.ops.takeCalls();

        const struct {
            const char* op;
            Outcome outcome;
            const char* path;
            QList<OscArg> args;
            const char* words;
        } answers[] = {
            {"preset", Outcome::Busy, "/peltro/cam/1/preset/recall", {i(2)},
             "Camera 1 is busy: /peltro/cam/1/preset/recall was not carried out."},
            {"zoom", Outcome::LinkLost, "/peltro/cam/1/zoom", {f(1)}, "Link lost: the cameras cannot be reached."},
            {"stop", Outcome::NotInChain, "/peltro/cam/2/stop", {}, "Camera 2 is not in the chain."},
            {"panTilt", Outcome::NoPanTilt, "/peltro/cam/1/pantilt", {f(1), f(1)},
             "Camera 1 (QUORIN-P3) has no pan-tilt head."},
            {"focus", Outcome::OutOfRange, "/peltro/cam/1/focus", {f(1)}, "/peltro/cam/1/focus: out of range for camera 1."},
        };
        for (const auto& a : answers) {
            r.ops.outcomes.insert(QLatin1String(a.op), a.outcome);
            result = r.send(QString::fromLatin1(a.path), a.args);
            QCOMPARE(result.kind, Result::Refused);
            QCOMPARE(result.error, QString::fromLatin1(a.words));
            QCOMPARE(r.ops.takeCalls().size(), 2);   // noted and asked for
            r.ops.outcomes.clear();
        }
        // A refused motion does not hold: nothing was sent, nothing to stop.
        QCOMPARE(r.clock.nextDue(), -1.0);
    }

    // A button's release (0) does nothing, not even a row in the traffic.
    void buttonReleaseIsIgnored()
    {
        Rig r;
        for (const char* path : {"/peltro/cam/1/stop", "/peltro/cam/1/home", "/peltro/cam/1/focus/onepush", "/peltro/refresh"}) {
            QCOMPARE(r.send(QString::fromLatin1(path), {f(0)}).kind, Result::Ignored);
            QCOMPARE(r.send(QString::fromLatin1(path), {OscArg::truth(false)}).kind, Result::Ignored);
        }
        QCOMPARE(r.ops.calls, QStringList{});
    }

    // A motion holds for the hold time after its last motion message; any
    // motion message of the camera renews it, a stop or 0 ends it.
    void holdExpiresIntoStop()
    {
        Rig r;
        const double t0 = r.clock.now();
        r.send(QStringLiteral("/peltro/cam/1/pantilt"), {f(0.5), f(0)});
        r.clock.advance(0.3);
        r.send(QStringLiteral("/peltro/cam/1/zoom"), {f(1)});        // renews camera 1's hold
        r.send(QStringLiteral("/peltro/cam/2/focus"), {f(-1)});      // camera 2 holds on its own
        r.ops.takeCalls();
        r.clock.advance(0.499);
        QCOMPARE(r.ops.calls, QStringList{});
        r.clock.advance(0.002);   // t0 + 0.801: camera 1 and 2 both ran out at t0 + 0.8
        QCOMPARE(r.ops.takeCalls(),
                 (QStringList{QStringLiteral("note ") + kSource + " /peltro/cam/1/stop (no motion message for 500 ms)",
                              QStringLiteral("stop 1"),
                              QStringLiteral("note ") + kSource + " /peltro/cam/2/stop (no motion message for 500 ms)",
                              QStringLiteral("stop 2")}));
        QCOMPARE(r.dispatcher.movingCameras(), QList<int>{});
        QVERIFY(r.clock.now() - t0 < 0.81);

        // Zero on the only moving axis ends the motion: no stop later.
        r.send(QStringLiteral("/peltro/cam/1/zoom"), {f(0.5)});
        r.send(QStringLiteral("/peltro/cam/1/zoom"), {f(0)});
        // Zero on one axis while another moves keeps the hold.
        r.send(QStringLiteral("/peltro/cam/2/zoom"), {f(0.5)});
        r.send(QStringLiteral("/peltro/cam/2/focus"), {f(0.5)});
        r.send(QStringLiteral("/peltro/cam/2/focus"), {f(0)});
        r.ops.takeCalls();
        r.clock.advance(1.0);
        QCOMPARE(r.ops.operations(), QStringList{QStringLiteral("stop 2")});

        // Stop, a preset recall and home end what they replace.
        r.send(QStringLiteral("/peltro/cam/1/pantilt"), {f(1), f(1)});
        r.send(QStringLiteral("/peltro/cam/1/stop"));
        r.send(QStringLiteral("/peltro/cam/2/zoom"), {f(1)});
        r.send(QStringLiteral("/peltro/cam/2/preset/recall"), {i(1)});
        r.send(QStringLiteral("/peltro/cam/1/pantilt"), {f(1), f(1)});
        r.send(QStringLiteral("/peltro/cam/1/home"));
        r.ops.takeCalls();
        r.clock.advance(1.0);
        QCOMPARE(r.ops.calls, QStringList{});

        // The hold time is the dispatcher's setting.
        r.dispatcher.setHoldMs(200);
        r.send(QStringLiteral("/peltro/cam/1/zoom"), {f(1)});
        r.ops.takeCalls();
        r.clock.advance(0.199);
        QCOMPARE(r.ops.calls, QStringList{});
        r.clock.advance(0.002);
        QCOMPARE(r.ops.operations(), QStringList{QStringLiteral("stop 1")});
    }

    // Losing the link and the end of the dispatcher stop every camera still
    // moving at its command, and only those.
    void linkLostAndEndStopEveryMovedCamera()
    {
        auto moveThree = [](Rig& r) {
            r.send(QStringLiteral("/peltro/cam/1/pantilt"), {f(-1), f(0)});
            r.send(QStringLiteral("/peltro/cam/2/zoom"), {f(1)});
            r.send(QStringLiteral("/peltro/cam/4/focus"), {f(1)});
            r.send(QStringLiteral("/peltro/cam/4/focus"), {f(0)});   // stopped by its sender
            r.ops.takeCalls();
        };
        {
            Rig r;
            moveThree(r);
            r.ops.setLink(false);
            QCOMPARE(r.ops.takeCalls(),
                     (QStringList{QStringLiteral("note ") + kSource + " /peltro/cam/1/stop (link lost)",
                                  QStringLiteral("stop 1"),
                                  QStringLiteral("note ") + kSource + " /peltro/cam/2/stop (link lost)",
                                  QStringLiteral("stop 2")}));
            r.clock.advance(1.0);
            QCOMPARE(r.ops.calls, QStringList{});
        }
        FakeCameraOperations ops;
        ops.addCamera(2, QStringLiteral("TAMIRO-J1A"), false);
        ManualClock clock;
        {
            RemoteDispatcher dispatcher(ops, clock);
            dispatcher.dispatch(message(QStringLiteral("/peltro/cam/2/zoom"), {f(-1)}));
            dispatcher.dispatch(message(QStringLiteral("/peltro/cam/1/pantilt"), {f(0), f(1)}));
            ops.takeCalls();
        }
        QCOMPARE(ops.operations(), (QStringList{QStringLiteral("stop 1"), QStringLiteral("stop 2")}));
        QVERIFY(ops.calls.first().endsWith(QLatin1String("/peltro/cam/1/stop (remote control closed)")));
    }
};

QTEST_GUILESS_MAIN(TestRemoteDispatch)
#include "test_remote_dispatch.moc"
