#pragma once

#include "packet.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace peltro {

// Packets and answers of the pan/tilt head, without any widget.
namespace pantilt {

// Drive directions: pan 1 left, 2 right, 3 stop; tilt 1 up, 2 down, 3 stop.
struct Drive {
    int pan;
    int tilt;
};

// The speed both axes run at on the full-speed buttons (and on Stop).
constexpr int kFullSpeed = 0x18;

// Directions of Pan_Tilt_Stop 0..8 (0 is Stop itself).
Drive stopDrive(int index);
// Directions of Pan_Tilt_Direct 0..7; 8 is Home and 9 Reset, which do not drive.
Drive directDrive(int index);

Packet drivePacket(int address, int panSpeed, int tiltSpeed, Drive drive);  // 8x 01 06 01 vv ww 0p 0q FF
// "left up", "right", "down", "stop"; none for bytes that are no direction.
std::optional<QString> driveText(Drive drive);
Packet homePacket(int address);    // 8x 01 06 04 FF
Packet resetPacket(int address);   // 8x 01 06 05 FF

Packet positionInquiry(int address);   // 8x 09 06 12 FF, answer of 11 bytes
Packet statusInquiry(int address);     // 8x 09 06 10 FF, answer of 5 bytes
Packet maxSpeedInquiry(int address);   // 8x 09 06 11 FF, answer of 5 bytes
constexpr int kPositionAnswer = 11;
constexpr int kStatusAnswer = 5;
constexpr int kMaxSpeedAnswer = 5;

// An inquiry answer: from a camera, 0x50, and the terminator where an answer
// of count bytes ends.
bool validAnswer(const QByteArray& answer, int count);

struct Position {
    int pan;
    int tilt;
};
Position decodePosition(const QByteArray& answer);
int decodeStatusWord(const QByteArray& answer);
int decodePanMax(const QByteArray& answer);
int decodeTiltMax(const QByteArray& answer);

QString positionText(int value);    // "0x" and upper-case hexadecimal, no leading zeros
QString statusBits(int word);       // 16 characters, bit 15 first
QString signedDecimal(int value);   // " 18": a space where a minus sign would go

} // namespace pantilt

} // namespace peltro
