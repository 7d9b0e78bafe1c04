// The alarm window and the alarm check, the night timer's conditions and the
// two power-off dialogs: their packets, how they read the camera's answers
// (a missing answer included), what they refuse, and what they do to auto
// refresh and the docking check while they are open and when they close.
#include "alarm_packets.h"
#include "frm_md.h"
#include "frm_power_off.h"
#include "twips.h"
#include "window_rig.h"

#include <QGroupBox>
#include <QLabel>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace peltro;
using namespace peltro::test;

namespace {

const QString kSetUp = QStringLiteral("\nPlease set up it after I implement alarm setting.  ");
const QString kNoAlarmAnswer =
    QStringLiteral("The camera did not answer the alarm inquiry.\nIts alarm settings are not known.");
const QString kNoValidAnswer =
    QStringLiteral("The camera gave no valid answer to the inquiry.\nThe window keeps its values.");

struct AlarmRig : WindowRig {
    using WindowRig::WindowRig;
    sim::CameraState& camera() { return chain.camera(1).state; }

    FrmMD& openAlarm()
    {
        trigger("MotionDetecter");
        FrmMD* w = window<FrmMD>("FrmMD");
        if (!w)
            qFatal("the alarm window did not open");
        return *w;
    }
    static QString log(FrmMD& w) { return w.log().text(TrafficLog::Sent); }
    FrmPowerOff* powerOff(const char* name) { return window<FrmPowerOff>(name); }
};

} // namespace

class TestAlarmTimers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        quietPlatform();
    }
    void cleanupTestCase() { loudPlatform(); }

    // --- the alarm window ----------------------------------------------------

    void alarmWindowContent()
    {
        AlarmRig r;
        r.session.alarm().mode = 12;
        r.session.alarm().dayLevel = 0x2A;
        r.session.alarm().nightLevel = 0xF00;
        r.session.alarm().currentLevel = 0x7;
        r.showMain();
        FrmMD& w = r.openAlarm();
        QCOMPARE(w.windowTitle(), QStringLiteral("Alarm"));
        QVERIFY(w.isVisible() && w.isModal());
        QCOMPARE(w.frameGeometry().topLeft(),
                 r.main->frameGeometry().topLeft() + QPoint(twips::toPixels(100), twips::toPixels(100)));
        QStringList entries;
        for (int i = 0; i < w.comboSetMD->count(); ++i)
            entries << w.comboSetMD->itemText(i);
        QCOMPARE(entries, QStringList({"(0)Focus Position", "(1)Focus Time", "(2)AE Level", "(3)AE Time",
                                       "(4) (0) and (2)", "(5) (0) and (3)", "(6) (1) and (2)", "(7) (1) and (3)",
                                       "(8) (0)  or  (2)", "(9) (0)  or  (3)", "(10) (1) or  (2)",
                                       "(11) (1) or  (3)", "Day & Night"}));
        QStringList captions;
        for (const char* n : {"comSetMD", "cmdsetMDinq", "OpMDon", "OpMDoff", "cmdMDstart", "cmdMDSSunq",
                              "cmdsetMDtime", "cmdLevelInq", "Command1_0", "Command1_1", "cmdDisplay",
                              "cmdMDdisplayOFF", "CmdClose"})
            captions << requireChild<QAbstractButton>(&w, QString::fromLatin1(n))->text();
        QCOMPARE(captions, QStringList({"Send Command", "Inquiry Command", "ON", "OFF", "Start/Stop",
                                        "Inquiry Command", "Send Command", "Level Inquiry", "Day", "Night",
                                        "Display ON", "Display OFF", "Close"}));
        QStringList frames;
        for (const char* n : {"FmSetMode", "FmDetect", "FmLevel", "Frame1"})
            frames << requireChild<QGroupBox>(&w, QString::fromLatin1(n))->title();
        QCOMPARE(frames, QStringList({"Set Alarm Mode", "Alarm Detect", "Set Day/Night AE Level", "Now Value Set"}));
        // Filled from the alarm settings held by the panel.
        QCOMPARE(w.comboSetMD->currentIndex(), 12);
        QCOMPARE(QStringList({w.txtMDday->text(), w.txtMDdayR->text(), w.txtMDnight->text(),
                              w.txtMDnightR->text(), w.txtMDc->text()}),
                 QStringList({"02A", "02A", "F00", "F00", "007"}));
        QVERIFY(!w.opMDon->isChecked() && w.opMDoff->isChecked());
        QVERIFY(r.sent().isEmpty());   // the alarm is off: no check
    }

    void alarmCommands_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QString>("after");   // alarm on, mode, day, night, and which are known
        QTest::newRow("mode") << "mode 12" << "81 01 04 6C 0C FF" << "0 12 0 0 100";
        QTest::newRow("mode 0") << "mode 0" << "81 01 04 6C 00 FF" << "0 0 0 0 100";
        QTest::newRow("detect on") << "on" << "81 01 04 6B 02 FF" << "1 0 0 0 000";
        QTest::newRow("detect off") << "off" << "81 01 04 6B 03 FF" << "0 0 0 0 000";
        QTest::newRow("levels") << "levels FFF 123" << "81 01 04 6D 0F 0F 0F 01 02 03 FF" << "0 0 4095 291 011";
        QTest::newRow("levels, lower case") << "levels abc 0d0" << "81 01 04 6D 0A 0B 0C 00 0D 00 FF"
                                            << "0 0 2748 208 011";
        QTest::newRow("display on") << "display" << "81 01 04 15 02 FF" << "0 0 0 0 000";
        QTest::newRow("display off") << "displayOff" << "81 01 04 15 03 FF" << "0 0 0 0 000";
    }

    void alarmCommands()
    {
        QFETCH(QString, action);
        QFETCH(QString, packet);
        QFETCH(QString, after);
        AlarmRig r;
        FrmMD& w = r.openAlarm();
        const QStringList a = action.split(QLatin1Char(' '));
        if (a[0] == QLatin1String("mode")) {
            w.comboSetMD->setCurrentIndex(a[1].toInt());
            AlarmRig::click(&w, "comSetMD");
        } else if (a[0] == QLatin1String("on") || a[0] == QLatin1String("off")) {
            AlarmRig::click(&w, a[0] == QLatin1String("on") ? "OpMDon" : "OpMDoff");
            AlarmRig::click(&w, "cmdMDstart");
        } else if (a[0] == QLatin1String("levels")) {
            w.txtMDday->setText(a[1]);
            w.txtMDnight->setText(a[2]);
            AlarmRig::click(&w, "cmdsetMDtime");
        } else {
            AlarmRig::click(&w, a[0] == QLatin1String("display") ? "cmdDisplay" : "cmdMDdisplayOFF");
        }
        QCOMPARE(r.sent(), QStringList{packet});
        const AlarmSettings& st = r.session.alarm();
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5%6%7")
                     .arg(int(st.on))
                     .arg(st.mode)
                     .arg(st.dayLevel)
                     .arg(st.nightLevel)
                     .arg(int(st.modeKnown))
                     .arg(int(st.dayKnown))
                     .arg(int(st.nightKnown)),
                 after);
        // The window keeps its own log; the main window's history stays empty.
        QCOMPARE(AlarmRig::log(w), packet + QStringLiteral(" \r\n"));
        QVERIFY(r.main->sendText->text().isEmpty());
        // The camera acknowledges and completes each of them.
        ChainRig::pump();
        QVERIFY(r.main->recvText->text().endsWith(QStringLiteral("90 41 FF \r\n90 51 FF \r\n")));
    }

    void alarmInquiries_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("camera");   // "" as the simulated camera answers, or a fault
        QTest::addColumn<QString>("shown");    // mode entry, detect ON/OFF, the three read-back boxes
        QTest::addColumn<QString>("held");     // alarm on, mode, day, night, now; known flags
        QTest::addColumn<bool>("refused");
        // The camera: alarm on, mode 12, levels ABC, 345 and 789.
        QTest::newRow("levels") << "cmdLevelInq" << "" << "0 OFF ABC 345 789" << "0 0 2748 837 1929 011" << false;
        QTest::newRow("levels, no answer") << "cmdLevelInq" << "silent" << "0 OFF 000 000 000" << "0 0 0 0 0 000"
                                           << true;
        QTest::newRow("levels, garbled") << "cmdLevelInq" << "garbled" << "0 OFF 000 000 000" << "0 0 0 0 0 000"
                                         << true;
        QTest::newRow("mode") << "cmdsetMDinq" << "" << "12 OFF 000 000 000" << "0 12 0 0 0 100" << false;
        QTest::newRow("mode, no answer") << "cmdsetMDinq" << "silent" << "0 OFF 000 000 000" << "0 0 0 0 0 000"
                                         << true;
        QTest::newRow("mode off the list") << "cmdsetMDinq" << "mode13" << "0 OFF 000 000 000" << "0 0 0 0 0 000"
                                           << true;
        QTest::newRow("detect") << "cmdMDSSunq" << "" << "0 ON 000 000 000" << "1 0 0 0 0 000" << false;
        QTest::newRow("detect, no answer") << "cmdMDSSunq" << "silent" << "0 OFF 000 000 000" << "0 0 0 0 0 000"
                                           << true;
    }

    void alarmInquiries()
    {
        QFETCH(QString, button);
        QFETCH(QString, camera);
        QFETCH(QString, shown);
        QFETCH(QString, held);
        QFETCH(bool, refused);
        AlarmRig r;
        FrmMD& w = r.openAlarm();
        r.camera().alarmOn = true;
        r.camera().alarmMode = 12;
        r.camera().alarmDayLevel = 0xABC;
        r.camera().alarmNightLevel = 0x345;
        r.camera().aeLevel = 0x789;
        if (camera == QLatin1String("silent"))
            r.chain.faults.silent.insert(1);
        else if (camera == QLatin1String("garbled"))
            r.chain.faults.garbled = true;
        else if (camera == QLatin1String("mode13"))
            r.camera().alarmMode = 13;
        const QString recvBefore = r.main->recvText->text();

        AlarmRig::click(&w, qPrintable(button));
        r.idle();
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(w.comboSetMD->currentIndex())
                     .arg(w.opMDon->isChecked() ? "ON" : "OFF")
                     .arg(w.txtMDdayR->text(), w.txtMDnightR->text(), w.txtMDc->text()),
                 shown);
        const AlarmSettings& st = r.session.alarm();
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5 %6%7%8")
                     .arg(int(st.on))
                     .arg(st.mode)
                     .arg(st.dayLevel)
                     .arg(st.nightLevel)
                     .arg(st.currentLevel)
                     .arg(int(st.modeKnown))
                     .arg(int(st.dayKnown))
                     .arg(int(st.nightKnown)),
                 held);
        QCOMPARE(r.boxTexts(), refused ? QStringList{kNoValidAnswer} : QStringList{});
        // The inquiry is in the window's log, the answer in the response box;
        // a time-out's filler never came over the line and is not shown.
        QVERIFY(AlarmRig::log(w).startsWith(QStringLiteral("81 09 04 6")));
        if (camera == QLatin1String("silent"))
            QCOMPARE(r.main->recvText->text(), recvBefore);
        else
            QVERIFY(r.main->recvText->text().endsWith(QStringLiteral(" FF \r\n")));
        QCOMPARE(r.port.rThreshold(), 1);   // the receive handler is on again
    }

    void levelInquiryShowsTheCameraAnswer()
    {
        // The answer 90 50 0A 0B 0C 03 04 05 07 08 09 FF, byte for byte.
        AlarmRig r;
        FrmMD& w = r.openAlarm();
        r.camera().alarmDayLevel = 0xABC;
        r.camera().alarmNightLevel = 0x345;
        r.camera().aeLevel = 0x789;
        AlarmRig::click(&w, "cmdLevelInq");
        QCOMPARE(r.sent(), QStringList{"81 09 04 6D FF"});
        QVERIFY(r.main->recvText->text().endsWith(QStringLiteral("90 50 0A 0B 0C 03 04 05 07 08 09 FF \r\n")));
        QCOMPARE(QStringList({w.txtMDdayR->text(), w.txtMDnightR->text(), w.txtMDc->text()}),
                 QStringList({"ABC", "345", "789"}));
        // The camera's level moves: the next look shows another.
        AlarmRig::click(&w, "cmdLevelInq");
        QVERIFY(w.txtMDc->text() != QLatin1String("789"));
        QCOMPARE(w.txtMDdayR->text(), QStringLiteral("ABC"));
    }

    void levelRefusals_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("night");
        QTest::addColumn<QString>("which");
        QTest::newRow("two digits") << "FF" << "123" << "Day";
        QTest::newRow("four digits") << "FFFF" << "123" << "Day";
        QTest::newRow("not hexadecimal") << "FFG" << "123" << "Day";
        QTest::newRow("blank") << " FF" << "123" << "Day";
        QTest::newRow("sign") << "+FF" << "123" << "Day";
        QTest::newRow("empty") << "" << "123" << "Day";
        QTest::newRow("wide digits") << QString::fromUtf8("１２３") << "123" << "Day";
        QTest::newRow("night") << "FFF" << "12" << "Night";
        QTest::newRow("night not hexadecimal") << "FFF" << "x12" << "Night";
    }

    void levelRefusals()
    {
        QFETCH(QString, day);
        QFETCH(QString, night);
        QFETCH(QString, which);
        AlarmRig r;
        FrmMD& w = r.openAlarm();
        w.txtMDday->setText(day);
        w.txtMDnight->setText(night);
        AlarmRig::click(&w, "cmdsetMDtime");
        QVERIFY(r.sent().isEmpty());
        QCOMPARE(r.boxTexts(), QStringList{QStringLiteral("The %1 level must be three hexadecimal digits, 000 to FFF."
                                                          "\nNothing was sent.")
                                               .arg(which)});
        QVERIFY(!r.session.alarm().dayKnown && !r.session.alarm().nightKnown);
    }

    // The operator types into the read-back boxes: "Now" emptied, or a
    // level of his own, is what "Now Value Set" takes.
    void nowValueSet()
    {
        AlarmRig r;
        FrmMD& w = r.openAlarm();
        auto retype = [](QLineEdit* box, const QString& text) {
            box->setFocus();
            box->end(false);
            for (qsizetype n = box->text().size(); n > 0; --n)
                QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClicks(box, text);
        };
        retype(w.txtMDc, {});
        QCOMPARE(w.txtMDc->text(), QString());
        AlarmRig::click(&w, "Command1_0");   // an empty "Now" changes nothing
        QCOMPARE(w.txtMDday->text(), QStringLiteral("000"));
        retype(w.txtMDc, QStringLiteral("789"));
        AlarmRig::click(&w, "Command1_0");
        AlarmRig::click(&w, "Command1_1");
        QCOMPARE(QStringList({w.txtMDday->text(), w.txtMDnight->text()}), QStringList({"789", "789"}));
        retype(w.txtMDdayR, QStringLiteral("ABC"));
        retype(w.txtMDnightR, QStringLiteral("12"));
        QCOMPARE(QStringList({w.txtMDdayR->text(), w.txtMDnightR->text()}), QStringList({"ABC", "12"}));
        QVERIFY(r.sent().isEmpty());
    }

    void autoRefreshWarning()
    {
        AlarmRig r;
        r.autoOn();
        FrmMD& w = r.openAlarm();
        AlarmRig::click(&w, "OpMDon");
        r.messages.askAnswer = false;
        AlarmRig::click(&w, "cmdMDstart");
        QVERIFY(r.sent().isEmpty());
        QVERIFY(!r.session.alarm().on);
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].title, QStringLiteral("AutoRefresh Warning"));
        QCOMPARE(r.messages.boxes[0].text, QStringLiteral("After set this mode, Auto Refresh function will be off."));
        QCOMPARE(r.messages.boxes[0].icon, QMessageBox::Warning);

        r.messages.askAnswer = true;
        AlarmRig::click(&w, "cmdMDstart");
        QCOMPARE(r.sent(), QStringList{"81 01 04 6B 02 FF"});
        QVERIFY(r.session.alarm().on);
        // Switching off asks nothing.
        AlarmRig::click(&w, "OpMDoff");
        AlarmRig::click(&w, "cmdMDstart");
        QCOMPARE(r.sent(), QStringList{"81 01 04 6B 03 FF"});
        QCOMPARE(r.messages.boxes.size(), 2);
    }

    // While the window is open no status read may run, whatever the replies
    // to its own commands resume; its closing rule decides afterwards.
    void alarmWindowHoldsRefresh_data()
    {
        QTest::addColumn<bool>("autoOn");
        QTest::addColumn<bool>("switchOn");
        QTest::addColumn<QString>("afterClose");
        QTest::newRow("auto, alarm off") << true << false << "Auto 1 1 1 0";
        QTest::newRow("auto, alarm switched on") << true << true << "Stop 0 1 1 1";
        QTest::newRow("stopped, alarm off") << false << false << "Stop 0 1 1 1";
        QTest::newRow("stopped, alarm switched on") << false << true << "Stop 0 1 1 1";
    }

    void alarmWindowHoldsRefresh()
    {
        QFETCH(bool, autoOn);
        QFETCH(bool, switchOn);
        QFETCH(QString, afterClose);
        AlarmRig r;
        if (autoOn)
            r.autoOn();
        FrmMD& w = r.openAlarm();
        const QString resting = QStringLiteral("%1 0 0 0 %2").arg(autoOn ? "Auto" : "Stop").arg(int(!autoOn));
        QCOMPARE(r.timers(), resting);
        AlarmRig::click(&w, "cmdDisplay");
        AlarmRig::click(&w, switchOn ? "OpMDon" : "OpMDoff");
        AlarmRig::click(&w, "cmdMDstart");
        ChainRig::pump();   // acknowledges and completions: no resume
        AlarmRig::click(&w, "cmdLevelInq");
        QCOMPARE(r.timers(), resting);
        AlarmRig::click(&w, "CmdClose");
        QCOMPARE(r.timers(), afterClose);
        QCOMPARE(r.main->timer1->interval(), 2000);
        // A completion after the window has gone changes nothing more.
        ChainRig::pump();
        QCOMPARE(r.timers(), afterClose);
    }

    // --- the alarm check -----------------------------------------------------

    void alarmCheckOnOpening()
    {
        AlarmRig r;
        r.camera().alarmOn = true;
        r.camera().alarmMode = 12;
        r.camera().alarmDayLevel = 0x300;
        r.camera().alarmNightLevel = 0x100;
        r.session.alarm().on = true;   // as the status read found it

        FrmMD* w = &r.openAlarm();   // not read yet: checked
        QCOMPARE(r.sent(), QStringList({"81 09 04 6B FF", "81 09 04 6C FF", "81 09 04 6D FF"}));
        QCOMPARE(w->comboSetMD->currentIndex(), 12);
        QCOMPARE(w->txtMDday->text(), QStringLiteral("300"));
        QVERIFY(r.session.alarm().settingsRead);
        w->close();
        AlarmRig::unload();

        w = &r.openAlarm();   // read: no check, and the flag is cleared
        QVERIFY(r.sent().isEmpty());
        QVERIFY(!r.session.alarm().settingsRead);
        w->close();
        AlarmRig::unload();
        r.openAlarm().close();   // ... so the third opening checks again
        QCOMPARE(r.sent().size(), 3);
    }

    void alarmCheckIsBounded()
    {
        AlarmRig r;
        r.session.alarm().on = true;
        r.chain.faults.silent.insert(1);
        r.messages.keepOpen = true;
        r.trigger("MotionDetecter");
        QCOMPARE(r.sent(), QStringList(7, QStringLiteral("81 09 04 6B FF")));
        QCOMPARE(r.boxTexts(), QStringList{kNoAlarmAnswer});
        QVERIFY(!r.session.alarm().settingsRead);
        // The window opens once the operator has read the warning; meanwhile
        // the timers stay held.
        FrmMD* w = r.window<FrmMD>("FrmMD");
        QVERIFY(w && !w->isVisible());
        QCOMPARE(r.timers(), QStringLiteral("Stop 0 0 0 1"));
        r.messages.answerAll();
        QVERIFY(w->isVisible());
    }

    void alarmCheckKeepsWhatCameBefore()
    {
        // Detection is answered, the mode is off the list: the check gives up
        // on the mode and keeps what it read before.
        AlarmRig r;
        r.camera().alarmOn = false;
        r.camera().alarmMode = 13;
        r.session.alarm().on = true;
        QVERIFY(!finish(r, r.session.readAlarmSettings()));
        QCOMPARE(r.sent(), QStringList{"81 09 04 6B FF"} + QStringList(7, QStringLiteral("81 09 04 6C FF")));
        QVERIFY(!r.session.alarm().on && !r.session.alarm().settingsRead);
        QCOMPARE(r.session.alarm().mode, 0);
        QCOMPARE(r.port.rThreshold(), 1);
    }

    // --- the night timer's conditions ----------------------------------------

    void nightTimerConditions_data()
    {
        QTest::addColumn<bool>("alarmOn");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("night");
        QTest::addColumn<QString>("refusal");   // "" opens
        const QString off = QStringLiteral("The alarm action is stopping.");
        const QString mode = QStringLiteral("The alarm mode is not a DayNight mode.");
        const QString level = QStringLiteral("The alarm level setting is not [Day > Night].");
        QTest::newRow("alarm off") << false << 12 << 0x300 << 0x100 << off;
        for (int m : {0, 2, 5, 11})
            QTest::newRow(qPrintable(QStringLiteral("mode %1").arg(m))) << true << m << 0x300 << 0x100 << mode;
        QTest::newRow("day equal to night") << true << 12 << 0x200 << 0x200 << level;
        QTest::newRow("day below night") << true << 12 << 0x1FF << 0x200 << level;
        QTest::newRow("day above night") << true << 12 << 0x201 << 0x200 << "";
    }

    void nightTimerConditions()
    {
        QFETCH(bool, alarmOn);
        QFETCH(int, mode);
        QFETCH(int, day);
        QFETCH(int, night);
        QFETCH(QString, refusal);
        QCOMPARE(alarm::nightTimerReason(alarm::nightTimerCheck(alarmOn, mode, day, night)), refusal);

        AlarmRig r;
        r.session.alarm().settingsRead = true;
        r.session.alarm().on = alarmOn;
        r.session.alarm().mode = std::uint8_t(mode);
        r.session.alarm().dayLevel = day;
        r.session.alarm().nightLevel = night;
        r.trigger("NightPowerOff");
        FrmPowerOff* dialog = r.powerOff("FrmNightPOff");
        if (refusal.isEmpty()) {
            QVERIFY(dialog && dialog->isVisible());
            QVERIFY(r.messages.boxes.isEmpty());
            return;
        }
        QVERIFY(!dialog);
        QVERIFY(r.sent().isEmpty());
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].title, QStringLiteral("Warning"));
        QCOMPARE(r.messages.boxes[0].text, refusal + kSetUp);
        QCOMPARE(r.messages.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(r.timers(), QStringLiteral("Stop 0 1 1 1"));   // nothing held
    }

    void nightTimerChecksTheAlarmFirst()
    {
        AlarmRig r;
        r.camera().alarmOn = true;
        r.camera().alarmMode = 12;
        r.camera().alarmDayLevel = 0x300;
        r.camera().alarmNightLevel = 0x100;
        r.camera().nightPowerOffMinutes = 90;
        r.trigger("NightPowerOff");
        QCOMPARE(r.sent(), QStringList({"81 09 04 6B FF", "81 09 04 6C FF", "81 09 04 6D FF", "81 09 04 41 FF"}));
        FrmPowerOff* dialog = r.powerOff("FrmNightPOff");
        QVERIFY(dialog);
        QCOMPARE(dialog->offTimer->text(), QStringLiteral("90"));

        AlarmRig silent;
        silent.chain.faults.silent.insert(1);
        silent.trigger("NightPowerOff");
        QCOMPARE(silent.sent().size(), 7);
        QCOMPARE(silent.boxTexts(), QStringList{kNoAlarmAnswer});
        QVERIFY(!silent.powerOff("FrmNightPOff"));
    }

    // --- the power-off dialogs -----------------------------------------------

    void powerOffContent()
    {
        AlarmRig r;
        r.showMain();
        r.trigger("AutoPowerOff");
        FrmPowerOff* d = r.powerOff("FrmAutoPOff");
        QVERIFY(d && d->isVisible() && d->isModal());
        QCOMPARE(d->windowTitle(), QStringLiteral("Auto Power Off"));
        QCOMPARE(d->frameGeometry().topLeft(),
                 r.main->frameGeometry().topLeft() + QPoint(twips::toPixels(500), twips::toPixels(1000)));
        QStringList labels;
        for (QLabel* l : d->findChildren<QLabel*>())
            labels << l->text();
        QCOMPARE(labels, QStringList({"Power Off Timer ( 0 [off]  - 65535 min)",
                                      "After set this timer, Auto Refresh function will be off."}));
        QCOMPARE(QStringList({d->okButton->text(), d->cancelButton->text()}), QStringList({"OK", "Cancel"}));
        QCOMPARE(d->okButton->objectName() + d->cancelButton->objectName(), QStringLiteral("OKCancel"));
    }

    void timerPackets_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("minutes");   // the camera's timer afterwards
        QTest::newRow("off") << "auto" << "0" << "81 01 04 40 00 00 00 00 FF" << "0" << 0;
        QTest::newRow("90 minutes, night") << "night" << "90" << "81 01 04 41 00 00 05 0A FF" << "90" << 90;
        QTest::newRow("the largest") << "auto" << "65535" << "81 01 04 40 0F 0F 0F 0F FF" << "65535" << 65535;
        QTest::newRow("above") << "night" << "65536" << "81 01 04 41 0F 0F 0F 0F FF" << "65535" << 65535;
        QTest::newRow("far above") << "auto" << "123456789012345678901234567890" << "81 01 04 40 0F 0F 0F 0F FF"
                                   << "65535" << 65535;
        QTest::newRow("blanks around") << "auto" << " 0090 " << "81 01 04 40 00 00 05 0A FF" << " 0090 " << 90;
    }

    void timerPackets()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, typed);
        QFETCH(QString, packet);
        QFETCH(QString, shown);
        QFETCH(int, minutes);
        AlarmRig r;
        r.camera().autoPowerOffMinutes = r.camera().nightPowerOffMinutes = 7;
        const bool night = dialog == QLatin1String("night");
        r.session.alarm().settingsRead = true;
        r.session.alarm().on = true;
        r.session.alarm().mode = 12;
        r.session.alarm().dayLevel = 2;
        r.session.alarm().nightLevel = 1;
        r.trigger(night ? "NightPowerOff" : "AutoPowerOff");
        r.takeWrites();
        FrmPowerOff* d = r.powerOff(night ? "FrmNightPOff" : "FrmAutoPOff");
        QPointer<FrmPowerOff> alive(d);
        d->offTimer->setText(typed);
        AlarmRig::click(d, "OK");
        QCOMPARE(d->offTimer->text(), shown);
        QCOMPARE(r.sent(), QStringList{packet});
        AlarmRig::unload();
        QVERIFY(!alive);   // OK closes the dialog
        ChainRig::pump();
        const sim::CameraState& cam = r.camera();
        QCOMPARE(night ? cam.nightPowerOffMinutes : cam.autoPowerOffMinutes, minutes);
    }

    void timerRefusals_data()
    {
        QTest::addColumn<QString>("typed");
        for (const char* t : {"", "   ", "abc", "-1", "1.5", "1 2", "0x10", "+5", "1e3"})
            QTest::newRow(t) << QString::fromLatin1(t);
        QTest::newRow("wide digits") << QString::fromUtf8("９０");
    }

    void timerRefusals()
    {
        QFETCH(QString, typed);
        AlarmRig r;
        r.trigger("AutoPowerOff");
        r.takeWrites();
        FrmPowerOff* d = r.powerOff("FrmAutoPOff");
        d->offTimer->setText(typed);
        AlarmRig::click(d, "OK");
        QVERIFY(r.sent().isEmpty());
        QCOMPARE(r.boxTexts(), QStringList{QStringLiteral(
                                   "The Power Off Timer must be a whole number of minutes, 0 to 65535.\nNothing was sent.")});
        QVERIFY(d->isVisible());
        QCOMPARE(d->offTimer->text(), typed);
    }

    void timerRead_data()
    {
        QTest::addColumn<QString>("camera");
        QTest::addColumn<int>("inquiries");
        QTest::addColumn<QString>("shown");
        QTest::newRow("answered") << "" << 1 << "40000";
        QTest::newRow("no answer") << "silent" << 7 << "";
        QTest::newRow("garbled") << "garbled" << 7 << "";
    }

    void timerRead()
    {
        QFETCH(QString, camera);
        QFETCH(int, inquiries);
        QFETCH(QString, shown);
        AlarmRig r;
        r.camera().autoPowerOffMinutes = 40000;
        if (camera == QLatin1String("silent"))
            r.chain.faults.silent.insert(1);
        if (camera == QLatin1String("garbled"))
            r.chain.faults.garbled = true;
        r.trigger("AutoPowerOff");
        QCOMPARE(r.sent(), QStringList(inquiries, QStringLiteral("81 09 04 40 FF")));
        FrmPowerOff* d = r.powerOff("FrmAutoPOff");
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->offTimer->text(), shown);
        QVERIFY(r.messages.boxes.isEmpty());
        QCOMPARE(r.port.inBufferCount(), 0);
        QCOMPARE(r.port.rThreshold(), 1);
    }

    void timerDecoding()
    {
        QCOMPARE(poweroff::decodeAnswer(bytes("90 50 09 0C 04 00 FF")), std::optional<int>(40000));
        QCOMPARE(poweroff::decodeAnswer(bytes("F0 50 0F 0F 0F 0F FF")), std::optional<int>(65535));
        QCOMPARE(poweroff::decodeAnswer(bytes("00 01 02 03 04 05 06")), std::nullopt);   // the filler
        QCOMPARE(poweroff::decodeAnswer(bytes("91 50 00 00 00 00 FF")), std::nullopt);
        QCOMPARE(poweroff::decodeAnswer(bytes("90 50 10 00 00 00 FF")), std::nullopt);   // not a nibble
        QCOMPARE(poweroff::decodeAnswer(bytes("90 50 00 00 00 FF")), std::nullopt);      // short
    }

    // OK leaves auto refresh off; Cancel and the frame's close give it back.
    void timerDialogsRefresh_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("autoOn");
        QTest::addColumn<QString>("close");
        QTest::addColumn<QString>("after");
        for (const char* d : {"auto", "night"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, OK, auto").arg(d))) << d << true << "OK" << "Stop 0 1 1 1";
            QTest::newRow(qPrintable(QStringLiteral("%1, Cancel, auto").arg(d)))
                << d << true << "Cancel" << "Auto 1 1 1 0";
            QTest::newRow(qPrintable(QStringLiteral("%1, frame, auto").arg(d))) << d << true << "frame"
                                                                                 << "Auto 1 1 1 0";
            QTest::newRow(qPrintable(QStringLiteral("%1, OK, stopped").arg(d))) << d << false << "OK"
                                                                                 << "Stop 0 1 1 1";
            QTest::newRow(qPrintable(QStringLiteral("%1, Cancel, stopped").arg(d)))
                << d << false << "Cancel" << "Stop 0 1 1 1";
        }
    }

    void timerDialogsRefresh()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, autoOn);
        QFETCH(QString, close);
        QFETCH(QString, after);
        AlarmRig r;
        const bool night = dialog == QLatin1String("night");
        r.session.alarm().settingsRead = true;
        r.session.alarm().on = true;
        r.session.alarm().mode = 12;
        r.session.alarm().dayLevel = 2;
        r.session.alarm().nightLevel = 1;
        if (autoOn)
            r.autoOn();
        r.trigger(night ? "NightPowerOff" : "AutoPowerOff");
        FrmPowerOff* d = r.powerOff(night ? "FrmNightPOff" : "FrmAutoPOff");
        // Held, with the docking check left running.
        QCOMPARE(r.timers(), QStringLiteral("%1 0 0 1 %2").arg(autoOn ? "Auto" : "Stop").arg(int(!autoOn)));
        d->offTimer->setText(QStringLiteral("5"));
        if (close == QLatin1String("frame"))
            d->close();
        else
            AlarmRig::click(d, qPrintable(close));
        QCOMPARE(r.timers(), after);
        ChainRig::pump();   // the set packet's completion wakes nothing
        QCOMPARE(r.timers(), after);
    }
};

QTEST_MAIN(TestAlarmTimers)
#include "test_alarm_timers.moc"
