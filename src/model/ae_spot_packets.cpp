#include "ae_spot_packets.h"
#include "hex_text.h"

namespace peltro::aespot {

Packet switchPacket(int address, bool on)
{
    return {0x80 + address, 0x01, 0x04, 0x59, on ? 0x02 : 0x03, 0xFF};
}

Packet positionPacket(int address, int q, int s)
{
    return {0x80 + address, 0x01, 0x04, 0x29, 0x00, q & 0x0F, 0x00, s & 0x0F, 0xFF};
}

std::optional<int> parsePosition(const QString& text)
{
    if (text.isEmpty())
        return 0;
    return hexNumber(text, 1);
}

} // namespace peltro::aespot
