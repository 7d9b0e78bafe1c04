#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace peltro {

// Program-wide values shared by the main window and the auxiliary windows.
// One instance, owned by the application and passed by reference.
struct PanelState {
    // camera link
    int cameraAddress = 1;          // 1..7; packet header is 0x80 + address
    int portNumber = 0;             // Com number chosen in the Com Setting dialog; 0 before
    QString speedText;              // "9600" or "38400"; empty before the dialog
    bool portDialogDone = false;
    bool startup = false;           // start-up in progress
    bool echo = false;              // traffic is echoed into the history boxes
    bool replyPending = false;
    bool terminatorReceived = false;

    // status read and refresh
    bool statusReadBusy = false;
    bool modelIdentified = false;

    // preset operation waiting for its finish
    bool presetBusy = false;
    std::uint8_t presetKind = 0;    // 0 set, 1 recall, 2 reset
    int presetNumber = 0;
    bool presetAcknowledged = false;
    int presetSocket = -1;          // socket of the preset's own acknowledge; -1 before it

    // identified camera
    bool panTiltFamily = false;
    std::uint8_t panTiltModel = 0;  // 0x02, 0x0D, 0x0E for the pan/tilt models
    std::uint8_t romHigh = 0;
    std::uint8_t romLow = 0;
    std::uint8_t afSubMode = 0;     // 0 Normal, 1 Interval AF, 2 Zoom Trigger

    // pan-tilt window
    bool ptwShown = true;
    bool ptwDocked = true;
    bool ptwLarge = true;
    bool ptwPlaced = false;
    bool mainClosing = false;

    // alarm settings as last read
    bool alarmOn = false;
    std::uint8_t alarmMode = 0;     // 0..12, 12 is day & night
    bool alarmModeKnown = false;    // set or read in the alarm window
    int alarmDayLevel = 0;          // 0x000..0xFFF
    bool dayLevelKnown = false;
    int alarmNightLevel = 0;
    bool nightLevelKnown = false;
    int alarmCurrentLevel = 0;      // the camera's AE level at the last level inquiry
    bool alarmSettingsRead = false; // the values above are the camera's

    // camera titles: address 0..8 by character position 0..20, and the
    // insertion point 0..19 of the mouse title editor
    std::array<std::array<std::uint8_t, 21>, 9> titles{};
    int titleCursor = 0;
};

} // namespace peltro
