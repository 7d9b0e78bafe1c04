// Lens, exposure and white-balance commands of the main window: their
// packets, the enabled states each mode gives the panel, the status-read
// guard, and the round trip through the simulated camera and a status read.
#include "app_rig.h"
#include "camera_controls.h"
#include "camera_packets.h"
#include "camera_test_helpers.h"
#include "value_slider.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

using namespace peltro;
using namespace peltro::test;

namespace {

// Everything on the window a handler could change, except the check states
// of check boxes, which the operator's click changes by itself.
QMap<QString, QString> snapshot(FrmMain& main, const QStringList& leaveOut = {})
{
    QMap<QString, QString> s;
    for (QWidget* w : main.findChildren<QWidget*>()) {
        QString v = QStringLiteral("e%1 h%2").arg(w->isEnabled()).arg(w->isHidden());
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            v += b->text();
        s.insert(w->objectName(), v);
    }
    for (QAction* a : main.findChildren<QAction*>())
        s.insert(QStringLiteral("item ") + a->objectName(), QStringLiteral("c%1").arg(a->isChecked()));
    s.insert(QStringLiteral("timer"),
             QStringLiteral("%1 %2").arg(main.timer1->isActive()).arg(main.timer1->interval()));
    for (const QString& name : leaveOut) {
        s.remove(name);
        s.remove(QStringLiteral("item ") + name);
    }
    return s;
}

QStringList ticked(FrmMain& main, const QStringList& items)
{
    QStringList out;
    for (const QString& i : items) {
        if (main.action(i)->isChecked())
            out << i;
    }
    return out;
}

const QStringList kFocusControls{"Near", "Far", "NearSpeed", "FarSpeed", "UpDown3", "UpDown4", "FocusSlider",
                                 "AFTrig", "AFModeCmd_0", "AFModeCmd_1", "AFModeCmd_2", "AFModeCmd_3",
                                 "ManAFMode", "Infinity"};
const QStringList kAEControls{"IrisClose", "IrisOpen", "IrisSlider", "GainDown", "GainUp", "GainSlider",
                              "ShutterSlow", "ShutterFast", "ShutterSlider", "BrightDown", "BrightUp",
                              "BrightSlider", "BackLight", "AutoSlowShutter"};
const QStringList kAEItems{"FullAuto", "ShutterPriority", "IrisPriority", "GainPriority", "Manual",
                           "Bright", "ShutterAuto", "IrisAuto", "GainAuto"};
const QStringList kWBControls{"RGainUp", "BGainUp", "RGainDown", "BGainDown", "RGainSlider", "BGainSlider",
                              "RBReset", "WBTrigger"};
const QStringList kWBItems{"ATWPro", "InDoor", "OutDoor", "OnePushWB", "ATW", "ManualWB"};

// "iris gain shutter bright switches" flags, one per control of kAEControls.
QString aeRow(const QString& g)
{
    return QString(3, g[0]) + QString(3, g[1]) + QString(3, g[2]) + QString(3, g[3]) + QString(2, g[4]);
}

} // namespace

class TestCameraModes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void clickCommands_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("sent");   // for two clicks
        QTest::addColumn<QString>("group");  // controls enabled by the first click, disabled by the second
        QTest::newRow("wide end") << "WideT" << "47 00 00 00 00|47 00 00 00 00" << "";
        QTest::newRow("one push AF") << "AFTrig" << "18 01|18 01" << "";
        QTest::newRow("infinity") << "Infinity" << "18 02|18 02" << "";
        QTest::newRow("lens init") << "Lensinit" << "19 01|19 01" << "";
        QTest::newRow("AF sensitivity") << "AF_Sens" << "58 02|58 03" << "";
        QTest::newRow("back light") << "BackLight" << "33 02|33 03" << "";
        QTest::newRow("slow shutter") << "AutoSlowShutter" << "5A 02|5A 03" << "";
        QTest::newRow("exposure compensation") << "ExpComp" << "3E 02|3E 03" << "ExpCompUp ExpCompDown ExpCompSlider";
    }

    void clickCommands()
    {
        QFETCH(QString, control);
        QFETCH(QString, sent);
        QFETCH(QString, group);
        PanelRig r;
        FrmMain& m = *r.main;
        if (auto* w = m.findChild<QWidget*>(control))
            w->setEnabled(true);
        const QStringList controls = group.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const auto before = snapshot(m, controls);

        operate(m, control);
        QCOMPARE(enabledStates(m, controls), QString(controls.size(), QLatin1Char('1')));
        operate(m, control);
        QCOMPARE(enabledStates(m, controls), QString(controls.size(), QLatin1Char('0')));
        QCOMPARE(hexList(r.takeWrites()), commands(sent));
        QCOMPARE(snapshot(m, controls), before);  // nothing else on the panel moves
    }

    void digitalZoom()
    {
        PanelRig r;
        FrmMain& m = *r.main;
        const QStringList controls{"DZoomTele", "DZoomWide", "DZoomX", "DZoomMode_0", "DZoomMode_1", "DZoom",
                                   "ZoomSlider", "ZoomSliderShort"};
        auto* full = m.control<ValueSlider>(QStringLiteral("ZoomSlider"));
        auto* optical = m.control<ValueSlider>(QStringLiteral("ZoomSliderShort"));
        auto inFront = [](QWidget* a, QWidget* b) {
            return a->parent()->children().indexOf(a) > a->parent()->children().indexOf(b);
        };

        operate(m, QStringLiteral("FarT"));
        operate(m, QStringLiteral("DZoom"));
        QVERIFY(!full->isHidden() && full->isEnabled() && optical->isHidden() && !optical->isEnabled());
        QVERIFY(inFront(full, optical));
        operate(m, QStringLiteral("FarT"));
        QCOMPARE(hexList(r.takeWrites()), commands("47 04 00 00 00|06 02|47 08 0B 0E 00"));

        operate(m, QStringLiteral("DZoomMode_1"));
        QCOMPARE(hexList(r.takeWrites()), commands("36 01"));
        QCOMPARE(enabledStates(m, controls), QStringLiteral("11110001"));
        QVERIFY(full->isHidden() && !optical->isHidden() && inFront(optical, full));

        // The camera toggles 1x / maximum; the caption follows the presses.
        auto* x = m.control<QPushButton>(QStringLiteral("DZoomX"));
        operate(m, QStringLiteral("DZoomX"));
        QCOMPARE(x->text(), QStringLiteral("MAX"));
        operate(m, QStringLiteral("DZoomX"));
        QCOMPARE(x->text(), QStringLiteral("X1"));
        QCOMPARE(hexList(r.takeWrites()), commands("06 10|06 10"));

        // Back to combine mode with auto refresh off: one read after the command.
        r.refresh().readOnceAfter(6000);
        r.refresh().commandFinished();  // an earlier delayed read is due
        QVERIFY(m.timer1->isActive());
        operate(m, QStringLiteral("DZoomMode_0"));
        QCOMPARE(hexList(r.takeWrites()), commands("36 00"));
        QCOMPARE(enabledStates(m, controls).left(6), QStringLiteral("000011"));
        QVERIFY(!m.timer1->isActive() && r.refresh().delayedReadArmed());
        QCOMPARE(m.timer1->interval(), 2000);  // the link starts it again on the completion

        // With auto refresh on no delayed read is armed: the running timer reads.
        r.refresh().forgetDelayedRead();
        m.autoRefreshed->click();
        operate(m, QStringLiteral("DZoomMode_1"));
        operate(m, QStringLiteral("DZoomMode_0"));
        QCOMPARE(m.timer1->interval(), 2000);
        QVERIFY(!r.refresh().delayedReadArmed());
    }

    void focusPatterns_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("panTiltModel");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("enabled");  // kFocusControls: drive | AFModeCmd 0..3 | ManAFMode Infinity
        QTest::addColumn<int>("subMode");
        QTest::newRow("interval AF") << QStringList{"AFModeCmd_2"} << 0x0E << "57 01" << "00000000" "0101" "10" << 1;
        QTest::newRow("zoom trigger, normal") << QStringList{"AFModeCmd_3", "AFModeCmd_1"} << 0x0E << "57 02|57 00"
                                              << "00000000" "0011" "10" << 0;
        QTest::newRow("manual") << QStringList{"ManAFMode"} << 0x0E << "38 03" << "11111111" "1000" "01" << 0;
        QTest::newRow("manual, single speed") << QStringList{"ManAFMode"} << 0x02 << "38 03"
                                              << "11000011" "1000" "01" << 0;
        QTest::newRow("auto keeps zoom trigger") << QStringList{"AFModeCmd_3", "ManAFMode", "AFModeCmd_0"} << 0x0E
                                                 << "57 02|38 03|38 02" << "00000000" "0110" "10" << 2;
        QTest::newRow("times after interval") << QStringList{"AFModeCmd_2", "ACTAFmodeset"} << 0x0E
                                              << "57 01|27 00 05 00 05" << "00000000" "1111" "10" << 1;
    }

    void focusPatterns()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, panTiltModel);
        QFETCH(QString, sent);
        QFETCH(QString, enabled);
        QFETCH(int, subMode);
        // The model the session identified decides the speed boxes.
        PanelRig r({panTiltModel == kModelP1 ? QStringLiteral("quorin-p1") : QStringLiteral("quorin-p3")});
        r.identify();
        QCOMPARE(int(r.session.panTiltModel()), panTiltModel);
        for (const QString& c : clicks) {
            QVERIFY2(r.main->control<QWidget>(c)->isEnabled(), qPrintable(c));
            operate(*r.main, c);
        }
        QCOMPARE(hexList(r.takeWrites()), commands(sent));
        QCOMPARE(enabledStates(*r.main, kFocusControls), enabled);
        QCOMPARE(r.session.afSubMode(), subMode);
    }

    void afTimesFromText()
    {
        auto sent = [](const char* active, const char* interval) {
            return hex(afTimesPacket(1, QLatin1String(active), QLatin1String(interval)).bytes());
        };
        QCOMPARE(sent("1A", "05"), QStringLiteral("81 01 04 27 01 0A 00 05 FF"));
        QCOMPARE(sent("f3", "c0"), QStringLiteral("81 01 04 27 0F 03 0C 00 FF"));
        QCOMPARE(sent("7", "B"), QStringLiteral("81 01 04 27 07 07 0B 0B FF"));  // one digit serves both
        QCOMPARE(sent("", "G5"), QStringLiteral("81 01 04 27 00 00 00 05 FF"));  // empty or not hex: 0
        QCOMPARE(sent("123", " 4"), QStringLiteral("81 01 04 27 01 03 00 04 FF"));

        // Through the boxes: active time first, interval second.
        PanelRig r;
        r.main->control<QLineEdit>(QStringLiteral("AFacttime"))->setText(QStringLiteral("1A"));
        r.main->control<QLineEdit>(QStringLiteral("AFintTime"))->setText(QStringLiteral("3"));
        operate(*r.main, QStringLiteral("ACTAFmodeset"));
        QCOMPARE(hexList(r.takeWrites()), commands("27 01 0A 03 03"));
    }

    void modeMenus_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("enabled");  // kAEControls by group (iris gain shutter bright switches), kWBControls
        QTest::newRow("full auto") << "FullAuto" << 0x39 << 0x00 << aeRow("00001");
        QTest::newRow("manual") << "Manual" << 0x39 << 0x03 << aeRow("11100");
        QTest::newRow("shutter priority") << "ShutterPriority" << 0x39 << 0x0A << aeRow("00100");
        QTest::newRow("iris priority") << "IrisPriority" << 0x39 << 0x0B << aeRow("10000");
        QTest::newRow("shutter auto") << "ShutterAuto" << 0x39 << 0x1A << aeRow("11000");
        QTest::newRow("iris auto") << "IrisAuto" << 0x39 << 0x1B << aeRow("01100");
        QTest::newRow("gain auto") << "GainAuto" << 0x39 << 0x1C << aeRow("10100");
        QTest::newRow("WB auto") << "ATWPro" << 0x35 << 0 << "00000000";
        QTest::newRow("one push WB") << "OnePushWB" << 0x35 << 3 << "00000001";
        QTest::newRow("ATW") << "ATW" << 0x35 << 4 << "00000000";
        QTest::newRow("manual WB") << "ManualWB" << 0x35 << 5 << "11111110";
    }

    void modeMenus()
    {
        QFETCH(QString, item);
        QFETCH(int, command);
        QFETCH(int, code);
        QFETCH(QString, enabled);
        PanelRig r({QStringLiteral("tamiro-j1a")});
        FrmMain& m = *r.main;
        const bool ae = command == 0x39;
        const QStringList& items = ae ? kAEItems : kWBItems;
        const QStringList& controls = ae ? kAEControls : kWBControls;
        applyAEEnabling(m, AEBright);  // unlike every AE row
        for (const QString& i : items)
            m.action(i)->setChecked(true);
        const auto others = snapshot(m, controls + items);

        operate(m, item);
        QCOMPARE(hexList(r.takeWrites()), commands(QString::asprintf("%02X %02X", command, code)));
        QCOMPARE(ae ? m.recordedAEMode : m.recordedWBMode, code);
        QCOMPARE(ticked(m, items), QStringList{item});
        QCOMPARE(enabledStates(m, controls), enabled);
        QCOMPARE(snapshot(m, controls + items), others);  // value boxes, other groups and menus stay

        // The mode in force: nothing is sent and nothing changes.
        const auto before = snapshot(m);
        operate(m, item);
        QVERIFY(r.takeWrites().isEmpty());
        QCOMPARE(snapshot(m), before);

        if (!ae) {  // the one-push trigger goes out only where it is enabled
            operate(m, QStringLiteral("WBTrigger"));
            QCOMPARE(hexList(r.takeWrites()), commands(code == 3 ? QStringLiteral("10 05") : QString()));
        }
    }

    void brightGoesThroughFullAuto_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("packets");
        QTest::addColumn<double>("pause");
        QTest::newRow("from manual") << 0x03 << 2 << 1.0;
        QTest::newRow("from iris auto") << 0x1B << 2 << 1.0;
        QTest::newRow("unknown mode") << -1 << 2 << 1.0;
        QTest::newRow("from shutter priority") << 0x0A << 1 << 0.0;
        QTest::newRow("from full auto") << 0x00 << 1 << 0.0;
    }

    void brightGoesThroughFullAuto()
    {
        QFETCH(int, from);
        QFETCH(int, packets);
        QFETCH(double, pause);
        PanelRig r;
        FrmMain& m = *r.main;
        m.recordedAEMode = from;
        QList<double> sentAt;  // the clock at each packet put into the history box
        connect(m.sendText, &QPlainTextEdit::textChanged, this, [&] {
            while (sentAt.size() < m.sendText->text().count(QStringLiteral("\r\n")))
                sentAt << r.clock.now();
        });
        r.link().WaitCheck(1.0);  // a stopwatch left armed long ago must not cut the pause short
        r.clock.advance(5.0);

        const double start = r.clock.now();
        operate(m, QStringLiteral("Bright"));
        r.settle();
        QCOMPARE(hexList(r.takeWrites()), commands("39 00|39 0D").mid(2 - packets));
        QCOMPARE(sentAt.size(), packets);
        QCOMPARE(sentAt.first(), start);
        QVERIFY(sentAt.last() - start >= pause && sentAt.last() - start < pause + 0.01);
        QCOMPARE(m.recordedAEMode, int(AEBright));
        QCOMPARE(ticked(m, kAEItems), QStringList{"Bright"});
        QCOMPARE(enabledStates(m, kAEControls), aeRow(QStringLiteral("00010")));
    }

    void guardedHandlersWaitForStatusRead_data()
    {
        QTest::addColumn<QString>("control");
        for (const char* c : {"DZoom", "DZoomMode_1", "AF_Sens", "BackLight", "AutoSlowShutter", "ExpComp",
                              "FullAuto", "Manual", "Bright", "ManualWB", "OnePushWB"})
            QTest::newRow(c) << c;
    }

    void guardedHandlersWaitForStatusRead()
    {
        QFETCH(QString, control);
        PanelRig r;
        FrmMain& m = *r.main;
        m.recordedAEMode = AEIrisAuto;  // so that Bright would take its full-auto step
        r.link().setExchangeRunning(true);
        const auto before = snapshot(m);
        const double start = r.clock.now();
        operate(m, control);
        QVERIFY(r.takeWrites().isEmpty());
        QCOMPARE(snapshot(m), before);
        QCOMPARE(m.recordedAEMode, int(AEIrisAuto));
        QCOMPARE(m.recordedWBMode, -1);
        QCOMPARE(r.clock.now(), start);

        // Once the read is over the same click is a command.
        r.link().setExchangeRunning(false);
        operate(m, control);
        QVERIFY(!r.takeWrites().isEmpty());
    }

    // What the panel sends, the simulated camera takes, and the next read shows.
    void roundTripThroughStatusRead()
    {
        AppRig r;
        FrmMain& m = *r.main;
        r.identify();
        QVERIFY(readStatus(r));

        operate(m, QStringLiteral("Manual"));
        operate(m, QStringLiteral("ManualWB"));
        auto* rgain = m.control<ValueSlider>(QStringLiteral("RGainSlider"));
        QTest::keyClick(rgain, Qt::Key_End);
        operate(m, QStringLiteral("DZoom"));
        operate(m, QStringLiteral("FarT"));
        rgain->setValue(0);
        AppRig::pump();  // the replies to the commands are taken first
        QVERIFY(readStatus(r));
        QCOMPARE(ticked(m, kAEItems), QStringList{"Manual"});
        QCOMPARE(ticked(m, kWBItems), QStringList{"ManualWB"});
        QCOMPARE(rgain->value(), 0xFF);
        QCOMPARE(m.control<QLineEdit>(QStringLiteral("RGValue"))->text(), QStringLiteral("0xFF"));
        // Digital zoom on: the tele end lies beyond the optical one.
        QVERIFY(m.control<QCheckBox>(QStringLiteral("DZoom"))->isChecked());
        QCOMPARE(m.control<QLineEdit>(QStringLiteral("ZoomValue"))->text(), QStringLiteral("0x8BE0"));
    }
};

QTEST_MAIN(TestCameraModes)
#include "test_camera_modes.moc"
