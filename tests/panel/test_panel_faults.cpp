// Faults an operator met running the panel: a mixed chain showing the other
// family's panel and values, a refused command that changed the panel
// anyway, windows that greyed what they do not hold, a port that could only
// be chosen at start-up, and the alarm window logging an inquiry that never
// went out.
#include "app_rig.h"
#include "frm_md.h"
#include "startup_windows.h"
#include "tick_action.h"
#include "traffic_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

// What a model makes of the main window: caption, frames, menus and items,
// the slider ranges and the labels the exposure boxes show.
QStringList panelLook(AppRig& r)
{
    FrmMain& m = *r.main;
    QStringList look{m.windowTitle(), m.modelVersion->text()};
    for (const PanelStep& step : profileTouches()) {
        switch (step.op) {
        case PanelStep::Op::ItemEnabled:
        case PanelStep::Op::ItemShown:
            look << QStringLiteral("%1 %2%3").arg(step.name).arg(int(m.action(step.name)->isEnabled()))
                        .arg(int(m.action(step.name)->isVisible()));
            break;
        case PanelStep::Op::SliderMax:
            look << QStringLiteral("%1 max %2").arg(step.name).arg(m.control<QSlider>(step.name)->maximum());
            break;
        case PanelStep::Op::ClearText:
        case PanelStep::Op::Unchecked:
            break;
        default: {
            const QWidget* w = m.control<QWidget>(step.name);
            look << QStringLiteral("%1 %2 %3,%4 %5x%6").arg(step.name).arg(int(w->isHidden())).arg(w->x()).arg(w->y())
                        .arg(w->width()).arg(w->height());
        }
        }
    }
    look << m.labels.shutter[0] << m.labels.iris << m.labels.gain << m.labels.bright;
    return look;
}

QString lineText(AppRig& r)
{
    return r.app->view.linkState()->text();
}

} // namespace

class TestPanelFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Selecting a camera gives that camera's panel, the same each time, with
    // its own label lists, whichever family was addressed before.
    void mixedChainShowsEachCamerasPanel_data()
    {
        QTest::addColumn<QStringList>("chain");
        QTest::newRow("block camera first") << QStringList{"tamiro-k9b", "quorin-p2"};
        QTest::newRow("pan/tilt camera first") << QStringList{"quorin-p2", "tamiro-k9b"};
        QTest::newRow("two pan/tilt models") << QStringList{"quorin-p3", "quorin-p1"};
    }

    void mixedChainShowsEachCamerasPanel()
    {
        QFETCH(QStringList, chain);
        // Each camera alone, as the panel has always shown it.
        QList<QStringList> alone;
        for (const QString& model : chain) {
            AppRig single({model});
            single.identify();
            readStatus(single);
            alone << panelLook(single);
        }
        AppRig r(chain);
        r.session.assignAddresses([] {});
        r.identify();
        readStatus(r);
        QCOMPARE(panelLook(r), alone[0]);
        for (int round = 0; round < 2; ++round) {
            r.main->tick(QStringLiteral("CameraSel_2"))->trigger();
            QCOMPARE(panelLook(r), alone[1]);
            r.main->tick(QStringLiteral("CameraSel_1"))->trigger();
            QCOMPARE(panelLook(r), alone[0]);
        }
    }

    // The shutter answer of a block camera reads with its own list after a
    // pan/tilt camera of another list was addressed.
    void blockCameraValueReadWithItsOwnLabels()
    {
        AppRig single({QStringLiteral("tamiro-k9b")});
        single.identify();
        readStatus(single);
        const QString alone = single.main->control<QLineEdit>(QStringLiteral("ShutterValue"))->text();
        AppRig r({QStringLiteral("tamiro-k9b"), QStringLiteral("quorin-p2")});
        r.session.assignAddresses([] {});
        r.identify();
        readStatus(r);
        const QString atStart = r.main->control<QLineEdit>(QStringLiteral("ShutterValue"))->text();
        QCOMPARE(atStart, alone);
        r.main->tick(QStringLiteral("CameraSel_2"))->trigger();
        r.main->tick(QStringLiteral("CameraSel_1"))->trigger();
        QCOMPARE(r.main->control<QLineEdit>(QStringLiteral("ShutterValue"))->text(), atStart);
        QCOMPARE(r.main->windowTitle(), QStringLiteral("TAMIRO-  B SERIES Control Panel"));
        QVERIFY(!r.main->control<QWidget>(QStringLiteral("FmMemory"))->isHidden());
        QVERIFY(r.main->control<QWidget>(QStringLiteral("FmPreset"))->isHidden());
    }

    // With the link lost a command is refused in words, and nothing of the
    // panel changes as if it had gone out.
    void refusedCommandLeavesThePanel_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("manual focus") << "ManAFMode";
        QTest::newRow("AF interval") << "AFModeCmd_2";
        QTest::newRow("AF times") << "ACTAFmodeset";
        QTest::newRow("digital zoom switch") << "DZoom";
        QTest::newRow("AF sensitivity") << "AF_Sens";
        QTest::newRow("back light") << "BackLight";
        QTest::newRow("AE mode") << "item:Manual";
        QTest::newRow("WB mode") << "item:ATW";
        QTest::newRow("freeze") << "item:Freese";
        QTest::newRow("picture effect") << "item:BlackWhite";
        QTest::newRow("auto ICR") << "CmdAutoICR";
        QTest::newRow("preset") << "PresetRecall_2";
    }

    void refusedCommandLeavesThePanel()
    {
        QFETCH(QString, control);
        AppRig r;
        r.identify();
        readStatus(r);
        // A control the state leaves disabled cannot be clicked at all.
        if (!control.startsWith(QLatin1String("item:")))
            QVERIFY(r.main->control<QWidget>(control)->isEnabled());
        r.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.main));
        const auto state = [&r] {
            QStringList s;
            for (QWidget* w : r.main->findChildren<QWidget*>())
                if (!w->objectName().isEmpty())
                    s << QStringLiteral("%1 %2 %3").arg(w->objectName()).arg(int(w->isEnabled())).arg(int(w->isVisible()));
            for (QAbstractButton* b : r.main->findChildren<QAbstractButton*>())
                s << QStringLiteral("%1 %2 %3").arg(b->objectName(), b->text()).arg(int(b->isChecked()));
            for (QAction* a : r.main->findChildren<QAction*>())
                s << QStringLiteral("%1 %2").arg(a->objectName()).arg(int(a->isChecked()));
            return s;
        };
        r.takeWrites();
        r.port.pull();
        ChainRig::pump();
        const QStringList before = state();
        if (control.startsWith(QLatin1String("item:")))
            r.main->tick(control.mid(5))->trigger();
        else
            QTest::mouseClick(r.main->control<QAbstractButton>(control), Qt::LeftButton);
        QCOMPARE(state(), before);
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(lineText(r).startsWith(QLatin1String("Not sent: link lost: simulated chain")));
    }

    // The panel shows what happened: a command the camera refuses or leaves
    // unanswered is followed by one read of that camera, auto refresh stopped
    // all the same, and the controls show the camera's own values again; a
    // command the camera takes is not read back.
    void failedCommandIsReadBack_data()
    {
        QTest::addColumn<QString>("camera");
        QTest::newRow("refused") << "refused";
        QTest::newRow("unanswered") << "unanswered";
        QTest::newRow("taken") << "";
    }

    void failedCommandIsReadBack()
    {
        QFETCH(QString, camera);
        AppRig r;
        r.identify();
        sim::CameraState& cam = r.chain.camera(1).state;
        cam.cameraId = 17;
        QVERIFY(readStatus(r));
        auto* backLight = r.main->control<QCheckBox>(QStringLiteral("BackLight"));
        QVERIFY(!backLight->isChecked());
        QSet<QByteArray>* faulty = camera == QLatin1String("refused")      ? &r.chain.faults.refusedPackets
                                   : camera == QLatin1String("unanswered") ? &r.chain.faults.unansweredPackets
                                                                           : nullptr;
        if (faulty)
            *faulty << bytes("01 04 33 02 FF") << bytes("01 04 22 01 02 03 04 FF");
        r.takeWrites();

        QTest::mouseClick(backLight, Qt::LeftButton);
        r.settle();
        QList<QByteArray> w = r.takeWrites();
        QCOMPARE(hex(w.value(0)), QStringLiteral("81 01 04 33 02 FF"));
        QCOMPARE(w.count(bytes("81 09 7E 7E 00 FF")), faulty ? 1 : 0);
        QCOMPARE(backLight->isChecked(), !faulty);
        QCOMPARE(cam.backLight, !faulty);

        r.session.writeCameraId(0x1234);
        r.settle();
        w = r.takeWrites();
        QCOMPARE(hex(w.value(0)), QStringLiteral("81 01 04 22 01 02 03 04 FF"));
        QCOMPARE(w.count(bytes("81 09 7E 7E 00 FF")), faulty ? 1 : 0);
        QCOMPARE(r.main->cameraIdText->text(), faulty ? QStringLiteral("17") : QStringLiteral("4660"));
        QCOMPARE(cam.cameraId, faulty ? 17 : 4660);
        QVERIFY(r.messages.boxes.isEmpty());
    }

    // These windows stop the timers while open but leave the toggle usable.
    void timersOnlyWindowsLeaveTheToggle_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::newRow("AE spot") << "AESpotMode" << "FrmAES";
        QTest::newRow("camera ID") << "IDWrite" << "FrmCamID";
        QTest::newRow("alarm greys it") << "MotionDetecter" << "FrmMD";
    }

    void timersOnlyWindowsLeaveTheToggle()
    {
        QFETCH(QString, item);
        QFETCH(QString, window);
        AppRig r;
        r.identify();
        r.main->timer2->start();
        r.main->autoRefreshed->click();
        QVERIFY(r.main->timer1->isActive());
        r.main->action(item)->trigger();
        auto* w = r.main->findChild<QWidget*>(window);
        QVERIFY(w && w->isVisible());
        QVERIFY(!r.main->timer1->isActive() && !r.main->timer2->isActive());
        QCOMPARE(r.main->autoRefreshed->isEnabled(), window != QLatin1String("FrmMD"));
        w->close();
        QVERIFY(r.main->timer1->isActive() && r.main->timer2->isActive());
        QVERIFY(r.main->autoRefreshed->isEnabled());
    }

    // Tools > Com Setting: OK reopens the link on the port and speed chosen
    // and brings the chain back as after a reconnection; Cancel changes nothing.
    void comSettingFromTheToolsMenu()
    {
        AppRig r;
        r.session.link().openPort(1, QStringLiteral("9600"));
        r.identify();
        r.main->action(QStringLiteral("ComSetting"))->trigger();
        auto* dialog = r.main->findChild<FrmOpen*>(QStringLiteral("FrmOpen"));
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->selectedPort(), 1);
        QCOMPARE(dialog->selectedSpeed(), QStringLiteral("9600"));
        QVERIFY(dialog->cancel);
        QTest::mouseClick(dialog->cancel, Qt::LeftButton);
        QVERIFY(r.takeWrites().isEmpty());
        QCOMPARE(r.link().commPort(), 1);

        // Another port that reaches nothing: said in words.
        r.main->action(QStringLiteral("ComSetting"))->trigger();
        dialog = r.main->findChild<FrmOpen*>(QStringLiteral("FrmOpen"));
        dialog->comList1->setCurrentIndex(1);
        QTest::mouseClick(dialog->command1, Qt::LeftButton);
        QCOMPARE(r.link().commPort(), 2);
        QCOMPARE(r.takeWrites(), QList<QByteArray>{bytes("88 01 00 01 FF")});
        QTRY_VERIFY(lineText(r).contains(QLatin1String("no camera answers the interface clear")));

        // Back to the chain's port: cleared, addressed and read.
        r.main->action(QStringLiteral("ComSetting"))->trigger();
        dialog = r.main->findChild<FrmOpen*>(QStringLiteral("FrmOpen"));
        dialog->comList1->setCurrentIndex(0);
        QTest::mouseClick(dialog->command1, Qt::LeftButton);
        QTRY_COMPARE(lineText(r), QStringLiteral("Link back: simulated chain reopened, interfaces cleared, addresses "
                                                 "set, status read."));
        const QStringList sent = r.sent();
        QCOMPARE(sent.value(0), QStringLiteral("88 01 00 01 FF"));
        QCOMPARE(sent.value(1), QStringLiteral("88 30 01 FF"));
        QVERIFY(sent.contains(QStringLiteral("81 09 7E 7E 00 FF")));
        QCOMPARE(r.main->baudRateText->text(), QStringLiteral("9600"));
    }

    // An inquiry refused on a lost link is neither logged nor answered as if
    // it had gone out.
    void alarmInquiryOnALostLink()
    {
        AppRig r;
        r.identify();
        r.main->action(QStringLiteral("MotionDetecter"))->trigger();
        auto* alarm = r.main->findChild<FrmMD*>(QStringLiteral("FrmMD"));
        QVERIFY(alarm);
        r.port.pull();
        ChainRig::pump();
        QTest::mouseClick(alarm->cmdsetMDinq, Qt::LeftButton);
        QTest::mouseClick(alarm->cmdLevelInq, Qt::LeftButton);
        QVERIFY(alarm->txtMD->text().isEmpty());
        QVERIFY(r.messages.boxes.isEmpty());
        QVERIFY(lineText(r).startsWith(QLatin1String("Not sent: link lost: ")));
        QVERIFY(r.takeWrites().isEmpty());
    }
};

QTEST_MAIN(TestPanelFaults)
#include "test_panel_faults.moc"
