#pragma once

#include "packet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace peltro::privacy {

// Packets and tables of the two privacy windows, without any widget: the
// 24 masks A..X of the mask window and the six zones of the zone window.

constexpr int kMaskCount = 24;
using MaskSet = std::array<bool, kMaskCount>;

QString maskLetter(int mask);     // "A" .. "X"
QStringList setMaskNames();       // "SetMask_A" .. "SetMask_X", position = mask number
QStringList ptzMaskNames();       // "Mask_A" .. "Mask_X", position = mask number
QStringList colourNames();        // "Black" .. "Magenta", position = colour code
constexpr int kHalfTone = 0x10;   // added to a colour code for "Half"

// A mask set as the four bytes m0..m3: mask i is bit (i mod 6) of m(i div 6).
std::array<int, 4> packMasks(const MaskSet& masks);

// The nine "Move Pan Tilt" directions, indices in a 3 x 3 grid read row by
// row; the high nibble is horizontal (1 right, 2 left), the low one vertical
// (1 up, 2 down).
constexpr int kDirectionCount = 9;
constexpr int kCentre = 4;
int directionCode(int index);
// The code of the first selected button in the order 1, 2, 5, 8, 7, 6, 3, 0;
// 0x00 when none of them is.
int moveDirection(const std::array<bool, kDirectionCount>& selected);

// A digit field: exactly count hexadecimal digits (either case), each sent as
// one byte 0x00..0x0F, most significant first. Anything else is refused.
std::optional<QList<int>> hexDigits(const QString& text, int count);

// A zone value: the whole text as a hexadecimal number, sent as one byte.
// 0xFF would end the packet early, so the largest value is 0xFE.
constexpr int kZoneValueMax = 0xFE;
std::optional<int> zoneValue(const QString& text);

// Mask window. The digit lists come from hexDigits().
Packet maskRectanglePacket(int address, int mask, bool isNew, const QList<int>& xywh);  // 8x 01 04 76 ...
Packet maskDisplayPacket(int address, const MaskSet& masks);                          // 8x 01 04 77 ...
Packet maskColourPacket(int address, const MaskSet& masks, int colour1, bool half1, int colour2,
                            bool half2);                                                  // 8x 01 04 78 ...
Packet gridPacket(int address, bool on);                                              // 8x 01 04 7C 0p FF
Packet panTiltAnglePacket(int address, const QList<int>& pan, const QList<int>& tilt);  // 8x 01 04 79 ...
Packet movePanTiltPacket(int address, const QList<int>& pan, const QList<int>& tilt,
                             int direction);                                              // 8x 01 04 7A ...
Packet ptzMaskPacket(int address, int mask, const QList<int>& pan, const QList<int>& tilt,
                         const QList<int>& zoom);                                         // 8x 01 04 7B ...

// Zone window: set s (0..2) carries zones 2s+1 and 2s+2, each X, Y, width, height.
constexpr int kZoneCount = 6;
constexpr int kSetCount = 3;
Packet zoneSetPacket(int address, int set, const std::array<int, 8>& values);        // 8x 01 04 76 0s ...
enum class ZoneSwitch { Clear = 0x00, On = 0x02, Off = 0x03 };
Packet zoneSwitchPacket(int address, ZoneSwitch action);                              // 8x 01 04 77 0p FF

} // namespace peltro::privacy
