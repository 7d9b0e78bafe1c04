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
QMap<QString, QString> snapshot(FrmMain& main)
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
    s.insert(QStringLiteral("timer"), QStringLiteral("%1 %2").arg(main.timer1->isActive()).arg(main.timer1->interval()));
    return s;
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
    void clickCommands_data();
    void clickCommands();
    void digitalZoom();
    void focusPatterns_data();
    void focusPatterns();
    void afTimesFromText();
    void modeMenus_data();
    void modeMenus();
    void brightGoesThroughFullAuto_data();
    void brightGoesThroughFullAuto();
    void guardedHandlersWaitForStatusRead_data();
    void guardedHandlersWaitForStatusRead();
    void roundTripThroughStatusRead();
    void simulatedDigitalTeleEnd();
};

void TestCameraModes::clickCommands_data()
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

void TestCameraModes::clickCommands()
{
    QFETCH(QString, control);
    QFETCH(QString, sent);
    QFETCH(QString, group);

    PanelRig r;
    FrmMain& m = *r.main;
    if (QWidget* w = m.control<QWidget>(control))
        w->setEnabled(true);
    const QStringList controls = group.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto unchanged = [&] {
        auto s = snapshot(m);
        for (const QString& c : controls)
            s.remove(c);
        return s;
    };
    const auto before = unchanged();
    QStringList expected;
    for (const QString& body : packets(sent))
        expected << "81 01 04 " + body + " FF";

    operate(m, control);
    QCOMPARE(enabledStates(m, controls), QString(controls.size(), QLatin1Char('1')));
    operate(m, control);
    QCOMPARE(enabledStates(m, controls), QString(controls.size(), QLatin1Char('0')));
    QCOMPARE(hexList(r.takeWrites()), expected);
    QCOMPARE(unchanged(), before);   // nothing else on the panel moves
}

void TestCameraModes::digitalZoom()
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
    QCOMPARE(hexList(r.takeWrites()), QStringList({"81 01 04 47 04 00 00 00 FF", "81 01 04 06 02 FF",
                                                   "81 01 04 47 08 0B 0E 00 FF"}));

    operate(m, QStringLiteral("DZoomMode_1"));
    QCOMPARE(hexList(r.takeWrites()), QStringList{"81 01 04 36 01 FF"});
    QCOMPARE(enabledStates(m, controls), QStringLiteral("11110001"));
    QVERIFY(full->isHidden() && !optical->isHidden() && inFront(optical, full));

    // The camera toggles 1x / maximum; the caption follows the presses.
    auto* x = m.control<QPushButton>(QStringLiteral("DZoomX"));
    operate(m, QStringLiteral("DZoomX"));
    QCOMPARE(x->text(), QStringLiteral("MAX"));
    operate(m, QStringLiteral("DZoomX"));
    QCOMPARE(x->text(), QStringLiteral("X1"));
    QCOMPARE(hexList(r.takeWrites()), QStringList({"81 01 04 06 10 FF", "81 01 04 06 10 FF"}));

    // Back to combine mode with auto refresh off: one read after the command.
    m.timer1->setInterval(6000);
    m.timer1->start();
    operate(m, QStringLiteral("DZoomMode_0"));
    QCOMPARE(hexList(r.takeWrites()), QStringList{"81 01 04 36 00 FF"});
    QCOMPARE(enabledStates(m, controls).left(6), QStringLiteral("000011"));
    QVERIFY(!m.timer1->isActive());
    QCOMPARE(m.timer1->interval(), 2000);
    QVERIFY(r.state.refreshRestart);
    PanelRig::pump();   // the completion starts the one read
    QVERIFY(m.timer1->isActive());

    // With auto refresh on the timer is left to the link.
    r.state.refreshRestart = false;
    m.autoRefreshed->setText(QStringLiteral("Auto"));
    m.timer1->setInterval(6000);
    operate(m, QStringLiteral("DZoomMode_1"));
    operate(m, QStringLiteral("DZoomMode_0"));
    QCOMPARE(m.timer1->interval(), 6000);
    QVERIFY(!r.state.refreshRestart);
}

void TestCameraModes::focusPatterns_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("panTiltModel");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("enabled");   // kFocusControls: drive | AFModeCmd 0..3 | ManAFMode Infinity
    QTest::addColumn<int>("subMode");

    QTest::newRow("interval AF") << QStringList{"AFModeCmd_2"} << 0x0E << "57 01" << "00000000" "0101" "10" << 1;
    QTest::newRow("zoom trigger, normal") << QStringList{"AFModeCmd_3", "AFModeCmd_1"} << 0x0E << "57 02|57 00"
                                          << "00000000" "0011" "10" << 0;
    QTest::newRow("manual") << QStringList{"ManAFMode"} << 0x0E << "38 03" << "11111111" "1000" "01" << 0;
    QTest::newRow("manual, single speed") << QStringList{"ManAFMode"} << 0x02 << "38 03"
                                          << "11000011" "1000" "01" << 0;
    QTest::newRow("auto keeps zoom trigger") << QStringList{"AFModeCmd_3", "ManAFMode", "AFModeCmd_0"} << 0x0E
                                             << "57 02|38 03|38 02" << "00000000" "0110" "10" << 2;
    QTest::newRow("times after manual") << QStringList{"ManAFMode", "ACTAFmodeset"} << 0x0E
                                        << "38 03|27 00 05 00 05" << "00000000" "1111" "01" << 0;
    QTest::newRow("times after interval") << QStringList{"AFModeCmd_2", "ACTAFmodeset"} << 0x0E
                                          << "57 01|27 00 05 00 05" << "00000000" "1111" "10" << 1;
}

void TestCameraModes::focusPatterns()
{
    QFETCH(QStringList, clicks);
    QFETCH(int, panTiltModel);
    QFETCH(QString, sent);
    QFETCH(QString, enabled);
    QFETCH(int, subMode);

    PanelRig r;
    r.state.panTiltModel = std::uint8_t(panTiltModel);
    QStringList expected;
    for (const QString& c : clicks) {
        QVERIFY2(r.main->control<QWidget>(c)->isEnabled(), qPrintable(c));
        operate(*r.main, c);
    }
    for (const QString& body : packets(sent))
        expected << "81 01 04 " + body + " FF";
    QCOMPARE(hexList(r.takeWrites()), expected);
    QCOMPARE(enabledStates(*r.main, kFocusControls), enabled);
    QCOMPARE(int(r.state.afSubMode), subMode);
}

void TestCameraModes::afTimesFromText()
{
    auto sent = [](const char* active, const char* interval) {
        return packetText(afTimesPacket(1, QString::fromLatin1(active), QString::fromLatin1(interval)));
    };
    QCOMPARE(sent("1A", "05"), QStringLiteral("81 01 04 27 01 0A 00 05 FF"));
    QCOMPARE(sent("f3", "c0"), QStringLiteral("81 01 04 27 0F 03 0C 00 FF"));
    QCOMPARE(sent("7", "B"), QStringLiteral("81 01 04 27 07 07 0B 0B FF"));   // one digit serves both
    QCOMPARE(sent("", "G5"), QStringLiteral("81 01 04 27 00 00 00 05 FF"));   // empty or not hex: 0
    QCOMPARE(sent("123", " 4"), QStringLiteral("81 01 04 27 01 03 00 04 FF"));

    // Through the boxes: active time first, interval second.
    PanelRig r;
    r.main->control<QLineEdit>(QStringLiteral("AFacttime"))->setText(QStringLiteral("1A"));
    r.main->control<QLineEdit>(QStringLiteral("AFintTime"))->setText(QStringLiteral("3"));
    operate(*r.main, QStringLiteral("ACTAFmodeset"));
    QCOMPARE(hexList(r.takeWrites()), QStringList{"81 01 04 27 01 0A 03 03 FF"});
}

void TestCameraModes::modeMenus_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("enabled");   // kAEControls by group (iris gain shutter bright switches), kWBControls

    QTest::newRow("full auto") << "FullAuto" << 0x39 << 0x00 << aeRow("00001");
    QTest::newRow("manual") << "Manual" << 0x39 << 0x03 << aeRow("11100");
    QTest::newRow("shutter priority") << "ShutterPriority" << 0x39 << 0x0A << aeRow("00100");
    QTest::newRow("iris priority") << "IrisPriority" << 0x39 << 0x0B << aeRow("10000");
    QTest::newRow("shutter auto") << "ShutterAuto" << 0x39 << 0x1A << aeRow("11000");
    QTest::newRow("iris auto") << "IrisAuto" << 0x39 << 0x1B << aeRow("01100");
    QTest::newRow("gain auto") << "GainAuto" << 0x39 << 0x1C << aeRow("10100");
    QTest::newRow("WB auto") << "ATWPro" << 0x35 << 0 << "00000000";
    QTest::newRow("indoor") << "InDoor" << 0x35 << 1 << "00000000";
    QTest::newRow("outdoor") << "OutDoor" << 0x35 << 2 << "00000000";
    QTest::newRow("one push WB") << "OnePushWB" << 0x35 << 3 << "00000001";
    QTest::newRow("ATW") << "ATW" << 0x35 << 4 << "00000000";
    QTest::newRow("manual WB") << "ManualWB" << 0x35 << 5 << "11111110";
}

void TestCameraModes::modeMenus()
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
    applyAEEnabling(m, AEBright);   // unlike every AE row
    for (const QString& i : items)
        m.action(i)->setChecked(true);
    auto untouched = [&] {
        auto s = snapshot(m);
        for (const QString& c : controls + items) {
            s.remove(c);
            s.remove(QStringLiteral("item ") + c);
        }
        return s;
    };
    const auto others = untouched();

    operate(m, item);
    QCOMPARE(hexList(r.takeWrites()), QStringList{QString::asprintf("81 01 04 %02X %02X FF", command, code)});
    QCOMPARE(ae ? m.recordedAEMode : m.recordedWBMode, code);
    QCOMPARE(ticked(m, items), QStringList{item});
    QCOMPARE(enabledStates(m, controls), enabled);
    QCOMPARE(untouched(), others);   // value boxes, other groups and menus stay
    QCOMPARE(ae ? r.chain.camera(1).state.aeMode : r.chain.camera(1).state.wbMode, code);

    // The mode in force: nothing is sent and nothing changes.
    const auto before = snapshot(m);
    operate(m, item);
    QVERIFY(r.takeWrites().isEmpty());
    QCOMPARE(snapshot(m), before);

    if (!ae) {   // the one-push trigger goes out only where it is enabled
        operate(m, QStringLiteral("WBTrigger"));
        QCOMPARE(hexList(r.takeWrites()), packets(code == 3 ? QStringLiteral("81 01 04 10 05 FF") : QString()));
    }
}

void TestCameraModes::brightGoesThroughFullAuto_data()
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

void TestCameraModes::brightGoesThroughFullAuto()
{
    QFETCH(int, from);
    QFETCH(int, packets);
    QFETCH(double, pause);

    PanelRig r;
    FrmMain& m = *r.main;
    m.recordedAEMode = from;
    QList<double> sentAt;   // the clock at each packet put into the history box
    connect(m.sendText, &QPlainTextEdit::textChanged, this, [&] {
        while (sentAt.size() < m.sendText->text().count(QStringLiteral("\r\n")))
            sentAt << r.clock.now();
    });
    m.link().WaitCheck(1.0);   // a stopwatch left armed long ago must not cut the pause short
    r.clock.advance(5.0);

    const double start = r.clock.now();
    operate(m, QStringLiteral("Bright"));
    const QStringList expected{"81 01 04 39 00 FF", "81 01 04 39 0D FF"};
    QCOMPARE(hexList(r.takeWrites()), expected.mid(2 - packets));
    QCOMPARE(sentAt.size(), packets);
    QCOMPARE(sentAt.first(), start);
    QVERIFY(sentAt.last() - start >= pause && sentAt.last() - start < pause + 0.01);
    QCOMPARE(m.recordedAEMode, int(AEBright));
    QCOMPARE(ticked(m, kAEItems), QStringList{"Bright"});
    QCOMPARE(enabledStates(m, kAEControls), aeRow(QStringLiteral("00010")));
}

void TestCameraModes::guardedHandlersWaitForStatusRead_data()
{
    QTest::addColumn<QString>("control");
    for (const char* c : {"DZoom", "DZoomMode_1", "AF_Sens", "BackLight", "AutoSlowShutter", "ExpComp",
                          "FullAuto", "Manual", "Bright", "ManualWB", "OnePushWB"})
        QTest::newRow(c) << c;
}

void TestCameraModes::guardedHandlersWaitForStatusRead()
{
    QFETCH(QString, control);

    PanelRig r;
    FrmMain& m = *r.main;
    m.recordedAEMode = AEIrisAuto;   // so that Bright would take its full-auto step
    r.state.statusReadBusy = true;
    const auto before = snapshot(m);
    const double start = r.clock.now();
    operate(m, control);
    QVERIFY(r.takeWrites().isEmpty());
    QCOMPARE(snapshot(m), before);
    QCOMPARE(m.recordedAEMode, int(AEIrisAuto));
    QCOMPARE(m.recordedWBMode, -1);
    QCOMPARE(r.clock.now(), start);

    // Once the read is over the same click is a command.
    r.state.statusReadBusy = false;
    operate(m, control);
    QVERIFY(!r.takeWrites().isEmpty());
}

void TestCameraModes::roundTripThroughStatusRead()
{
    AppRig r;
    FrmMain& m = *r.main;
    if (!m.statusRead)
        QSKIP("no status read installed in this panel");
    r.identify();
    auto read = [&] {
        AppRig::pump();   // the replies to the commands are taken first
        m.ReadCameraStatus();
        r.takeWrites();
    };
    read();

    operate(m, QStringLiteral("Manual"));
    operate(m, QStringLiteral("ManualWB"));
    auto* rgain = m.control<ValueSlider>(QStringLiteral("RGainSlider"));
    QTest::keyClick(rgain, Qt::Key_End);
    operate(m, QStringLiteral("ApertureUp"));
    auto* shutter = m.control<ValueSlider>(QStringLiteral("ShutterSlider"));
    shutter->setValue(9);
    QTest::keyClick(shutter, Qt::Key_Right);
    QTest::keyClick(m.control<ValueSlider>(QStringLiteral("ZoomSliderShort")), Qt::Key_End);
    operate(m, QStringLiteral("ManAFMode"));
    rgain->setValue(0);
    shutter->setValue(0);
    read();
    QCOMPARE(ticked(m, kAEItems), QStringList{"Manual"});
    QCOMPARE(ticked(m, kWBItems), QStringList{"ManualWB"});
    QCOMPARE(rgain->value(), 0xFF);
    QCOMPARE(m.control<QLineEdit>(QStringLiteral("RGValue"))->text(), QStringLiteral("0xFF"));
    QCOMPARE(m.control<QLineEdit>(QStringLiteral("ApertureValue"))->text(), QStringLiteral("0x6"));
    QCOMPARE(shutter->value(), 10);
    QCOMPARE(m.control<QLineEdit>(QStringLiteral("ShutterValue"))->text(), m.labels.shutter[m.videoSystem].at(10));
    QCOMPARE(m.control<QLineEdit>(QStringLiteral("ZoomValue"))->text(), QStringLiteral("0x4000"));
    // Manual focus: the drive controls are usable (the sub-mode buttons are the read's own matter).
    QCOMPARE(enabledStates(m, {"Near", "Far", "NearSpeed", "FocusSlider", "AFTrig", "AFModeCmd_0", "ManAFMode",
                               "Infinity"}),
             QStringLiteral("11111101"));

    // Digital zoom on: the tele end lies beyond the optical one.
    operate(m, QStringLiteral("DZoom"));
    operate(m, QStringLiteral("FarT"));
    read();
    QVERIFY(m.control<QCheckBox>(QStringLiteral("DZoom"))->isChecked());
    QCOMPARE(m.control<QLineEdit>(QStringLiteral("ZoomValue"))->text(), QStringLiteral("0x8BE0"));

    // A mode the read has found is not sent again.
    r.chain.camera(1).state.wbMode = 1;
    read();
    QCOMPARE(ticked(m, kWBItems), QStringList{"InDoor"});
    operate(m, QStringLiteral("InDoor"));
    QVERIFY(r.takeWrites().isEmpty());
}

void TestCameraModes::simulatedDigitalTeleEnd()
{
    for (const char* model : {"quorin-p3", "tamiro-j1a"}) {
        sim::SimCamera camera(*findModel(QString::fromLatin1(model)));
        camera.address = 1;
        auto send = [&camera](const char* body) {
            return hexList(camera.handle(bytes(qPrintable(QStringLiteral("81 01 04 %1 FF").arg(body)))));
        };
        auto zoom = [&camera] { return hex(camera.statusBlock(0).mid(2, 4)); };
        const QStringList done{"90 41 FF", "90 51 FF"}, refused{"90 60 02 FF"};
        QCOMPARE(send("47 08 0B 0E 00"), refused);   // optical only
        QCOMPARE(send("06 02"), done);
        QCOMPARE(send("47 08 0B 0E 01"), refused);   // past the digital tele end
        QCOMPARE(send("47 08 0B 0E 00"), done);
        QCOMPARE(zoom(), QStringLiteral("08 0B 0E 00"));
        QCOMPARE(send("07 27"), done);               // the drive stops at the end too
        QCOMPARE(zoom(), QStringLiteral("08 0B 0E 00"));
        QCOMPARE(send("06 03"), done);               // off: back to the optical tele end
        QCOMPARE(camera.state.zoom, camera.profile().zoomMax);
    }
}

QTEST_MAIN(TestCameraModes)
#include "test_camera_modes.moc"
