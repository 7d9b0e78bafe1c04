#pragma once

#include <QImage>
#include <QStringList>

namespace peltro::title {

// The picture of the camera's character set, drawn from a dot font of this
// program's own: the 80 glyphs in code order, 16 to a row, each in a cell of
// 25 x 25 units (one unit a pixel), black dots on white.
QImage glyphPicture();

// One glyph as rows of dots ('#' a dot, '.' none), top to bottom: two rows
// for an accent, seven for the letter body and one below the line. Every
// row of a glyph has the same width (1 .. 11 dots). Empty for a code
// outside the set.
QStringList glyphDots(int code);

// Dots are squares of kDot units; the ten rows fill 20 of the cell's 25.
constexpr int kDot = 2;

} // namespace peltro::title
