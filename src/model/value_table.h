#pragma once

// The value groups of the main window, one table per kind of control:
// sliders, step buttons and hold buttons, each with its name, designed
// range, packet and place. The frames build the controls from these tables,
// the value controls wire them, and the model procedures put the designed
// ranges back; nothing else repeats a name's range or packet.

#include "glyph.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>

namespace peltro {

// Where a control sits: its frame's name and, inside the frame, its left
// and top edges and width in twips (the height follows from the kind).
struct Place {
    const char* frame;
    double left;
    double top;
    double width;
};

enum class SliderKind {
    Plain,       // press stops auto refresh, release may restart it
    Resending,   // as Plain, and the release sends the final position again
    MoveOnly,    // only the operator's movement sends; press and release do nothing
};

struct SliderDef {
    const char* name;
    int min, max;         // designed range
    int command;          // byte after 8x 01 04
    bool fourNibbles;     // false: 00 00 0r 0s
    SliderKind kind;
    Place place;
    const char* valueBox; // the box the status read writes beside it; nullptr none
    Place boxPlace;
};

// A button whose click sends one or two fixed packets, back to back. It
// shows a picture, or, with a caption, a caption of the given width.
struct StepDef {
    const char* name;
    std::array<std::array<std::uint8_t, 2>, 2> bodies;  // command, parameter
    int count;
    Glyph glyph;
    const char* text;       // accessible name of a picture button
    const char* caption;    // nullptr: a picture button
    Place place;
};

// A picture button that moves while a mouse button is held on it.
struct HoldDef {
    const char* name;
    int command;
    int param;                // speed base (0x20 / 0x30) with a speed box, else the fixed byte
    const char* speedBox;     // nullptr: fixed parameter
    int singleSpeedParam;     // fixed byte on the single-speed pan/tilt model, -1 none
    Glyph glyph;
    const char* text;
    Place place;
};

const QList<SliderDef>& sliderDefs();
const QList<StepDef>& stepDefs();
const QList<HoldDef>& holdDefs();

// The slider of that name; a name not in the table stops the program.
const SliderDef& sliderDef(const QString& name);

} // namespace peltro
