#pragma once

#include "traffic_decoder.h"

namespace peltro {

// The names of every packet the panel sends, taken from the tables and
// builders that make them: the main window's value, switch, mode and memory
// tables, the chain and status packets, and the packets of the auxiliary
// windows. A packet is named after the control or menu item that sends it
// (its object name), with its parameter where it carries one.
const traffic::PacketNames& panelPacketNames();

} // namespace peltro
