#include "app_rig.h"
#include "frm_main.h"
#include "panel_settings.h"
#include "serial_port_object.h"
#include "startup.h"
#include "startup_windows.h"
#include "tick_action.h"
#include "twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

struct StartupRig : PanelRig {
    explicit StartupRig(const QStringList& names = {QStringLiteral("quorin-p3")}) : PanelRig(names)
    {
        // What start-up itself puts on the line and identifies, apart from
        // the status read it ends with.
        QObject::connect(&link(), &Link::wrote, [this](const QByteArray& bytes) {
            if (session.startupRunning())
                startupWrites << bytes;
        });
        QObject::connect(&session, &CameraSession::identified, [this](int address, const Identity& id) {
            if (!session.startupRunning())
                return;
            identified << address;
            identities << id;
            progressAtIdentity = startup().info()->progressBar1->value();
        });
        QObject::connect(&session, &CameraSession::statusRead, [this] { statusRead(); });
        QObject::connect(&session, &CameraSession::noAnswer, [this] { statusRead(); });
        QObject::connect(&app->startup, &Startup::ended, [this] { ++ended; });
        port.close();  // start-up opens it
    }
    Startup& startup() { return app->startup; }
    bool run()
    {
        return runStartup(clock, port, startup(), [this] {
            FrmOpen* dlg = startup().comSetting();
            if (!comAct || !dlg || !dlg->isVisible())
                return;
            const auto act = std::exchange(comAct, {});
            act(dlg);
        });
    }
    QString settingsFile() const { return settingsDir.filePath(QStringLiteral("settings.ini")); }
    // Runs act once the Com Setting dialog is up, the operator's turn.
    void onComSetting(std::function<void(FrmOpen*)> act) { comAct = std::move(act); }
    std::function<void(FrmOpen*)> comAct;
    void statusRead()
    {
        ++statusReads;
        if (FrmInfo* info = startup().info())
            progressAtRead = info->progressBar1->value();
    }
    QList<QByteArray> startupWrites;
    QList<int> identified;
    QList<Identity> identities;
    int statusReads = 0;
    int ended = 0;
    int progressAtIdentity = -1;
    int progressAtRead = -1;
};

QStringList hexWrites(const QList<QByteArray>& writes)
{
    QStringList out;
    for (const QByteArray& w : writes)
        out << hex(w);
    return out;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exchangeOnSimulatedLine_data()
    {
        QTest::addColumn<QByteArray>("junk");
        QTest::newRow("clean line") << QByteArray();
        QTest::newRow("noise before every answer") << bytes("12 A0 FF 34");
    }

    void exchangeOnSimulatedLine()
    {
        QFETCH(QByteArray, junk);
        StartupRig r({QStringLiteral("quorin-p3"), QStringLiteral("tamiro-j1a")});
        r.chain.faults.junk = junk;
        const double t0 = r.clock.now();
        QVERIFY(r.run());
        QCOMPARE(hexWrites(r.startupWrites), (QStringList{"88 01 00 01 FF", "88 30 01 FF", "81 09 00 02 FF"}));
        // camera 1's answer 90 50 00 01 00 0E ...
        QCOMPARE(r.identified, QList<int>{1});
        QCOMPARE(int(r.identities[0].vendor), 0x01);
        QCOMPARE(int(r.identities[0].model), 0x0E);
        QCOMPARE(r.identities[0].family, Family::Quorin);
        QCOMPARE(r.statusReads, 1);
        QCOMPARE(hexWrites(r.takeWrites()).mid(3, 2), (QStringList{"81 09 00 02 FF", "81 09 7E 7E 00 FF"}));
        // the two one-second waits, in virtual time
        QVERIFY(r.clock.now() - t0 >= 2.0);

        QVERIFY(r.port.isOpen());
        QCOMPARE(r.port.commPort(), 1);
        QCOMPARE(r.port.baudRate(), 9600);
        QVERIFY(r.port.dtrEnable());
        QCOMPARE(r.port.sThreshold(), 1);

        for (int i = 1; i <= 7; ++i) {
            QAction* item = r.main->action(QStringLiteral("CameraSel_%1").arg(i));
            QCOMPARE(item->isVisible(), i <= 2);
            QCOMPARE(item->isChecked(), i == 1);
        }
        QCOMPARE(r.main->active->text(), QStringLiteral("1"));
        QCOMPARE(r.main->baudRateText->text(), QStringLiteral("9600"));  // no speed chosen: the port's own
        QCOMPARE(r.main->autoRefreshed->text(), QStringLiteral("Stop"));
        QVERIFY(r.main->autoRefreshed->isEnabled());
        QVERIFY(!r.main->timer1->isActive());
        QVERIFY(r.main->timer2->isActive());
        QVERIFY(!r.session.startupRunning());
        QVERIFY(r.main->isVisible());
        QCOMPARE(int(r.session.titleRow(8)[20]), 27);
        QVERIFY(r.messages.boxes.isEmpty());
        QVERIFY(!r.startup().info());
    }

    // The progress bar moves on by the steps of the camera's identification:
    // the family's two, and two more for the third pan/tilt model's panel.
    void identificationSteps_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("steps");
        QTest::newRow("P1") << "quorin-p1" << 2;
        QTest::newRow("P2") << "quorin-p2" << 2;
        QTest::newRow("P3") << "quorin-p3" << 4;
        QTest::newRow("block camera") << "tamiro-j1a" << 0;
    }

    void identificationSteps()
    {
        QFETCH(QString, model);
        QFETCH(int, steps);
        StartupRig r({model});
        QVERIFY(r.run());
        QCOMPARE(r.identities.size(), 1);
        QCOMPARE(r.statusReads, 1);
        // then one for the status check
        QCOMPARE(r.progressAtRead - r.progressAtIdentity, steps + 1);
        // The status read that follows puts up the model's whole panel.
        QCOMPARE(r.main->modelVersion->text(), r.identities[0].name);
        QVERIFY(r.main->control<QWidget>(QStringLiteral("Frame5"))->isHidden());
    }

    void failedInterfaceCheckAsksForPortAndSpeed()
    {
        StartupRig r;
        r.port.chainComPort = 3;
        r.port.chainBaud = 38400;
        QList<int> progress;
        bool sawDialog = false;
        r.onComSetting([&](FrmOpen* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Com Setting"));
            // The Com tried (the port's first), and why it failed.
            QCOMPARE(dlg->lblDBG0->text(),
                     QStringLiteral("IF_Clear Error\r\nPort = 1\r\nNo answer to the interface clear within one "
                                    "second: check the Com, the speed, the cable and the cameras' power."));
            QVERIFY(!r.port.isOpen());
            QVERIFY(!r.startup().info()->isVisible());
            QCOMPARE(dlg->comList1->count(), 6);
            QCOMPARE(dlg->comList1->itemText(2), QStringLiteral("Com 3"));
            QVERIFY(dlg->obRate[0]->isChecked());
            dlg->comList1->setCurrentIndex(2);
            QCOMPARE(dlg->lblDevice->text(), QStringLiteral("Com 3 opens simulated chain"));
            dlg->obRate[1]->setChecked(true);
            connect(r.startup().info()->progressBar1, &QProgressBar::valueChanged, [&](int v) { progress << v; });
            sawDialog = true;
            QTest::mouseClick(dlg->command1, Qt::LeftButton);
        });
        QVERIFY(r.run());
        QVERIFY(sawDialog);
        QCOMPARE(r.startup().comChoice().portNumber, 3);
        QCOMPARE(r.startup().comChoice().speedText, QStringLiteral("38400"));
        QCOMPARE(r.port.commPort(), 3);
        QCOMPARE(r.port.baudRate(), 38400);
        QCOMPARE(r.main->baudRateText->text(), QStringLiteral("38400"));
        QVERIFY(progress.size() >= 2);
        QCOMPARE(progress.first(), 3);  // the bar restarts from 3
        QCOMPARE(progress.at(1), 4);
        const QStringList writes = hexWrites(r.takeWrites());
        QCOMPARE(writes.mid(0, 3), (QStringList{"88 01 00 01 FF", "88 01 00 01 FF", "88 30 01 FF"}));
    }

    // An unattended post whose cameras are powered later: while Com Setting
    // waits for the operator, the port and speed tried last are tried again
    // every five seconds, counted down under the buttons, until the chain
    // answers; start-up then goes on by itself.
    void comSettingRetriesByItself()
    {
        StartupRig r;
        r.chain.faults.broadcastsLost = true;   // the cameras are still off
        QStringList countdown;
        QList<double> clears;
        connect(&r.link(), &Link::wrote, this, [&](const QByteArray& b) {
            if (b == bytes("88 01 00 01 FF"))
                clears << r.clock.now();
        });
        const bool shown = runStartup(r.clock, r.port, r.startup(), [&] {
            FrmOpen* dlg = r.startup().comSetting();
            if (!dlg || !dlg->isVisible())
                return;
            const QString text = dlg->lblRetry->text();
            if (!text.isEmpty() && (countdown.isEmpty() || countdown.last() != text))
                countdown << text;
            if (clears.size() == 2)
                r.chain.faults.broadcastsLost = false;   // powered on during the second wait
        });
        QVERIFY(shown);
        QCOMPARE(countdown.mid(0, 6), (QStringList{"Trying Com 1 at 9600 bps again in 5 s.",
                                                  "Trying Com 1 at 9600 bps again in 4 s.",
                                                  "Trying Com 1 at 9600 bps again in 3 s.",
                                                  "Trying Com 1 at 9600 bps again in 2 s.",
                                                  "Trying Com 1 at 9600 bps again in 1 s.",
                                                  "Trying Com 1 at 9600 bps again now."}));
        QCOMPARE(countdown.size(), 12);   // two rounds, the second answered
        // Between two tries: the clear's second, the countdown, the second before the clear.
        QCOMPARE(clears.size(), 3);
        QCOMPARE(clears[1] - clears[0], 1.0 + Startup::kRetrySeconds + 1.0);
        QCOMPARE(clears[2] - clears[1], 1.0 + Startup::kRetrySeconds + 1.0);
        QCOMPARE(r.port.commPort(), 1);
        QVERIFY(r.main->isVisible());
        QCOMPARE(r.statusReads, 1);
        QVERIFY(r.messages.boxes.isEmpty());
    }

    // A port that does not open says why under the failure.
    void openFailureShownInComSetting()
    {
        StartupRig r;
        r.port.setCommPort(7);  // nothing there
        QString shown;
        r.onComSetting([&](FrmOpen* dlg) {
            shown = dlg->lblDBG0->text();
            QTest::mouseClick(dlg->command1, Qt::LeftButton);  // Com 1, where the chain is
        });
        QVERIFY(r.run());
        QCOMPARE(shown, QStringLiteral("IF_Clear Error\r\nPort = 7\r\nCom 7: no such device"));
        QVERIFY(r.port.isOpen());
    }

    // Each Com's device with what is known of it, from the port's (here a
    // fake) device list: an operator with several adapters tells them apart.
    void comSettingTellsAdaptersApart()
    {
        QTemporaryDir dev;
        for (const char* n : {"ttyUSB0", "ttyUSB1"}) {
            QFile f(dev.filePath(QString::fromLatin1(n)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString ftdi = dev.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
        QVERIFY(QFile::link(dev.filePath(QStringLiteral("ttyUSB1")), ftdi));
        const QList<SerialDeviceInfo> system{
            {dev.filePath(QStringLiteral("ttyUSB0")), {}, QStringLiteral("CP2102 USB to UART Bridge Controller"),
             QStringLiteral("Silicon Labs"), QStringLiteral("0001")},
            {dev.filePath(QStringLiteral("ttyUSB1")), ftdi, QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
             QStringLiteral("A50285BI")},
        };
        SerialPortObject port({dev.filePath(QStringLiteral("ttyUSB0")), ftdi, dev.filePath(QStringLiteral("ttyUSB9")),
                               QStringLiteral("tcp://10.0.0.7:4001")},
                              system);
        FrmOpen dlg([&port](int com) { return port.describe(com); });
        const auto row = [&dlg](int com) {
            QStringList cells;
            for (int c = 0; c < FrmOpen::ColumnCount; ++c)
                cells << dlg.comDevices->topLevelItem(com - 1)->text(c);
            return cells.join(QLatin1Char('|'));
        };
        QCOMPARE(dlg.comDevices->topLevelItemCount(), 6);
        QCOMPARE(row(1), QStringLiteral("Com 1|%1||CP2102 USB to UART Bridge Controller|Silicon Labs|0001|")
                             .arg(dev.filePath(QStringLiteral("ttyUSB0"))));
        QCOMPARE(row(2), QStringLiteral("Com 2|%1|usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0|FT232R USB UART|FTDI|"
                                        "A50285BI|")
                             .arg(QFileInfo(dev.filePath(QStringLiteral("ttyUSB1"))).absoluteFilePath()));
        QCOMPARE(row(3), QStringLiteral("Com 3|%1|||||no such device").arg(dev.filePath(QStringLiteral("ttyUSB9"))));
        QCOMPARE(row(4), QStringLiteral("Com 4|tcp://10.0.0.7:4001||serial device server|||"));
        QCOMPARE(row(5), QStringLiteral("Com 5|no serial device|||||"));

        // The list and the table pick the same Com.
        dlg.comDevices->setCurrentItem(dlg.comDevices->topLevelItem(2));
        QCOMPARE(dlg.selectedPort(), 3);
        QCOMPARE(dlg.lblDevice->text(), QStringLiteral("Com 3 opens %1\nDoes not open: no such device")
                                            .arg(dev.filePath(QStringLiteral("ttyUSB9"))));
        dlg.comList1->setCurrentIndex(1);
        QCOMPARE(dlg.comDevices->currentItem(), dlg.comDevices->topLevelItem(1));
        QCOMPARE(dlg.lblDevice->text(), QStringLiteral("Com 2 opens %1").arg(ftdi));

        // What a failed open said stays with its Com.
        port.setCommPort(1);
        QVERIFY(!port.open());  // a plain file is no terminal
        dlg.refreshDevices();
        QVERIFY(!dlg.comDevices->topLevelItem(0)->text(FrmOpen::ColProblem).isEmpty());
        QVERIFY(dlg.comDevices->topLevelItem(1)->text(FrmOpen::ColProblem).isEmpty());
    }

    void closingComSettingEndsStartup()
    {
        StartupRig r;
        r.chain.faults.broadcastsLost = true;
        r.onComSetting([](FrmOpen* dlg) { dlg->close(); });
        QVERIFY(!r.run());
        QVERIFY(!r.main->isVisible());
        QCOMPARE(r.statusReads, 0);
        QVERIFY(!QFile::exists(r.settingsFile()));
    }

    void silentCameraBoundsVersionCheck()
    {
        StartupRig r;
        r.chain.faults.silent.insert(1);
        QVERIFY(r.run());
        const QStringList writes = hexWrites(r.startupWrites);
        QCOMPARE(writes.count(QStringLiteral("81 09 00 02 FF")), Startup::kMaxAttempts);
        QVERIFY(r.identities.isEmpty());
        QCOMPARE(r.messages.boxes[0].title, QStringLiteral("Warning"));
        QVERIFY(r.messages.boxes[0].text.startsWith(QStringLiteral("Camera Version Check failed")));
        QCOMPARE(r.statusReads, 1);  // start-up goes on
        // ... to a status read that finds the camera silent too
        QCOMPARE(r.messages.boxes.size(), 2);
        QCOMPARE(r.messages.boxes[1].text, QStringLiteral("Refresh Action Error !\nRefresh Action is Stopped."));
        QVERIFY(r.main->isVisible());
    }

    void settingsSavedAndRestored()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("panel.ini"));
        {
            StartupRig r;
            PanelSettings none(file);
            const Placement p = none.readPlacement();
            QCOMPARE(p.left, 0.0);
            QCOMPARE(p.width, 11895.0);
            QCOMPARE(p.height, 8220.0);
            QVERIFY(r.run());
            const PanTiltFlags& flags = r.app->panTiltFlags;
            QVERIFY(flags.shown && flags.large && flags.docked);
        }
        {
            PanTiltFlags flags;
            flags.shown = false;
            flags.large = true;
            flags.docked = false;
            PanelSettings s(file);
            s.save(Placement{1234, 567.5, 9000, 6000}, flags, ComChoice{2, QStringLiteral("38400")});
        }
        QSettings raw(file, QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("Settings/MainTop")).toString(), QStringLiteral("567.5"));
        QCOMPARE(raw.value(QStringLiteral("Settings/CommPort")).toString(), QStringLiteral("2"));
        QCOMPARE(raw.value(QStringLiteral("Settings/BPS")).toString(), QStringLiteral("38400"));
        QCOMPARE(raw.value(QStringLiteral("Settings/PTWindow")).toString(), QStringLiteral("False"));
        QCOMPARE(raw.value(QStringLiteral("Settings/PTWSize")).toString(), QStringLiteral("True"));

        PanelSettings again(file);
        const Placement p = again.readPlacement();
        QCOMPARE(p.left, 1234.0);
        QCOMPARE(p.top, 567.5);
        QCOMPARE(p.width, 9000.0);
        PanTiltFlags flags;
        again.readPanTiltFlags(flags);
        QVERIFY(!flags.shown);
        QVERIFY(flags.large);
        QVERIFY(!flags.docked);

        // closing the main window saves what it shows
        StartupRig r;
        QVERIFY(r.run());
        r.main->move(150, 90);
        r.main->resize(700, 500);
        r.app->panTiltFlags.large = false;
        r.main->close();
        QCOMPARE(r.ended, 1);
        QSettings saved(r.settingsFile(), QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("Settings/MainWidth")).toDouble(), twips::fromPixels(700));
        QCOMPARE(saved.value(QStringLiteral("Settings/PTWSize")).toString(), QStringLiteral("False"));
        QCOMPARE(saved.value(QStringLiteral("Settings/CommPort")).toString(), QStringLiteral("0"));
        QVERIFY(r.app->panTiltFlags.mainClosing);
    }

    void garbageSettingsGiveDefaults()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("panel.ini"));
        {
            QSettings raw(file, QSettings::IniFormat);
            raw.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("left"));
            raw.setValue(QStringLiteral("Settings/MainWidth"), QStringLiteral("-40"));
            raw.setValue(QStringLiteral("Settings/MainHeight"), QStringLiteral("1e300"));
            raw.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("300"));
            raw.setValue(QStringLiteral("Settings/PTWindow"), QStringLiteral("maybe"));
            raw.setValue(QStringLiteral("Settings/PTWSize"), QStringLiteral("false"));
        }
        PanelSettings s(file);
        const Placement p = s.readPlacement();
        QCOMPARE(p.left, 0.0);
        QCOMPARE(p.top, 300.0);
        QCOMPARE(p.width, 11895.0);
        QCOMPARE(p.height, 8220.0);
        PanTiltFlags flags;
        s.readPanTiltFlags(flags);
        QVERIFY(flags.shown);
        QVERIFY(!flags.large);
        QVERIFY(flags.docked);
    }

    void quitSavesNothingAndMinimisedKeepsPlacement()
    {
        StartupRig r;
        QVERIFY(r.run());
        r.main->action(QStringLiteral("Quit"))->trigger();
        r.main->close();
        QCOMPARE(r.ended, 0);
        QVERIFY(!QFile::exists(r.settingsFile()));

        StartupRig m;
        QVERIFY(m.run());
        {
            QSettings raw(m.settingsFile(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("4321"));
        }
        m.main->showMinimized();
        QTRY_VERIFY(m.main->isMinimized());
        m.main->close();
        QSettings raw(m.settingsFile(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("4321"));
        QCOMPARE(raw.value(QStringLiteral("Settings/PTWindow")).toString(), QStringLiteral("True"));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
