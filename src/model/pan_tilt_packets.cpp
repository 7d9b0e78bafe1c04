#include "pan_tilt_packets.h"

#include <QStringList>

namespace peltro {

namespace pantilt {

namespace {
constexpr int kLeft = 1, kRight = 2, kUp = 1, kDown = 2, kHold = 3;

int header(int address)
{
    return 0x80 + address;
}

int at(const QByteArray& bytes, int index)
{
    return static_cast<unsigned char>(bytes.at(index));
}
} // namespace

Drive stopDrive(int index)
{
    static constexpr Drive kDrives[] = {
        {kHold, kHold}, {kHold, kUp},  {kLeft, kHold}, {kRight, kHold}, {kHold, kDown},
        {kLeft, kUp},   {kRight, kUp}, {kLeft, kDown}, {kRight, kDown},
    };
    return kDrives[index];
}

Drive directDrive(int index)
{
    static constexpr Drive kDrives[] = {
        {kLeft, kHold},  {kLeft, kUp}, {kLeft, kDown}, {kRight, kHold},
        {kRight, kUp},   {kRight, kDown}, {kHold, kUp}, {kHold, kDown},
    };
    return kDrives[index];
}

Packet drivePacket(int address, int panSpeed, int tiltSpeed, Drive drive)
{
    return {header(address), 0x01, 0x06, 0x01, panSpeed, tiltSpeed, drive.pan, drive.tilt, 0xFF};
}

std::optional<QString> driveText(Drive drive)
{
    QStringList words;
    switch (drive.pan) {
    case kLeft: words << QStringLiteral("left"); break;
    case kRight: words << QStringLiteral("right"); break;
    case kHold: break;
    default: return std::nullopt;
    }
    switch (drive.tilt) {
    case kUp: words << QStringLiteral("up"); break;
    case kDown: words << QStringLiteral("down"); break;
    case kHold: break;
    default: return std::nullopt;
    }
    return words.isEmpty() ? QStringLiteral("stop") : words.join(QLatin1Char(' '));
}

Packet homePacket(int address)
{
    return {header(address), 0x01, 0x06, 0x04, 0xFF};
}

Packet resetPacket(int address)
{
    return {header(address), 0x01, 0x06, 0x05, 0xFF};
}

Packet positionInquiry(int address)
{
    return {header(address), 0x09, 0x06, 0x12, 0xFF};
}

Packet statusInquiry(int address)
{
    return {header(address), 0x09, 0x06, 0x10, 0xFF};
}

Packet maxSpeedInquiry(int address)
{
    return {header(address), 0x09, 0x06, 0x11, 0xFF};
}

bool validAnswer(const QByteArray& answer, int count)
{
    if (answer.size() < count || count < 3)
        return false;
    return (at(answer, 0) & 0x80) != 0 && at(answer, 1) == 0x50 && at(answer, count - 1) == 0xFF;
}

Position decodePosition(const QByteArray& a)
{
    return {at(a, 2) * 4096 + at(a, 3) * 256 + at(a, 4) * 16 + at(a, 5),
            at(a, 6) * 4096 + at(a, 7) * 256 + at(a, 8) * 16 + at(a, 9)};
}

int decodeStatusWord(const QByteArray& a)
{
    return at(a, 2) * 256 + at(a, 3);
}

int decodePanMax(const QByteArray& a)
{
    return at(a, 2);
}

int decodeTiltMax(const QByteArray& a)
{
    return at(a, 3);
}

QString positionText(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString statusBits(int word)
{
    QString bits;
    bits.reserve(16);
    for (int bit = 15; bit >= 0; --bit)
        bits += (word >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return bits;
}

QString signedDecimal(int value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

} // namespace pantilt

} // namespace peltro
