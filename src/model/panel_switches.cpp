#include "panel_switches.h"

#include "camera_packets.h"

namespace peltro {

const QList<OnOffItem>& onOffItems()
{
    //                                item  cmd   on    off   guarded tickFirst
    static const QList<OnOffItem> items{
        {SwitchGroup::Picture, "PictureFlip", 0x66, 0x02, 0x03, true, true},
        {SwitchGroup::Picture, "LR_Reverse", 0x61, 0x02, 0x03, true, true},
        {SwitchGroup::Picture, "Freese", 0x62, 0x02, 0x03, true, true},
        {SwitchGroup::Picture, "Mute", 0x75, 0x02, 0x03, false, false},
        {SwitchGroup::Display, "DataScreen", 0x15, 0x02, 0x03, true, true},
        {SwitchGroup::Display, "DateDisplay", 0x71, 0x02, 0x03, false, true},
        {SwitchGroup::Display, "TimeDisplay", 0x72, 0x02, 0x03, false, true},
        {SwitchGroup::Display, "TitleOnOff", 0x74, 0x02, 0x03, true, true},
        // The key lock's off byte is 00.
        {SwitchGroup::Display, "KeyLock", 0x17, 0x02, 0x00, false, true},
    };
    return items;
}

const QList<ChoiceGroup>& choiceGroups()
{
    static const QList<ChoiceGroup> groups{
        {0x63, {"PEOff", "Pastel", "NegArt", "Sepia", "BlackWhite", "Solarize", "Mosaic", "Slim", "Stretch"},
         true, false},
        {0x64, {"DEOff", "Still", "Flash", "Lumi", "Trail"}, true, false},
        {0x55, {"Internal", "LineLock"}, false, true},
    };
    return groups;
}

const QList<CaptionToggle>& captionToggles()
{
    static const QList<CaptionToggle> toggles{
        // Shows the auto-ICR state in force, as the status read does.
        {"CmdAutoICR", 0x51, {{"ON", 0x03, "OFF"}, {"OFF", 0x02, "ON"}}, true},
        // Shows what the next click switches to.
        {"Comstabi", 0x34, {{"ON", 0x02, "OFF"}, {nullptr, 0x03, "ON"}}, false},
        {"VP0180", 0x25, {{"0 degree", 0x00, "180 degree"}, {nullptr, 0x01, "0 degree"}}, false},
    };
    return toggles;
}

const CaptionRule* ruleFor(const CaptionToggle& toggle, const QString& caption)
{
    for (const CaptionRule& rule : toggle.rules) {
        if (!rule.caption || caption.compare(QLatin1String(rule.caption), Qt::CaseInsensitive) == 0)
            return &rule;
    }
    return nullptr;
}

const QList<FixedCommand>& fixedCommands()
{
    static const QList<FixedCommand> commands{
        {SwitchGroup::Picture, "CmdICR_0", 0x01, 0x02},
        {SwitchGroup::Picture, "CmdICR_1", 0x01, 0x03},
        {SwitchGroup::Display, "CompScan", 0x19, 0x02},
    };
    return commands;
}

Packet memoryPacket(int address, MemoryOp op, int number)
{
    return cameraCommand(address, {0x3F, int(op), number});
}

MemoryOp presetOp(int kind)
{
    switch (kind) {
    case 0: return MemoryOp::Set;
    case 1: return MemoryOp::Recall;
    default: return MemoryOp::Reset;
    }
}

QString presetArray(int kind)
{
    switch (kind) {
    case 0: return QStringLiteral("PresetSet");
    case 1: return QStringLiteral("PresetRecall");
    default: return QStringLiteral("PresetReset");
    }
}

QString memoryArray(MemoryOp op)
{
    switch (op) {
    case MemoryOp::Set: return QStringLiteral("SetOption");
    case MemoryOp::Recall: return QStringLiteral("RecallOption");
    case MemoryOp::Reset: return QStringLiteral("ResetOption");
    }
    return {};
}

} // namespace peltro
