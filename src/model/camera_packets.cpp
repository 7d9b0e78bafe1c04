#include "camera_packets.h"

#include "hex_text.h"

#include <cstdint>

namespace peltro {

Packet cameraCommand(int address, std::initializer_list<int> body)
{
    return cameraCommand(address, QList<int>(body));
}

Packet cameraCommand(int address, const QList<int>& body)
{
    QList<int> packet{0x80 + address, 0x01, 0x04};
    packet << body << 0xFF;
    return packet;
}

QList<int> nibbles(int value, bool fourNibbles)
{
    const int r = (value & 0x00F0) >> 4, s = value & 0x000F;
    if (!fourNibbles)
        return {0x00, 0x00, r, s};
    return {(value & 0xF000) >> 12, (value & 0x0F00) >> 8, r, s};
}

Packet sliderPacket(int address, const SliderDef& slider, int value)
{
    QList<int> body{slider.command};
    body << nibbles(value, slider.fourNibbles);
    return cameraCommand(address, body);
}

int holdParam(const HoldDef& hold, const QString& speedText, std::uint8_t panTiltModel)
{
    if (hold.singleSpeedParam >= 0 && panTiltModel == kSingleSpeedFocusModel)
        return hold.singleSpeedParam;
    if (!hold.speedBox)
        return hold.param;
    // The speed stays one nibble whatever was typed into the box.
    return hold.param + speedValue(speedText, 0, 7);
}

Packet holdMovePacket(int address, const HoldDef& hold, const QString& speedText,
                          std::uint8_t panTiltModel)
{
    return cameraCommand(address, {hold.command, holdParam(hold, speedText, panTiltModel)});
}

Packet holdStopPacket(int address, const HoldDef& hold)
{
    return cameraCommand(address, {hold.command, 0x00});
}

bool isMotionStop(const QByteArray& bytes)
{
    const auto at = [&bytes](int i) { return std::uint8_t(bytes.at(i)); };
    if (bytes.size() < 6 || (at(0) & 0xF8) != 0x80 || at(0) == 0x88 || at(1) != 0x01 || at(bytes.size() - 1) != 0xFF)
        return false;
    if (bytes.size() == 9 && at(2) == 0x06 && at(3) == 0x01)
        return at(6) == 0x03 && at(7) == 0x03;
    if (bytes.size() == 6 && at(2) == 0x04 && at(4) == 0x00) {
        for (const HoldDef& def : holdDefs())
            if (at(3) == def.command)
                return true;
    }
    return false;
}

bool stepsShutterLocally(const QString& modelName)
{
    for (const char* name : {"TAMIRO-K3A", "TAMIRO-K3AP", "TAMIRO-J3A", "TAMIRO-J3AP"}) {
        if (modelName.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Packet teleEndPacket(int address, bool digitalZoomOn)
{
    QList<int> body{0x47};
    body << nibbles(digitalZoomOn ? kDigitalTeleEnd : kOpticalTeleEnd, true);
    return cameraCommand(address, body);
}

Packet afTimesPacket(int address, const QString& activeTime, const QString& intervalTime)
{
    // A character that is no hexadecimal digit counts as 0.
    auto first = [](const QString& t) { return t.isEmpty() ? 0 : qMax(0, hexDigit(t.front())); };
    auto last = [](const QString& t) { return t.isEmpty() ? 0 : qMax(0, hexDigit(t.back())); };
    return cameraCommand(address,
                         {0x27, first(activeTime), last(activeTime), first(intervalTime), last(intervalTime)});
}

const QList<PanelCommandRow>& panelCommandRows()
{
    using P = PanelCommand;
    static const QList<PanelCommandRow> rows{
        {P::DZoomOn, "DZoom on", 0x06, 0x02},
        {P::DZoomOff, "DZoom off", 0x06, 0x03},
        {P::DZoomCombine, "DZoomMode_0 (combine)", 0x36, 0x00},
        {P::DZoomSeparate, "DZoomMode_1 (separate)", 0x36, 0x01},
        {P::DZoomMax, "DZoomX", 0x06, 0x10},
        {P::AutoFocus, "AFModeCmd_0 (auto focus)", 0x38, 0x02},
        {P::ManualFocus, "ManAFMode", 0x38, 0x03},
        {P::AFNormal, "AFModeCmd_1 (Normal)", 0x57, 0x00},
        {P::AFInterval, "AFModeCmd_2 (Interval AF)", 0x57, 0x01},
        {P::AFZoomTrigger, "AFModeCmd_3 (Zoom Trigger)", 0x57, 0x02},
        {P::AFTrigger, "AFTrig", 0x18, 0x01},
        {P::Infinity, "Infinity", 0x18, 0x02},
        {P::AFSensLow, "AF_Sens low", 0x58, 0x02},
        {P::AFSensNormal, "AF_Sens normal", 0x58, 0x03},
        {P::LensInit, "Lensinit", 0x19, 0x01},
        {P::WBTrigger, "WBTrigger", 0x10, 0x05},
    };
    return rows;
}

Packet panelPacket(int address, PanelCommand which)
{
    for (const PanelCommandRow& row : panelCommandRows()) {
        if (row.which == which)
            return cameraCommand(address, {row.command, row.param});
    }
    qFatal("a panel command without its row");
}

const QList<ExposureSwitch>& exposureSwitches()
{
    static const QList<ExposureSwitch> switches{
        {"BackLight", 0x33, false},
        {"AutoSlowShutter", 0x5A, false},
        {"ExpComp", 0x3E, true},
    };
    return switches;
}

const QList<AEModeRow>& aeModeRows()
{
    //                 code               item                iris   gain   shut.  bright switches
    static const QList<AEModeRow> rows{
        {AEFullAuto, "FullAuto", false, false, false, false, true},
        {AEShutterPriority, "ShutterPriority", false, false, true, false, false},
        {AEIrisPriority, "IrisPriority", true, false, false, false, false},
        {AEGainPriority, "GainPriority", false, true, false, false, false},
        {AEManual, "Manual", true, true, true, false, false},
        {AEBright, "Bright", false, false, false, true, false},
        {AEShutterAuto, "ShutterAuto", true, true, false, false, false},
        {AEIrisAuto, "IrisAuto", false, true, true, false, false},
        {AEGainAuto, "GainAuto", true, false, true, false, false},
    };
    return rows;
}

std::optional<AEModeRow> aeModeRow(int code)
{
    for (const AEModeRow& row : aeModeRows()) {
        if (row.code == code)
            return row;
    }
    return std::nullopt;
}

const QList<WBModeRow>& wbModeRows()
{
    static const QList<WBModeRow> rows{
        {0x00, "ATWPro", false, false},
        {0x01, "InDoor", false, false},
        {0x02, "OutDoor", false, false},
        {0x03, "OnePushWB", false, true},
        {0x04, "ATW", false, false},
        {0x05, "ManualWB", true, false},
    };
    return rows;
}

std::optional<WBModeRow> wbModeRow(int code)
{
    for (const WBModeRow& row : wbModeRows()) {
        if (row.code == code)
            return row;
    }
    return std::nullopt;
}

} // namespace peltro
