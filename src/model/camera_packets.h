#pragma once

#include "packet.h"

// The command packets behind the main window's lens, exposure and
// white-balance controls, as plain data and functions with no widget in
// them. Every packet here is a camera command: 8x 01 04 <body> FF.

#include "value_table.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace peltro {

// 8x 01 04 <body> FF for the camera at address (1..7).
Packet cameraCommand(int address, std::initializer_list<int> body);
Packet cameraCommand(int address, const QList<int>& body);

// A position carried one nibble per byte, most significant first: four
// nibbles 0p 0q 0r 0s, or two (00 00 0r 0s) for the byte-wide settings.
QList<int> nibbles(int value, bool fourNibbles);

// --- Value groups (their table: value_table.h) -------------------------------

Packet sliderPacket(int address, const SliderDef& slider, int value);
// The move byte: base + speed from the box text (0..7, junk counts as its
// leading number or 0), or the fixed byte.
int holdParam(const HoldDef& hold, const QString& speedText, std::uint8_t panTiltModel);
Packet holdMovePacket(int address, const HoldDef& hold, const QString& speedText,
                          std::uint8_t panTiltModel);
Packet holdStopPacket(int address, const HoldDef& hold);
// A packet that stops a movement of one camera: the pan-tilt drive's stop
// (8x 01 06 01 vv ww 03 03 FF) or a hold's stop (zoom, digital zoom, focus,
// phase: 8x 01 04 0c 00 FF).
bool isMotionStop(const QByteArray& bytes);

// The pan/tilt model whose focus drive has a single speed.
inline constexpr std::uint8_t kSingleSpeedFocusModel = 0x02;

// Models whose "shutter slower" button also steps the panel's own shutter
// slider, compared without regard to case.
bool stepsShutterLocally(const QString& modelName);
// The lowest shutter row from which that local step goes down.
inline constexpr int kLocalShutterFloor = 7;

// --- Lens -------------------------------------------------------------------

inline constexpr int kOpticalTeleEnd = 0x4000;
inline constexpr int kDigitalTeleEnd = 0x8BE0;   // the tele end with digital zoom on

// The zoom direct packet of the tele-end button.
Packet teleEndPacket(int address, bool digitalZoomOn);

// 8x 01 04 27 0p 0q 0r 0s FF: p and q from the first and last character of
// the active time, r and s from those of the interval time.
Packet afTimesPacket(int address, const QString& activeTime, const QString& intervalTime);

// Lens, exposure and white-balance controls that send one fixed packet,
// 8x 01 04 <command> <param> FF, by the control (and the state it asks for).
enum class PanelCommand {
    DZoomOn, DZoomOff, DZoomCombine, DZoomSeparate, DZoomMax,
    AutoFocus, ManualFocus, AFNormal, AFInterval, AFZoomTrigger,
    AFTrigger, Infinity, AFSensLow, AFSensNormal, LensInit,
    WBTrigger,
};
struct PanelCommandRow {
    PanelCommand which;
    const char* name;   // the control, and the state where it has several
    int command;
    int param;
};
const QList<PanelCommandRow>& panelCommandRows();
Packet panelPacket(int address, PanelCommand which);

// The exposure check boxes: on 02, off 03.
struct ExposureSwitch {
    const char* name;
    int command;
    bool gatesExpCompGroup;   // the compensation steps are usable only while it is on
};
const QList<ExposureSwitch>& exposureSwitches();

// --- Exposure and white balance ---------------------------------------------

enum ModeCode : int {
    AEFullAuto = 0x00,
    AEManual = 0x03,
    AEShutterPriority = 0x0A,
    AEIrisPriority = 0x0B,
    AEGainPriority = 0x0C,
    AEBright = 0x0D,
    AEShutterAuto = 0x1A,
    AEIrisAuto = 0x1B,
    AEGainAuto = 0x1C,
};

struct AEModeRow {
    int code;
    const char* item;   // menu item
    bool iris, gain, shutter, bright, switches;  // groups usable in the mode
};
// The nine AE modes in the order their menu items are unticked.
const QList<AEModeRow>& aeModeRows();
std::optional<AEModeRow> aeModeRow(int code);

struct WBModeRow {
    int code;
    const char* item;
    bool gains;     // R/B gain groups and their reset
    bool trigger;   // one-push trigger
};
const QList<WBModeRow>& wbModeRows();
std::optional<WBModeRow> wbModeRow(int code);

} // namespace peltro
