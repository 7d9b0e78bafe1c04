#pragma once

// Where the frames of the main window sit on its canvas, in twips. The
// pan/tilt panel procedures move some of them; everything else stays put.
namespace peltro::layout {

struct Rect {
    double left, top, width, height;
};

inline constexpr double kColumnA = 60;
inline constexpr double kColumnB = 3960;
inline constexpr double kColumnC = 7920;

// The focus frame lies 130 twips over the bottom of the frame above it
// (digital zoom, or zoom on the models without digital zoom frame), so the
// lens frames keep that strip, and a little more, free of controls: a click
// there reaches the focus frame.
inline constexpr double kFocusOverlap = 130;
inline constexpr Rect kFmZoom{kColumnA, 60, 3840, 1740};
inline constexpr Rect kFmDZoom{kColumnA, kFmZoom.top + kFmZoom.height, 3840, 1050};
inline constexpr Rect kFmFocus{kColumnA, kFmDZoom.top + kFmDZoom.height - kFocusOverlap, 3840, 4095};
inline constexpr Rect kFmAEControl{kColumnB, 60, 3900, 6295};
inline constexpr Rect kFmWB{kColumnC, 60, 3780, 1935};
// The white-balance frame's reset and one-push buttons, below the B gain row.
inline constexpr double kWBButtonsTop = 1575;
inline constexpr Rect kFmAPC{kColumnC, 1995, 3780, 975};
inline constexpr Rect kFmPreset{kColumnC, 2970, 3780, 1575};
inline constexpr Rect kFrame5{kColumnC, 4545, 3780, 1095};
inline constexpr Rect kFmPTWindowM{kColumnC, 5640, 3780, 660};

// Below the exposure and right-hand frames: the status boxes, then the two
// traffic boxes; the direct command box and the refresh buttons sit below
// the focus frame, the buttons' row last, with a margin under it.
inline constexpr double kStatusRow = 6380;
inline constexpr double kTrafficTop = 6960;
inline constexpr double kTrafficHeight = 615;
inline constexpr double kConsoleTop = 6860;
inline constexpr double kCanvasWidth = 11760;
inline constexpr double kCanvasHeight = 7925;

} // namespace peltro::layout
