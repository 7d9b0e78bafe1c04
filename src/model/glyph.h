#pragma once

namespace peltro {

// The pictures of the step and hold buttons, drawn rather than loaded.
enum class Glyph { Left, Right, Up, Down, Plus, Minus, LeftEnd, RightEnd, Dot };

} // namespace peltro
