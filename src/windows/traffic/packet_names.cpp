#include "packet_names.h"

#include "ae_spot_packets.h"
#include "alarm_packets.h"
#include "camera_packets.h"
#include "chain_packets.h"
#include "frm_pan_tilt.h"   // the controller's header needs the window whole
#include "pan_tilt_controller.h"
#include "panel_switches.h"
#include "power_off_packets.h"
#include "privacy_packets.h"
#include "service_info.h"
#include "setting_packets.h"
#include "title_codes.h"
#include "value_table.h"

#include <QMap>

namespace peltro {

namespace {

using traffic::PacketNames;
using Rest = PacketNames::Rest;

// Any camera address builds the same body; the names never look at it.
constexpr int kAny = 1;

QString latin(const char* text)
{
    return QString::fromLatin1(text);
}

QString hexByte(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

void addChain(PacketNames& names)
{
    names.add(chain::interfaceClear(0x80 + kAny), QStringLiteral("IFClear"));
    names.add(chain::interfaceClear(chain::kBroadcast), QStringLiteral("IFClearB"));
    names.add(chain::addressSet(), QStringLiteral("AddressSet"));
    names.add(chain::power(kAny, true), QStringLiteral("Power on"));
    names.add(chain::power(kAny, false), QStringLiteral("Power off"));
    names.add(chain::versionInquiry(kAny), QStringLiteral("Version inquiry"));
    const char* blocks[chain::kBlockCount] = {"Lens", "Camera", "Other", "Expanded"};
    for (int b = 0; b < chain::kBlockCount; ++b)
        names.add(chain::blockInquiry(kAny, chain::Block(b)), latin(blocks[b]) + QStringLiteral(" block inquiry"));
}

void addValueGroups(PacketNames& names)
{
    for (const SliderDef& def : sliderDefs())
        names.add(sliderPacket(kAny, def, 0), latin(def.name), Rest::Value, 3);
    for (const StepDef& def : stepDefs()) {
        for (int i = 0; i < def.count; ++i)
            names.add(cameraCommand(kAny, {def.bodies[i][0], def.bodies[i][1]}), latin(def.name));
    }
    QMap<int, QStringList> stops;   // the holds of one drive share its stop
    for (const HoldDef& def : holdDefs()) {
        if (def.speedBox) {
            for (int speed = 0; speed <= 7; ++speed) {
                names.add(holdMovePacket(kAny, def, QString::number(speed), 0),
                          QStringLiteral("%1 speed %2").arg(latin(def.name)).arg(speed));
            }
        } else {
            names.add(holdMovePacket(kAny, def, QString(), 0), latin(def.name));
        }
        if (def.singleSpeedParam >= 0)
            names.add(holdMovePacket(kAny, def, QString(), kSingleSpeedFocusModel), latin(def.name));
        stops[def.command] << latin(def.name);
    }
    for (const HoldDef& def : holdDefs())
        names.add(holdStopPacket(kAny, def), stops.value(def.command).join(QLatin1Char('/')) + QStringLiteral(" stop"));
}

void addModesAndSwitches(PacketNames& names)
{
    for (const PanelCommandRow& row : panelCommandRows())
        names.add(panelPacket(kAny, row.which), latin(row.name));
    names.add(afTimesPacket(kAny, QString(), QString()), QStringLiteral("ACTAFmodeset"), Rest::Bytes, 3);
    for (const ExposureSwitch& sw : exposureSwitches()) {
        names.add(cameraCommand(kAny, {sw.command, 0x02}), latin(sw.name) + QStringLiteral(" on"));
        names.add(cameraCommand(kAny, {sw.command, 0x03}), latin(sw.name) + QStringLiteral(" off"));
    }
    for (const AEModeRow& row : aeModeRows())
        names.add(cameraCommand(kAny, {0x39, row.code}), latin(row.item));
    for (const WBModeRow& row : wbModeRows())
        names.add(cameraCommand(kAny, {0x35, row.code}), latin(row.item));
    for (const OnOffItem& item : onOffItems()) {
        names.add(cameraCommand(kAny, {item.command, item.onByte}), latin(item.item) + QStringLiteral(" on"));
        names.add(cameraCommand(kAny, {item.command, item.offByte}), latin(item.item) + QStringLiteral(" off"));
    }
    for (const ChoiceGroup& group : choiceGroups()) {
        for (int i = 0; i < group.items.size(); ++i)
            names.add(cameraCommand(kAny, {group.command, i}), latin(group.items[i]));
    }
    for (const CaptionToggle& toggle : captionToggles())
        names.add(cameraCommand(kAny, {toggle.command, 0x00}), latin(toggle.button), Rest::Bytes, 3);
    for (const FixedCommand& c : fixedCommands())
        names.add(cameraCommand(kAny, {c.command, c.param}), latin(c.name));
}

void addMemories(PacketNames& names)
{
    // The preset buttons of the pan/tilt cameras and the memory buttons of
    // the block cameras send the same packets.
    for (MemoryOp op : {MemoryOp::Set, MemoryOp::Recall, MemoryOp::Reset}) {
        const int kind = op == MemoryOp::Set ? 0 : op == MemoryOp::Recall ? 1 : 2;
        const QString arrays = presetArray(kind) + QLatin1Char('/') + memoryArray(op);
        const QString custom = QStringLiteral("CustomMem_%1").arg(kind);
        names.add(memoryPacket(kAny, op, 0), 4, arrays, [arrays, custom](const QByteArray& rest) -> std::optional<QString> {
            if (rest.size() != 1)
                return std::nullopt;
            const int number = quint8(rest.at(0));
            return number == kCustomMemory ? QStringLiteral("(%1)").arg(custom) : QString::number(number);
        });
    }
}

void addPanTilt(PacketNames& names)
{
    using namespace pantilt;
    names.add(drivePacket(kAny, 0, 0, {0, 0}), 3, QStringLiteral("Pan-tilt"),
              [](const QByteArray& rest) -> std::optional<QString> {
                  if (rest.size() != 4)
                      return std::nullopt;
                  const std::optional<QString> where = driveText({quint8(rest.at(2)), quint8(rest.at(3))});
                  if (!where)
                      return std::nullopt;
                  return QStringLiteral("%1, speeds %2 %3").arg(*where, hexByte(quint8(rest.at(0))), hexByte(quint8(rest.at(1))));
              });
    names.add(homePacket(kAny), QStringLiteral("Pan-tilt home"));
    names.add(resetPacket(kAny), QStringLiteral("Pan-tilt reset"));
    names.add(positionInquiry(kAny), QStringLiteral("Pan-tilt position inquiry"));
    names.add(statusInquiry(kAny), QStringLiteral("Pan-tilt status inquiry"));
    names.add(maxSpeedInquiry(kAny), QStringLiteral("Pan-tilt maximum speed inquiry"));
}

void addWindows(PacketNames& names)
{
    names.add(alarm::modePacket(kAny, 0), QStringLiteral("Alarm mode"), Rest::Value, 3);
    names.add(alarm::modeInquiry(kAny), QStringLiteral("Alarm mode inquiry"));
    names.add(alarm::detectPacket(kAny, true), QStringLiteral("Alarm detection on"));
    names.add(alarm::detectPacket(kAny, false), QStringLiteral("Alarm detection off"));
    names.add(alarm::detectInquiry(kAny), QStringLiteral("Alarm detection inquiry"));
    names.add(alarm::levelPacket(kAny, 0, 0), QStringLiteral("Alarm levels"), Rest::Bytes, 3);
    names.add(alarm::levelInquiry(kAny), QStringLiteral("Alarm level inquiry"));
    names.add(alarm::displayPacket(kAny, true), QStringLiteral("Alarm display on"));
    names.add(alarm::displayPacket(kAny, false), QStringLiteral("Alarm display off"));

    names.add(poweroff::setPacket(kAny, poweroff::Timer::Auto, 0), QStringLiteral("AutoPowerOff"), Rest::Value, 3);
    names.add(poweroff::setPacket(kAny, poweroff::Timer::Night, 0), QStringLiteral("NightPowerOff"), Rest::Value, 3);
    names.add(poweroff::inquiry(kAny, poweroff::Timer::Auto), QStringLiteral("AutoPowerOff inquiry"));
    names.add(poweroff::inquiry(kAny, poweroff::Timer::Night), QStringLiteral("NightPowerOff inquiry"));

    names.add(aespot::switchPacket(kAny, true), QStringLiteral("AESpotON"));
    names.add(aespot::switchPacket(kAny, false), QStringLiteral("AESpotOFF"));
    names.add(aespot::positionPacket(kAny, 0, 0), QStringLiteral("AESpotSet"), Rest::Bytes, 3);

    names.add(clockPacket(kAny, {0, 1, 1, 0, 0}), QStringLiteral("SetTimeDate"), Rest::Bytes, 3);
    names.add(cameraIdPacket(kAny, 0), QStringLiteral("IDWrite"), Rest::Value, 3);
    names.add(effectLevelPacket(kAny, 0), QStringLiteral("EffectLevel"), Rest::Value, 3);
    names.add(settingModePacket(kAny), QStringLiteral("Setting mode"));
    names.add(settingReadPacket(kAny, 0), QStringLiteral("Setting memory read"), Rest::Bytes, 4);
    names.add(settingSetPacket(kAny, 0, 0), QStringLiteral("Setting memory set"), Rest::Bytes, 4);
    names.add(settingWritePacket(kAny, 0, 0), QStringLiteral("Setting memory write"), Rest::Bytes, 4);

    const QList<int> none{0, 0, 0, 0};
    names.add(privacy::maskRectanglePacket(kAny, 0, true, none), QStringLiteral("Privacy mask"), Rest::Bytes, 3);
    names.add(privacy::maskDisplayPacket(kAny, {}), QStringLiteral("Privacy display"), Rest::Bytes, 3);
    names.add(privacy::maskColourPacket(kAny, {}, 0, false, 0, false), QStringLiteral("Privacy colour"), Rest::Bytes, 3);
    names.add(privacy::gridPacket(kAny, true), QStringLiteral("Privacy grid on"));
    names.add(privacy::gridPacket(kAny, false), QStringLiteral("Privacy grid off"));
    names.add(privacy::panTiltAnglePacket(kAny, none, none), QStringLiteral("Privacy pan-tilt angle"), Rest::Bytes, 3);
    names.add(privacy::movePanTiltPacket(kAny, none, none, 0), QStringLiteral("Privacy move pan-tilt"), Rest::Bytes, 3);
    names.add(privacy::ptzMaskPacket(kAny, 0, none, none, none), QStringLiteral("Privacy PTZ mask"), Rest::Bytes, 3);
    names.add(privacy::zoneSwitchPacket(kAny, privacy::ZoneSwitch::Clear), QStringLiteral("Privacy zones clear"));
    names.add(privacy::zoneSwitchPacket(kAny, privacy::ZoneSwitch::On), QStringLiteral("Privacy zones on"));
    names.add(privacy::zoneSwitchPacket(kAny, privacy::ZoneSwitch::Off), QStringLiteral("Privacy zones off"));

    const QList<Packet> titles = title::titlePackets(kAny, {}, {});
    const char* titleParts[] = {"Title look", "Title characters 1-10", "Title characters 11-20"};
    for (int i = 0; i < titles.size() && i < 3; ++i)
        names.add(titles.at(i), latin(titleParts[i]), Rest::Bytes, 4);
    names.add(title::clearPacket(kAny), QStringLiteral("Title clear"));

    names.add(service::enterPacket(kAny), QStringLiteral("Service mode enter"));
    names.add(service::leavePacket(kAny), QStringLiteral("Service mode leave"));
    names.add(service::readWordPacket(kAny, 0), QStringLiteral("Service word read"), Rest::Bytes, 3);
}

} // namespace

const traffic::PacketNames& panelPacketNames()
{
    static const PacketNames names = [] {
        PacketNames n;
        addChain(n);
        addValueGroups(n);
        addModesAndSwitches(n);
        addMemories(n);
        addPanTilt(n);
        addWindows(n);
        return n;
    }();
    return names;
}

} // namespace peltro
