#include "setting_packets.h"

#include "camera_packets.h"

#include <algorithm>

namespace peltro {

std::optional<long long> wholeNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == t.size())
        return std::nullopt;
    constexpr long long kCap = 1'000'000'000'000LL;
    long long value = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = std::min(value * 10 + (c.unicode() - '0'), kCap);
    }
    return negative ? -value : value;
}

const std::array<ClockField, 5>& clockFields()
{
    static const std::array<ClockField, 5> fields{{
        {"Year", "UpDown1", "Year", "YY", 0, 99},
        {"Month", "UpDown2", "Month", "MM", 1, 12},
        {"Day", "UpDown3", "Day", "DD", 1, 31},
        {"Hour", "UpDown4", "Hour", "hh", 0, 23},
        {"Minute", "UpDown5", "Minute", "mm", 0, 59},
    }};
    return fields;
}

Packet clockPacket(int address, const std::array<int, 5>& values)
{
    QList<int> body{0x70};
    for (int v : values)
        body << v / 10 % 10 << v % 10;
    return cameraCommand(address, body);
}

Packet cameraIdPacket(int address, int id)
{
    QList<int> body{0x22};
    body << nibbles(id, true);
    return cameraCommand(address, body);
}

Packet effectLevelPacket(int address, int level)
{
    return cameraCommand(address, {0x65, level});
}

namespace {

// Each hexadecimal digit of value as one byte, most significant first.
QList<int> digitBytes(int value, int digits)
{
    QList<int> out;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out << ((value >> shift) & 0x0F);
    return out;
}

Packet settingCommand(int address, int kind, int memoryAddress, int data)
{
    QList<int> packet{0x80 + address, 0x01, 0x7F, 0x7F, kind};
    packet << digitBytes(memoryAddress, kAddressDigits) << digitBytes(data, kDataDigits) << 0xFF;
    return packet;
}

} // namespace

Packet settingModePacket(int address)
{
    return {0x80 + address, 0x01, kSettingModeCode[0], kSettingModeCode[1], kSettingModeCode[2], 0xFF};
}

Packet settingReadPacket(int address, int memoryAddress)
{
    QList<int> packet{0x80 + address, 0x09, 0x7F, 0x7F, 0x01};
    packet << digitBytes(memoryAddress, kAddressDigits) << 0xFF;
    return packet;
}

Packet settingSetPacket(int address, int memoryAddress, int data)
{
    return settingCommand(address, 0x03, memoryAddress, data);
}

Packet settingWritePacket(int address, int memoryAddress, int data)
{
    return settingCommand(address, 0x02, memoryAddress, data);
}

Packet protectReleasePacket(int address)
{
    return settingWritePacket(address, kProtectAddress, kProtectRelease);
}

Packet baudRatePacket(int address, int speedCode)
{
    return settingWritePacket(address, kBaudRateAddress, speedCode);
}

} // namespace peltro
