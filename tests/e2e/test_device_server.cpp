// The built panel reaching the built simulator through Debian's ser2net, a
// serial device server on 127.0.0.1, as an operator reaches cameras over the
// network: the same start-up and the same packets as on the local terminal,
// and a dropped connection handled like a pulled adapter.
#include "e2e_processes.h"

using namespace e2e;

namespace {
// The panel's first look for a device server that closed the connection
// comes two seconds after the loss.
constexpr int kFirstLookMs = 2000;
}

class TestDeviceServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo(QStringLiteral(PELTRO_SER2NET)).isExecutable())
            QSKIP("ser2net is not installed (./run.sh test installs it)");
    }

    void startupAndStatusReadThroughTheServer()
    {
        ServedChain s;
        QVERIFY(s.start());
        {
            Panel panel;
            QVERIFY(panel.start(s.dir, {s.address()}));
            QVERIFY2(s.sim.waitForAnswerTo(QStringLiteral("81 09 06 11 FF")), qPrintable(s.sim.seen.join('\n')));
            // Every packet once: no answer was lost or spoilt on the way, or
            // the panel would have asked again.
            QCOMPARE(s.sim.received(), startupExchange());
            for (int i = 0; i < s.sim.seen.size(); i += 2) {
                QVERIFY(s.sim.seen.at(i).startsWith(QLatin1String("<- ")));
                QVERIFY(s.sim.seen.at(i + 1).startsWith(QLatin1String("-> ")));
            }
            QCOMPARE(s.sim.seen.at(3), QStringLiteral("-> 88 30 02 FF"));
            QVERIFY(s.sim.seen.at(5).startsWith(QLatin1String("-> 90 50 00 01 00 0E")));
            QCOMPARE(s.sim.seen.at(9).size(), QStringLiteral("-> ").size() + 16 * 3 - 1);  // a 16-byte block
            QTest::qWait(200);
            QCOMPARE(panel.process.state(), QProcess::Running);
            QVERIFY(panel.waitForLine(QStringLiteral("Link "), 0).isEmpty());  // nothing to tell
        }
        // The same panel on the terminal itself sends the same.
        s.server.stop();
        const int mark = s.sim.seen.size();
        Panel local;
        QVERIFY(local.start(s.dir, {s.cam}));
        QVERIFY(s.sim.waitForAnswerTo(QStringLiteral("81 09 06 11 FF"), mark));
        QCOMPARE(s.sim.received(mark), startupExchange());
    }

    // Mid-session the connection drops: the server stops, or dies. Told
    // like a pulled adapter; when the server is back, the panel reconnects by
    // itself and starts again.
    void droppedMidSession_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("the server stops") << int(SIGTERM);
        QTest::newRow("the server is killed") << int(SIGKILL);
    }

    void droppedMidSession()
    {
        QFETCH(int, signal);
        ServedChain s;
        QVERIFY(s.start());
        const QString address = s.address();
        Panel panel;
        QVERIFY(panel.start(s.dir, {address}));
        QVERIFY(s.sim.waitForAnswerTo(QStringLiteral("81 09 06 11 FF")));

        ::kill(static_cast<pid_t>(s.server.process.processId()), signal);
        QVERIFY(s.server.process.waitForFinished(10000));
        const QString lost = panel.waitForLine(QStringLiteral("Link lost: "));
        QCOMPARE(lost, QStringLiteral("Link lost: %1: connection closed by the device server. Nothing is sent "
                                      "until the port is back; the panel tries again in 2 s.")
                           .arg(address));
        // A while with no server there: nothing is taken for its return.
        QTest::qWait(kFirstLookMs + 300);
        QVERIFY(panel.waitForLine(QStringLiteral("Link back"), 0).isEmpty());

        const int mark = s.sim.seen.size();
        QVERIFY(s.server.start(s.dir, s.cam, s.port));
        const QString back = panel.waitForLine(QStringLiteral("Link back: "), 15000);
        QCOMPARE(back, QStringLiteral("Link back: %1 reopened, interfaces cleared, addresses set, status read.")
                           .arg(address));
        QVERIFY(s.sim.waitForAnswerTo(QStringLiteral("81 09 06 11 FF"), mark));
        QCOMPARE(s.sim.received(mark), returnExchange());
        QCOMPARE(panel.process.state(), QProcess::Running);
    }
};

QTEST_MAIN(TestDeviceServer)
#include "test_device_server.moc"
