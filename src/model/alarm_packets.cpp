#include "alarm_packets.h"
#include "hex_text.h"

namespace peltro::alarm {

namespace {

int at(const QByteArray& bytes, int index)
{
    return static_cast<quint8>(bytes.at(index));
}

int header(int address)
{
    return 0x80 + address;
}

// Three nibble bytes from index from, most significant first; nothing when
// one of them is not a nibble.
std::optional<int> level(const QByteArray& a, int from)
{
    int value = 0;
    for (int i = from; i < from + 3; ++i) {
        if (at(a, i) > 0x0F)
            return std::nullopt;
        value = value * 16 + at(a, i);
    }
    return value;
}

} // namespace

QStringList modeNames()
{
    return {QStringLiteral("(0)Focus Position"),  QStringLiteral("(1)Focus Time"),
            QStringLiteral("(2)AE Level"),        QStringLiteral("(3)AE Time"),
            QStringLiteral("(4) (0) and (2)"),    QStringLiteral("(5) (0) and (3)"),
            QStringLiteral("(6) (1) and (2)"),    QStringLiteral("(7) (1) and (3)"),
            QStringLiteral("(8) (0)  or  (2)"),   QStringLiteral("(9) (0)  or  (3)"),
            QStringLiteral("(10) (1) or  (2)"),   QStringLiteral("(11) (1) or  (3)"),
            QStringLiteral("Day & Night")};
}

Packet modePacket(int address, int mode)
{
    return {header(address), 0x01, 0x04, 0x6C, mode, 0xFF};
}

Packet modeInquiry(int address)
{
    return {header(address), 0x09, 0x04, 0x6C, 0xFF};
}

Packet detectPacket(int address, bool on)
{
    return {header(address), 0x01, 0x04, 0x6B, on ? 0x02 : 0x03, 0xFF};
}

Packet detectInquiry(int address)
{
    return {header(address), 0x09, 0x04, 0x6B, 0xFF};
}

Packet levelPacket(int address, int day, int night)
{
    return {header(address), 0x01, 0x04, 0x6D,
            (day >> 8) & 0x0F, (day >> 4) & 0x0F, day & 0x0F,
            (night >> 8) & 0x0F, (night >> 4) & 0x0F, night & 0x0F, 0xFF};
}

Packet levelInquiry(int address)
{
    return {header(address), 0x09, 0x04, 0x6D, 0xFF};
}

Packet displayPacket(int address, bool on)
{
    return {header(address), 0x01, 0x04, 0x15, on ? 0x02 : 0x03, 0xFF};
}

bool validAnswer(const QByteArray& answer, int count)
{
    if (count < 3 || answer.size() < count)
        return false;
    return (at(answer, 0) & 0x80) != 0 && at(answer, 1) == 0x50 && at(answer, count - 1) == 0xFF;
}

std::optional<bool> decodeDetect(const QByteArray& answer)
{
    if (!validAnswer(answer, kByteAnswer))
        return std::nullopt;
    switch (at(answer, 2)) {
    case 0x02: return true;
    case 0x03: return false;
    default: return std::nullopt;
    }
}

std::optional<int> decodeMode(const QByteArray& answer)
{
    if (!validAnswer(answer, kByteAnswer) || at(answer, 2) >= kModeCount)
        return std::nullopt;
    return at(answer, 2);
}

std::optional<Levels> decodeLevels(const QByteArray& answer)
{
    if (!validAnswer(answer, kLevelAnswer))
        return std::nullopt;
    const auto day = level(answer, 2), night = level(answer, 5), current = level(answer, 8);
    if (!day || !night || !current)
        return std::nullopt;
    return Levels{*day, *night, *current};
}

std::optional<int> parseLevel(const QString& text)
{
    return hexNumber(text, 3);
}

QString levelText(int level)
{
    return (QStringLiteral("00") + QString::number(level, 16).toUpper()).right(3);
}

NightTimer nightTimerCheck(bool alarmOn, int mode, int dayLevel, int nightLevel)
{
    if (!alarmOn)
        return NightTimer::AlarmOff;
    if (mode != kDayNightMode)
        return NightTimer::NotDayNight;
    if (dayLevel <= nightLevel)
        return NightTimer::DayNotAboveNight;
    return NightTimer::Allowed;
}

QString nightTimerReason(NightTimer check)
{
    switch (check) {
    case NightTimer::AlarmOff: return QStringLiteral("The alarm action is stopping.");
    case NightTimer::NotDayNight: return QStringLiteral("The alarm mode is not a DayNight mode.");
    case NightTimer::DayNotAboveNight: return QStringLiteral("The alarm level setting is not [Day > Night].");
    case NightTimer::Allowed: break;
    }
    return {};
}

} // namespace peltro::alarm
