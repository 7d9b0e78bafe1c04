#pragma once

#include "packet.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace peltro::alarm {

// Packets and answers of the camera's alarm: the mode of detection, detection
// on and off, the day and night AE levels, the alarm display. No widget here.

constexpr int kModeCount = 13;
constexpr int kDayNightMode = 12;   // compares the AE level against a day and a night level
constexpr int kMaxLevel = 0xFFF;

// Answer lengths: y0 50 pp FF, and y0 50 then three levels of three nibbles and FF.
constexpr int kByteAnswer = 4;
constexpr int kLevelAnswer = 12;

// The entries of the mode list, position = mode value.
QStringList modeNames();

Packet modePacket(int address, int mode);            // 8x 01 04 6C pp FF
Packet modeInquiry(int address);                     // 8x 09 04 6C FF
Packet detectPacket(int address, bool on);           // 8x 01 04 6B 02|03 FF
Packet detectInquiry(int address);                   // 8x 09 04 6B FF
Packet levelPacket(int address, int day, int night); // 8x 01 04 6D 0d 0d 0d 0n 0n 0n FF
Packet levelInquiry(int address);                    // 8x 09 04 6D FF
Packet displayPacket(int address, bool on);          // 8x 01 04 15 02|03 FF

// An inquiry answer of count bytes: from a camera, 0x50, the terminator at
// the end. A time-out's filler never passes.
bool validAnswer(const QByteArray& answer, int count);

// Detection: 02 on, 03 off; any other value is no news.
std::optional<bool> decodeDetect(const QByteArray& answer);
// Mode 0..12; a value outside the list is no answer the panel can show.
std::optional<int> decodeMode(const QByteArray& answer);

struct Levels {
    int day = 0;
    int night = 0;
    int current = 0;
};
// Three levels of three nibbles each; a byte above 0x0F spoils the answer.
std::optional<Levels> decodeLevels(const QByteArray& answer);

// A level as typed: exactly three hexadecimal digits, either case.
std::optional<int> parseLevel(const QString& text);
// Three upper-case hexadecimal digits: 0xAB -> "0AB".
QString levelText(int level);

// Whether the night power-off timer may be set: only while detection is on
// in the day & night mode with the day level above the night level.
enum class NightTimer { Allowed, AlarmOff, NotDayNight, DayNotAboveNight };
NightTimer nightTimerCheck(bool alarmOn, int mode, int dayLevel, int nightLevel);
// Why the night timer cannot be set (empty for Allowed).
QString nightTimerReason(NightTimer check);

} // namespace peltro::alarm
