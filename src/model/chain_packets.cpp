#include "chain_packets.h"

namespace peltro::chain {

Packet interfaceClear(int header)
{
    return {header, 0x01, 0x00, 0x01, 0xFF};
}

Packet addressSet()
{
    return {kBroadcast, 0x30, 0x01, 0xFF};
}

Packet power(int address, bool on)
{
    return {0x80 + address, 0x01, 0x04, 0x00, on ? 0x02 : 0x03, 0xFF};
}

Packet versionInquiry(int address)
{
    return {0x80 + address, 0x09, 0x00, 0x02, 0xFF};
}

Packet blockInquiry(int address, Block block)
{
    return {0x80 + address, 0x09, 0x7E, 0x7E, int(block), 0xFF};
}

} // namespace peltro::chain
