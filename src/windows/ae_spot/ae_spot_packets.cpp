#include "ae_spot_packets.h"

namespace peltro::aespot {

QList<int> switchPacket(int address, bool on)
{
    return {0x80 + address, 0x01, 0x04, 0x59, on ? 0x02 : 0x03, 0xFF};
}

QList<int> positionPacket(int address, int q, int s)
{
    return {0x80 + address, 0x01, 0x04, 0x29, 0x00, q & 0x0F, 0x00, s & 0x0F, 0xFF};
}

std::optional<int> parsePosition(const QString& text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() != 1)
        return std::nullopt;
    const char16_t c = text.at(0).unicode();
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

} // namespace peltro::aespot
