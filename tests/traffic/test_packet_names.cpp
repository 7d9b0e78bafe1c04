// The panel's packets by name: every packet built by the main window's
// tables, the chain and status packets and the windows' builders reads back
// as the control, item or inquiry that sends it.
#include "ae_spot_packets.h"
#include "alarm_packets.h"
#include "camera_packets.h"
#include "chain_packets.h"
#include "packet.h"
#include "frm_pan_tilt.h"   // the controller's header needs the window whole
#include "pan_tilt_controller.h"
#include "packet_names.h"
#include "panel_switches.h"
#include "power_off_packets.h"
#include "privacy_packets.h"
#include "setting_packets.h"
#include "value_table.h"

#include <QtTest>

using namespace peltro;

namespace {

QString nameOf(const Packet& packet)
{
    if (!packet.isValid())
        qFatal("a test packet that cannot be built");
    return panelPacketNames().name(packet.bytes()).value_or(QStringLiteral("(none)"));
}

const HoldDef& hold(const char* name)
{
    for (const HoldDef& def : holdDefs()) {
        if (QLatin1String(def.name) == QLatin1String(name))
            return def;
    }
    qFatal("no hold %s", name);
}

} // namespace

class TestPacketNames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void byName_data()
    {
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QString>("name");
        auto row = [](const char* tag, const Packet& packet, const char* name) {
            if (!packet.isValid())
                qFatal("a test packet that cannot be built: %s", tag);
            QTest::newRow(tag) << packet.bytes() << QString::fromLatin1(name);
        };
        // Lens
        row("zoom slider", sliderPacket(2, sliderDef(QStringLiteral("ZoomSlider")), 0x2A0F), "ZoomSlider 0x2A0F");
        row("tele end", teleEndPacket(1, true), "ZoomSlider 0x8BE0");
        row("zoom tele", holdMovePacket(1, hold("ZoomTele"), QStringLiteral("5"), 0), "ZoomTele speed 5");
        row("zoom wide", holdMovePacket(3, hold("ZoomWide"), QStringLiteral("0"), 0), "ZoomWide speed 0");
        row("zoom stop", holdStopPacket(1, hold("ZoomTele")), "ZoomTele/ZoomWide stop");
        row("focus far", holdMovePacket(1, hold("Far"), QStringLiteral("7"), 0), "Far speed 7");
        row("focus far, one speed", holdMovePacket(1, hold("Far"), QStringLiteral("7"), kSingleSpeedFocusModel), "Far");
        row("focus stop", holdStopPacket(1, hold("Near")), "Far/Near stop");
        row("focus slider", sliderPacket(1, sliderDef(QStringLiteral("FocusSlider")), 0x1000), "FocusSlider 0x1000");
        row("auto focus", panelPacket(1, PanelCommand::AutoFocus), "AFModeCmd_0 (auto focus)");
        row("digital zoom on", panelPacket(1, PanelCommand::DZoomOn), "DZoom on");
        row("lens init", panelPacket(1, PanelCommand::LensInit), "Lensinit");
        row("af times", afTimesPacket(1, QStringLiteral("12"), QStringLiteral("34")), "ACTAFmodeset 01 02 03 04");
        // Exposure and white balance
        row("ae mode", cameraCommand(1, {0x39, AEShutterPriority}), "ShutterPriority");
        row("iris slider", sliderPacket(1, sliderDef(QStringLiteral("IrisSlider")), 0x0B), "IrisSlider 0xB");
        row("r gain slider", sliderPacket(1, sliderDef(QStringLiteral("RGainSlider")), 0xC8), "RGainSlider 0xC8");
        row("gain up", cameraCommand(1, {0x0C, 0x02}), "GainUp");
        row("both gains reset", cameraCommand(1, {0x04, 0x00}), "RBReset");
        row("back light", cameraCommand(1, {0x33, 0x02}), "BackLight on");
        row("wb mode", cameraCommand(1, {0x35, 0x05}), "ManualWB");
        row("one push", panelPacket(1, PanelCommand::WBTrigger), "WBTrigger");
        // Picture, display, memories
        row("flip", cameraCommand(1, {0x66, 0x03}), "PictureFlip off");
        row("effect", cameraCommand(1, {0x63, 3}), "Sepia");
        row("key lock off", cameraCommand(1, {0x17, 0x00}), "KeyLock off");
        row("stabilizer", cameraCommand(1, {0x34, 0x02}), "Comstabi 02");
        row("data screen over alarm display", alarm::displayPacket(1, true), "DataScreen on");
        row("preset recall", memoryPacket(1, MemoryOp::Recall, 3), "PresetRecall/RecallOption 3");
        row("custom memory", memoryPacket(1, MemoryOp::Set, kCustomMemory), "PresetSet/SetOption (CustomMem_0)");
        // Chain and status
        row("power on", chain::power(1, true), "Power on");
        row("power off", chain::power(4, false), "Power off");
        row("interface clear", chain::interfaceClear(0x82), "IFClear");
        row("interface clear broadcast", chain::interfaceClear(chain::kBroadcast), "IFClearB");
        row("address set", chain::addressSet(), "AddressSet");
        row("version", chain::versionInquiry(1), "Version inquiry");
        row("lens block", chain::blockInquiry(1, chain::Block::Lens), "Lens block inquiry");
        row("expanded block", chain::blockInquiry(1, chain::Block::Expanded), "Expanded block inquiry");
        // Pan-tilt and the windows
        row("drive", pantilt::drivePacket(1, 0x18, 0x14, pantilt::directDrive(1)), "Pan-tilt left up, speeds 18 14");
        row("drive stop", pantilt::drivePacket(1, 0x18, 0x18, pantilt::stopDrive(0)), "Pan-tilt stop, speeds 18 18");
        row("drive of no direction", Packet{0x81, 0x01, 0x06, 0x01, 0x18, 0x18, 0x07, 0x03, 0xFF}, "Command 01 06 01");
        row("home", pantilt::homePacket(1), "Pan-tilt home");
        row("position inquiry", pantilt::positionInquiry(1), "Pan-tilt position inquiry");
        row("alarm mode", alarm::modePacket(1, 12), "Alarm mode 0xC");
        row("alarm level inquiry", alarm::levelInquiry(1), "Alarm level inquiry");
        row("auto power off", poweroff::setPacket(1, poweroff::Timer::Auto, 90), "AutoPowerOff 0x5A");
        row("spot position", aespot::positionPacket(1, 3, 0xF), "AESpotSet 00 03 00 0F");
        row("camera id", cameraIdPacket(1, 0xBEEF), "IDWrite 0xBEEF");
        row("zones on", privacy::zoneSwitchPacket(1, privacy::ZoneSwitch::On), "Privacy zones on");
        row("setting read", settingReadPacket(1, 0xCFC), "Setting memory read 0C 0F 0C");
    }
    void byName()
    {
        QFETCH(QByteArray, packet);
        QFETCH(QString, name);
        // Names for unnamed packets are the decoder's; ask it as the view does.
        traffic::Decoder decoder(&panelPacketNames());
        QCOMPARE(decoder.decode(traffic::Direction::Sent, packet).what, name);
    }

    // Every control of the main window's tables has a name of its own for
    // what it sends: none is shadowed by another table's entry.
    void everyTableEntryIsNamed()
    {
        for (const SliderDef& def : sliderDefs()) {
            if (QLatin1String(def.name) == QLatin1String("ZoomSliderShort"))
                continue;   // the same packet as ZoomSlider
            QCOMPARE(nameOf(sliderPacket(1, def, def.min)).section(QLatin1Char(' '), 0, 0), QString::fromLatin1(def.name));
        }
        for (const StepDef& def : stepDefs())
            QCOMPARE(nameOf(cameraCommand(1, {def.bodies[0][0], def.bodies[0][1]})), QString::fromLatin1(def.name));
        for (const HoldDef& def : holdDefs())
            QVERIFY(nameOf(holdMovePacket(1, def, QStringLiteral("1"), 0)).startsWith(QLatin1String(def.name)));
        for (const AEModeRow& row : aeModeRows())
            QCOMPARE(nameOf(cameraCommand(1, {0x39, row.code})), QString::fromLatin1(row.item));
        for (const WBModeRow& row : wbModeRows())
            QCOMPARE(nameOf(cameraCommand(1, {0x35, row.code})), QString::fromLatin1(row.item));
        for (const PanelCommandRow& row : panelCommandRows())
            QCOMPARE(nameOf(panelPacket(1, row.which)), QString::fromLatin1(row.name));
        for (const OnOffItem& item : onOffItems())
            QCOMPARE(nameOf(cameraCommand(1, {item.command, item.onByte})), QString::fromLatin1(item.item) + QStringLiteral(" on"));
        for (const ChoiceGroup& group : choiceGroups()) {
            for (int i = 0; i < group.items.size(); ++i)
                QCOMPARE(nameOf(cameraCommand(1, {group.command, i})), QString::fromLatin1(group.items[i]));
        }
        for (const FixedCommand& c : fixedCommands())
            QCOMPARE(nameOf(cameraCommand(1, {c.command, c.param})), QString::fromLatin1(c.name));
    }
};

QTEST_GUILESS_MAIN(TestPacketNames)
#include "test_packet_names.moc"
