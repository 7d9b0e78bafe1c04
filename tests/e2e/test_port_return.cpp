// The built panel on a pseudo-terminal that vanishes and comes back under the
// same name (a link, as the names under /dev/serial/by-id are): the adapter
// pulled out mid-session and put back.
#include "e2e_processes.h"

using namespace e2e;

class TestPortReturn : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pulledAndPutBack_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("simulator stopped (link removed)") << int(SIGTERM);
        QTest::newRow("simulator killed (link left dangling)") << int(SIGKILL);
    }

    void pulledAndPutBack()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString cam = dir.filePath(QStringLiteral("cam"));
        const QStringList simArgs{QStringLiteral("--chain"), QStringLiteral("quorin-p3"), QStringLiteral("--link"),
                                  cam};
        auto sim = std::make_unique<Sim>();
        QVERIFY(sim->start(simArgs));
        Panel panel;
        QVERIFY(panel.start(dir, {cam}));
        QVERIFY(sim->waitForAnswerTo(QStringLiteral("81 09 06 11 FF")));
        QCOMPARE(sim->received(), startupExchange());

        ::kill(static_cast<pid_t>(sim->process.processId()), signal);
        QVERIFY(sim->process.waitForFinished(10000));
        const QString lost = panel.waitForLine(QStringLiteral("Link lost: "));
        QCOMPARE(lost, QStringLiteral("Link lost: %1: device gone (unplugged?). Nothing is sent until the port is "
                                      "back; the panel reopens it by itself.")
                           .arg(cam));
        // A while with nothing there: nothing is taken for the device.
        QTest::qWait(300);
        QVERIFY(panel.waitForLine(QStringLiteral("Link reopened"), 0).isEmpty());

        sim = std::make_unique<Sim>();
        QVERIFY(sim->start(simArgs));
        const QString back = panel.waitForLine(QStringLiteral("Link back: "), 15000);
        QCOMPARE(back, QStringLiteral("Link back: %1 reopened, interfaces cleared, addresses set, status read.").arg(cam));
        QVERIFY(sim->waitForAnswerTo(QStringLiteral("81 09 06 11 FF")));
        QCOMPARE(sim->received(), returnExchange());
        QCOMPARE(panel.process.state(), QProcess::Running);
    }
};

QTEST_MAIN(TestPortReturn)
#include "test_port_return.moc"
