#include "gamepad_control.h"

#include <algorithm>
#include <cmath>

namespace peltro {

double AxisFeel::shape(double value, double deadZone, double curve)
{
    const double a = std::fabs(value);
    // Let go a little inside the dead zone, never at its centre.
    const double release = deadZone - std::min(kHysteresis, deadZone / 2);
    if (!m_engaged && a > deadZone)
        m_engaged = true;
    else if (m_engaged && a < release)
        m_engaged = false;
    if (!m_engaged)
        return 0.0;
    const double t = std::clamp((a - deadZone) / (1.0 - deadZone), 0.0, 1.0);
    const double k = std::clamp(curve, 0.0, 1.0);
    // Engaged is moving: the slowest step, also in the hysteresis band.
    const double f = std::max((1.0 - k) * t + k * t * t * t, 1e-6);
    return value < 0 ? -f : f;
}

int speedStep(double fraction, int maxStep)
{
    if (fraction == 0.0 || maxStep <= 0 || !std::isfinite(fraction))
        return 0;
    const int step = std::clamp(int(std::ceil(std::fabs(fraction) * maxStep - 1e-9)), 1, maxStep);
    return fraction < 0 ? -step : step;
}

GamepadControl::GamepadControl(CameraOperations& ops, QObject* parent) : QObject(parent), m_ops(ops)
{
    connect(&ops, &CameraOperations::linkChanged, this, [this] { stopMoved(); });
    connect(&ops, &CameraOperations::selectedChanged, this, [this] { stopMoved(); });
    // The zoom position of the last status read may change the pan-tilt step.
    connect(&ops, &CameraOperations::cameraChanged, this, [this](int address) {
        if (address == m_ops.selectedCamera())
            update();
    });
}

void GamepadControl::setSetup(const GamepadSetup& setup)
{
    // A binding changed under a held stick must not leave a camera running.
    stopMoved();
    m_setup = setup;
    m_setup.deadZone = std::clamp(m_setup.deadZone, 0.05, 0.5);
    m_setup.curve = std::clamp(m_setup.curve, 0.0, 1.0);
    for (int& p : m_setup.maxSpeedPercent)
        p = std::clamp(p, 10, 100);
    for (AxisFeel& f : m_feel)
        f.reset();
    m_fraction.fill(0.0);
}

void GamepadControl::attach(const QString& name)
{
    m_attached = true;
    m_name = name.isEmpty() ? QStringLiteral("Gamepad") : name;
    m_axes.fill(0.0);
    m_buttons.fill(false);
    m_fraction.fill(0.0);
    m_axisLatched.fill(false);
    m_buttonLatched.fill(false);
    for (AxisFeel& f : m_feel)
        f.reset();
    Q_EMIT attachedChanged(true);
    Q_EMIT inputChanged();
}

void GamepadControl::detach()
{
    if (!m_attached)
        return;
    stopMoved();
    m_attached = false;
    m_axes.fill(0.0);
    m_buttons.fill(false);
    m_fraction.fill(0.0);
    for (AxisFeel& f : m_feel)
        f.reset();
    Q_EMIT attachedChanged(false);
    Q_EMIT inputChanged();
}

double GamepadControl::axisValue(int axis) const
{
    return axis >= 0 && axis < kGamepadAxes ? m_axes[axis] : 0.0;
}

bool GamepadControl::buttonDown(int button) const
{
    return button >= 0 && button < kGamepadButtons && m_buttons[button];
}

void GamepadControl::axisMoved(int axis, double value)
{
    if (!m_attached || axis < 0 || axis >= kGamepadAxes)
        return;
    if (!std::isfinite(value))
        value = 0.0;
    value = std::clamp(value, -1.0, 1.0);
    m_axes[axis] = value;
    const GamepadBinding& binding = m_setup.axes[axis];
    const bool was = m_feel[axis].engaged();
    m_fraction[axis] = m_feel[axis].shape(binding.inverted ? -value : value, m_setup.deadZone, m_setup.curve);
    const bool now = m_feel[axis].engaged();
    if (!now)
        m_axisLatched[axis] = false;
    if (!was && now && !m_axisLatched[axis]) {
        const QString input = axisCaption(axis);
        if (isMotion(binding.action))
            m_ops.noteSurfaceEvent(Surface::Gamepad, m_name, input + QStringLiteral(": ") + actionCaption(binding.action));
        else
            trigger(binding.action, input);
    }
    Q_EMIT inputChanged();
    update();
}

void GamepadControl::buttonChanged(int button, bool down)
{
    if (!m_attached || button < 0 || button >= kGamepadButtons || m_buttons[button] == down)
        return;
    m_buttons[button] = down;
    if (!down)
        m_buttonLatched[button] = false;
    const GamepadBinding& binding = m_setup.buttons[button];
    if (down && !m_buttonLatched[button]) {
        const QString input = buttonCaption(button);
        if (isMotion(binding.action))
            m_ops.noteSurfaceEvent(Surface::Gamepad, m_name, input + QStringLiteral(": ") + actionCaption(binding.action));
        else
            trigger(binding.action, input);
    }
    Q_EMIT inputChanged();
    update();
}

void GamepadControl::trigger(GamepadAction action, const QString& input)
{
    if (action == GamepadAction::None)
        return;
    m_ops.noteSurfaceEvent(Surface::Gamepad, m_name, input + QStringLiteral(": ") + actionCaption(action));
    const int camera = m_ops.selectedCamera();
    switch (action) {
    case GamepadAction::PreviousCamera:
    case GamepadAction::NextCamera: {
        const int count = m_ops.cameraCount();
        if (count < 1) {
            report(CameraOperations::Outcome::NotInChain, actionCaption(action));
            return;
        }
        stopMoved();
        const int next = action == GamepadAction::NextCamera ? camera % count + 1 : (camera + count - 2) % count + 1;
        report(m_ops.select(next, Surface::Gamepad), QStringLiteral("Camera %1").arg(next));
        return;
    }
    case GamepadAction::StopAll: {
        stopMoved();
        for (int a = 1; a <= m_ops.cameraCount(); ++a)
            m_ops.stop(a, Surface::Gamepad);
        return;
    }
    case GamepadAction::Home:
        report(m_ops.home(camera, Surface::Gamepad), QStringLiteral("Home"));
        return;
    default:
        break;
    }
    const int preset = presetNumber(action);
    if (preset >= 0)
        report(m_ops.preset(camera, CameraOperations::PresetOp::Recall, preset, Surface::Gamepad),
               QStringLiteral("Preset %1").arg(preset));
}

void GamepadControl::report(CameraOperations::Outcome outcome, const QString& what)
{
    if (outcome == CameraOperations::Outcome::Done)
        return;
    Q_EMIT refused(QStringLiteral("Gamepad: %1 not sent: %2.").arg(what, CameraOperations::refusalReason(outcome)));
}

int GamepadControl::maxStep(const CameraOperations::CameraInfo& info, Motion motion) const
{
    int base = 0;
    switch (motion) {
    case Pan: base = info.maxPanSpeed; break;
    case Tilt: base = info.maxTiltSpeed; break;
    case Zoom: base = info.maxZoomSpeed; break;
    case Focus: base = std::max(info.maxFocusSpeed, 1); break;   // 0: one fixed speed
    default: break;
    }
    if (base <= 0)
        return 0;
    const int index = std::clamp(info.address, 1, GamepadSetup::kCameras) - 1;
    double scale = m_setup.maxSpeedPercent[index] / 100.0;
    if ((motion == Pan || motion == Tilt) && m_setup.slowerWhenZoomed && info.zoomPosition >= 0
        && info.zoomTeleEnd > 0) {
        const double zoomedIn = std::clamp(double(info.zoomPosition) / info.zoomTeleEnd, 0.0, 1.0);
        scale *= 1.0 - (1.0 - kZoomedInSlowest) * zoomedIn;
    }
    return std::max(1, int(std::lround(base * scale)));
}

void GamepadControl::update()
{
    const int camera = m_ops.selectedCamera();
    if (!m_attached || !m_ops.linkUp() || camera < 1)
        return;
    std::array<double, MotionCount> want{};
    auto offer = [&want](GamepadAction action, double fraction) {
        const int m = action == GamepadAction::Pan ? Pan
                      : action == GamepadAction::Tilt ? Tilt
                      : action == GamepadAction::Zoom ? Zoom
                                                      : Focus;
        if (std::fabs(fraction) > std::fabs(want[m]))
            want[m] = fraction;
    };
    for (int a = 0; a < kGamepadAxes; ++a) {
        if (isMotion(m_setup.axes[a].action) && !m_axisLatched[a])
            offer(m_setup.axes[a].action, m_fraction[a]);
    }
    for (int b = 0; b < kGamepadButtons; ++b) {
        const GamepadBinding& binding = m_setup.buttons[b];
        if (isMotion(binding.action) && m_buttons[b] && !m_buttonLatched[b])
            offer(binding.action, binding.inverted ? -1.0 : 1.0);
    }
    const CameraOperations::CameraInfo info = m_ops.camera(camera);
    Speeds next;
    next.camera = camera;
    if (info.panTilt) {
        next.pan = speedStep(want[Pan], maxStep(info, Pan));
        next.tilt = speedStep(want[Tilt], maxStep(info, Tilt));
    }
    next.zoom = speedStep(want[Zoom], maxStep(info, Zoom));
    next.focus = speedStep(want[Focus], maxStep(info, Focus));
    if (m_sent.camera != camera)
        m_sent = Speeds{camera};

    if (next.pan != m_sent.pan || next.tilt != m_sent.tilt)
        report(m_ops.panTilt(camera, next.pan, next.tilt, Surface::Gamepad), QStringLiteral("Pan-tilt"));
    if (next.zoom != m_sent.zoom)
        report(m_ops.zoom(camera, next.zoom, Surface::Gamepad), QStringLiteral("Zoom"));
    if (next.focus != m_sent.focus)
        report(m_ops.focus(camera, next.focus, Surface::Gamepad), QStringLiteral("Focus"));
    m_sent = next;
    if (next.pan || next.tilt || next.zoom || next.focus)
        m_moved.insert(camera);
    else
        m_moved.remove(camera);
}

void GamepadControl::stopMoved()
{
    QList<int> cameras(m_moved.begin(), m_moved.end());
    std::sort(cameras.begin(), cameras.end());
    for (int camera : cameras) {
        // Refused for a lost link, the stop is owed: it goes again when the
        // link is back.
        if (m_ops.stop(camera, Surface::Gamepad) != CameraOperations::Outcome::LinkLost)
            m_moved.remove(camera);
    }
    m_sent = Speeds{m_ops.selectedCamera()};
    // Whatever is held now counts again only once it has been let go.
    for (int a = 0; a < kGamepadAxes; ++a)
        m_axisLatched[a] = m_feel[a].engaged();
    for (int b = 0; b < kGamepadButtons; ++b)
        m_buttonLatched[b] = m_buttons[b];
}

} // namespace peltro
