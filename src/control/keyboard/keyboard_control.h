#pragma once

#include "camera_operations.h"

#include <QObject>
#include <QPointer>
#include <QSet>

class QSettings;
class QWidget;

namespace peltro {

class TickAction;

// The keyboard as a control surface, fed key presses and releases. Arrows
// move pan-tilt while held (Shift faster), Page Up and Page Down zoom tele
// and wide while held, Home sends the camera home, Ctrl+1..6 recall the
// presets the panel shows as 1..6, Space and Escape stop. The release that
// ends the last held motion key stops the camera; so do losing the focus, a
// modal window opening, the link going or coming back and another camera
// being addressed. Auto-repeated presses and releases count for nothing.
// Off, it takes no key at all.
class KeyboardControl final : public QObject {
    Q_OBJECT
public:
    // Without Shift pan-tilt and zoom run at this share of the camera's
    // maximum speed; with Shift at the maximum.
    static constexpr double kNormalShare = 1.0 / 3.0;

    explicit KeyboardControl(CameraOperations& ops, QObject* parent = nullptr);

    bool enabled() const { return m_enabled; }
    // Turned off, whatever it moved is stopped.
    void setEnabled(bool on);

    // Each returns true when the key is the keyboard control's, so that the
    // key is used up; false leaves it to the window.
    bool keyPress(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    bool keyRelease(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    // Whether a press of this key would be taken (before any shortcut).
    bool claims(int key, Qt::KeyboardModifiers modifiers) const;

    // The window lost the keyboard, or a modal window opened.
    void focusLost();

    bool moving() const { return m_movedCamera != 0; }

Q_SIGNALS:
    // An operation was not done, in the operator's words.
    void refused(const QString& text);

private:
    enum MotionKey { Left, Right, Up, Down, Tele, Wide };
    static int motionKey(int key);

    void apply();
    void stopMoved();
    void note(const QString& what);
    void report(CameraOperations::Outcome outcome, const QString& what);
    int step(int maximum) const;

    CameraOperations& m_ops;
    bool m_enabled = false;
    QSet<int> m_held;   // MotionKey values
    bool m_fast = false;
    int m_movedCamera = 0;
    int m_pan = 0, m_tilt = 0, m_zoom = 0;
};

// Takes the keys of one window (whichever of its widgets has the focus)
// for the keyboard control, before the widgets and the window's shortcuts;
// tells it when the window loses the focus or a modal window opens.
class KeyboardFilter final : public QObject {
    Q_OBJECT
public:
    KeyboardFilter(QWidget& window, KeyboardControl& control);
    ~KeyboardFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    KeyboardControl& m_control;
};

// The check-mark item "Keyboard Camera Control": its tick turns the
// keyboard control on and off and is kept in the settings (group
// "Settings", key "KeyboardControl", "True"/"False"; off when absent).
void bindKeyboardToggle(TickAction& toggle, KeyboardControl& control, QSettings& settings);

} // namespace peltro
