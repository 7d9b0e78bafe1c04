#pragma once

#include <QString>

namespace peltro {

class Link;
struct PanelState;

// Tries on each inquiry of the alarm check before it gives up.
inline constexpr int kAlarmCheckTries = 7;

// Reads the camera's alarm settings into the panel state: detection on or
// off, the mode, the day, night and current levels, each with a silent
// inquiry repeated until its answer is valid, at most kAlarmCheckTries times.
// True when all three were read (the settings are then marked as read);
// false when one never got a valid answer (what was read before stays).
bool CheckAlarmStatus(Link& link, PanelState& state);

// What the operator is told when the check got no answer.
QString alarmNoAnswerText();

} // namespace peltro
