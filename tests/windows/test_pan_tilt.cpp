#include "frm_pan_tilt.h"
#include "pan_tilt_controller.h"
#include "rigs.h"
#include "speed_box.h"
#include "twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

QtMessageHandler g_testLog = nullptr;

// The offscreen platform cannot raise windows or pass size hints on, and says
// so on every call; the rest of the log goes to the test log as usual.
void quietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_testLog(type, context, message);
}

// The main window over a simulated camera chain with the pan-tilt window
// wired to it, as start-up leaves them.
struct PanTiltRig : PanelRig {
    explicit PanTiltRig(const QStringList& names = {QStringLiteral("quorin-p3")})
        : PanelRig(names), ptc(*main)
    {
        state.panTiltFamily = true;  // as identifying a pan/tilt camera leaves it
    }

    PanTiltController ptc;

    FrmPanTilt& w() { return *ptc.window(); }
    QPushButton* mainButton(const char* name)
    {
        return main->control<QPushButton>(QString::fromLatin1(name));
    }
    QPushButton* ownButton(const char* name)
    {
        return w().findChild<QPushButton*>(QString::fromLatin1(name));
    }

    // Shows the main window where start-up would and lays the pan-tilt window out.
    void start()
    {
        main->resize(640, 480);
        main->move(40, 30);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        ptc.DspPTW();
    }

    QPoint ptPos() { return w().frameGeometry().topLeft(); }
    QPoint belowMain()
    {
        const QRect m = main->frameGeometry();
        return {m.left(), m.top() + m.height()};
    }
    // Left and bottom edges shared with the main window.
    QPoint bottomLeftAligned()
    {
        const QRect m = main->frameGeometry();
        return {m.left(), m.top() + m.height() - w().frameGeometry().height()};
    }

    QString sent() { return hex(takeWrites().join()); }

    // "PTWSizeM/PTWSizeS PTWDockingM/PTWDockingS PTWCloseM"
    QString captions()
    {
        return QStringLiteral("%1/%2 %3/%4 %5")
            .arg(mainButton("PTWSizeM")->text(), ownButton("PTWSizeS")->text(),
                 mainButton("PTWDockingM")->text(), ownButton("PTWDockingS")->text(),
                 mainButton("PTWCloseM")->text());
    }
};

} // namespace

class TestPanTilt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        g_testLog = qInstallMessageHandler(quietPlatform);
    }
    void cleanupTestCase() { qInstallMessageHandler(g_testLog); }

    void designedContent();
    void defaultsThenSizeButtons();
    void releasePlacesOnceUntilTheNextCycle();
    void timerKeepsDockedWindowAttached();
    void closeButtonsAndTheWindowsOwnClose();
    void blockCameraKeepsWindowClosed();

    void motionPackets_data();
    void motionPackets();
    void motionUsesTheAddressedCamera();
    void speedsKeptWithinOneByte_data();
    void speedsKeptWithinOneByte();

    void statusReadFillsTheInformation();
    void silentCameraEndsInWarningWithLabelsUntouched();
};

void TestPanTilt::blockCameraKeepsWindowClosed()
{
    PanTiltRig r({QStringLiteral("tamiro-j1a")});
    r.state.panTiltFamily = false;
    r.start();
    QVERIFY(r.state.ptwShown);
    QVERIFY(!r.w().isVisible());
    r.ptc.check_DspPTW();
    QVERIFY(!r.w().isVisible());
    QVERIFY(r.state.ptwShown);  // kept for the next pan/tilt camera
}

void TestPanTilt::designedContent()
{
    PanTiltRig r;
    FrmPanTilt& w = r.w();
    QCOMPARE(w.objectName(), QStringLiteral("FrmPanTilt"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Pan/Tilt"));
    QVERIFY(w.isWindow());
    QCOMPARE(w.parentWidget(), r.main.get());

    const QList<std::pair<const char*, const char*>> frames = {
        {"FmInfo", "Information"},     {"FmPTStatuw", "Pan Tilt Status"}, {"FmMaxSpeed", "Max Speed"},
        {"FmMTS", "Tilt"},             {"FmMPS", "Pan"},                  {"FmTiltPos", "Tilt Pos."},
        {"FmPanPos", "Pan Pos."},      {"FmPTWindowS", "Pan/Tilt Window"}, {"FmTiltSpeed", "Tilt Speed"},
        {"FmPanSpeed", "Pan Speed"},   {"FmPanTilt", "Pan/Tilt"},
    };
    for (const auto& [name, caption] : frames) {
        auto* g = w.findChild<QGroupBox*>(QString::fromLatin1(name));
        QVERIFY2(g, name);
        QCOMPARE(g->title(), QString::fromLatin1(caption));
    }
    QCOMPARE(w.lbMTS->parentWidget(), w.fmMTS);
    QCOMPARE(w.fmMaxSpeed->parentWidget(), w.fmInfo);
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LbMount"))->text(), QStringLiteral("Desktop Mount"));

    QCOMPARE(w.findChild<SpeedText*>(QStringLiteral("PanSpeed"))->text(), QStringLiteral("24"));
    QCOMPARE(w.findChild<SpeedText*>(QStringLiteral("TiltSpeed"))->text(), QStringLiteral("23"));
    auto* ps = w.findChild<UpDown*>(QStringLiteral("PSUpDown"));
    auto* ts = w.findChild<UpDown*>(QStringLiteral("TSUpDown"));
    QCOMPARE(std::tuple(ps->minimum(), ps->maximum(), ps->buddy()), std::tuple(1, 24, w.panSpeed));
    QCOMPARE(std::tuple(ts->minimum(), ts->maximum(), ts->buddy()), std::tuple(1, 23, w.tiltSpeed));

    // Stop in the middle of the pad, a full-speed button further out on each side
    auto centre = [&](const char* name) {
        return w.findChild<QPushButton*>(QString::fromLatin1(name))->geometry().center();
    };
    const QPoint stop = centre("Pan_Tilt_Stop_0");
    QVERIFY(centre("Pan_Tilt_Stop_1").y() < stop.y() && centre("Pan_Tilt_Direct_6").y() < centre("Pan_Tilt_Stop_1").y());
    QVERIFY(centre("Pan_Tilt_Stop_2").x() < stop.x() && centre("Pan_Tilt_Direct_0").x() < centre("Pan_Tilt_Stop_2").x());
    QVERIFY(centre("Pan_Tilt_Stop_3").x() > stop.x() && centre("Pan_Tilt_Direct_3").x() > centre("Pan_Tilt_Stop_3").x());
    QVERIFY(centre("Pan_Tilt_Stop_4").y() > stop.y() && centre("Pan_Tilt_Direct_7").y() > centre("Pan_Tilt_Stop_4").y());
    for (QWidget* c : {static_cast<QWidget*>(w.fmPanTilt), static_cast<QWidget*>(w.fmInfo)})
        QVERIFY(c->geometry().bottom() < twips::toPixels(FrmPanTilt::kHeight));
}

void TestPanTilt::defaultsThenSizeButtons()
{
    PanTiltRig r;
    // nothing shows while the main window is still hidden
    r.ptc.DspPTW();
    QVERIFY(r.w().isHidden());

    // nothing stored: large and docked, the main window keeps the focus
    r.start();
    QVERIFY(r.w().isVisible());
    QVERIFY(QApplication::activeWindow() != &r.w());
    QCOMPARE(r.captions(), QStringLiteral("Small/Small Release/Release CLOSE"));
    QVERIFY(!r.w().fmInfo->isHidden());
    QCOMPARE(r.w().frameGeometry().width(), twips::toPixels(FrmPanTilt::kLargeWidth));
    QCOMPARE(r.ptPos(), r.belowMain());
    const int height = r.w().frameGeometry().height();

    QTest::mouseClick(r.ownButton("PTWSizeS"), Qt::LeftButton);
    QVERIFY(!r.state.ptwLarge);
    QCOMPARE(r.captions(), QStringLiteral("Large/Large Release/Release CLOSE"));
    QVERIFY(r.w().fmInfo->isHidden());
    QCOMPARE(r.w().frameGeometry().size(), QSize(twips::toPixels(FrmPanTilt::kSmallWidth), height));
    QCOMPARE(r.ptPos(), r.belowMain());

    QTest::mouseClick(r.mainButton("PTWSizeM"), Qt::LeftButton);
    QVERIFY(r.state.ptwLarge);
    QCOMPARE(r.captions(), QStringLiteral("Small/Small Release/Release CLOSE"));
    QVERIFY(!r.w().fmInfo->isHidden());
    QCOMPARE(r.w().frameGeometry().size(), QSize(twips::toPixels(FrmPanTilt::kLargeWidth), height));
}

void TestPanTilt::releasePlacesOnceUntilTheNextCycle()
{
    PanTiltRig r;
    r.start();

    QTest::mouseClick(r.mainButton("PTWDockingM"), Qt::LeftButton);
    QVERIFY(!r.state.ptwDocked && r.state.ptwPlaced);
    QCOMPARE(r.captions(), QStringLiteral("Small/Small Docking/Docking CLOSE"));
    QCOMPARE(r.ptPos(), r.bottomLeftAligned());

    // dragged away, it stays put through later layouts and timer ticks
    const QPoint dragged(300, 200);
    r.w().move(dragged);
    QTest::mouseClick(r.ownButton("PTWSizeS"), Qt::LeftButton);
    r.main->move(90, 60);
    r.ptc.check_DspPTW();
    QCOMPARE(r.ptPos(), dragged);

    QTest::mouseClick(r.ownButton("PTWDockingS"), Qt::LeftButton);
    QVERIFY(r.state.ptwDocked);
    QCOMPARE(r.captions(), QStringLiteral("Large/Large Release/Release CLOSE"));
    QCOMPARE(r.ptPos(), r.belowMain());

    // released again: placed afresh, now with the small window's height
    QTest::mouseClick(r.ownButton("PTWDockingS"), Qt::LeftButton);
    QCOMPARE(r.ptPos(), r.bottomLeftAligned());
}

void TestPanTilt::timerKeepsDockedWindowAttached()
{
    PanTiltRig r;
    r.start();
    r.main->timer2->setInterval(5);
    r.main->timer2->start();

    r.main->move(120, 70);
    QTRY_COMPARE_WITH_TIMEOUT(r.ptPos(), r.belowMain(), 2000);
    // a docked window dragged away is pulled back
    r.w().move(400, 10);
    QTRY_COMPARE_WITH_TIMEOUT(r.ptPos(), r.belowMain(), 2000);
    r.main->timer2->stop();

    // a closed window is left alone; opening it docks it again
    QTest::mouseClick(r.mainButton("PTWCloseM"), Qt::LeftButton);
    const QPoint before = r.ptPos();
    r.main->move(10, 15);
    r.ptc.check_DspPTW();
    QCOMPARE(r.ptPos(), before);
    QTest::mouseClick(r.mainButton("PTWCloseM"), Qt::LeftButton);
    QCOMPARE(r.ptPos(), r.belowMain());

    // a released window does not follow
    QTest::mouseClick(r.mainButton("PTWDockingM"), Qt::LeftButton);
    const QPoint released = r.ptPos();
    r.main->move(200, 100);
    r.ptc.check_DspPTW();
    QCOMPARE(r.ptPos(), released);
}

void TestPanTilt::closeButtonsAndTheWindowsOwnClose()
{
    PanTiltRig r;
    r.start();
    auto closed = [&r] {
        return !r.state.ptwShown && r.w().isHidden() && r.mainButton("PTWCloseM")->text() == QLatin1String("OPEN");
    };
    auto open = [&r] {
        return r.state.ptwShown && r.w().isVisible() && r.mainButton("PTWCloseM")->text() == QLatin1String("CLOSE");
    };

    QTest::mouseClick(r.mainButton("PTWCloseM"), Qt::LeftButton);
    QVERIFY(closed());
    r.ownButton("PTWCloseS")->click();   // never opens it
    QVERIFY(closed());
    QTest::mouseClick(r.mainButton("PTWCloseM"), Qt::LeftButton);
    QVERIFY(open());
    QTest::mouseClick(r.ownButton("PTWCloseS"), Qt::LeftButton);
    QVERIFY(closed());

    // the window system's close control counts as CLOSE
    QTest::mouseClick(r.mainButton("PTWCloseM"), Qt::LeftButton);
    QVERIFY(r.w().close());
    QVERIFY(closed());

    // hovering over the main window's frame raises an open window only
    auto* frameM = r.main->control<QWidget>(QStringLiteral("FmPTWindowM"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(frameM, &enter);
    QVERIFY(closed());

    // ... and while the main window unloads, the flag records the open window
    QTest::mouseClick(r.mainButton("PTWCloseM"), Qt::LeftButton);
    r.state.mainClosing = true;
    QVERIFY(r.w().close());
    QVERIFY(r.state.ptwShown);
    QVERIFY(r.w().isHidden());
}

void TestPanTilt::motionPackets_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("packet");

    // Pan speed box at 9 and tilt at 4 for every row.
    const QList<std::array<const char*, 3>> rows = {
        {"Pan_Tilt_Stop_0", "Stop", "81 01 06 01 18 18 03 03 FF"},
        {"Pan_Tilt_Stop_1", "UP", "81 01 06 01 09 04 03 01 FF"},
        {"Pan_Tilt_Stop_2", "Left", "81 01 06 01 09 04 01 03 FF"},
        {"Pan_Tilt_Stop_3", "Right", "81 01 06 01 09 04 02 03 FF"},
        {"Pan_Tilt_Stop_4", "Down", "81 01 06 01 09 04 03 02 FF"},
        {"Pan_Tilt_Stop_5", "UP-Left", "81 01 06 01 09 04 01 01 FF"},
        {"Pan_Tilt_Stop_6", "UP-Right", "81 01 06 01 09 04 02 01 FF"},
        {"Pan_Tilt_Stop_7", "Down-Left", "81 01 06 01 09 04 01 02 FF"},
        {"Pan_Tilt_Stop_8", "Down-Right", "81 01 06 01 09 04 02 02 FF"},
        {"Pan_Tilt_Direct_0", "Left-Direct", "81 01 06 01 18 18 01 03 FF"},
        {"Pan_Tilt_Direct_1", "UP-L-Dir", "81 01 06 01 18 18 01 01 FF"},
        {"Pan_Tilt_Direct_2", "Down-L-Dir", "81 01 06 01 18 18 01 02 FF"},
        {"Pan_Tilt_Direct_3", "Right-Direct", "81 01 06 01 18 18 02 03 FF"},
        {"Pan_Tilt_Direct_4", "UP-R-Dir", "81 01 06 01 18 18 02 01 FF"},
        {"Pan_Tilt_Direct_5", "Down-R-Dir", "81 01 06 01 18 18 02 02 FF"},
        {"Pan_Tilt_Direct_6", "UP-Direct", "81 01 06 01 18 18 03 01 FF"},
        {"Pan_Tilt_Direct_7", "Down-Dir", "81 01 06 01 18 18 03 02 FF"},
        {"Pan_Tilt_Direct_8", "Home", "81 01 06 04 FF"},
        {"Pan_Tilt_Direct_9", "Reset", "81 01 06 05 FF"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[1]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1])
                              << QString::fromLatin1(row[2]);
}

void TestPanTilt::motionPackets()
{
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, packet);

    PanTiltRig r;
    r.start();
    r.w().panSpeed->setText(QStringLiteral("9"));
    r.w().tiltSpeed->setText(QStringLiteral("4"));
    auto* b = r.w().findChild<QPushButton*>(button);
    QVERIFY(b);
    QCOMPARE(b->text(), caption);
    r.takeWrites();

    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(r.sent(), packet);
    // the camera accepts it: acknowledge and completion, no error
    PanelRig::pump();
    QVERIFY(r.main->recvText->text().contains(QStringLiteral("90 51 FF")));
    QVERIFY(!r.main->recvText->text().contains(QStringLiteral("90 60")));
}

void TestPanTilt::motionUsesTheAddressedCamera()
{
    PanTiltRig r({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p2"), QStringLiteral("quorin-p3")});
    r.start();
    r.state.cameraAddress = 3;
    r.w().panSpeed->setText(QStringLiteral("5"));
    r.takeWrites();

    QTest::mouseClick(r.ownButton("Pan_Tilt_Stop_3"), Qt::LeftButton);
    QCOMPARE(r.sent(), QStringLiteral("83 01 06 01 05 17 02 03 FF"));
    PanelRig::pump();
    QVERIFY(r.chain.camera(3).state.pan > 0);
    QCOMPARE(r.chain.camera(1).state.pan, 0);
    QTest::mouseClick(r.ownButton("Pan_Tilt_Direct_8"), Qt::LeftButton);
    QCOMPARE(r.sent(), QStringLiteral("83 01 06 04 FF"));
}

void TestPanTilt::speedsKeptWithinOneByte_data()
{
    QTest::addColumn<QString>("pan");
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<QString>("speeds");

    QTest::newRow("in range") << "5" << "23" << "05 17";
    QTest::newRow("zero") << "0" << "0" << "01 01";
    QTest::newRow("not a number") << "abc" << "" << "01 01";
    QTest::newRow("above the spinners") << "300" << "99" << "18 17";
    QTest::newRow("space-led") << " 18" << " 7" << "12 07";
}

void TestPanTilt::speedsKeptWithinOneByte()
{
    QFETCH(QString, pan);
    QFETCH(QString, tilt);
    QFETCH(QString, speeds);

    PanTiltRig r;
    r.start();
    r.w().panSpeed->setText(pan);
    r.w().tiltSpeed->setText(tilt);
    r.takeWrites();

    QTest::mouseClick(r.ownButton("Pan_Tilt_Stop_8"), Qt::LeftButton);
    QCOMPARE(r.sent(), QStringLiteral("81 01 06 01 %1 02 02 FF").arg(speeds));
    // the full-speed buttons ignore the boxes
    QTest::mouseClick(r.ownButton("Pan_Tilt_Direct_0"), Qt::LeftButton);
    QCOMPARE(r.sent(), QStringLiteral("81 01 06 01 18 18 01 03 FF"));
}

void TestPanTilt::statusReadFillsTheInformation()
{
    PanTiltRig r({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p3")});
    r.start();
    sim::CameraState& cam = r.chain.camera(1).state;
    cam.pan = 0x0A5;
    cam.tilt = -0x20;
    cam.panTiltStatus = 0x0400;
    cam.panMaxSpeed = 18;
    cam.tiltMaxSpeed = 20;
    r.w().tiltSpeed->setText(QStringLiteral("12"));
    r.takeWrites();

    QVERIFY(r.ptc.ReadPanTiltStatusCore());
    QCOMPARE(r.takeWrites(), (QList<QByteArray>{bytes("81 09 06 12 FF"), bytes("81 09 06 10 FF"),
                                                  bytes("81 09 06 11 FF")}));
    QCOMPARE(r.w().lbPanPos->text(), QStringLiteral("0xA5"));
    QCOMPARE(r.w().lbTiltPos->text(), QStringLiteral("0xFFE0"));
    QCOMPARE(r.w().lbPTS->text(), QStringLiteral("0000010000000000"));
    QCOMPARE(r.w().lbMPS->text(), QStringLiteral(" 18"));
    QCOMPARE(r.w().lbMTS->text(), QStringLiteral(" 20"));
    QCOMPARE(r.w().psUpDown->maximum(), 18);
    QCOMPARE(r.w().tsUpDown->maximum(), 20);
    QCOMPARE(r.w().panSpeed->text(), QStringLiteral(" 18"));   // 24 was above the camera's maximum
    QCOMPARE(r.w().tiltSpeed->text(), QStringLiteral("12"));   // within it: kept

    // the new maxima bound what the speed buttons send
    r.w().tiltSpeed->setText(QStringLiteral("22"));
    QTest::mouseClick(r.ownButton("Pan_Tilt_Stop_5"), Qt::LeftButton);
    QCOMPARE(r.sent(), QStringLiteral("81 01 06 01 12 14 01 01 FF"));
    PanelRig::pump();

    // another camera of the chain: no padding on a zero, the outer status bits
    r.state.cameraAddress = 2;
    r.chain.camera(2).state.tilt = 0x1000;
    r.chain.camera(2).state.panTiltStatus = 0x8001;
    QVERIFY(r.ptc.ReadPanTiltStatusCore());
    QCOMPARE(r.takeWrites().first(), bytes("82 09 06 12 FF"));
    QCOMPARE(r.w().lbPanPos->text(), QStringLiteral("0x0"));
    QCOMPARE(r.w().lbTiltPos->text(), QStringLiteral("0x1000"));
    QCOMPARE(r.w().lbPTS->text(), QStringLiteral("1000000000000001"));
    QCOMPARE(r.w().lbMPS->text(), QStringLiteral(" 24"));
    QCOMPARE(r.w().panSpeed->text(), QStringLiteral(" 18"));   // below the new maximum: kept
}

void TestPanTilt::silentCameraEndsInWarningWithLabelsUntouched()
{
    PanTiltRig r;
    r.start();
    r.chain.camera(1).state.pan = 0x123;
    r.chain.camera(1).state.panMaxSpeed = 20;
    QVERIFY(r.ptc.ReadPanTiltStatusCore());
    r.takeWrites();
    QVERIFY(r.messages.boxes.isEmpty());

    r.chain.camera(1).state.pan = 0x456;
    r.chain.camera(1).state.panMaxSpeed = 10;
    r.chain.faults.silent = {1};
    QVERIFY(!r.ptc.ReadPanTiltStatusCore());

    const QList<QByteArray> writes = r.takeWrites();
    QCOMPARE(writes.size(), PanTiltController::kMaxTries);
    for (const QByteArray& w : writes)
        QCOMPARE(w, bytes("81 09 06 12 FF"));
    QCOMPARE(r.messages.boxes.size(), 1);
    QCOMPARE(r.w().lbPanPos->text(), QStringLiteral("0x123"));
    QCOMPARE(r.w().lbMPS->text(), QStringLiteral(" 20"));
    QCOMPARE(r.w().psUpDown->maximum(), 20);
}

QTEST_MAIN(TestPanTilt)
#include "test_pan_tilt.moc"
