// The panel's command line answered without any display: help, version and
// every wrong argument end the program in words, never in a crash.
#include "sim_chain.h"

#include <QProcess>
#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withoutDisplay_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");       // the start of standard output, if any
        QTest::addColumn<QString>("err");       // the start of standard error, if any
        QTest::addColumn<bool>("listsModels");  // on standard output or error
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: " << "" << true;
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "Usage: " << "" << true;
        QTest::newRow("--help with a port") << QStringList{"--port", "/dev/null", "--help"} << 0 << "Usage: " << ""
                                            << true;
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "PELTRO Panel " << "" << false;
        QTest::newRow("unknown model") << QStringList{"--simulate=quorin-p3,tamiro-zz"} << 2 << ""
                                       << "peltro-panel: unknown camera model \"tamiro-zz\"" << true;
        QTest::newRow("eight cameras") << QStringList{"--simulate=" + QStringList(8, "quorin-p3").join(',')} << 2
                                       << "" << "peltro-panel: 8 cameras given" << false;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 1 << "" << "peltro-panel: Unknown option 'bogus'"
                                        << false;
        QTest::newRow("port without device") << QStringList{"--port"} << 1 << ""
                                             << "peltro-panel: Missing value after '--port'" << false;
    }
    void withoutDisplay()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(bool, listsModels);
        QProcess panel;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));   // as on a desktop, with none here
        panel.setProcessEnvironment(env);
        panel.start(QStringLiteral(PELTRO_PANEL), args);
        QVERIFY(panel.waitForFinished(20000));
        const QString stdOut = QString::fromLocal8Bit(panel.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(panel.readAllStandardError());
        QCOMPARE(panel.exitStatus(), QProcess::NormalExit);
        QVERIFY2(panel.exitCode() == exitCode, qPrintable(stdErr));
        QVERIFY2(out.isEmpty() || stdOut.startsWith(out), qPrintable(stdOut));
        QVERIFY2(err.isEmpty() || stdErr.startsWith(err), qPrintable(stdErr));
        if (listsModels) {
            const QString words = stdOut + stdErr;
            for (const QString& name : peltro::sim::SimChain::modelNames())
                QVERIFY2(words.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(name))), qPrintable(name));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
