#include "keyboard_control.h"

#include "tick_action.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QWidget>
#include <cmath>

namespace peltro {

namespace {
const QString kToggleKey = QStringLiteral("Settings/KeyboardControl");

// Shift picks the speed; the keypad's flag (arrows on the number pad) is no
// modifier of ours.
Qt::KeyboardModifiers relevant(Qt::KeyboardModifiers m)
{
    return m & ~Qt::KeypadModifier;
}
} // namespace

KeyboardControl::KeyboardControl(CameraOperations& ops, QObject* parent) : QObject(parent), m_ops(ops)
{
    connect(&ops, &CameraOperations::linkChanged, this, [this] { focusLost(); });
    connect(&ops, &CameraOperations::selectedChanged, this, [this] { focusLost(); });
}

void KeyboardControl::setEnabled(bool on)
{
    if (!on)
        focusLost();
    m_enabled = on;
}

int KeyboardControl::motionKey(int key)
{
    switch (key) {
    case Qt::Key_Left: return Left;
    case Qt::Key_Right: return Right;
    case Qt::Key_Up: return Up;
    case Qt::Key_Down: return Down;
    case Qt::Key_PageUp: return Tele;
    case Qt::Key_PageDown: return Wide;
    default: return -1;
    }
}

bool KeyboardControl::claims(int key, Qt::KeyboardModifiers modifiers) const
{
    if (!m_enabled)
        return false;
    const Qt::KeyboardModifiers m = relevant(modifiers);
    if (motionKey(key) >= 0)
        return m == Qt::NoModifier || m == Qt::ShiftModifier;
    if (key == Qt::Key_Home || key == Qt::Key_Space || key == Qt::Key_Escape)
        return m == Qt::NoModifier;
    if (key >= Qt::Key_1 && key <= Qt::Key_6)
        return m == Qt::ControlModifier;
    return false;
}

bool KeyboardControl::keyPress(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat)
{
    if (!m_enabled)
        return false;
    if (key == Qt::Key_Shift) {
        // Shift pressed or let go while a motion key is held changes the speed.
        m_fast = true;
        if (!m_held.isEmpty())
            apply();
        return false;
    }
    if (!claims(key, modifiers))
        return false;
    if (autoRepeat)
        return true;
    m_fast = relevant(modifiers) & Qt::ShiftModifier;
    const int camera = m_ops.selectedCamera();
    if (const int motion = motionKey(key); motion >= 0) {
        if (m_held.contains(motion))
            return true;
        m_held.insert(motion);
        note(QKeySequence(key).toString() + QStringLiteral(" pressed"));
        if (motion <= Down && !m_ops.camera(camera).panTilt)
            report(CameraOperations::Outcome::NoPanTilt, QStringLiteral("Pan-tilt"));
        apply();
        return true;
    }
    switch (key) {
    case Qt::Key_Home:
        note(QStringLiteral("Home pressed"));
        report(m_ops.home(camera, Surface::Keyboard), QStringLiteral("Home"));
        break;
    case Qt::Key_Space:
    case Qt::Key_Escape:
        note(QKeySequence(key).toString() + QStringLiteral(" pressed: stop"));
        m_held.clear();
        if (m_movedCamera != camera)
            stopMoved();   // another camera that the keys moved
        m_movedCamera = 0;
        m_pan = m_tilt = m_zoom = 0;
        if (m_ops.stop(camera, Surface::Keyboard) == CameraOperations::Outcome::LinkLost)
            m_movedCamera = camera;   // stopped again when the link is back
        break;
    default: {
        const int preset = key - Qt::Key_0;
        note(QStringLiteral("Ctrl+%1 pressed").arg(preset));
        report(m_ops.preset(camera, CameraOperations::PresetOp::Recall, preset, Surface::Keyboard),
               QStringLiteral("Preset %1").arg(preset));
        break;
    }
    }
    return true;
}

bool KeyboardControl::keyRelease(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat)
{
    if (!m_enabled)
        return false;
    if (key == Qt::Key_Shift) {
        m_fast = false;
        if (!m_held.isEmpty())
            apply();
        return false;
    }
    const int motion = motionKey(key);
    if (motion >= 0 && m_held.contains(motion)) {
        if (!autoRepeat) {
            m_held.remove(motion);
            apply();
        }
        return true;
    }
    return claims(key, modifiers);
}

void KeyboardControl::focusLost()
{
    m_held.clear();
    stopMoved();
}

int KeyboardControl::step(int maximum) const
{
    if (maximum <= 0)
        return 0;
    return m_fast ? maximum : std::max(1, int(std::lround(maximum * kNormalShare)));
}

void KeyboardControl::apply()
{
    const int camera = m_ops.selectedCamera();
    if (m_held.isEmpty()) {
        stopMoved();
        return;
    }
    if (m_movedCamera && m_movedCamera != camera)
        stopMoved();
    const CameraOperations::CameraInfo info = m_ops.camera(camera);
    // Without a head the arrows were refused when they went down.
    const int pan = info.panTilt ? (int(m_held.contains(Right)) - int(m_held.contains(Left))) * step(info.maxPanSpeed) : 0;
    const int tilt = info.panTilt ? (int(m_held.contains(Up)) - int(m_held.contains(Down))) * step(info.maxTiltSpeed) : 0;
    const int zoom = (int(m_held.contains(Tele)) - int(m_held.contains(Wide))) * step(info.maxZoomSpeed);
    if (pan != m_pan || tilt != m_tilt) {
        report(m_ops.panTilt(camera, pan, tilt, Surface::Keyboard), QStringLiteral("Pan-tilt"));
        m_pan = pan;
        m_tilt = tilt;
    }
    if (zoom != m_zoom) {
        report(m_ops.zoom(camera, zoom, Surface::Keyboard), QStringLiteral("Zoom"));
        m_zoom = zoom;
    }
    if (pan || tilt || zoom)
        m_movedCamera = camera;
}

void KeyboardControl::stopMoved()
{
    if (m_movedCamera) {
        const int camera = m_movedCamera;
        m_movedCamera = 0;
        // Refused for a lost link: owed, and stopped again when it is back.
        if (m_ops.stop(camera, Surface::Keyboard) == CameraOperations::Outcome::LinkLost)
            m_movedCamera = camera;
    }
    m_pan = m_tilt = m_zoom = 0;
}

void KeyboardControl::note(const QString& what)
{
    m_ops.noteSurfaceEvent(Surface::Keyboard, QStringLiteral("Keyboard"), what);
}

void KeyboardControl::report(CameraOperations::Outcome outcome, const QString& what)
{
    if (outcome == CameraOperations::Outcome::Done)
        return;
    Q_EMIT refused(QStringLiteral("Keyboard: %1 not sent: %2.").arg(what, CameraOperations::refusalReason(outcome)));
}

KeyboardFilter::KeyboardFilter(QWidget& window, KeyboardControl& control)
    : QObject(&window), m_window(&window), m_control(control)
{
    // The keys go to whichever widget has the focus: only the application
    // sees them all before the widgets do.
    qApp->installEventFilter(this);
}

KeyboardFilter::~KeyboardFilter()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool KeyboardFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_window || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        if (widget->window() != m_window)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::ShortcutOverride) {
            if (!m_control.claims(key->key(), key->modifiers()))
                return false;
            // Accepted, the key comes as a key press instead of a shortcut.
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress)
            return m_control.keyPress(key->key(), key->modifiers(), key->isAutoRepeat());
        return m_control.keyRelease(key->key(), key->modifiers(), key->isAutoRepeat());
    }
    case QEvent::WindowDeactivate:
        if (widget == m_window)
            m_control.focusLost();
        return false;
    case QEvent::Show:
        if (widget != m_window && widget->isWindow() && widget->isModal())
            m_control.focusLost();
        return false;
    default:
        return false;
    }
}

void bindKeyboardToggle(TickAction& toggle, KeyboardControl& control, QSettings& settings)
{
    const bool on = settings.value(kToggleKey).toString().trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
    toggle.setCheckable(true);
    toggle.setChecked(on);
    control.setEnabled(on);
    QObject::connect(&toggle, &TickAction::clicked, &control, [&toggle, &control, &settings] {
        const bool now = !toggle.isChecked();
        toggle.setChecked(now);
        control.setEnabled(now);
        settings.setValue(kToggleKey, now ? QStringLiteral("True") : QStringLiteral("False"));
        settings.sync();
    });
}

} // namespace peltro
