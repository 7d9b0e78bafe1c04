// The value groups of the main window driven as an operator would: sliders by
// keyboard and mouse, step buttons, hold buttons with their speed boxes.
#include "camera_controls.h"
#include "camera_packets.h"
#include "camera_test_helpers.h"
#include "catalogue.h"
#include "hold_button.h"
#include "tick_action.h"
#include "value_slider.h"

#include <QLineEdit>
#include <QPushButton>

using namespace peltro;
using namespace peltro::test;

namespace {

// A panel with the window shown, so that mouse events land, and the near
// limit out of the focus slider's way.
struct ShownPanel : PanelRig {
    explicit ShownPanel(const QStringList& names = {QStringLiteral("quorin-p3")}) : PanelRig(names)
    {
        main->show();
        if (!QTest::qWaitForWindowExposed(main))
            qFatal("window not exposed");
        slider("FocusNearLimitSlider")->setValue(0xC000);
        takeWrites();
    }
    ValueSlider* slider(const char* name) { return main->control<ValueSlider>(QString::fromLatin1(name)); }
};

// The simulated camera of a pan/tilt model code.
QString panTiltModelName(int code)
{
    for (const ModelId& m : allModels())
        if (m.family == Family::Quorin && m.modelLow == code)
            return m.shortName;
    return {};
}

} // namespace

class TestValueControls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A keyboard step sends the new position, a program move sends nothing, and
    // a mouse press and release bracket the timer as the slider's kind says.
    void sliderSendsItsPacket_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("from");  // set by the program; a Right key moves it one on
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QString>("kind");
        auto row = [](const char* slider, int address, int from, const char* packet, const char* kind) {
            QTest::newRow(slider) << address << from << packet << kind;
        };
        row("ApertureSlider", 1, 4, "81 01 04 42 00 00 00 05 FF", "plain");
        row("RGainSlider", 1, 0x7F, "81 01 04 43 00 00 08 00 FF", "plain");
        row("BGainSlider", 3, 0xAE, "83 01 04 44 00 00 0A 0F FF", "plain");
        row("ExpCompSlider", 1, 13, "81 01 04 4E 00 00 00 0E FF", "plain");
        row("BrightSlider", 1, 16, "81 01 04 4D 00 00 01 01 FF", "plain");
        row("ShutterSlider", 1, 20, "81 01 04 4A 00 00 01 05 FF", "plain");
        row("GainSlider", 1, 0, "81 01 04 4C 00 00 00 01 FF", "plain");
        row("IrisSlider", 1, 16, "81 01 04 4B 00 00 01 01 FF", "plain");
        row("VPSlider", 1, 0x7F, "81 01 04 45 00 00 08 00 FF", "plain");
        row("ZoomSlider", 1, 0x3FFF, "81 01 04 47 04 00 00 00 FF", "resend");
        row("ZoomSliderShort", 1, 0x1233, "81 01 04 47 01 02 03 04 FF", "resend");
        row("DZoomSlider", 1, 0xEA, "81 01 04 46 00 00 0E 0B FF", "resend");
        row("FocusSlider", 2, 0x7FFF, "82 01 04 48 08 00 00 00 FF", "resend");
        row("FocusNearLimitSlider", 1, 0x8FFF, "81 01 04 28 09 00 00 00 FF", "move");
    }

    void sliderSendsItsPacket()
    {
        QFETCH(int, address);
        QFETCH(int, from);
        QFETCH(QString, packet);
        QFETCH(QString, kind);
        ShownPanel r;
        r.session.setAddress(address);
        ValueSlider* s = r.slider(QTest::currentDataTag());
        if (s->objectName() == QLatin1String("ZoomSlider"))
            showFullZoomSlider(*r.main, true);
        s->setEnabled(true);
        s->setValue(from);
        QVERIFY2(r.takeWrites().isEmpty(), "a program move sent something");

        QTest::keyClick(s, Qt::Key_Right);
        QCOMPARE(hexList(r.takeWrites()), QStringList{packet});

        const bool moveOnly = kind == QLatin1String("move");
        r.main->autoRefreshed->click();  // auto refresh running
        QVERIFY(r.main->timer1->isActive());
        QTest::mousePress(s, Qt::LeftButton, {}, s->thumbCentre(from + 1));
        QCOMPARE(r.main->timer1->isActive(), moveOnly);
        QTest::mouseRelease(s, Qt::LeftButton, {}, s->thumbCentre(from + 1));
        QCOMPARE(s->value(), from + 1);
        QCOMPARE(r.main->timer1->isActive(), moveOnly);
        QCOMPARE(hexList(r.takeWrites()), kind == QLatin1String("resend") ? QStringList{packet} : QStringList{});

        // With the auto-refresh item ticked the release starts the timer again
        // (once the completion of a re-sent position has come).
        r.main->tick(QStringLiteral("AutoRefresh"))->setChecked(true);
        r.refresh().commandFinished();
        QTest::mouseClick(s, Qt::LeftButton, {}, s->thumbCentre(from + 1));
        r.refresh().commandFinished();
        QVERIFY(r.main->timer1->isActive());
    }

    // A drag goes through the camera's pacer: a position waits while the one
    // before it has not been acknowledged, and only the latest waits; the
    // last packet always carries the final position.
    void mouseDragSendsTheLatestPosition()
    {
        ShownPanel r;
        ValueSlider* aperture = r.slider("ApertureSlider");
        aperture->setValue(3);
        QTest::mousePress(aperture, Qt::LeftButton, {}, aperture->thumbCentre(3));
        for (int v = 4; v <= 8; ++v)
            QTest::mouseMove(aperture, aperture->thumbCentre(v));   // faster than the camera answers
        QTest::mouseRelease(aperture, Qt::LeftButton, {}, aperture->thumbCentre(8));
        r.settle();
        QCOMPARE(hexList(r.takeWrites()), commands("42 00 00 00 04|42 00 00 00 08"));

        // A key step right after a drag goes at once and stays the last word:
        // the drag position still waiting is dropped.
        r.clock.advance(0.02);   // the line has carried the last packet
        QTest::mousePress(aperture, Qt::LeftButton, {}, aperture->thumbCentre(8));
        QTest::mouseMove(aperture, aperture->thumbCentre(6));
        QTest::mouseMove(aperture, aperture->thumbCentre(5));
        QTest::mouseRelease(aperture, Qt::LeftButton, {}, aperture->thumbCentre(5));
        QTest::keyClick(aperture, Qt::Key_Left);
        r.settle();
        QCOMPARE(hexList(r.takeWrites()), commands("42 00 00 00 06|42 00 00 00 04"));

        // Moves the camera has answered in between all go out.
        aperture->setValue(3);
        QTest::mousePress(aperture, Qt::LeftButton, {}, aperture->thumbCentre(3));
        QTest::mouseMove(aperture, aperture->thumbCentre(4));
        r.settle();
        QTest::mouseMove(aperture, aperture->thumbCentre(5));
        QTest::mouseRelease(aperture, Qt::LeftButton, {}, aperture->thumbCentre(5));
        r.settle();
        QCOMPARE(hexList(r.takeWrites()), commands("42 00 00 00 04|42 00 00 00 05"));

        // A lens slider: the release repeats the position the drag ended on.
        // (The simulated camera answers at once; the line is free again once
        // it has carried the last packet.)
        r.clock.advance(0.02);
        ValueSlider* focus = r.slider("FocusSlider");
        focus->setEnabled(true);
        focus->setValue(0x4000);
        QTest::mousePress(focus, Qt::LeftButton, {}, focus->thumbCentre(0x4000));
        QTest::mouseMove(focus, focus->thumbCentre(0x6000));
        r.settle();
        r.clock.advance(0.02);
        QTest::mouseMove(focus, focus->thumbCentre(0x8000));
        r.settle();
        r.clock.advance(0.02);
        QTest::mouseRelease(focus, Qt::LeftButton, {}, focus->thumbCentre(0x8000));
        r.settle();
        const int v = focus->value();
        QVERIFY(v > 0x7000);
        const auto focusAt = [](int v) {
            return QString::asprintf("48 %02X %02X %02X %02X", v >> 12, (v >> 8) & 15, (v >> 4) & 15, v & 15);
        };
        QStringList sent = hexList(r.takeWrites());
        QCOMPARE(sent.size(), 3);
        QCOMPARE(sent.mid(1), commands(focusAt(v) + '|' + focusAt(v)));

        // Released before the camera has taken the drag's last position: the
        // release's packet carries it, once, and is the last on the line.
        r.clock.advance(0.02);
        QTest::mousePress(focus, Qt::LeftButton, {}, focus->thumbCentre(v));
        QTest::mouseMove(focus, focus->thumbCentre(0x6000));
        QTest::mouseMove(focus, focus->thumbCentre(0x5000));
        QTest::mouseRelease(focus, Qt::LeftButton, {}, focus->thumbCentre(0x5000));
        r.settle();
        const int w = focus->value();
        QVERIFY(w < 0x5800);
        sent = hexList(r.takeWrites());
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent.last(), commands(focusAt(w)).first());
    }

    void focusStaysAtOrBelowNearLimit()
    {
        ShownPanel r;
        ValueSlider* focus = r.slider("FocusSlider");
        focus->setEnabled(true);
        r.slider("FocusNearLimitSlider")->setValue(0x9000);

        focus->setValue(0xA000);  // as a status read would: held back, nothing sent
        QCOMPARE(focus->value(), 0x9000);
        QVERIFY(r.takeWrites().isEmpty());

        focus->setValue(0x8000);
        QTest::keyClick(focus, Qt::Key_End);  // the operator's move sends the held-back position
        QCOMPARE(focus->value(), 0x9000);
        QCOMPARE(hexList(r.takeWrites()), commands("48 09 00 00 00"));
    }

    void holdButtonMovesAndStops_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("speed");  // "box=text" for the button's speed box
        QTest::addColumn<int>("panTiltModel");
        QTest::addColumn<int>("mouse");
        QTest::addColumn<QString>("move");
        const int l = Qt::LeftButton;
        QTest::newRow("tele 7") << "ZoomTele" << "TeleSpeed=7" << 0x0E << l << "07 27";
        QTest::newRow("wide 0") << "ZoomWide" << "WideSpeed=0" << 0x0E << l << "07 30";
        const int right = Qt::RightButton;
        QTest::newRow("d-wide, right button") << "DZoomWide" << "DWideSpeed=5" << 0x0E << right << "06 35";
        QTest::newRow("far 2") << "Far" << "FarSpeed=2" << 0x0D << l << "08 22";
        QTest::newRow("near 0") << "Near" << "NearSpeed=0" << 0x0E << l << "08 30";
        QTest::newRow("single-speed near") << "Near" << "NearSpeed=0" << 0x02 << l << "08 03";
        QTest::newRow("single-speed far") << "Far" << "FarSpeed=6" << 0x02 << l << "08 02";
        QTest::newRow("single-speed zoom") << "ZoomTele" << "TeleSpeed=1" << 0x02 << l << "07 21";
        // 0: a block camera, one with the V-phase.
        QTest::newRow("phase up, middle button") << "VPUp" << "" << 0 << int(Qt::MiddleButton) << "05 02";
        QTest::newRow("phase down") << "VPDown" << "" << 0 << l << "05 03";
        // Whatever is in the box, the speed stays within one nibble.
        QTest::newRow("speed 12") << "ZoomWide" << "WideSpeed=12" << 0x0E << l << "07 37";
        QTest::newRow("speed x3") << "DZoomTele" << "DTeleSpeed=x3" << 0x0E << l << "06 20";
    }

    void holdButtonMovesAndStops()
    {
        QFETCH(QString, button);
        QFETCH(QString, speed);
        QFETCH(int, panTiltModel);
        QFETCH(int, mouse);
        QFETCH(QString, move);
        // The speed rule follows the model the session identified.
        ShownPanel r({panTiltModel ? panTiltModelName(panTiltModel) : QStringLiteral("tamiro-k5a")});
        r.identify();
        if (panTiltModel)
            QCOMPARE(int(r.session.panTiltModel()), panTiltModel);
        auto* b = r.main->control<HoldButton>(button);
        b->setEnabled(true);
        if (!speed.isEmpty())
            r.main->control<QLineEdit>(speed.section('=', 0, 0))->setText(speed.section('=', 1));
        QTest::mousePress(b, Qt::MouseButton(mouse), {}, b->rect().center());
        QCOMPARE(hexList(r.takeWrites()), commands(move));
        // The movement goes on until the release, wherever the pointer is by then.
        QTest::mouseRelease(b, Qt::MouseButton(mouse), {}, b->rect().bottomRight() + QPoint(40, 40));
        r.settle();   // the stop follows the acknowledge of the move
        QCOMPARE(hexList(r.takeWrites()), commands(move.left(2) + " 00"));
    }

    // A stop the camera leaves unanswered goes again, three more times, and
    // a press and release quicker than the camera still end in one stop.
    void holdStopGoesAgainUntilAcknowledged()
    {
        ShownPanel r;
        auto* tele = r.main->control<HoldButton>(QStringLiteral("ZoomTele"));
        tele->setEnabled(true);
        r.main->control<QLineEdit>(QStringLiteral("TeleSpeed"))->setText(QStringLiteral("3"));
        r.chain.faults.unansweredPackets << QByteArray::fromHex("01040700ff");
        QTest::mousePress(tele, Qt::LeftButton, {}, tele->rect().center());
        QTest::mouseRelease(tele, Qt::LeftButton, {}, tele->rect().center());
        r.settle();
        const QStringList sent = hexList(r.takeWrites());
        QCOMPARE(sent.mid(0, 5), commands("07 23|07 00|07 00|07 00|07 00"));
        QCOMPARE(sent.count(commands("07 00").first()), 4);

        r.chain.faults.unansweredPackets.clear();
        QTest::mousePress(tele, Qt::LeftButton, {}, tele->rect().center());
        QTest::mouseRelease(tele, Qt::LeftButton, {}, tele->rect().center());
        QTest::mousePress(tele, Qt::LeftButton, {}, tele->rect().center());
        QTest::mouseRelease(tele, Qt::LeftButton, {}, tele->rect().center());
        r.settle();
        QCOMPARE(hexList(r.takeWrites()), commands("07 23|07 00"));
    }

    void keyboardDoesNotDriveHoldButtons()
    {
        ShownPanel r;
        for (const HoldDef& def : holdDefs()) {
            auto* b = r.main->control<HoldButton>(QString::fromLatin1(def.name));
            b->setEnabled(true);
            QTest::keyClick(b, Qt::Key_Space);
            b->click();
            QVERIFY2(r.takeWrites().isEmpty(), def.name);
        }
    }

    // One write per packet, back to back.
    void stepButtonSendsFixedPackets()
    {
        ShownPanel r;
        const std::pair<const char*, const char*> steps[] = {
            {"ApertureUp", "02 02"}, {"ApertureDown", "02 03"}, {"ApertureReset", "02 00"}, {"RGainUp", "03 02"},
            {"RGainDown", "03 03"},  {"BGainUp", "04 02"},      {"BGainDown", "04 03"},     {"RBReset", "03 00|04 00"},
            {"ExpCompUp", "0E 02"},  {"ExpCompDown", "0E 03"},  {"BrightUp", "0D 02"},      {"BrightDown", "0D 03"},
            {"ShutterFast", "0A 02"}, {"ShutterSlow", "0A 03"}, {"GainUp", "0C 02"},        {"GainDown", "0C 03"},
            {"IrisOpen", "0B 02"},   {"IrisClose", "0B 03"},    {"VPreset", "05 40"}};
        for (const auto& [name, sent] : steps) {
            auto* b = r.main->control<QPushButton>(QString::fromLatin1(name));
            b->setEnabled(true);
            QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(hexList(r.takeWrites()), commands(QString::fromLatin1(sent)));
        }
    }

    void shutterSlowerStepsLocally_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("videoSystem");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");  // -1: slider and value box stay
        QTest::newRow("K3A at 8") << "TAMIRO-K3A" << 0 << 8 << 7;
        QTest::newRow("K3A at 7") << "TAMIRO-K3A" << 0 << 7 << -1;
        QTest::newRow("K3AP, 50 fields") << "TAMIRO-K3AP" << 1 << 15 << 14;
        QTest::newRow("J3A, lower case") << "tamiro-j3a" << 0 << 21 << 20;
        QTest::newRow("other model") << "TAMIRO-J1A" << 0 << 12 << -1;
    }

    void shutterSlowerStepsLocally()
    {
        QFETCH(QString, model);
        QFETCH(int, videoSystem);
        QFETCH(int, from);
        QFETCH(int, to);
        ShownPanel r({QStringLiteral("tamiro-k3a")});
        FrmMain& m = *r.main;
        fillStartupLabels(m.labels);
        m.modelVersion->setText(model);
        m.videoSystem = videoSystem;
        ValueSlider* slider = r.slider("ShutterSlider");
        auto* value = m.control<QLineEdit>(QStringLiteral("ShutterValue"));
        slider->setValue(from);
        value->setText(QStringLiteral("before"));
        m.control<QPushButton>(QStringLiteral("ShutterSlow"))->setEnabled(true);

        operate(m, QStringLiteral("ShutterSlow"));
        QCOMPARE(hexList(r.takeWrites()), commands("0A 03"));
        QCOMPARE(slider->value(), to < 0 ? from : to);
        if (to >= 0 && videoSystem == 1)  // the row must come from the system's own column
            QVERIFY(m.labels.shutter[0].at(to) != m.labels.shutter[1].at(to));
        QCOMPARE(value->text(), to < 0 ? QStringLiteral("before") : m.labels.shutter[videoSystem].at(to));
    }
};

QTEST_MAIN(TestValueControls)
#include "test_value_controls.moc"
