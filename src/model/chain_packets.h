#pragma once

#include "packet.h"

// The packets that look after the chain itself and read a camera's status:
// interface clear, address assignment, power, the version inquiry and the
// four status-block inquiries. Start-up, the Camera menu and the status read
// send them from here, and the traffic view names them from here.

#include <QList>

namespace peltro::chain {

inline constexpr int kBroadcast = 0x88;

// xx 01 00 01 FF: header 0x81..0x87 for one camera, kBroadcast for all.
Packet interfaceClear(int header);
// 88 30 01 FF: the first camera takes address 1, each passes on one more.
Packet addressSet();
// 8x 01 04 00 02|03 FF.
Packet power(int address, bool on);
// 8x 09 00 02 FF, answered in 10 bytes.
Packet versionInquiry(int address);

// 8x 09 7E 7E 0b FF, each answered in 16 bytes.
enum class Block { Lens = 0, Camera = 1, Other = 2, Expanded = 3 };
inline constexpr int kBlockCount = 4;
Packet blockInquiry(int address, Block block);

} // namespace peltro::chain
