// The clock, camera-ID, effect-level and factory-setting windows: their
// controls, packets, refusals of what cannot be sent, the timers they stop
// and give back, and what the simulated camera makes of their packets.
#include "setting_packets.h"
#include "setting_windows.h"
#include "speed_box.h"
#include "traffic_text.h"
#include "twips.h"
#include "window_rig.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

template <typename T> T* child(QWidget* window, const char* name)
{
    return requireChild<T>(window, QString::fromLatin1(name));
}

void click(QWidget* window, const char* name)
{
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

SettingWindows& windows(WindowRig& r)
{
    return r.app->settings();
}

QPoint besideMain(FrmMain& main)
{
    return main.pos() + QPoint(twips::toPixels(500), twips::toPixels(1000));
}

} // namespace

class TestSettingWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { quietPlatform(); }

    void clockWindow()
    {
        WindowRig r({QStringLiteral("tamiro-j1a")});
        windows(r).currentDateTime = [] { return QDateTime(QDate(2009, 3, 7), QTime(9, 5, 41)); };
        r.main->action(QStringLiteral("SetTimeDate"))->trigger();
        FrmSetDT* w = windows(r).setDT();
        QVERIFY(w && w->isVisible() && !w->isModal());
        QCOMPARE(w->objectName(), QStringLiteral("FrmSetDT"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Set Time & Date"));
        const char* const boxes[] = {"Year", "Month", "Day", "Hour", "Minute"};
        const int ranges[][2] = {{0, 99}, {1, 12}, {1, 31}, {0, 23}, {0, 59}};
        QStringList texts, labels;
        for (int i = 0; i < 5; ++i) {
            texts << child<QLineEdit>(w, boxes[i])->text();
            labels << child<QLabel>(w, qPrintable(QStringLiteral("Label%1").arg(i + 1)))->text();
            auto* spinner = child<UpDown>(w, qPrintable(QStringLiteral("UpDown%1").arg(i + 1)));
            QCOMPARE(spinner->buddy(), child<QLineEdit>(w, boxes[i]));
            QCOMPARE(spinner->minimum(), ranges[i][0]);
            QCOMPARE(spinner->maximum(), ranges[i][1]);
        }
        QCOMPARE(texts, (QStringList{"09", "03", "07", "09", "05"}));
        QCOMPARE(labels, (QStringList{"Year", "Month", "Day", "Hour", "Minute"}));

        click(w, "OK");
        QVERIFY(!w->isVisible());
        QCOMPARE(r.sent(), QStringList{"81 01 04 70 00 09 00 03 00 07 00 09 00 05 FF"});
        WindowRig::pump();
        const sim::CameraState& cam = r.chain.camera(1).state;
        QCOMPARE((QList<int>{cam.clockYear, cam.clockMonth, cam.clockDay, cam.clockHour, cam.clockMinute}),
                 (QList<int>{9, 3, 7, 9, 5}));

        // Each opening takes the computer's clock anew; the spinner steps the box.
        windows(r).currentDateTime = [] { return QDateTime(QDate(2031, 12, 31), QTime(23, 59)); };
        r.main->action(QStringLiteral("SetTimeDate"))->trigger();
        QCOMPARE(child<QLineEdit>(w, "Year")->text(), QStringLiteral("31"));
        auto* month = child<UpDown>(w, "UpDown2");
        QTest::mouseClick(month->findChild<QToolButton*>(QStringLiteral("up")), Qt::LeftButton);   // 12 stays
        for (int i = 0; i < 7; ++i)
            QTest::mouseClick(month->findChild<QToolButton*>(QStringLiteral("down")), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(w, "Month")->text(), QStringLiteral("5"));
        click(w, "OK");
        QCOMPARE(r.sent(), QStringList{"81 01 04 70 03 01 00 05 03 01 02 03 05 09 FF"});

        // Cancel hides the window and sends nothing.
        r.main->action(QStringLiteral("SetTimeDate"))->trigger();
        click(w, "Cancel");
        QVERIFY(!w->isVisible());
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(r.messages.boxes.isEmpty());
    }

    void clockRefusesWhatCannotBeSent_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString notSent = QStringLiteral("\nThe time and date were not sent.");
        QTest::newRow("month 13") << "Month" << "13" << "Month must be a number from 1 to 12." + notSent;
        QTest::newRow("day letters") << "Day" << "abc" << "Day must be a number from 1 to 31." + notSent;
        QTest::newRow("year empty") << "Year" << "" << "Year must be a number from 0 to 99." + notSent;
        QTest::newRow("hour 24") << "Hour" << "24" << "Hour must be a number from 0 to 23." + notSent;
        QTest::newRow("minute negative") << "Minute" << "-1" << "Minute must be a number from 0 to 59." + notSent;
        QTest::newRow("minute fraction") << "Minute" << "5.5" << "Minute must be a number from 0 to 59." + notSent;
    }

    void clockRefusesWhatCannotBeSent()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        WindowRig r({QStringLiteral("tamiro-j1a")});
        r.main->action(QStringLiteral("SetTimeDate"))->trigger();
        FrmSetDT* w = windows(r).setDT();
        requireChild<QLineEdit>(w, box)->setText(text);
        click(w, "OK");
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(w->isVisible());  // left open to be put right
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].title, QStringLiteral("Warning"));
        QCOMPARE(r.messages.boxes[0].text, message);
        // Blanks around a number and a leading zero are fine.
        requireChild<QLineEdit>(w, box)->setText(QStringLiteral(" 01 "));
        click(w, "OK");
        QCOMPARE(r.takeWrites().size(), 1);
    }

    void cameraIdWindow()
    {
        WindowRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        m.show();
        m.move(100, 80);
        r.chain.camera(1).state.cameraId = 321;
        QVERIFY(readStatus(r));
        QCOMPARE(m.cameraIdText->text(), QStringLiteral("321"));
        m.autoRefreshed->click();
        m.timer2->start();
        r.takeWrites();

        m.action(QStringLiteral("IDWrite"))->trigger();
        FrmCamID* w = windows(r).camID();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowModality(), Qt::ApplicationModal);
        QCOMPARE(w->windowTitle(), QStringLiteral("Camera ID Write"));
        QCOMPARE(child<QLabel>(w, "LblID")->text(), QStringLiteral("Camera ID ( 0 - 65535 )"));
        QCOMPARE(w->pos(), besideMain(m));
        QCOMPARE(child<QLineEdit>(w, "ID")->text(), QStringLiteral("321"));
        // Auto refresh and the pan-tilt window's timer stay off while it is
        // open; the toggle is left as it was, behind the modal window.
        QVERIFY(!m.timer1->isActive() && !m.timer2->isActive());
        QVERIFY(m.autoRefreshed->isEnabled() && m.autoRefreshed->text() == QLatin1String("Auto"));

        child<QLineEdit>(w, "ID")->setText(QStringLiteral("4660"));
        click(w, "OK");
        QCOMPARE(r.sent(), QStringList{"81 01 04 22 01 02 03 04 FF"});
        QCOMPARE(m.cameraIdText->text(), QStringLiteral("4660"));
        QVERIFY(!w->isVisible());
        QVERIFY(m.timer1->isActive() && m.timer2->isActive() && m.autoRefreshed->isEnabled());
        WindowRig::pump();
        QCOMPARE(r.chain.camera(1).state.cameraId, 4660);
        QVERIFY(m.timer1->isActive());

        // Above the range: the highest ID, shown in the box.
        m.action(QStringLiteral("IDWrite"))->trigger();
        QCOMPARE(child<QLineEdit>(w, "ID")->text(), QStringLiteral("4660"));
        child<QLineEdit>(w, "ID")->setText(QStringLiteral("70000"));
        click(w, "OK");
        QCOMPARE(r.sent(), QStringList{"81 01 04 22 0F 0F 0F 0F FF"});
        QCOMPARE(child<QLineEdit>(w, "ID")->text(), QStringLiteral("65535"));
        QCOMPARE(m.cameraIdText->text(), QStringLiteral("65535"));
    }

    void cameraIdTimersComeBackHoweverItCloses_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("autoOn");
        QTest::addColumn<bool>("timer2On");
        QTest::newRow("cancel, auto") << "Cancel" << true << true;
        QTest::newRow("close box, auto") << "close" << true << true;
        QTest::newRow("escape, stopped") << "escape" << false << true;
        QTest::newRow("OK, stopped, pan-tilt timer off") << "OK" << false << false;
    }

    void cameraIdTimersComeBackHoweverItCloses()
    {
        QFETCH(QString, how);
        QFETCH(bool, autoOn);
        QFETCH(bool, timer2On);
        WindowRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        if (autoOn)
            m.autoRefreshed->click();
        if (!timer2On)
            m.timer2->stop();
        m.action(QStringLiteral("IDWrite"))->trigger();
        FrmCamID* w = windows(r).camID();
        child<QLineEdit>(w, "ID")->setText(QStringLiteral("7"));
        QVERIFY(!m.timer1->isActive() && !m.timer2->isActive());
        if (how == QLatin1String("close"))
            w->close();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(w, Qt::Key_Escape);
        else
            click(w, qPrintable(how));
        QVERIFY(!w->isVisible());
        QCOMPARE(r.takeWrites().size(), how == QLatin1String("OK") ? 1 : 0);
        QCOMPARE(m.timer1->isActive(), autoOn);
        QCOMPARE(m.timer1->interval(), 2000);
        QCOMPARE(m.timer2->isActive(), timer2On);
        QVERIFY(m.autoRefreshed->isEnabled());
        QCOMPARE(m.autoRefreshed->text(), autoOn ? QStringLiteral("Auto") : QStringLiteral("Stop"));
    }

    void cameraIdRefusals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << "abc";
        QTest::newRow("empty") << "";
        QTest::newRow("negative") << "-1";
        QTest::newRow("junk after") << "12a";
    }

    void cameraIdRefusals()
    {
        QFETCH(QString, text);
        WindowRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        m.cameraIdText->setText(QStringLiteral("5"));
        m.autoRefreshed->click();
        m.action(QStringLiteral("IDWrite"))->trigger();
        FrmCamID* w = windows(r).camID();
        child<QLineEdit>(w, "ID")->setText(text);
        click(w, "OK");
        QVERIFY(r.takeWrites().isEmpty());
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].text, QStringLiteral("The camera ID must be a number from 0 to 65535.\n"
                                                          "The camera ID was not written."));
        QVERIFY(w->isVisible());
        QCOMPARE(m.cameraIdText->text(), QStringLiteral("5"));
        QVERIFY(!m.timer1->isActive());  // still held for the window
        child<QLineEdit>(w, "ID")->setText(QStringLiteral("+0"));
        click(w, "OK");
        QCOMPARE(r.sent(), QStringList{"81 01 04 22 00 00 00 00 FF"});
        QCOMPARE(m.cameraIdText->text(), QStringLiteral("0"));
    }

    void effectLevelWindow()
    {
        WindowRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        m.show();
        m.move(60, 40);
        r.chain.camera(1).state.effectLevel = 7;
        QVERIFY(readStatus(r));
        m.autoRefreshed->click();

        m.action(QStringLiteral("EffectLevel"))->trigger();
        FrmDeffect* w = windows(r).deffect();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowModality(), Qt::ApplicationModal);
        QCOMPARE(w->windowTitle(), QStringLiteral("Digital Effect Level"));
        QCOMPARE(w->pos(), besideMain(m));
        auto* level = child<QLineEdit>(w, "DELevel");
        auto* spinner = child<UpDown>(w, "UpDown1");
        QCOMPARE(spinner->buddy(), level);
        QCOMPARE(spinner->minimum(), 0);
        QCOMPARE(spinner->maximum(), 32);
        QCOMPARE(child<QPushButton>(w, "DELevelOK")->text(), QStringLiteral("OK"));
        QCOMPARE(child<QPushButton>(w, "DELevelCancel")->text(), QStringLiteral("Cancel"));
        QCOMPARE(level->text(), QStringLiteral("7"));
        // Auto refresh goes on while it is open, and shows the camera's level...
        QVERIFY(m.timer1->isActive());
        r.chain.camera(1).state.effectLevel = 9;
        QVERIFY(readStatus(r));
        QCOMPARE(level->text(), QStringLiteral("9"));
        // ... but never over what the operator has put in.
        QTest::mouseClick(spinner->findChild<QToolButton*>(QStringLiteral("up")), Qt::LeftButton);
        QCOMPARE(level->text(), QStringLiteral("10"));
        QVERIFY(readStatus(r));
        QCOMPARE(level->text(), QStringLiteral("10"));
        level->setText(QStringLiteral("20"));
        r.takeWrites();

        click(w, "DELevelOK");
        QCOMPARE(r.sent(), QStringList{"81 01 04 65 14 FF"});
        QVERIFY(!w->isVisible());
        WindowRig::pump();
        QCOMPARE(r.chain.camera(1).state.effectLevel, 20);
        // Closing it leaves auto refresh running as the button says.
        QVERIFY(m.timer1->isActive());
        QCOMPARE(m.autoRefreshed->text(), QStringLiteral("Auto"));
        QVERIFY(m.autoRefreshed->isEnabled());

        // Reopened: the camera's level again, and reads show in it again.
        m.action(QStringLiteral("EffectLevel"))->trigger();
        QCOMPARE(level->text(), QStringLiteral("20"));
        r.chain.camera(1).state.effectLevel = 3;
        QVERIFY(readStatus(r));
        QCOMPARE(level->text(), QStringLiteral("3"));
        click(w, "DELevelCancel");
        QVERIFY(!w->isVisible());
        QVERIFY(m.timer1->isActive());
        QVERIFY(r.takeWrites().size() == 4);  // the read's inquiries only
    }

    void effectLevelRefusals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("end of packet byte") << "255";
        QTest::newRow("above the range") << "33";
        QTest::newRow("negative") << "-1";
        QTest::newRow("letters") << "abc";
        QTest::newRow("empty") << "";
    }

    void effectLevelRefusals()
    {
        QFETCH(QString, text);
        WindowRig r({QStringLiteral("tamiro-k9b")});
        r.main->action(QStringLiteral("EffectLevel"))->trigger();
        FrmDeffect* w = windows(r).deffect();
        child<QLineEdit>(w, "DELevel")->setText(text);
        click(w, "DELevelOK");
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(w->isVisible());
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].text, QStringLiteral("The effect level must be a number from 0 to 32.\n"
                                                          "The effect level was not sent."));
        child<QLineEdit>(w, "DELevel")->setText(QStringLiteral("32"));
        click(w, "DELevelOK");
        QCOMPARE(r.sent(), QStringList{"81 01 04 65 20 FF"});
    }

    void factorySetControls()
    {
        WindowRig r({QStringLiteral("tamiro-k9b")});
        r.main->action(QStringLiteral("SettingMenu"))->trigger();
        FSet* w = windows(r).fset();
        QVERIFY(w && w->isVisible() && !w->isModal());
        QCOMPARE(w->windowTitle(), QStringLiteral("Factory Set"));
        QCOMPARE(child<QGroupBox>(w, "FmBaudRate")->title(), QStringLiteral("BaudRate Set"));
        QCOMPARE(child<QGroupBox>(w, "FmMode")->title(), QStringLiteral("Mode"));
        const QStringList captions{
            child<QPushButton>(w, "CmdBaudRate_0")->text(), child<QPushButton>(w, "CmdBaudRate_1")->text(),
            child<QPushButton>(w, "CmdBaudRate_2")->text(), child<QPushButton>(w, "EPromCmdSens")->text(),
            child<QPushButton>(w, "EPromCmdRD")->text(), child<QPushButton>(w, "EPromCmdSet")->text(),
            child<QPushButton>(w, "EPromCmdWR")->text(),
            child<QPushButton>(w, "EPromWriteProtectrelesase")->text()};
        QCOMPARE(captions, (QStringList{"9600 bps", "19200 bps", "38400 bps", "TAMIRO Setting Mode", "READ", "SET",
                                        "WRITE", "Protect Release"}));
        QCOMPARE(child<QLabel>(w, "LblFSet_0")->text(),
                 QStringLiteral("When you want to change the Baud rate, Press the each button which you want.   "
                                "Then Power off  the Camera Power. "));
        QCOMPARE(child<QLabel>(w, "LblFSet_1")->text(), QStringLiteral("# This program have to reload also."));
        QCOMPARE(child<QLabel>(w, "LblFSet_2")->text(), QStringLiteral("Mode"));
        QCOMPARE(child<QLabel>(w, "LblFSet_3")->text(), QStringLiteral("Data"));
        QVERIFY(child<TrafficText>(w, "EPSendText")->isReadOnly());
    }

    void settingMemoryPackets_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("sent");
        QTest::newRow("setting mode") << "EPromCmdSens" << "" << "" << "81 01 7F 7F 10 FF";
        QTest::newRow("read 1A3") << "EPromCmdRD" << "1A3" << "zz" << "81 09 7F 7F 01 01 0A 03 FF";
        QTest::newRow("read, lower case") << "EPromCmdRD" << "fff" << "" << "81 09 7F 7F 01 0F 0F 0F FF";
        QTest::newRow("write CFC 02") << "EPromCmdWR" << "CFC" << "02" << "81 01 7F 7F 02 0C 0F 0C 00 02 FF";
        QTest::newRow("set, blanks around") << "EPromCmdSet" << " 0a1 " << " Ff" << "81 01 7F 7F 03 00 0A 01 0F 0F FF";
        QTest::newRow("protect release") << "EPromWriteProtectrelesase" << "" << ""
                                         << "81 01 7F 7F 02 00 00 01 00 01 FF";
    }

    void settingMemoryPackets()
    {
        QFETCH(QString, button);
        QFETCH(QString, address);
        QFETCH(QString, data);
        QFETCH(QString, sent);
        WindowRig r({QStringLiteral("tamiro-k9b"), QStringLiteral("tamiro-k9b")});
        r.main->action(QStringLiteral("SettingMenu"))->trigger();
        FSet* w = windows(r).fset();
        child<QLineEdit>(w, "EPromText1")->setText(address);
        child<QLineEdit>(w, "EPromText2")->setText(data);
        const QString history = r.main->sendText->text();
        click(w, qPrintable(button));
        QCOMPARE(r.sent(), QStringList{sent});
        // Logged in the window's own box, not in the main window's history.
        QCOMPARE(child<TrafficText>(w, "EPSendText")->text(), sent + QStringLiteral(" \r\n"));
        QCOMPARE(r.main->sendText->text(), history);
        QVERIFY(r.messages.boxes.isEmpty());

        // The addressed camera's header.
        r.session.setAddress(2);
        click(w, qPrintable(button));
        QCOMPARE(r.sent(), QStringList{QStringLiteral("82") + sent.mid(2)});
    }

    void settingMemoryRefusals_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("message");
        const QString badAddress =
            QStringLiteral("The address must be three hexadecimal digits, 000 to FFF.\nNothing was sent.");
        const QString badData = QStringLiteral("The data must be two hexadecimal digits, 00 to FF.\nNothing was sent.");
        QTest::newRow("read, short address") << "EPromCmdRD" << "1A" << "" << badAddress;
        QTest::newRow("read, long address") << "EPromCmdRD" << "1A34" << "" << badAddress;
        QTest::newRow("read, not hexadecimal") << "EPromCmdRD" << "1G3" << "" << badAddress;
        QTest::newRow("write, short data") << "EPromCmdWR" << "CFC" << "2" << badData;
        QTest::newRow("write, data not hexadecimal") << "EPromCmdWR" << "CFC" << "0G" << badData;
        QTest::newRow("write, both wrong") << "EPromCmdWR" << "" << "" << badAddress;
        QTest::newRow("set, sign") << "EPromCmdSet" << "001" << "-1" << badData;
    }

    void settingMemoryRefusals()
    {
        QFETCH(QString, button);
        QFETCH(QString, address);
        QFETCH(QString, data);
        QFETCH(QString, message);
        WindowRig r({QStringLiteral("tamiro-k9b")});
        r.main->action(QStringLiteral("SettingMenu"))->trigger();
        FSet* w = windows(r).fset();
        child<QLineEdit>(w, "EPromText1")->setText(address);
        child<QLineEdit>(w, "EPromText2")->setText(data);
        click(w, qPrintable(button));
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(child<TrafficText>(w, "EPSendText")->text().isEmpty());
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].title, QStringLiteral("Warning"));
        QCOMPARE(r.messages.boxes[0].text, message);
    }

    void speedChange_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("last");
        QTest::newRow("9600") << 0 << "81 01 7F 7F 02 0C 0F 0C 00 00 FF";
        QTest::newRow("19200") << 1 << "81 01 7F 7F 02 0C 0F 0C 00 01 FF";
        QTest::newRow("38400") << 2 << "81 01 7F 7F 02 0C 0F 0C 00 02 FF";
    }

    void speedChange()
    {
        QFETCH(int, button);
        QFETCH(QString, last);
        WindowRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        m.autoRefreshed->click();
        m.action(QStringLiteral("SettingMenu"))->trigger();
        FSet* w = windows(r).fset();
        QList<double> at;
        connect(&r.link(), &Link::wrote, this, [&] { at << r.clock.now(); });
        const double start = r.clock.now();
        click(w, qPrintable(QStringLiteral("CmdBaudRate_%1").arg(button)));
        QVERIFY(r.runUntil([&] { return at.size() >= 3; }));   // two pauses for the camera
        QCOMPARE(r.sent(), (QStringList{"81 01 7F 7F 10 FF", "81 01 7F 7F 02 00 00 01 00 01 FF", last}));
        QCOMPARE(at, (QList<double>{start, start + 2.0, start + 4.0}));
        QCOMPARE(child<TrafficText>(w, "EPSendText")->text().count(QStringLiteral("\r\n")), 3);
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].text, QStringLiteral(" Please Turn off the Camera Power and Exit This program."));

        // The camera took all three; the replies end the commands as usual.
        WindowRig::pump();
        const sim::CameraState& cam = r.chain.camera(1).state;
        QCOMPARE(int(cam.settingMemory[kBaudRateAddress]), button);
        QVERIFY(m.recvText->text().endsWith(QStringLiteral("90 41 FF \r\n90 51 FF \r\n")));
        QVERIFY(m.timer1->isActive());
    }

    // The simulated camera's setting memory: setting mode first, writing
    // only after the protection is released, reads of the working copy.
    void settingMemoryInTheCamera()
    {
        WindowRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        m.action(QStringLiteral("SettingMenu"))->trigger();
        FSet* w = windows(r).fset();
        const sim::CameraState& cam = r.chain.camera(1).state;
        auto run = [&](const char* button, const char* address, const char* data) {
            child<QLineEdit>(w, "EPromText1")->setText(QString::fromLatin1(address));
            child<QLineEdit>(w, "EPromText2")->setText(QString::fromLatin1(data));
            r.link().traffic().clear();
            click(w, button);
            WindowRig::pump();
            return m.recvText->text();
        };
        const QString done = QStringLiteral("90 41 FF \r\n90 51 FF \r\n");
        const QString refused = QStringLiteral("90 61 41 FF \r\n");
        QCOMPARE(run("EPromCmdRD", "CFC", ""), refused);            // not in setting mode
        QCOMPARE(run("EPromCmdSens", "", ""), done);
        QCOMPARE(run("EPromCmdWR", "CFC", "02"), refused);          // protected
        QCOMPARE(int(cam.settingMemory[0xCFC]), 0);
        QCOMPARE(run("EPromCmdSet", "CFC", "01"), done);            // the working copy only
        QCOMPARE(run("EPromCmdRD", "CFC", ""), QStringLiteral("90 50 00 01 FF \r\n"));
        QCOMPARE(int(cam.settingMemory[0xCFC]), 0);
        QCOMPARE(run("EPromWriteProtectrelesase", "", ""), done);
        QCOMPARE(run("EPromCmdWR", "CFC", "02"), done);
        QCOMPARE(int(cam.settingMemory[0xCFC]), 2);
        QCOMPARE(run("EPromCmdRD", "CFC", ""), QStringLiteral("90 50 00 02 FF \r\n"));

        // The pan/tilt cameras have no setting memory.
        WindowRig q;
        q.main->action(QStringLiteral("SettingMenu"))->trigger();
        click(windows(q).fset(), "EPromCmdSens");
        WindowRig::pump();
        QCOMPARE(q.main->recvText->text(), QStringLiteral("90 60 02 FF \r\n"));
    }
};

QTEST_MAIN(TestSettingWindows)
#include "test_setting_windows.moc"
