#include "power_off_packets.h"

namespace peltro::poweroff {

namespace {

int at(const QByteArray& bytes, int index)
{
    return static_cast<quint8>(bytes.at(index));
}

int command(Timer timer)
{
    return timer == Timer::Auto ? 0x40 : 0x41;
}

} // namespace

Packet inquiry(int address, Timer timer)
{
    return {0x80 + address, 0x09, 0x04, command(timer), 0xFF};
}

Packet setPacket(int address, Timer timer, int minutes)
{
    const int v = qBound(0, minutes, kMaxMinutes);
    return {0x80 + address, 0x01, 0x04, command(timer),
            (v >> 12) & 0x0F, (v >> 8) & 0x0F, (v >> 4) & 0x0F, v & 0x0F, 0xFF};
}

std::optional<int> decodeAnswer(const QByteArray& a)
{
    if (a.size() < kAnswer || (at(a, 0) & 0x8F) != 0x80 || at(a, 1) != 0x50 || at(a, 6) != 0xFF)
        return std::nullopt;
    int value = 0;
    for (int i = 2; i < 6; ++i) {
        if (at(a, i) > 0x0F)
            return std::nullopt;
        value = value * 16 + at(a, i);
    }
    return value;
}

std::optional<Minutes> parseMinutes(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        // Past the largest timer the exact number no longer matters.
        value = qMin<qint64>(value * 10 + (c.unicode() - '0'), kMaxMinutes + 1);
    }
    if (value > kMaxMinutes)
        return Minutes{kMaxMinutes, true};
    return Minutes{int(value), false};
}

} // namespace peltro::poweroff
