#pragma once

class QAbstractButton;
class QWidget;

namespace peltro {

// The panel's buttons and check boxes have fixed sizes; a caption wider than
// the room the style leaves for it (a wide font, a scale factor) would be
// cut. fitCaption shrinks that button's font in half points until the caption
// fits, down to three quarters of the size it had; a caption that fits keeps
// the font as it is.
void fitCaption(QAbstractButton* button);
// fitCaption for every button, check box and option button under root.
void fitCaptions(QWidget* root);

// The room the style leaves for a button's caption, and what the caption needs.
int captionRoom(const QAbstractButton* button);
int captionWidth(const QAbstractButton* button);

} // namespace peltro
