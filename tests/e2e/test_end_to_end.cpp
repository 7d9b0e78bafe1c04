#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The built panel against the built simulator over a real pseudo-terminal.
class TestEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panelStartsAgainstSimulatorOnPty();
    void simulatorStopsOnSigterm();
};

namespace {

QString readDevicePath(QProcess& sim)
{
    if (!sim.waitForReadyRead(10000))
        return {};
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

} // namespace

void TestEndToEnd::panelStartsAgainstSimulatorOnPty()
{
    QTemporaryDir dir;
    QProcess sim;
    sim.start(QStringLiteral(PELTRO_SIM), {QStringLiteral("--chain"), QStringLiteral("quorin-p3,tamiro-j1a"),
                                           QStringLiteral("--log"), QStringLiteral("--link"),
                                           dir.filePath(QStringLiteral("camera"))});
    QVERIFY(sim.waitForStarted());
    const QString device = readDevicePath(sim);
    QVERIFY2(device.startsWith(QStringLiteral("/dev/pts/")), qPrintable(device));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("camera"))).isSymLink());

    QProcess panel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    panel.setProcessEnvironment(env);
    panel.start(QStringLiteral(PELTRO_PANEL), {QStringLiteral("--port"), dir.filePath(QStringLiteral("camera"))});
    QVERIFY(panel.waitForStarted());

    // Start-up's exchange, as the simulator saw it.
    QStringList seen;
    QDeadlineTimer deadline(20000);
    auto versionAnswered = [&] {
        return !seen.filter(QRegularExpression(QStringLiteral("^-> 90 50 00 01 00 0E"))).isEmpty();
    };
    while (!deadline.hasExpired() && !versionAnswered()) {
        if (sim.waitForReadyRead(200))
            while (sim.canReadLine())
                seen << QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(panel.state() == QProcess::Running, panel.readAllStandardError().constData());
    }
    const QStringList expected{
        QStringLiteral("<- 88 01 00 01 FF"), QStringLiteral("-> 88 01 00 01 FF"),
        QStringLiteral("<- 88 30 01 FF"),    QStringLiteral("-> 88 30 03 FF"),
        QStringLiteral("<- 81 09 00 02 FF"),
    };
    QVERIFY2(seen.size() >= expected.size() + 1, qPrintable(seen.join('\n')));
    QCOMPARE(seen.mid(0, expected.size()), expected);
    QVERIFY(seen.at(expected.size()).startsWith(QStringLiteral("-> 90 50 00 01 00 0E")));

    // The panel keeps running with the link open.
    QTest::qWait(300);
    QCOMPARE(panel.state(), QProcess::Running);
    panel.terminate();
    QVERIFY(panel.waitForFinished(10000));
    sim.terminate();
    QVERIFY(sim.waitForFinished(10000));
}

void TestEndToEnd::simulatorStopsOnSigterm()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("cam"));
    QProcess sim;
    sim.start(QStringLiteral(PELTRO_SIM), {QStringLiteral("--link"), link});
    QVERIFY(sim.waitForStarted());
    QVERIFY(!readDevicePath(sim).isEmpty());
    ::kill(static_cast<pid_t>(sim.processId()), SIGTERM);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

QTEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
