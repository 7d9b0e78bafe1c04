#pragma once

#include "packet.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace peltro::poweroff {

// The camera's two power-off timers, in minutes (0: off), and their packets.
// The minutes travel as four nibbles, most significant first. No widget here.

enum class Timer { Auto, Night };

constexpr int kAnswer = 7;          // y0 50 0p 0q 0r 0s FF
constexpr int kMaxTries = 7;        // inquiries on loading before the dialog gives up
constexpr int kMaxMinutes = 0xFFFF;

Packet inquiry(int address, Timer timer);                  // 8x 09 04 40|41 FF
Packet setPacket(int address, Timer timer, int minutes);   // 8x 01 04 40|41 0p 0q 0r 0s FF

// The minutes of an answer: from a camera (y0), 0x50, four nibbles, FF.
std::optional<int> decodeAnswer(const QByteArray& answer);

// The minutes as typed: a whole number, blanks around it allowed; a number
// above kMaxMinutes is limited to it. Nothing for any other text.
struct Minutes {
    int value = 0;
    bool limited = false;
};
std::optional<Minutes> parseMinutes(const QString& text);

} // namespace peltro::poweroff
