#pragma once

#include "glyph.h"

#include <QIcon>
#include <QPushButton>

namespace peltro {

QIcon glyphIcon(Glyph glyph);

// Gives a button a picture and no caption; the accessible name stands in for
// the caption for assistive tools and tests.
void setPicture(QAbstractButton* button, Glyph glyph, const QString& accessibleName);

// A plain picture button whose click is the command (a step button).
QPushButton* makePictureButton(const QString& objectName, Glyph glyph,
                               const QString& accessibleName, QWidget* parent = nullptr);

// A picture button that acts while a mouse button is held on it: held() on
// the press of any mouse button, releasedHold() when the last button is
// released, even if the pointer has left the button by then. The keyboard
// does nothing: QPushButton's pressed()/released() also fire for the space
// bar and released() fires early when the pointer leaves, so neither is
// used. The button takes no keyboard focus.
//
// A hold also ends, with releasedHold() at once, when the button loses the
// mouse before the release: a modal window opens (the release would be
// dropped), the button or its window is hidden or disabled, the window is
// deactivated, or another widget or a popup gets the mouse. Each hold ends
// exactly once: a release that still arrives afterwards adds nothing.
class HoldButton : public QPushButton {
    Q_OBJECT
public:
    explicit HoldButton(QWidget* parent = nullptr);
    HoldButton(const QString& objectName, Glyph glyph, const QString& accessibleName,
               QWidget* parent = nullptr);

    bool isHolding() const { return m_holding; }

Q_SIGNALS:
    void held();
    void releasedHold();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void endHold();

    bool m_holding = false;
};

} // namespace peltro
