// The built panel on the simulator over a pseudo-terminal, driven over OSC
// by liblo's own command-line client: what each message puts on the line,
// byte for byte, and the feedback a subscriber gets.
#include "e2e_processes.h"

#include <QElapsedTimer>
#include <QUdpSocket>

using namespace e2e;

namespace {

constexpr int kHoldMs = 300;

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// oscsend 127.0.0.1 PORT PATH [TYPES ARGS...]
bool oscsend(quint16 port, const QStringList& message)
{
    return QProcess::execute(QStringLiteral("oscsend"),
                             QStringList{QStringLiteral("127.0.0.1"), QString::number(port)} + message) == 0;
}

// QUORIN-P3 at 1 and TAMIRO-J1A at 2, the panel started and listening for
// OSC, a subscriber (oscdump) getting its feedback.
struct Rig {
    QTemporaryDir dir;
    Sim sim;
    Panel panel;
    QProcess dump;
    quint16 oscPort = freeUdpPort();
    quint16 dumpPort = freeUdpPort();
    QString dumped;

    bool start()
    {
        if (!sim.start({QStringLiteral("--chain"), QStringLiteral("quorin-p3,tamiro-j1a")}))
            return false;
        if (!panel.start(dir, {sim.device},
                         {QStringLiteral("--osc"), QString::number(oscPort), QStringLiteral("--osc-hold-ms"),
                          QString::number(kHoldMs)}))
            return false;
        // Start-up ends with the status read of camera 1.
        if (!sim.waitForAnswerTo(startupExchange().constLast()))
            return false;
        dump.start(QStringLiteral("oscdump"), {QStringLiteral("-L"), QString::number(dumpPort)});
        if (!dump.waitForStarted())
            return false;
        // The panel listens once its main window is up: subscribe until the
        // first feedback comes.
        QDeadlineTimer deadline(10000);
        while (!dumped.contains(QLatin1String("/peltro/link"))) {
            if (deadline.hasExpired() || panel.process.state() != QProcess::Running)
                return false;
            oscsend(oscPort, {QStringLiteral("/peltro/subscribe"), QStringLiteral("i"), QString::number(dumpPort)});
            dump.waitForReadyRead(200);
            dumped += QString::fromLocal8Bit(dump.readAllStandardOutput());
        }
        sim.take();
        return true;
    }
    // Waits for a feedback line from the panel.
    bool waitForFeedback(const QString& line, int ms = 5000)
    {
        QDeadlineTimer deadline(ms);
        while (!dumped.contains(line)) {
            if (deadline.hasExpired())
                return false;
            dump.waitForReadyRead(100);
            dumped += QString::fromLocal8Bit(dump.readAllStandardOutput());
        }
        return true;
    }
    ~Rig()
    {
        dump.terminate();
        dump.waitForFinished(5000);
    }
};

const QString kPanTiltStop = QStringLiteral("81 01 06 01 18 18 03 03 FF");
const QString kZoomStop = QStringLiteral("81 01 04 07 00 FF");
const QString kFocusStop = QStringLiteral("81 01 04 08 00 FF");

} // namespace

class TestOscRemote : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Pan-tilt right and down moves the head; /stop stops pan-tilt, zoom and
    // focus; a motion nobody renews stops once its hold has run out, and not
    // before; a recall on camera 2 goes to camera 2 while camera 1 stays
    // addressed; the subscriber is told of each.
    void drivenOverOsc()
    {
        Rig r;
        QVERIFY2(r.start(), qPrintable(r.panel.log + QString::fromLocal8Bit(r.panel.process.readAllStandardError())));
        QVERIFY(r.waitForFeedback(QStringLiteral("/peltro/link s \"up\"")));
        QVERIFY(r.waitForFeedback(QStringLiteral("/peltro/cam/1/model s \"QUORIN-P3\"")));

        // Full speed right, half speed down (23 tilt steps: 12).
        int from = int(r.sim.seen.size());
        const QString drive = QStringLiteral("81 01 06 01 18 0C 02 02 FF");
        QVERIFY(oscsend(r.oscPort, {QStringLiteral("/peltro/cam/1/pantilt"), QStringLiteral("ff"), QStringLiteral("1"),
                                    QStringLiteral("-0.5")}));
        QVERIFY(r.sim.waitForAnswerTo(drive, from));
        QVERIFY(r.waitForFeedback(QStringLiteral("/peltro/cam/1/moving i 1")));
        QVERIFY(oscsend(r.oscPort, {QStringLiteral("/peltro/cam/1/stop")}));
        QVERIFY(r.sim.waitForAnswerTo(kFocusStop, from));
        QCOMPARE(r.sim.received(from), (QStringList{drive, kPanTiltStop, kZoomStop, kFocusStop}));
        QVERIFY(r.waitForFeedback(QStringLiteral("/peltro/cam/1/moving i 0")));

        // Held without a refresh: the stop comes after the hold, by itself.
        from = int(r.sim.seen.size());
        const QString left = QStringLiteral("81 01 06 01 0C 01 01 03 FF");
        QElapsedTimer held;
        held.start();
        QVERIFY(oscsend(r.oscPort, {QStringLiteral("/peltro/cam/1/pantilt"), QStringLiteral("ff"),
                                    QStringLiteral("-0.5"), QStringLiteral("0")}));
        QVERIFY(r.sim.waitForAnswerTo(left, from));
        QVERIFY(r.sim.waitForAnswerTo(kFocusStop, from, 5000));
        QVERIFY2(held.elapsed() >= kHoldMs, qPrintable(QString::number(held.elapsed())));
        QCOMPARE(r.sim.received(from), (QStringList{left, kPanTiltStop, kZoomStop, kFocusStop}));

        // A recall on camera 2 (presets 0..5 on a block camera) is its own
        // memory packet; the panel's addressed camera stays 1.
        from = int(r.sim.seen.size());
        QVERIFY(oscsend(r.oscPort, {QStringLiteral("/peltro/cam/2/preset/recall"), QStringLiteral("i"),
                                    QStringLiteral("3")}));
        QVERIFY(r.sim.waitForAnswerTo(QStringLiteral("82 01 04 3F 02 03 FF"), from));
        QVERIFY2(r.waitForFeedback(QStringLiteral("/peltro/cam/2/preset i 3")), qPrintable(r.dumped));
        QVERIFY(!r.dumped.contains(QLatin1String("/peltro/selected i 2")));
        QCOMPARE(r.panel.process.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestOscRemote)
#include "test_osc_remote.moc"
