#pragma once

#include "packet.h"

// The packets of the clock, camera-ID, effect-level and factory-setting
// windows, and the reading of what the operator typed into their boxes, as
// plain functions with no widget in them.

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace peltro {

// A whole decimal number as typed: blanks around it, an optional sign,
// digits. None for anything else (empty text, letters, a fraction, a number
// with junk after it). Numbers beyond any box's range stay beyond it.
std::optional<long long> wholeNumber(const QString& text);

// --- Camera clock --------------------------------------------------------------

struct ClockField {
    const char* box;       // text box
    const char* spinner;   // its spinner
    const char* label;
    const char* designed;  // the box's text before it is filled
    int minimum;
    int maximum;
};
// Year (last two digits), month, day, hour (24-hour clock), minute.
const std::array<ClockField, 5>& clockFields();

// 8x 01 04 70 0y 0y 0m 0m 0d 0d 0h 0h 0n 0n FF: each value as two decimal
// digits, tens first, one byte per digit. Values must lie in their field's range.
Packet clockPacket(int address, const std::array<int, 5>& values);

// --- Camera ID -------------------------------------------------------------------

inline constexpr int kMaxCameraId = 0xFFFF;
// 8x 01 04 22 0p 0q 0r 0s FF, most significant nibble first.
Packet cameraIdPacket(int address, int id);

// --- Digital effect level ----------------------------------------------------------

inline constexpr int kMaxEffectLevel = 32;
// 8x 01 04 65 pp FF.
Packet effectLevelPacket(int address, int level);

// --- Setting memory --------------------------------------------------------------

// The code that puts a block camera into its setting mode, in which its
// setting memory can be read and written: 8x 01 7F 7F 10 FF.
inline constexpr std::array<int, 3> kSettingModeCode{0x7F, 0x7F, 0x10};
inline constexpr int kAddressDigits = 3;   // 000..FFF
inline constexpr int kDataDigits = 2;      // 00..FF
// The byte whose value 01 releases the write protection.
inline constexpr int kProtectAddress = 0x001;
inline constexpr int kProtectRelease = 0x01;
// The byte holding the camera's serial speed code, read at power-on.
inline constexpr int kBaudRateAddress = 0xCFC;
// Speed codes by button: 0 = 9600, 1 = 19200, 2 = 38400 bps.
inline constexpr int kBaudRateCodes = 3;

Packet settingModePacket(int address);
// 8x 09 7F 7F 01 0a 0a 0a FF
Packet settingReadPacket(int address, int memoryAddress);
// 8x 01 7F 7F 03 0a 0a 0a 0d 0d FF: sets the byte in the camera's working copy.
Packet settingSetPacket(int address, int memoryAddress, int data);
// 8x 01 7F 7F 02 0a 0a 0a 0d 0d FF: writes the byte into the setting memory.
Packet settingWritePacket(int address, int memoryAddress, int data);
Packet protectReleasePacket(int address);
Packet baudRatePacket(int address, int speedCode);

} // namespace peltro
