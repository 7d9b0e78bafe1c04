#pragma once

// The handlers of the main window's value groups (sliders, step and hold
// buttons), lens, exposure, white-balance, picture, memory and display
// controls, and the enabled-state patterns they share with the status read.

#include "packet.h"

namespace peltro {

class FrmMain;

// Connects every handler below to the main window's controls. Called once,
// after the frames and menus exist.
void installCameraControls(FrmMain& main);

void installValueControls(FrmMain& main);
void installLensControls(FrmMain& main);
void installExposureControls(FrmMain& main);
void installWhiteBalanceControls(FrmMain& main);
void installPictureControls(FrmMain& main);
void installMemoryControls(FrmMain& main);
void installDisplayControls(FrmMain& main);

// Sends an operator command (send mode 1); the result is not looked at.
void sendCommand(FrmMain& main, const Packet& packet);

// True, and the operator told, when the link is lost: a handler that would
// change the panel's look before its packet goes out changes nothing then,
// so that the panel never shows what the camera was not told.
bool refusedForLostLink(FrmMain& main);

// --- Enabled-state patterns --------------------------------------------------

enum class FocusPattern {
    Auto,      // auto focus: drive controls off, sub-mode buttons on but the one in force
    SubMode,   // an AF sub-mode chosen: its button off, the other two on
    Manual,    // manual focus: drive controls, One Push AF, Infinity and "Auto" on
    TimeSet,   // AF times set: drive controls off, every mode button on
};

// Applies a focus pattern. subMode (0 Normal, 1 Interval AF, 2 Zoom Trigger)
// names the sub-mode button left disabled by Auto and SubMode; any other
// value leaves all three enabled. Manual and TimeSet ignore it. On the
// single-speed pan/tilt model Manual keeps the speed boxes disabled.
void applyFocusPattern(FrmMain& main, FocusPattern pattern, int subMode);

// Which zoom slider is in front: the full range one (digital zoom on in
// combine mode) or the optical one. The other is hidden and disabled.
void showFullZoomSlider(FrmMain& main, bool full);

// The exposure groups usable in AE mode code; an unknown code changes nothing.
void applyAEEnabling(FrmMain& main, int mode);
// Unticks the nine AE mode items and ticks the one of mode (none if unknown).
void checkAEModeItem(FrmMain& main, int mode);

// The gain groups, gain reset and one-push trigger usable in WB mode code
// (0 Auto .. 5 Manual WB); an unknown code changes nothing.
void applyWBEnabling(FrmMain& main, int mode);
// Unticks the six WB mode items and ticks the one of mode (none if unknown).
void checkWBModeItem(FrmMain& main, int mode);

} // namespace peltro
