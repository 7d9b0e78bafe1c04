#pragma once

#include "packet.h"

// The picture, display and memory commands of the main window as plain
// data: which item or button sends which packet, whether a running status
// read refuses it, and what its tick or caption shows afterwards.

#include <QList>
#include <QString>

namespace peltro {

// The main window's groups of these commands: the Function, Sync and
// Camera menus' picture items and buttons, and the Display menu with the
// Camera menu's system items.
enum class SwitchGroup { Picture, Display };

// A check-mark item that switches a camera function on and off:
// 8x 01 04 <command> <on or off byte> FF. The tick shows the state asked for.
struct OnOffItem {
    SwitchGroup group;
    const char* item;
    int command;
    int onByte;
    int offByte;
    bool guarded;     // refused while a status read runs
    bool tickFirst;   // the tick changes before the packet goes out
};
const QList<OnOffItem>& onOffItems();

// Items of which exactly one is ticked: 8x 01 04 <command> <index> FF, the
// index being the item's place in the list.
struct ChoiceGroup {
    int command;
    QList<const char*> items;
    bool guarded;
    bool tickFirst;
};
const QList<ChoiceGroup>& choiceGroups();

// A button whose caption says what its next click does. The first rule
// whose caption matches (case ignored) applies; a caption no rule matches
// takes the fallback, or does nothing when there is none.
struct CaptionRule {
    const char* caption;   // nullptr: the fallback
    int param;
    const char* captionAfter;
};
struct CaptionToggle {
    const char* button;
    int command;
    QList<CaptionRule> rules;
    bool captionFirst;     // the caption changes before the packet goes out
};
const QList<CaptionToggle>& captionToggles();
// The rule for a caption, none when the click does nothing.
const CaptionRule* ruleFor(const CaptionToggle& toggle, const QString& caption);

// Buttons and items that send one fixed packet, 8x 01 04 <command> <param> FF.
struct FixedCommand {
    SwitchGroup group;
    const char* name;
    int command;
    int param;
};
const QList<FixedCommand>& fixedCommands();

// --- Memories ----------------------------------------------------------------

enum class MemoryOp { Reset = 0x00, Set = 0x01, Recall = 0x02 };
// The number of the custom memory of the block cameras.
inline constexpr int kCustomMemory = 0x7F;
// 8x 01 04 3F <op> <number> FF.
Packet memoryPacket(int address, MemoryOp op, int number);

// The preset kinds the link reports back: 0 set, 1 recall, 2 reset, and the
// option-button array of each.
MemoryOp presetOp(int kind);
QString presetArray(int kind);      // "PresetSet", "PresetRecall", "PresetReset"
QString memoryArray(MemoryOp op);   // "SetOption", "RecallOption", "ResetOption"

} // namespace peltro
