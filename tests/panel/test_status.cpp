#include "app_rig.h"
#include "frm_pan_tilt.h"
#include "pan_tilt_controller.h"
#include "status_blocks.h"
#include "tick_action.h"
#include "traffic_text.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

QByteArray block(std::initializer_list<int> data)
{
    QList<int> bytes{0x90, 0x50};
    bytes += QList<int>(data);
    while (bytes.size() < 15)
        bytes << 0;
    bytes << 0xFF;
    return Packet(bytes).bytes();
}

QSlider* slider(AppRig& r, const char* n)
{
    return r.main->control<QSlider>(QString::fromLatin1(n));
}
QString box(AppRig& r, const char* n)
{
    return r.main->control<QLineEdit>(QString::fromLatin1(n))->text();
}
bool on(AppRig& r, const char* n)
{
    return r.main->control<QWidget>(QString::fromLatin1(n))->isEnabled();
}
bool ticked(AppRig& r, const char* n)
{
    return r.main->action(QString::fromLatin1(n))->isChecked();
}
int count(const QList<QByteArray>& writes, const char* hexPacket)
{
    return writes.count(bytes(hexPacket));
}

} // namespace

class TestStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodeLensBlock()
    {
        // L2..5 zoom, L6..7 near limit, L8..11 focus, L13 flags, L14 moving
        const LensBlock s = decodeLens(block({0x01, 0x02, 0x03, 0x04, 0x0A, 0x0B, 0x05, 0x06, 0x07, 0x08, 0, 0x2F, 0x00}));
        QCOMPARE(*s.zoom, 0x1234);
        QCOMPARE(s.nearLimit, 0xAB00);
        QCOMPARE(*s.focus, 0x5678);
        QVERIFY(s.separateMode && s.digitalZoomOn && s.afSensitivityLow && s.autoFocus);
        QCOMPARE(s.afSubModeBits, 0x08);
        const LensBlock moving = decodeLens(block({1, 2, 3, 4, 0, 0, 5, 6, 7, 8, 0, 0x10, 0x03}));
        QVERIFY(!moving.zoom && !moving.focus);
        QVERIFY(!moving.separateMode && !moving.digitalZoomOn && !moving.autoFocus);
        QCOMPARE(moving.afSubModeBits, 0x10);
        QCOMPARE(*decodeLens(block({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x02})).zoom, 0);
        QVERIFY(!decodeLens(block({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x02})).focus);
    }

    void decodeCameraBlock()
    {
        // C2..3 R gain, C4..5 B gain, C6 WB, C7 aperture, C8 AE, C9 flags, C10..14 exposure values
        const CameraBlock s = decodeCamera(block({0x0A, 0x05, 0x03, 0x0C, 5, 9, 0x0B, 0x06, 13, 14, 6, 30, 12}));
        QCOMPARE(s.rGain, 0xA5);
        QCOMPARE(s.bGain, 0x3C);
        QCOMPARE(s.wbMode, 5);
        QCOMPARE(s.aperture, 9);
        QCOMPARE(s.aeMode, 0x0B);
        QVERIFY(!s.slowShutter && s.expCompOn && s.backLight);
        QCOMPARE(s.shutter, 13);
        QCOMPARE(s.iris, 14);
        QCOMPARE(s.gain, 6);
        QCOMPARE(s.bright, 30);
        QCOMPARE(s.expComp, 12);
        QVERIFY(decodeCamera(block({0, 0, 0, 0, 0, 0, 0, 0x01})).slowShutter);
    }

    void decodeOtherAndExpandedBlocks()
    {
        // O2 power/keylock/auto ICR, O3 LR/freeze, O4 data screen/title, O5/O6 effects, O7 level, O8..11 ID, O12 system
        const OtherBlock o = decodeOther(block({0x05, 0x08, 0x04, 7, 3, 20, 0x01, 0x02, 0x03, 0x04, 0x03}));
        QVERIFY(o.power && !o.keyLock && o.autoIcr);
        QVERIFY(!o.lrReverse && o.freeze);
        QVERIFY(o.dataScreen && !o.titleDisplay);
        QCOMPARE(o.pictureEffect, 7);
        QCOMPARE(o.digitalEffect, 3);
        QCOMPARE(o.effectLevel, 20);
        QCOMPARE(o.cameraId, 0x1234);
        QCOMPARE(o.videoSystem, 1);
        const OtherBlock p = decodeOther(block({0x02, 0x04, 0x08}));
        QVERIFY(!p.power && p.keyLock && p.lrReverse && p.titleDisplay && !p.freeze);
        QCOMPARE(p.videoSystem, 0);

        const ExpandedBlock e = decodeExpanded(block({0x0E, 0x0B, 0, 0, 0, 0, 0, 0, 0x01, 0x02}));
        QCOMPARE(e.digitalZoom, 0xEB);
        QVERIFY(!e.alarmOn && e.ceilingMount && e.motionDetection);
        QVERIFY(decodeExpanded(block({0, 0, 0, 0, 0, 0, 0, 0, 0x02})).alarmOn);
        QCOMPARE(hexText(26), QStringLiteral("0x1A"));
        QVERIFY(!isValidBlock(QByteArray::fromHex("000102030405060708090a0b0c0d0e0f")));
    }

    void readShowsCameraState()
    {
        AppRig r;
        sim::CameraState& cam = r.chain.camera(1).state;
        cam.zoom = 0x2345;
        cam.focus = 0x7000;
        cam.focusNearLimit = 0xB000;
        cam.focusAuto = false;
        cam.wbMode = 5;
        cam.rGain = 0x9C;
        cam.aeMode = 0x03;
        cam.shutter = 10;
        cam.iris = 12;
        cam.gain = 4;
        cam.expCompOn = true;
        cam.expComp = 9;
        cam.pictureEffect = 4;
        cam.keyLock = true;
        cam.cameraId = 4321;
        cam.ceilingMount = true;
        cam.bGain = 0x3A;
        cam.aperture = 9;
        cam.bright = 20;
        cam.slowShutter = true;
        cam.backLight = true;
        cam.digitalEffect = 2;
        cam.lrReverse = true;
        cam.freeze = true;
        cam.dataScreen = true;
        cam.titleDisplay = true;
        cam.autoIcr = true;
        cam.afSensitivityLow = true;
        cam.digitalZoom = 0x40;
        cam.motionDetectionAvailable = false;
        QVERIFY(readStatus(r));

        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("QUORIN-P3"));
        QCOMPARE(r.main->windowTitle(), QStringLiteral("QUORIN  SERIES  Control  Panel"));
        QCOMPARE(slider(r, "ZoomSliderShort")->value(), 0x2345);
        QCOMPARE(box(r, "ZoomValue"), QStringLiteral("0x2345"));
        QCOMPARE(slider(r, "FocusSlider")->value(), 0x7000);
        QCOMPARE(box(r, "FocusValue"), QStringLiteral("0x7000"));
        QCOMPARE(slider(r, "FocusNearLimitSlider")->value(), 0xB000);
        QVERIFY(on(r, "Near") && on(r, "FocusSlider") && on(r, "AFModeCmd_0") && !on(r, "ManAFMode"));
        // the sub-mode is applied after the focus mode: Normal is off, the other two on
        QVERIFY(!on(r, "AFModeCmd_1") && on(r, "AFModeCmd_2"));
        QVERIFY(ticked(r, "ManualWB") && !ticked(r, "ATWPro"));
        QVERIFY(on(r, "RGainSlider") && on(r, "RBReset") && !on(r, "WBTrigger"));
        QCOMPARE(box(r, "RGValue"), QStringLiteral("0x9C"));
        QVERIFY(ticked(r, "Manual") && !ticked(r, "FullAuto"));
        QVERIFY(on(r, "IrisSlider") && on(r, "GainUp") && on(r, "ShutterSlow") && !on(r, "BrightSlider"));
        QVERIFY(!on(r, "BackLight"));
        QCOMPARE(box(r, "ShutterValue"), QStringLiteral("1/180"));
        QCOMPARE(box(r, "IrisValue"), QStringLiteral("F3.4"));
        QCOMPARE(box(r, "GainValue"), QStringLiteral("6dB"));
        QCOMPARE(box(r, "ExpCompValue"), QStringLiteral("2/3dB"));
        QVERIFY(r.main->control<QCheckBox>(QStringLiteral("ExpComp"))->isChecked() && on(r, "ExpCompSlider"));
        QVERIFY(ticked(r, "BlackWhite") && !ticked(r, "PEOff"));
        QVERIFY(ticked(r, "KeyLock") && ticked(r, "Power"));
        QCOMPARE(r.main->cameraIdText->text(), QStringLiteral("4321"));
        QCOMPARE(box(r, "BGValue"), QStringLiteral("0x3A"));
        QCOMPARE(box(r, "ApertureValue"), QStringLiteral("0x9"));
        QCOMPARE(slider(r, "BrightSlider")->value(), 20);
        auto checked = [&](const char* n) { return r.main->control<QCheckBox>(QString::fromLatin1(n))->isChecked(); };
        QVERIFY(checked("AutoSlowShutter") && checked("BackLight") && checked("AF_Sens"));
        QVERIFY(ticked(r, "Flash") && !ticked(r, "DEOff"));
        QVERIFY(ticked(r, "LR_Reverse") && ticked(r, "Freese") && ticked(r, "DataScreen") && ticked(r, "TitleOnOff"));
        QCOMPARE(r.main->control<QPushButton>(QStringLiteral("CmdAutoICR"))->text(), QStringLiteral("ON"));
        QCOMPARE(box(r, "DZoomValue"), QStringLiteral("0x40"));
        QCOMPARE(r.main->control<QPushButton>(QStringLiteral("DZoomX"))->text(), QStringLiteral("X1"));
        QVERIFY(!r.main->action(QStringLiteral("MotionDetecter"))->isVisible());
        QCOMPARE(r.main->ntscOrPal->text(), QStringLiteral("NTSC"));
        QCOMPARE(r.app->panTilt().window()->findChild<QLabel*>(QStringLiteral("LbMount"))->text(),
                 QStringLiteral("Ceiling Mount"));
        // the program's own moves send nothing, and the link is back to receiving
        const auto writes = r.takeWrites();
        for (const QByteArray& w : writes)
            QCOMPARE(quint8(w.at(1)), quint8(0x09));
        QCOMPARE(r.port.rThreshold(), 1);
        QVERIFY(r.link().echo());
        QVERIFY(r.link().RefreshNotGoCheck());
    }

    void firstReadIdentifiesThenNever()
    {
        AppRig r({QStringLiteral("quorin-p2")});
        readStatus(r);
        QList<QByteArray> w = r.takeWrites();
        QCOMPARE(hex(w.first()), QStringLiteral("81 09 00 02 FF"));
        QCOMPARE(count(w, "81 09 7E 7E 03 FF"), 1);
        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("QUORIN-P2"));
        QCOMPARE(slider(r, "GainSlider")->maximum(), 7);
        QCOMPARE(r.session.romHigh(), 0x02);
        readStatus(r);
        w = r.takeWrites();
        QCOMPARE(count(w, "81 09 00 02 FF"), 0);
        QCOMPARE(hex(w.first()), QStringLiteral("81 09 7E 7E 00 FF"));
    }

    // The camera went to auto focus while the operator holds "Far": the read
    // disables the button under the hand and ends the hold, at a moment the
    // link takes no command. The stop still reaches the camera, once, as soon
    // as the read is over.
    void holdLostDuringReadStillStops()
    {
        AppRig r;
        r.identify();
        r.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.main));
        r.chain.camera(1).state.focusAuto = false;
        readStatus(r);
        auto* far = r.main->control<QPushButton>(QStringLiteral("Far"));
        QVERIFY(far->isEnabled());
        r.takeWrites();
        QTest::mousePress(far, Qt::LeftButton);
        QCOMPARE(count(r.takeWrites(), "81 01 04 08 24 FF"), 1);

        r.chain.camera(1).state.focusAuto = true;
        readStatus(r);
        QVERIFY(!far->isEnabled());
        r.settle();
        // Not inside a reply wait: once, after the read's last inquiry.
        const QList<QByteArray> w = r.takeWrites();
        QCOMPARE(count(w, "81 01 04 08 00 FF"), 1);
        QCOMPARE(hex(w.last()), QStringLiteral("81 01 04 08 00 FF"));
        QTest::mouseRelease(far, Qt::LeftButton);
        r.pump();
        QVERIFY(r.takeWrites().isEmpty());
    }

    void fixedSpeedModelReadsNoBlocks()
    {
        AppRig r({QStringLiteral("quorin-p1")});
        r.main->cameraIdText->setText(QStringLiteral("7"));
        r.main->ntscOrPal->setText(QStringLiteral("PAL"));
        QVERIFY(readStatus(r));
        const QList<QByteArray> w = r.takeWrites();
        QVERIFY(!w.isEmpty());
        QCOMPARE(hex(w.first()), QStringLiteral("81 09 00 02 FF"));
        QCOMPARE(count(w, "81 09 7E 7E 00 FF"), 0);
        QVERIFY(!r.main->refreshOnce->isEnabled());
        QVERIFY(r.main->ntscOrPal->text().isEmpty());
        QVERIFY(r.main->cameraIdText->text().isEmpty());
        QVERIFY(r.main->control<QWidget>(QStringLiteral("FmAPC"))->isHidden());
        QVERIFY(r.link().RefreshNotGoCheck());
    }

    void modeEnablingAppliedOncePerChange()
    {
        AppRig r({QStringLiteral("tamiro-k5a")});
        r.identify();
        r.chain.camera(1).state.wbMode = 5;
        readStatus(r);
        QVERIFY(on(r, "RGainSlider"));
        // The operator's panel is not redone while the camera stays in the mode.
        r.main->control<QWidget>(QStringLiteral("RGainSlider"))->setEnabled(false);
        readStatus(r);
        QVERIFY(!on(r, "RGainSlider"));
        r.chain.camera(1).state.wbMode = 3;
        readStatus(r);
        QVERIFY(!on(r, "RGainSlider") && on(r, "WBTrigger"));
        QCOMPARE(r.main->recordedWBMode, 3);

        r.chain.camera(1).state.aeMode = 0x0D;
        readStatus(r);
        QVERIFY(on(r, "BrightSlider") && !on(r, "IrisSlider") && ticked(r, "Bright"));
        r.main->control<QWidget>(QStringLiteral("BrightSlider"))->setEnabled(false);
        readStatus(r);
        QVERIFY(!on(r, "BrightSlider"));

        // A mode the panel does not know ticks nothing but is recorded all the
        // same: a click on the mode shown before is a change, and goes out.
        r.chain.camera(1).state.aeMode = 0x0E;
        r.chain.camera(1).state.wbMode = 7;
        readStatus(r);
        QVERIFY(!ticked(r, "Bright") && !ticked(r, "OnePushWB"));
        r.takeWrites();
        r.main->tick(QStringLiteral("Bright"))->trigger();
        r.main->tick(QStringLiteral("OnePushWB"))->trigger();
        r.settle();  // Bright from an unknown mode goes out after full auto has settled
        const QList<QByteArray> sent = r.takeWrites();
        QVERIFY(sent.contains(bytes("81 01 04 39 0D FF")));
        QVERIFY(sent.contains(bytes("81 01 04 35 03 FF")));
    }

    void videoSystemChoosesShutterColumn()
    {
        AppRig r({QStringLiteral("tamiro-k5ap")});
        r.identify();
        r.chain.camera(1).state.videoSystem = 1;
        r.chain.camera(1).state.shutter = 11;
        readStatus(r);
        QCOMPARE(r.main->ntscOrPal->text(), QStringLiteral("PAL"));
        QCOMPARE(box(r, "ShutterValue"), QStringLiteral("1/215"));
        r.chain.camera(1).state.videoSystem = 0;
        readStatus(r);
        QCOMPARE(box(r, "ShutterValue"), QStringLiteral("1/250"));
    }

    void labelOutsideListLeavesBox()
    {
        AppRig r({QStringLiteral("tamiro-k5a")});
        r.identify();
        readStatus(r);
        const QString before = box(r, "ShutterValue");
        QVERIFY(!before.isEmpty());
        r.chain.camera(1).state.shutter = 22;
        r.chain.camera(1).state.iris = 40;
        readStatus(r);
        QCOMPARE(slider(r, "ShutterSlider")->value(), 21);  // moved as far as it goes
        QCOMPARE(box(r, "ShutterValue"), before);
        QCOMPARE(slider(r, "IrisSlider")->value(), 17);
    }

    void silentCameraEndsInRefreshError()
    {
        AppRig r;
        r.main->autoRefreshed->click();  // auto refresh on
        QVERIFY(r.main->timer1->isActive());
        r.chain.faults.silent.insert(1);
        const double t0 = r.clock.now();
        QVERIFY(readStatus(r));
        QCOMPARE(r.takeWrites().size(), CameraSession::kMaxTries);  // seven version inquiries
        QVERIFY(r.clock.now() - t0 >= 7.0);
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].text, QStringLiteral("Refresh Action Error !\nRefresh Action is Stopped."));
        QVERIFY(!r.main->timer1->isActive());
        QCOMPARE(r.main->autoRefreshed->text(), QStringLiteral("Stop"));
        QVERIFY(r.main->refreshOnce->isEnabled());
        QVERIFY(r.link().RefreshNotGoCheck());
        QCOMPARE(r.port.rThreshold(), 1);
    }

    // An answer that misses its second is never decoded as the next
    // inquiry's answer: the read shows the camera's values, or none.
    void lateAnswersNeverShiftTheRead_data()
    {
        QTest::addColumn<double>("delay");
        QTest::newRow("1.2 s late") << 1.2;
        QTest::newRow("1.5 s late") << 1.5;
    }

    void lateAnswersNeverShiftTheRead()
    {
        QFETCH(double, delay);
        AppRig r;
        readStatus(r);
        sim::CameraState& cam = r.chain.camera(1).state;
        cam.zoom = 0x2345;      // lens block
        cam.wbMode = 5;         // camera block
        cam.pictureEffect = 4;  // other block
        cam.digitalZoom = 0x40; // expanded block
        cam.pan = 0x123;        // pan-tilt position
        r.chain.faults.replyDelay = delay;
        r.messages.boxes.clear();
        readStatus(r);
        const bool shown = box(r, "ZoomValue") == QLatin1String("0x2345");
        QCOMPARE(ticked(r, "ManualWB"), shown);
        QCOMPARE(ticked(r, "BlackWhite"), shown);
        QCOMPARE(box(r, "DZoomValue") == QLatin1String("0x40"), shown);
        QCOMPARE(r.app->panTilt().window()->findChild<QLabel*>(QStringLiteral("LbPanPos"))->text() == "0x123", shown);
        QCOMPARE(r.messages.boxes.isEmpty(), shown);
        QVERIFY(ticked(r, "Power"));
    }

    void brokenOffReadChangesNoControl()
    {
        AppRig r;
        readStatus(r);
        const int zoom = slider(r, "ZoomSliderShort")->value();
        r.takeWrites();
        r.messages.boxes.clear();
        r.chain.camera(1).state.zoom = 0x3000;
        r.chain.faults.garbled = true;  // every answer now fails the check
        readStatus(r);
        const QList<QByteArray> w = r.takeWrites();
        QCOMPARE(w.size(), CameraSession::kMaxTries);
        QCOMPARE(count(w, "81 09 7E 7E 00 FF"), CameraSession::kMaxTries);
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(slider(r, "ZoomSliderShort")->value(), zoom);
        // line noise before every answer is skipped
        r.chain.faults.garbled = false;
        r.chain.faults.junk = bytes("12 A0 FF 34");  // another camera's source, a terminator
        readStatus(r);
        QCOMPARE(slider(r, "ZoomSliderShort")->value(), 0x3000);
    }

    void skipCountAndDelayedRead()
    {
        AppRig r;
        readStatus(r);
        r.takeWrites();
        RefreshMachine& refresh = r.refresh();
        refresh.presetEnded();   // two reads skipped
        QVERIFY(!readStatus(r));
        QVERIFY(!readStatus(r));
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(readStatus(r));
        QCOMPARE(r.takeWrites().size(), 4 + 3);  // four blocks, then the pan-tilt window's three

        // a preset in progress holds reads off; Refresh Once adds one skip
        QVERIFY(r.session.startPreset(PresetOperation::Kind::Set, 2));
        r.takeWrites();
        r.main->refreshOnce->click();
        QCOMPARE(refresh.skipCount(), 1);
        QVERIFY(r.takeWrites().isEmpty());
        PanelRig::pump();   // the preset ends: two more skipped
        QVERIFY(!r.session.runningPreset());
        QCOMPARE(refresh.skipCount(), 2);
        QVERIFY(!refresh.admitRead() && !refresh.admitRead());

        // the one delayed read: the timer runs once, then stops at 2000 ms
        refresh.readOnceAfter(6000);
        refresh.commandFinished();
        QVERIFY(r.main->timer1->isActive());
        QCOMPARE(r.main->timer1->interval(), 6000);
        QVERIFY(readStatus(r));
        QVERIFY(!r.main->timer1->isActive());
        QCOMPARE(r.main->timer1->interval(), 2000);
        QVERIFY(!refresh.delayedReadArmed());
        QCOMPARE(r.main->autoRefreshed->text(), QStringLiteral("Stop"));
    }

    void autoRefreshButtonsAndSuspension()
    {
        AppRig r;
        QPushButton* autoBtn = r.main->autoRefreshed;
        autoBtn->click();
        QCOMPARE(autoBtn->text(), QStringLiteral("Auto"));
        QVERIFY(r.main->timer1->isActive());
        QVERIFY(!r.main->refreshOnce->isEnabled());
        // a tick reads the camera
        QMetaObject::invokeMethod(r.main->timer1, "timeout", Qt::DirectConnection);
        QCOMPARE(r.takeWrites().size(), 1 + 4 + 3);
        // a command suspends, its completion resumes
        r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode::Command);
        QVERIFY(!r.main->timer1->isActive() && !autoBtn->isEnabled());
        PanelRig::pump();
        QVERIFY(r.main->timer1->isActive() && autoBtn->isEnabled());
        QCOMPARE(r.main->timer1->interval(), 2000);
        // while a read runs, commands are refused
        r.link().setExchangeRunning(true);
        QCOMPARE(r.link().SD(Packet::fromBytes(bytes("81 01 04 07 02 FF")), SendMode::Command), SendResult::RefusedBusy);
        r.link().setExchangeRunning(false);
        r.refresh().commandFinished();  // as the next command's completion would
        autoBtn->click();
        QCOMPARE(autoBtn->text(), QStringLiteral("Stop"));
        QVERIFY(!r.main->timer1->isActive());
        QVERIFY(r.main->refreshOnce->isEnabled());

        // a camera reporting its alarm on stops auto refresh
        autoBtn->click();
        r.chain.camera(1).state.alarmOn = true;
        readStatus(r);
        QVERIFY(r.session.alarm().on);
        QCOMPARE(autoBtn->text(), QStringLiteral("Stop"));
        QVERIFY(!r.main->timer1->isActive() && r.main->refreshOnce->isEnabled());
    }

    void addressSetAnswers()
    {
        for (int cameras : {1, 2, 7}) {
            QStringList chain;
            for (int i = 0; i < cameras; ++i)
                chain << QStringLiteral("tamiro-j1a");
            AppRig r(chain);
            r.main->tick(QStringLiteral("CameraSel_2"))->trigger();  // camera 2 addressed (a read follows)
            r.settle();
            r.takeWrites();
            r.main->action(QStringLiteral("AddressSet"))->trigger();
            r.settle();
            const QList<QByteArray> w = r.takeWrites();
            QCOMPARE(hex(w.first()), QStringLiteral("88 30 01 FF"));
            for (int i = 1; i <= 7; ++i)
                QCOMPARE(r.main->action(QStringLiteral("CameraSel_%1").arg(i))->isVisible(), i <= cameras);
            QVERIFY(r.main->recvText->text().contains(QStringLiteral("88 30 %1 FF").arg(cameras + 1, 2, 10, QLatin1Char('0'))));
            QCOMPARE(r.port.rThreshold(), 1);
            if (cameras == 1) {
                QCOMPARE(r.session.address(), 1);
                QCOMPARE(r.main->active->text(), QStringLiteral("1"));
                QVERIFY(r.main->action(QStringLiteral("CameraSel_1"))->isChecked());
                QCOMPARE(count(w, "81 09 7E 7E 00 FF"), 1);  // a status read followed
            } else {
                QCOMPARE(r.session.address(), 2);
                QCOMPARE(w.size(), 1);
            }
        }
        // no answer: nothing changes, and no filler shows in the response box
        AppRig r;
        r.chain.faults.broadcastsLost = true;
        r.main->action(QStringLiteral("AddressSet"))->trigger();
        r.settle();
        QVERIFY(r.main->action(QStringLiteral("CameraSel_7"))->isVisible());
        QVERIFY(!r.main->recvText->text().contains(QStringLiteral("00 01 02 03")));
    }

    void cameraSelectionReidentifies()
    {
        AppRig r({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p2"), QStringLiteral("tamiro-j1a"),
                  QStringLiteral("quorin-p3")});
        readStatus(r);
        r.takeWrites();
        r.main->tick(QStringLiteral("CameraSel_2"))->trigger();
        r.settle();
        QCOMPARE(r.session.address(), 2);
        QCOMPARE(r.main->active->text(), QStringLiteral("2"));
        for (int i = 1; i <= 7; ++i)
            QCOMPARE(r.main->action(QStringLiteral("CameraSel_%1").arg(i))->isChecked(), i == 2);
        const QList<QByteArray> w = r.takeWrites();
        QCOMPARE(hex(w.first()), QStringLiteral("82 09 00 02 FF"));
        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("QUORIN-P2"));
        QCOMPARE(slider(r, "GainSlider")->maximum(), 7);
        r.main->tick(QStringLiteral("CameraSel_4"))->trigger();
        r.settle();
        QCOMPARE(hex(r.takeWrites().first()), QStringLiteral("84 09 00 02 FF"));
        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("QUORIN-P3"));
    }

    // A chain of both families: the pan-tilt window follows the camera
    // addressed, and the operator's choice to show it is kept meanwhile.
    void mixedChainLaysThePanTiltWindowOut()
    {
        AppRig r({QStringLiteral("tamiro-j1a"), QStringLiteral("quorin-p3")});
        r.identify();
        r.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.main));
        r.app->panTilt().DspPTW();
        QWidget* window = r.app->panTilt().window();
        QVERIFY(window->isHidden());
        r.main->tick(QStringLiteral("CameraSel_2"))->trigger();
        r.settle();
        QVERIFY(r.session.panTiltFamily() && window->isVisible());
        QCOMPARE(r.main->control<QPushButton>(QStringLiteral("PTWCloseM"))->text(), QStringLiteral("CLOSE"));
        r.main->tick(QStringLiteral("CameraSel_1"))->trigger();
        r.settle();
        QVERIFY(!r.session.panTiltFamily() && window->isHidden());
        QVERIFY(r.app->panTiltFlags.shown);
    }

    // Values from another camera are never passed off as the addressed one's.
    void silentCameraIsNamedWhereTheModelStands()
    {
        AppRig r({QStringLiteral("quorin-p3"), QStringLiteral("tamiro-j1a"), QStringLiteral("tamiro-k3bce")});
        readStatus(r);
        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("QUORIN-P3"));
        r.chain.faults.silent.insert(2);
        r.main->tick(QStringLiteral("CameraSel_2"))->trigger();
        r.settle();
        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("Camera 2: no answer"));
        r.main->tick(QStringLiteral("CameraSel_3"))->trigger();
        r.settle();
        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("TAMIRO-K3BCE"));
        // the same camera silent for a while, then back
        r.chain.faults.silent.insert(3);
        r.main->refreshOnce->click();
        r.settle();
        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("Camera 3: no answer"));
        r.chain.faults.silent.clear();
        r.main->refreshOnce->click();
        r.settle();
        QCOMPARE(r.main->modelVersion->text(), QStringLiteral("TAMIRO-K3BCE"));
    }

    void powerArrangesRefresh()
    {
        {   // auto refresh off, QUORIN-P3: one read six seconds after the completion
            AppRig r;
            readStatus(r);
            r.takeWrites();
            r.chain.camera(1).state.power = false;
            r.main->action(QStringLiteral("Power"))->setChecked(false);
            r.main->tick(QStringLiteral("Power"))->trigger();
            QCOMPARE(hex(r.takeWrites().value(0)), QStringLiteral("81 01 04 00 02 FF"));
            QVERIFY(ticked(r, "Power"));
            QCOMPARE(r.main->timer1->interval(), 6000);
            QVERIFY(r.refresh().delayedReadArmed());
            QVERIFY(!r.session.modelIdentified());
            QVERIFY(!r.main->timer1->isActive());
            PanelRig::pump();  // completion arrives
            QVERIFY(r.main->timer1->isActive());
            QMetaObject::invokeMethod(r.main->timer1, "timeout", Qt::DirectConnection);
            QCOMPARE(hex(r.takeWrites().value(0)), QStringLiteral("81 09 00 02 FF"));
            QVERIFY(!r.main->timer1->isActive());
            QCOMPARE(r.main->timer1->interval(), 2000);
        }
        {   // auto refresh on, other model: suspended, one read skipped
            AppRig r({QStringLiteral("tamiro-j1a")});
            r.main->autoRefreshed->click();
            r.main->tick(QStringLiteral("Power"))->trigger();
            QVERIFY(!r.main->timer1->isActive() && !r.main->autoRefreshed->isEnabled());
            QCOMPARE(r.refresh().skipCount(), 1);
            QVERIFY(!r.refresh().delayedReadArmed());
            // power off leaves auto refresh alone
            r.takeWrites();
            r.main->tick(QStringLiteral("Power"))->trigger();
            QCOMPARE(hex(r.takeWrites().value(0)), QStringLiteral("81 01 04 00 03 FF"));
            QVERIFY(!ticked(r, "Power"));
        }
        {   // refused during a read: the tick stays
            AppRig r;
            r.link().setExchangeRunning(true);
            r.main->tick(QStringLiteral("Power"))->trigger();
            QVERIFY(!ticked(r, "Power"));
            QVERIFY(r.takeWrites().isEmpty());
        }
    }

    void interfaceClears()
    {
        AppRig r({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p3"), QStringLiteral("quorin-p3")});
        r.session.setAddress(3);
        r.main->action(QStringLiteral("IFClear"))->trigger();
        r.main->action(QStringLiteral("IFClearB"))->trigger();
        r.settle();
        const QList<QByteArray> w = r.takeWrites();
        QCOMPARE(hex(w.value(0)), QStringLiteral("83 01 00 01 FF"));
        QCOMPARE(hex(w.value(1)), QStringLiteral("88 01 00 01 FF"));
        PanelRig::pump();
        QVERIFY(r.main->recvText->text().endsWith(QStringLiteral("88 01 00 01 FF \r\n")));
    }
};

QTEST_MAIN(TestStatus)
#include "test_status.moc"
