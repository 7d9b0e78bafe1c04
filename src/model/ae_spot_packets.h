#pragma once

#include "packet.h"

#include <QList>
#include <QString>
#include <optional>

namespace peltro::aespot {

// Spot exposure: on and off, and the spot's place on a 16 x 16 grid (q
// across, s down). No widget here.

constexpr int kGridSize = 16;

Packet switchPacket(int address, bool on);          // 8x 01 04 59 02|03 FF
Packet positionPacket(int address, int q, int s);   // 8x 01 04 29 00 0q 00 0s FF

// A position as typed: one hexadecimal digit, either case; an empty box is 0.
// Nothing for any other text.
std::optional<int> parsePosition(const QString& text);

} // namespace peltro::aespot
