// The built panel's traffic options: --traffic-log writes the session to
// today's file from start-up's first packet on, a log that cannot be written
// is said on standard error and the panel runs on, and option values that
// mean nothing are refused before anything starts.
#include "traffic_session.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using peltro::traffic::Session;

namespace {

// Waits (at most ms) until what() holds.
template <typename F>
bool waitFor(F what, int ms = 20000)
{
    QDeadlineTimer deadline(ms);
    while (!what()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

void stop(QProcess& panel)
{
    panel.terminate();
    if (!panel.waitForFinished(5000)) {
        panel.kill();
        panel.waitForFinished();
    }
}

} // namespace

class TestTrafficOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusedValues_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("no rows") << QStringList{"--traffic-rows", "0"}
                                 << "peltro-panel: --traffic-rows takes a whole number of rows from 1 up, not \"0\"";
        QTest::newRow("negative") << QStringList{"--traffic-rows=-3"}
                                  << "peltro-panel: --traffic-rows takes a whole number of rows from 1 up, not \"-3\"";
        QTest::newRow("words") << QStringList{"--traffic-rows", "many"}
                               << "peltro-panel: --traffic-rows takes a whole number of rows from 1 up, not \"many\"";
        QTest::newRow("empty directory") << QStringList{"--traffic-log="} << "peltro-panel: --traffic-log takes a directory";
    }
    void refusedValues()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        QProcess panel;
        panel.start(QStringLiteral(PELTRO_PANEL), QStringList{QStringLiteral("--simulate")} + args);
        QVERIFY(panel.waitForFinished(20000));
        QCOMPARE(panel.exitCode(), 2);
        QVERIFY2(QString::fromLocal8Bit(panel.readAllStandardError()).contains(said), qPrintable(said));
    }

    // The file of the day the panel started on holds start-up's packets,
    // as a session that loads.
    void logsFromTheFirstPacket()
    {
        QTemporaryDir dir;
        const QString logDir = dir.filePath(QStringLiteral("traffic"));
        const QDate today = QDate::currentDate();
        QProcess panel;
        panel.start(QStringLiteral(PELTRO_PANEL),
                    {QStringLiteral("--simulate"), QStringLiteral("--traffic-log"), logDir, QStringLiteral("--traffic-rows"),
                     QStringLiteral("5")});
        QVERIFY(panel.waitForStarted());
        auto logged = [&] {
            QString error;
            const QStringList files = QDir(logDir).entryList({QStringLiteral("traffic-*.txt")}, QDir::Files);
            if (files.isEmpty())
                return QList<peltro::traffic::Record>();
            return Session::load(QDir(logDir).filePath(files.first()), &error).value_or(QList<peltro::traffic::Record>());
        };
        // More rows than the panel keeps: the file keeps them all.
        QVERIFY(waitFor([&] { return logged().size() > 8; }));
        stop(panel);
        const QList<peltro::traffic::Record> rows = logged();
        QVERIFY(rows.first().time.date() >= today);
        QCOMPARE(peltro::traffic::hexForm(rows.first().bytes), QStringLiteral("88 01 00 01 FF"));
        QCOMPARE(rows.first().what, QStringLiteral("IFClearB"));
        QCOMPARE(peltro::traffic::hexForm(rows.at(1).bytes), QStringLiteral("88 01 00 01 FF"));
        QCOMPARE(rows.at(1).kind, peltro::traffic::Kind::BroadcastReturned);
        QVERIFY(QString::fromLocal8Bit(panel.readAllStandardError()).indexOf(QLatin1String("traffic log")) < 0);
    }

    // A place no file can be written: said once, and the panel runs on.
    void unwritableLogIsSaid()
    {
        QTemporaryDir dir;
        const QString notADirectory = dir.filePath(QStringLiteral("plain-file"));
        QFile plain(notADirectory);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QProcess panel;
        panel.start(QStringLiteral(PELTRO_PANEL), {QStringLiteral("--simulate"), QStringLiteral("--traffic-log"), notADirectory});
        QVERIFY(panel.waitForStarted());
        QString said;
        QVERIFY(waitFor([&] {
            said += QString::fromLocal8Bit(panel.readAllStandardError());
            return said.contains(QLatin1String("its rows are not logged until the file can be written."));
        }));
        QCOMPARE(panel.state(), QProcess::Running);
        stop(panel);
        said += QString::fromLocal8Bit(panel.readAllStandardError());
        QCOMPARE(said.count(QLatin1String("peltro-panel: The traffic log file ")), 1);
        QVERIFY(said.contains(QDir::toNativeSeparators(notADirectory) + QStringLiteral("/traffic-")));
    }
};

QTEST_MAIN(TestTrafficOptions)
#include "test_traffic_options.moc"
