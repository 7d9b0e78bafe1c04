#pragma once

#include "packet.h"

#include <QChar>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace peltro::title {

// The camera's title: 20 characters in its own set of 80 glyphs, codes
// 0x00..0x4F. Typed keys stand for glyphs by a fixed mapping.

constexpr int kLength = 20;
constexpr int kGlyphCount = 80;
constexpr std::uint8_t kSpace = 0x1B;

// The camera code a typed key stands for; none for a key that has no glyph.
std::optional<int> codeOf(QChar key);
// The keyboard window's translation: a key without a glyph becomes 0x00.
int Conv(QChar key);

// The character code list of the keyboard window: ten lines of
// "[glyph]=[key]" pairs in nine-character columns, each line ending CR LF.
QString codeListText();

// Title placement and look as the packets carry them.
struct Look {
    int vertical = 0;
    int horizontal = 0;
    int colour = 0;   // item value of the colour list, 0 when none is selected
    int blink = 0;    // item value of the blink list, 0 when none is selected
};

// The three title packets: look, characters 1..10, characters 11..20.
QList<Packet> titlePackets(int address, const Look& look, const std::array<int, kLength>& codes);
Packet clearPacket(int address);               // 8x 01 04 74 00 FF
Packet displayPacket(int address, bool on);    // 8x 01 04 74 02/03 FF

// A position box: a decimal number; 0xFF would end the packet early, so the
// largest value sent is 254. Surrounding blanks are allowed.
constexpr int kPositionMax = 0xFE;
std::optional<int> positionValue(const QString& text);

// Editing one row of the title buffer (positions 0..19 hold the title) with
// a cursor 0..19, as the mouse window does it.
using Row = std::array<std::uint8_t, 21>;
void insertCode(Row& row, int& cursor, int code);   // shifts right, the last code falls off
void backspace(Row& row, int& cursor);              // removes the code before the cursor
void deleteAt(Row& row, int cursor);                // removes the code at the cursor
void moveLeft(int& cursor);
void moveRight(int& cursor);

// The glyph picture: 16 columns by 5 rows of 25 x 25 unit cells in code order.
constexpr int kCell = 25;
constexpr int kColumns = 16;
constexpr int kRows = 5;
// The code of the cell under (x, y), or none outside the picture.
std::optional<int> pictureCode(int x, int y);

} // namespace peltro::title
