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
        QVERIFY2(r.sim.received(from) == (QStringList{left, kPanTiltStop, kZoomStop, kFocusStop}),
                 qPrintable(r.sim.seen.mid(from).join('|')));

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

    // The table's addresses, one after the other on the same panel: what
    // each puts on the line, byte for byte, on the pan-tilt camera and on the
    // block camera behind it. Integers may come as floats and speeds as
    // integers; a refused message (a pan-tilt command to the block camera, a
    // camera not in the chain) puts nothing on the line.
    void everyAddressOnBothModels()
    {
        Rig r;
        QVERIFY2(r.start(), qPrintable(r.panel.log + QString::fromLocal8Bit(r.panel.process.readAllStandardError())));
        QVERIFY(r.waitForFeedback(QStringLiteral("/peltro/cam/1/model s \"QUORIN-P3\"")));
        struct Row {
            QList<QStringList> messages;
            QStringList packets;
        };
        const QString f = QStringLiteral("f"), i = QStringLiteral("i");
        // Each row waits for its packets before the next is sent: a drive
        // still waiting when its stop comes would rightly never go out.
        const QList<Row> rows{
            {{{QStringLiteral("/peltro/cam/1/zoom"), f, QStringLiteral("1")}}, {QStringLiteral("81 01 04 07 27 FF")}},
            {{{QStringLiteral("/peltro/cam/1/zoom"), f, QStringLiteral("0")}}, {kZoomStop}},
            {{{QStringLiteral("/peltro/cam/1/zoom"), i, QStringLiteral("-1")}}, {QStringLiteral("81 01 04 07 37 FF")}},
            {{{QStringLiteral("/peltro/cam/1/zoom"), i, QStringLiteral("0")}}, {kZoomStop}},
            {{{QStringLiteral("/peltro/cam/1/focus"), f, QStringLiteral("-1")}}, {QStringLiteral("81 01 04 08 37 FF")}},
            {{{QStringLiteral("/peltro/cam/1/focus"), f, QStringLiteral("0")}}, {kFocusStop}},
            {{{QStringLiteral("/peltro/cam/1/home")}}, {QStringLiteral("81 01 06 04 FF")}},
            {{{QStringLiteral("/peltro/cam/1/focus/auto"), i, QStringLiteral("0")}}, {QStringLiteral("81 01 04 38 03 FF")}},
            {{{QStringLiteral("/peltro/cam/1/focus/auto"), f, QStringLiteral("1.0")}}, {QStringLiteral("81 01 04 38 02 FF")}},
            {{{QStringLiteral("/peltro/cam/1/focus/onepush")}}, {QStringLiteral("81 01 04 18 01 FF")}},
            {{{QStringLiteral("/peltro/cam/2/pantilt"), QStringLiteral("ff"), QStringLiteral("1"), QStringLiteral("0")},
              {QStringLiteral("/peltro/cam/3/stop")},
              {QStringLiteral("/peltro/cam/2/zoom"), f, QStringLiteral("0.5")}},
             {QStringLiteral("82 01 04 07 23 FF")}},
            {{{QStringLiteral("/peltro/cam/2/stop")}}, {QStringLiteral("82 01 04 07 00 FF"), QStringLiteral("82 01 04 08 00 FF")}},
            {{{QStringLiteral("/peltro/cam/2/preset/set"), i, QStringLiteral("4")}}, {QStringLiteral("82 01 04 3F 01 04 FF")}},
            {{{QStringLiteral("/peltro/cam/2/preset/reset"), f, QStringLiteral("5.0")}}, {QStringLiteral("82 01 04 3F 00 05 FF")}},
            {{{QStringLiteral("/peltro/cam/2/focus/onepush")}}, {QStringLiteral("82 01 04 18 01 FF")}},
            {{{QStringLiteral("/peltro/cam/2/power"), i, QStringLiteral("1")}}, {QStringLiteral("82 01 04 00 02 FF")}},
        };
        for (const Row& row : rows) {
            const int from = int(r.sim.seen.size());
            for (const QStringList& message : row.messages)
                QVERIFY(oscsend(r.oscPort, message));
            QVERIFY2(r.sim.waitForAnswerTo(row.packets.constLast(), from, 5000), qPrintable(row.packets.join('|')));
            const QStringList got = r.sim.received(from);
            QVERIFY2(got == row.packets, qPrintable(got.join('|') + QStringLiteral(" for ") + row.packets.join('|')));
        }

        // One status read of the addressed camera, its blocks in order.
        int from = int(r.sim.seen.size());
        QVERIFY(oscsend(r.oscPort, {QStringLiteral("/peltro/refresh")}));
        QVERIFY(r.sim.waitForAnswerTo(QStringLiteral("81 09 7E 7E 03 FF"), from, 5000));
        QCOMPARE(r.sim.received(from).mid(0, 4),
                 (QStringList{QStringLiteral("81 09 7E 7E 00 FF"), QStringLiteral("81 09 7E 7E 01 FF"),
                              QStringLiteral("81 09 7E 7E 02 FF"), QStringLiteral("81 09 7E 7E 03 FF")}));

        // Camera 2 addressed as by Select: the panel reads it and says so.
        // The read above to its end (the head's status follows the blocks):
        // the line quiet for a while.
        for (int quiet = 0, seen = int(r.sim.seen.size()); quiet < 3;) {
            QTest::qWait(100);
            r.sim.take();
            quiet = r.sim.seen.size() == seen ? quiet + 1 : 0;
            seen = int(r.sim.seen.size());
        }
        from = int(r.sim.seen.size());
        QVERIFY(oscsend(r.oscPort, {QStringLiteral("/peltro/select"), f, QStringLiteral("2")}));
        QVERIFY(r.waitForFeedback(QStringLiteral("/peltro/selected i 2")));
        const bool read = QTest::qWaitFor([&] {
            r.sim.take();
            const QStringList got = r.sim.received(from);
            return !got.isEmpty();
        }, 5000);
        QVERIFY(read);
        // Identified first, by its own address.
        QCOMPARE(r.sim.received(from).first(), QStringLiteral("82 09 00 02 FF"));
        QVERIFY(r.sim.received(from).filter(QRegularExpression(QStringLiteral("^8[13-7] "))).isEmpty());
        QCOMPARE(r.panel.process.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestOscRemote)
#include "test_osc_remote.moc"
