// Who may drive the cameras: the allowed-sender list, the command line's
// remote-control options with their refusals in words, and the access saved
// with the other settings (garbage in the store falls back to the defaults).
#include "panel_settings.h"
#include "remote_access.h"

#include <QCommandLineParser>
#include <QTemporaryDir>
#include <QtTest>

using namespace peltro;

class TestRemoteAccess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void allowedSenders()
    {
        QCOMPARE(splitAllowed(QStringLiteral(" 192.168.1.20, 10.0.0.0/8;\n::1  ")),
                 (QStringList{QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.0/8"), QStringLiteral("::1")}));
        QVERIFY(!allowedEntryError(QStringLiteral("192.168.1.0/24")));
        QVERIFY(!allowedEntryError(QStringLiteral("fe80::1")));
        QCOMPARE(allowedEntryError(QStringLiteral("192.168.1.300")),
                 std::optional<QString>(QStringLiteral("\"192.168.1.300\" is not an address or a subnet of senders "
                                                       "(for example 192.168.1.20 or 192.168.1.0/24).")));
        QVERIFY(allowedEntryError(QStringLiteral("10.0.0.0/33")));
        QVERIFY(allowedEntryError(QStringLiteral("desk")));

        const struct {
            const char* sender;
            bool allowed;
        } cases[] = {
            {"192.168.1.20", true}, {"192.168.1.21", false}, {"10.200.3.4", true}, {"11.0.0.1", false},
            {"::ffff:10.1.1.1", true},   // IPv4 as an IPv6 socket reports it
            {"::1", false},
        };
        const SenderFilter filter({QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.0/8"), QStringLiteral("not one")});
        for (const auto& c : cases)
            QVERIFY2(filter.allows(QHostAddress(QString::fromLatin1(c.sender))) == c.allowed, c.sender);
        QVERIFY(SenderFilter().allows(QHostAddress(QStringLiteral("203.0.113.9"))));
        QVERIFY(SenderFilter({QStringLiteral("rubbish")}).everyone());
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("bind");
        QTest::addColumn<int>("holdMs");

        QTest::newRow("none: the saved access") << QStringList{} << QString() << false << 9100 << "127.0.0.1" << 500;
        QTest::newRow("--osc") << QStringList{"--osc", "9000"} << QString() << true << 9000 << "127.0.0.1" << 500;
        QTest::newRow("the network, a longer hold")
            << QStringList{"--osc", "8000", "--osc-bind", "0.0.0.0", "--osc-hold-ms", "1500"} << QString() << true << 8000
            << "0.0.0.0" << 1500;
        QTest::newRow("port 0") << QStringList{"--osc", "0"}
                                << "--osc 0: the port must be a number from 1 to 65535." << false << 0 << "" << 0;
        QTest::newRow("port in words") << QStringList{"--osc", "osc"}
                                       << "--osc osc: the port must be a number from 1 to 65535." << false << 0 << "" << 0;
        QTest::newRow("a name for the address")
            << QStringList{"--osc", "9000", "--osc-bind", "studio"}
            << "--osc-bind studio: not an IP address (127.0.0.1 for this computer only, 0.0.0.0 for the network)."
            << false << 0 << "" << 0;
        QTest::newRow("hold too short") << QStringList{"--osc-hold-ms", "10"}
                                        << "--osc-hold-ms 10: the hold must be a whole number of milliseconds from 50 to 60000."
                                        << false << 0 << "" << 0;
        QTest::newRow("hold not whole") << QStringList{"--osc-hold-ms", "0.5"}
                                        << "--osc-hold-ms 0.5: the hold must be a whole number of milliseconds from 50 to 60000."
                                        << false << 0 << "" << 0;
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        QCommandLineParser parser;
        RemoteOptions::addTo(parser);
        QVERIFY(parser.parse(QStringList{QStringLiteral("peltro-panel")} + args));
        QString why;
        const std::optional<RemoteOptions> options = RemoteOptions::read(parser, &why);
        QCOMPARE(why, error);
        QCOMPARE(options.has_value(), error.isEmpty());
        if (!options)
            return;
        RemoteAccess saved;
        saved.port = 9100;
        saved.allowed = {QStringLiteral("10.0.0.0/8")};
        const RemoteAccess access = options->over(saved);
        QTEST(access.on, "on");
        QTEST(int(access.port), "port");
        QTEST(access.bind, "bind");
        QTEST(options->holdMs, "holdMs");
        QCOMPARE(access.allowed, saved.allowed);
    }

    void savedWithTheSettings()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("settings.ini"));
        QCOMPARE(readRemoteAccess(PanelSettings(ini)), RemoteAccess{});   // off by default

        RemoteAccess access;
        access.on = true;
        access.port = 53001;
        access.bind = RemoteAccess::network();
        access.allowed = {QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.0/8")};
        {
            PanelSettings settings(ini);
            settings.save(std::nullopt, PanTiltFlags{}, ComChoice{1, QStringLiteral("9600")});
            saveRemoteAccess(settings, access);
        }
        QCOMPARE(readRemoteAccess(PanelSettings(ini)), access);
        {
            QSettings raw(ini, QSettings::IniFormat);
            QCOMPARE(raw.value(QStringLiteral("Settings/RemoteControl")).toString(), QStringLiteral("True"));
            QCOMPARE(raw.value(QStringLiteral("Settings/RemotePort")).toString(), QStringLiteral("53001"));
            QCOMPARE(raw.value(QStringLiteral("Settings/RemoteBind")).toString(), QStringLiteral("0.0.0.0"));
            QCOMPARE(raw.value(QStringLiteral("Settings/BPS")).isValid(), true);   // the other keys stay
            // What a hand-edited file may hold.
            raw.setValue(QStringLiteral("Settings/RemoteControl"), QStringLiteral("perhaps"));
            raw.setValue(QStringLiteral("Settings/RemotePort"), QStringLiteral("70000"));
            raw.setValue(QStringLiteral("Settings/RemoteBind"), QStringLiteral("studio"));
            raw.setValue(QStringLiteral("Settings/RemoteAllowed"),
                         QStringList{QStringLiteral("10.1.1.1"), QStringLiteral("x.y"), QStringLiteral("10.2.0.0/16")});
        }
        RemoteAccess expected;
        expected.allowed = {QStringLiteral("10.1.1.1"), QStringLiteral("10.2.0.0/16")};
        QCOMPARE(readRemoteAccess(PanelSettings(ini)), expected);
    }
};

QTEST_GUILESS_MAIN(TestRemoteAccess)
#include "test_remote_access.moc"
