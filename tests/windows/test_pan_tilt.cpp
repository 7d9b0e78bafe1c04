#include "frm_pan_tilt.h"
#include "pan_tilt_controller.h"
#include "rigs.h"
#include "speed_box.h"
#include "twips.h"
#include "traffic_text.h"
#include "window_rig.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

// The four status block inquiries of a camera.
QStringList blockInquiries(int address)
{
    QStringList out;
    for (int block = 0; block < 4; ++block)
        out << QStringLiteral("8%1 09 7E 7E 0%2 FF").arg(address).arg(block);
    return out;
}

// The assembled panel as start-up leaves it, with its pan-tilt window.
struct PanTiltRig : WindowRig {
    explicit PanTiltRig(const QStringList& names = {QStringLiteral("quorin-p3")})
        : WindowRig(names), ptc(app->panTilt()), flags(app->panTiltFlags)
    {
    }
    PanTiltController& ptc;
    PanTiltFlags& flags;

    FrmPanTilt& w() { return *ptc.window(); }
    QPushButton* mainButton(const char* name) { return main->control<QPushButton>(QString::fromLatin1(name)); }
    QPushButton* ownButton(const char* name) { return w().findChild<QPushButton*>(QString::fromLatin1(name)); }
    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    // Shows the main window where start-up would and lays the pan-tilt window
    // out. The offscreen screen is 800 x 600: room below the main window for
    // the docked one, which is nearly as wide as the screen.
    void start()
    {
        main->resize(480, 240);
        main->move(0, 30);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        ptc.DspPTW();
    }

    QPoint ptPos() { return w().frameGeometry().topLeft(); }
    QPoint belowMain() { return main->frameGeometry().bottomLeft() + QPoint(0, 1); }

    QString sentJoined() { return sent().join(QLatin1Char(' ')); }

    // "PTWSizeM/PTWSizeS PTWDockingM/PTWDockingS PTWCloseM"
    QString captions()
    {
        return QStringLiteral("%1/%2 %3/%4 %5")
            .arg(mainButton("PTWSizeM")->text(), ownButton("PTWSizeS")->text(), mainButton("PTWDockingM")->text(),
                 ownButton("PTWDockingS")->text(), mainButton("PTWCloseM")->text());
    }
};

} // namespace

class TestPanTilt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        quietPlatform();
    }
    void cleanupTestCase() { loudPlatform(); }

    void designedContent()
    {
        AppRig r;   // as designed: no camera identified yet
        FrmPanTilt& w = *r.app->panTilt().window();
        QCOMPARE(w.objectName(), QStringLiteral("FrmPanTilt"));
        QVERIFY(w.isWindow() && w.parentWidget() == r.main);
        QStringList titles;
        for (const char* name : {"FmInfo", "FmMaxSpeed", "FmPanSpeed", "FmPanTilt"}) {
            auto* frame = w.findChild<QGroupBox*>(QString::fromLatin1(name));
            titles << (frame ? frame->title() : QStringLiteral("no ") + QLatin1String(name));
        }
        QCOMPARE(titles, QStringList({"Information", "Max Speed", "Pan Speed", "Pan/Tilt"}));
        QCOMPARE(w.fmMaxSpeed->parentWidget(), w.fmInfo);  // hidden with the information frame
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LbMount"))->text(), QStringLiteral("Desktop Mount"));

        QCOMPARE(w.findChild<SpeedText*>(QStringLiteral("PanSpeed"))->text(), QStringLiteral("24"));
        QCOMPARE(w.findChild<SpeedText*>(QStringLiteral("TiltSpeed"))->text(), QStringLiteral("23"));
        auto* ps = w.findChild<UpDown*>(QStringLiteral("PSUpDown"));
        auto* ts = w.findChild<UpDown*>(QStringLiteral("TSUpDown"));
        QCOMPARE(std::tuple(ps->minimum(), ps->maximum(), ps->buddy()), std::tuple(1, 24, w.panSpeed));
        QCOMPARE(std::tuple(ts->minimum(), ts->maximum(), ts->buddy()), std::tuple(1, 23, w.tiltSpeed));

        // A pan/tilt camera identified: its mounting is not known until a
        // status read tells it.
        r.identify();
        QCOMPARE(w.lbMount->text(), QString());
        r.chain.camera(1).state.ceilingMount = true;
        QVERIFY(readStatus(r));
        QCOMPARE(w.lbMount->text(), QStringLiteral("Ceiling Mount"));
    }

    void defaultsThenSizeButtons()
    {
        PanTiltRig r;
        r.ptc.DspPTW();  // nothing shows while the main window is still hidden
        QVERIFY(r.w().isHidden());

        // nothing stored: large and docked, the main window keeps the focus
        r.start();
        QVERIFY(r.w().isVisible() && QApplication::activeWindow() != &r.w());
        QCOMPARE(r.captions(), QStringLiteral("Small/Small Release/Release CLOSE"));
        QVERIFY(!r.w().fmInfo->isHidden());
        QCOMPARE(r.w().frameGeometry().width(), twips::toPixels(FrmPanTilt::kLargeWidth));
        QCOMPARE(r.ptPos(), r.belowMain());
        const int height = r.w().frameGeometry().height();

        r.click(r.ownButton("PTWSizeS"));
        QVERIFY(!r.flags.large && r.w().fmInfo->isHidden());
        QCOMPARE(r.captions(), QStringLiteral("Large/Large Release/Release CLOSE"));
        QCOMPARE(r.w().frameGeometry().size(), QSize(twips::toPixels(FrmPanTilt::kSmallWidth), height));
        QCOMPARE(r.ptPos(), r.belowMain());

        r.click(r.mainButton("PTWSizeM"));
        QVERIFY(r.flags.large && !r.w().fmInfo->isHidden());
        QCOMPARE(r.w().frameGeometry().size(), QSize(twips::toPixels(FrmPanTilt::kLargeWidth), height));
    }

    // Released, the window stays where it was; dragged, it stays there
    // through later layouts; docked again, it goes back below the main window.
    void releaseLeavesTheWindowWhereItIs()
    {
        PanTiltRig r;
        r.start();
        const QPoint docked = r.ptPos();
        QCOMPARE(docked, r.belowMain());
        r.click(r.mainButton("PTWDockingM"));
        QVERIFY(!r.flags.docked && r.flags.placed);
        QCOMPARE(r.captions(), QStringLiteral("Small/Small Docking/Docking CLOSE"));
        QCOMPARE(r.ptPos(), docked);

        // dragged away, it stays put through later layouts and timer ticks
        const QPoint dragged(5, 200);
        r.w().move(dragged);
        r.click(r.ownButton("PTWSizeS"));
        r.main->move(0, 60);
        r.ptc.check_DspPTW();
        QCOMPARE(r.ptPos(), dragged);

        r.click(r.ownButton("PTWDockingS"));
        QVERIFY(r.flags.docked);
        QCOMPARE(r.captions(), QStringLiteral("Large/Large Release/Release CLOSE"));
        QCOMPARE(r.ptPos(), r.belowMain());

        // released again: still where it was docked
        r.click(r.ownButton("PTWDockingS"));
        QCOMPARE(r.ptPos(), r.belowMain());

        // released while closed, it is placed where a docked one would be,
        // not left where it was last hidden
        r.click(r.mainButton("PTWDockingM"));
        r.click(r.mainButton("PTWCloseM"));
        r.w().move(300, 500);
        r.click(r.mainButton("PTWDockingM"));
        QVERIFY(!r.flags.docked && !r.flags.shown);
        r.click(r.mainButton("PTWCloseM"));
        QCOMPARE(r.ptPos(), r.belowMain());
    }

    // Grown near the edge of the screen, a released window comes back on it.
    void releasedWindowKeptOnTheScreen()
    {
        PanTiltRig r;
        r.start();
        r.click(r.ownButton("PTWSizeS"));
        r.click(r.ownButton("PTWDockingS"));
        const QRect screen = r.main->screen()->availableGeometry();
        r.w().move(screen.right() + 1 - r.w().frameGeometry().width(), 300);
        r.click(r.ownButton("PTWSizeS"));   // large: wider than the room left
        QVERIFY(r.flags.large);
        QVERIFY(screen.contains(r.w().frameGeometry()));
        QCOMPARE(r.w().frameGeometry().right(), screen.right());
        QCOMPARE(r.ptPos().y(), 300);
    }

    // Where the docked window goes: below the main window where it fits,
    // else beside it with the bottom edges level, on the roomier side when
    // neither fits, always inside the screen.
    void dockedPositions_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("expected");
        const QRect area(0, 0, 1366, 768);
        const QSize large(791, 263);
        QTest::newRow("room below") << QRect(0, 0, 795, 500) << large << QPoint(0, 500);
        QTest::newRow("below, ends exactly at the foot") << QRect(0, 0, 795, 505) << large << QPoint(0, 505);
        QTest::newRow("below, shifted in from the right") << QRect(700, 0, 600, 400) << large << QPoint(575, 400);
        QTest::newRow("right side") << QRect(0, 0, 500, 600) << large << QPoint(500, 337);
        QTest::newRow("left side") << QRect(866, 0, 500, 600) << large << QPoint(75, 337);
        QTest::newRow("neither side: right is roomier") << QRect(0, 0, 795, 575) << large << QPoint(575, 312);
        QTest::newRow("neither side: left is roomier") << QRect(571, 0, 795, 575) << large << QPoint(0, 312);
        QTest::newRow("main window taller than the window") << QRect(0, 0, 795, 768) << large << QPoint(575, 505);
        QTest::newRow("main window above the screen") << QRect(0, -700, 795, 800) << large << QPoint(0, 100);
        QTest::newRow("main window below the screen") << QRect(0, 700, 500, 300) << large << QPoint(500, 505);
    }
    void dockedPositions()
    {
        QFETCH(QRect, main);
        QFETCH(QSize, window);
        QFETCH(QPoint, expected);
        const QRect area(0, 0, 1366, 768);
        const QPoint at = pantilt::dockedPosition(main, window, area);
        QCOMPARE(at, expected);
        QVERIFY(area.contains(QRect(at, window)));
    }

    void timerKeepsDockedWindowAttached()
    {
        PanTiltRig r;
        r.start();
        r.main->timer2->setInterval(5);
        r.main->timer2->start();
        r.main->move(6, 70);
        QTRY_COMPARE_WITH_TIMEOUT(r.ptPos(), r.belowMain(), 2000);
        r.w().move(400, 10);  // a docked window dragged away is pulled back
        QTRY_COMPARE_WITH_TIMEOUT(r.ptPos(), r.belowMain(), 2000);
        r.main->timer2->stop();

        // a closed window is left alone; opening it docks it again
        r.click(r.mainButton("PTWCloseM"));
        const QPoint before = r.ptPos();
        r.main->move(2, 15);
        r.ptc.check_DspPTW();
        QCOMPARE(r.ptPos(), before);
        r.click(r.mainButton("PTWCloseM"));
        QCOMPARE(r.ptPos(), r.belowMain());
    }

    void closeButtonsAndTheWindowsOwnClose()
    {
        PanTiltRig r;
        r.start();
        auto closed = [&r] {
            return !r.flags.shown && r.w().isHidden() && r.mainButton("PTWCloseM")->text() == QLatin1String("OPEN");
        };
        r.click(r.mainButton("PTWCloseM"));
        QVERIFY(closed());
        r.ownButton("PTWCloseS")->click();  // never opens it
        QVERIFY(closed());
        r.click(r.mainButton("PTWCloseM"));
        QVERIFY(r.flags.shown && r.w().isVisible() && r.mainButton("PTWCloseM")->text() == QLatin1String("CLOSE"));
        r.click(r.ownButton("PTWCloseS"));
        QVERIFY(closed());

        // the window system's close control counts as CLOSE
        r.click(r.mainButton("PTWCloseM"));
        QVERIFY(r.w().close());
        QVERIFY(closed());

        // ... and while the main window unloads, the flag records the open window
        r.click(r.mainButton("PTWCloseM"));
        r.flags.mainClosing = true;
        QVERIFY(r.w().close());
        QVERIFY(r.flags.shown && r.w().isHidden());
    }

    void blockCameraKeepsWindowClosed()
    {
        PanTiltRig r({QStringLiteral("tamiro-j1a")});
        QVERIFY(!r.session.panTiltFamily());
        r.start();
        QVERIFY(!r.w().isVisible());
        r.ptc.check_DspPTW();
        QVERIFY(!r.w().isVisible());
        QVERIFY(r.flags.shown);  // kept for the next pan/tilt camera
    }

    // Pan speed box at 9 and tilt at 4; the full-speed buttons ignore them.
    void motionPackets()
    {
        PanTiltRig r;
        r.start();
        r.w().panSpeed->setText(QStringLiteral("9"));
        r.w().tiltSpeed->setText(QStringLiteral("4"));
        r.takeWrites();
        const std::array<const char*, 3> rows[] = {  // caption, button, packet between 81 01 06 and FF
            {"Stop", "Stop_0", "01 18 18 03 03"},         {"UP", "Stop_1", "01 09 04 03 01"},
            {"Left", "Stop_2", "01 09 04 01 03"},         {"Right", "Stop_3", "01 09 04 02 03"},
            {"Down", "Stop_4", "01 09 04 03 02"},         {"UP-Left", "Stop_5", "01 09 04 01 01"},
            {"UP-Right", "Stop_6", "01 09 04 02 01"},     {"Down-Left", "Stop_7", "01 09 04 01 02"},
            {"Down-Right", "Stop_8", "01 09 04 02 02"},   {"Left-Direct", "Direct_0", "01 18 18 01 03"},
            {"UP-L-Dir", "Direct_1", "01 18 18 01 01"},   {"Down-L-Dir", "Direct_2", "01 18 18 01 02"},
            {"Right-Direct", "Direct_3", "01 18 18 02 03"}, {"UP-R-Dir", "Direct_4", "01 18 18 02 01"},
            {"Down-R-Dir", "Direct_5", "01 18 18 02 02"}, {"UP-Direct", "Direct_6", "01 18 18 03 01"},
            {"Down-Dir", "Direct_7", "01 18 18 03 02"},   {"Home", "Direct_8", "04"},
            {"Reset", "Direct_9", "05"},
        };
        for (const auto& [caption, button, packet] : rows) {
            QPushButton* b = r.ownButton(qPrintable(QStringLiteral("Pan_Tilt_") + QLatin1String(button)));
            QCOMPARE(b->text(), QString::fromLatin1(caption));
            r.click(b);
            r.settle();   // the line has carried the packet before
            QCOMPARE(r.sentJoined(), QStringLiteral("81 01 06 %1 FF").arg(QLatin1String(packet)));
        }
        // the camera accepts every one: acknowledge and completion, no error
        QCOMPARE(r.main->recvText->text().count(QStringLiteral("90 51 FF")), int(std::size(rows)));
        QVERIFY(!r.main->recvText->text().contains(QStringLiteral("90 60")));
    }

    // Whatever is in the boxes, each speed stays within its byte.
    void speedsKeptWithinOneByte()
    {
        PanTiltRig r;
        r.start();
        r.takeWrites();
        const std::array<const char*, 3> rows[] = {  // pan box, tilt box, speeds sent
            {"5", "23", "05 17"}, {"0", "0", "01 01"}, {"abc", "", "01 01"}, {"300", "99", "18 17"},
        };
        for (const auto& [pan, tilt, speeds] : rows) {
            r.w().panSpeed->setText(QString::fromLatin1(pan));
            r.w().tiltSpeed->setText(QString::fromLatin1(tilt));
            r.click(r.ownButton("Pan_Tilt_Stop_8"));
            r.settle();
            QCOMPARE(r.sentJoined(), QStringLiteral("81 01 06 01 %1 02 02 FF").arg(QLatin1String(speeds)));
        }
    }

    // The head's position, status and maximum speeds come with the status
    // read while the large window shows them.
    void statusReadFillsTheInformation()
    {
        PanTiltRig r({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p3")});
        r.start();
        FrmPanTilt& w = r.w();
        sim::CameraState& cam = r.chain.camera(1).state;
        cam.pan = 0x0A5;
        cam.tilt = -0x20;
        cam.panTiltStatus = 0x0400;
        cam.panMaxSpeed = 18;
        cam.tiltMaxSpeed = 20;
        w.tiltSpeed->setText(QStringLiteral("12"));
        r.takeWrites();

        QVERIFY(readStatus(r));
        const QStringList read = r.sent();
        QCOMPARE(read.mid(read.size() - 3), QStringList({"81 09 06 12 FF", "81 09 06 10 FF", "81 09 06 11 FF"}));
        // The first read after start-up identifies the camera before its blocks.
        QCOMPARE(read.mid(0, read.size() - 3), QStringList{"81 09 00 02 FF"} + blockInquiries(1));
        auto labels = [&w] {
            return QStringList({w.lbPanPos->text(), w.lbTiltPos->text(), w.lbPTS->text(), w.lbMPS->text(),
                                w.lbMTS->text()});
        };
        QCOMPARE(labels(), QStringList({"0xA5", "0xFFE0", "0000010000000000", " 18", " 20"}));
        QCOMPARE(std::pair(w.psUpDown->maximum(), w.tsUpDown->maximum()), std::pair(18, 20));
        QCOMPARE(w.panSpeed->text(), QStringLiteral(" 18"));  // 24 was above the camera's maximum
        QCOMPARE(w.tiltSpeed->text(), QStringLiteral("12"));  // within it: kept

        // the new maxima bound what the speed buttons send
        w.tiltSpeed->setText(QStringLiteral("22"));
        r.click(r.ownButton("Pan_Tilt_Stop_5"));
        QCOMPARE(r.sentJoined(), QStringLiteral("81 01 06 01 12 14 01 01 FF"));
        PanelRig::pump();

        // another camera of the chain: no padding on a zero, the outer status bits
        r.session.setAddress(2);
        r.chain.camera(2).state.tilt = 0x1000;
        r.chain.camera(2).state.panTiltStatus = 0x8001;
        QVERIFY(readStatus(r));
        QCOMPARE(r.sent(), blockInquiries(2) + QStringList({"82 09 06 12 FF", "82 09 06 10 FF", "82 09 06 11 FF"}));
        QCOMPARE(labels().mid(0, 4), QStringList({"0x0", "0x1000", "1000000000000001", " 24"}));
        QCOMPARE(w.panSpeed->text(), QStringLiteral(" 18"));  // below the new maximum: kept

        // the pad speaks to the addressed camera
        w.panSpeed->setText(QStringLiteral("5"));
        r.click(r.ownButton("Pan_Tilt_Stop_3"));
        QCOMPARE(r.sentJoined(), QStringLiteral("82 01 06 01 05 16 02 03 FF"));
    }

    // Only the large window shows the head's status: small or closed, the
    // status read leaves the head alone.
    void headReadOnlyForTheLargeWindow()
    {
        PanTiltRig r;
        r.start();
        QVERIFY(readStatus(r));
        QCOMPARE(r.sent().size(), 1 + 4 + 3);
        const QStringList blocksOnly = blockInquiries(1);
        r.click(r.ownButton("PTWSizeS"));
        QVERIFY(readStatus(r));
        QCOMPARE(r.sent(), blocksOnly);
        r.click(r.mainButton("PTWSizeM"));
        r.click(r.mainButton("PTWCloseM"));
        QVERIFY(readStatus(r));
        QCOMPARE(r.sent(), blocksOnly);
        r.click(r.mainButton("PTWCloseM"));
        QVERIFY(readStatus(r));
        QCOMPARE(r.sent(), blocksOnly + QStringList({"81 09 06 12 FF", "81 09 06 10 FF", "81 09 06 11 FF"}));
    }

    void silentCameraEndsInWarningWithLabelsUntouched()
    {
        PanTiltRig r;
        r.start();
        sim::CameraState& cam = r.chain.camera(1).state;
        cam.pan = 0x123;
        cam.panMaxSpeed = 20;
        QVERIFY(readStatus(r));
        r.takeWrites();
        QVERIFY(r.messages.boxes.isEmpty());

        // The camera answers the status blocks, then falls silent.
        cam.pan = 0x456;
        cam.panMaxSpeed = 10;
        QObject::connect(&r.link(), &Link::wrote, &r.link(), [&r](const QByteArray& bytes) {
            if (bytes == test::bytes("81 09 06 12 FF"))
                r.chain.faults.silent = {1};
        });
        QVERIFY(readStatus(r));
        QCOMPARE(r.sent(), blockInquiries(1) + QStringList(7, QStringLiteral("81 09 06 12 FF")));  // seven tries, then give up
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.w().lbPanPos->text(), QStringLiteral("0x123"));
        QCOMPARE(r.w().lbMPS->text(), QStringLiteral(" 20"));
        QCOMPARE(r.w().psUpDown->maximum(), 20);
    }
};

QTEST_MAIN(TestPanTilt)
#include "test_pan_tilt.moc"
