#pragma once

#include "camera_operations.h"
#include "gamepad_mapping.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <array>

namespace peltro {

// The feel of one axis: a dead zone with hysteresis, and a response curve
// from linear to cubic. An axis starts to count once it is pushed past the
// dead zone and stops counting only when it falls kHysteresis below it, so
// that a stick resting near the edge does not flicker between move and stop.
class AxisFeel {
public:
    static constexpr double kHysteresis = 0.05;

    // A deflection -1..1 to a signed fraction of full speed: 0 while in the
    // dead zone, then rising from just above 0 at its edge to 1 at the end.
    double shape(double value, double deadZone, double curve);
    bool engaged() const { return m_engaged; }
    void reset() { m_engaged = false; }

private:
    bool m_engaged = false;
};

// The speed step 1..maxStep for a fraction of full speed, with its sign;
// 0 for 0. The smallest deflection past the dead zone gives step 1.
int speedStep(double fraction, int maxStep);

// The gamepad as a control surface: axis and button values in, camera
// operations out. Speeds go out only when the step the camera would get
// changes. Every camera the gamepad moved is stopped when the controller is
// unplugged, the link is lost or comes back, the addressed camera changes or
// stopMoved() is called (the panel closing); an input that was held through
// such a stop counts again only once it has been let go.
class GamepadControl final : public QObject {
    Q_OBJECT
public:
    // Pan-tilt at the tele end, as a share of its speed at the wide end,
    // when it slows down with the zoom.
    static constexpr double kZoomedInSlowest = 0.2;

    explicit GamepadControl(CameraOperations& ops, QObject* parent = nullptr);

    const GamepadSetup& setup() const { return m_setup; }
    void setSetup(const GamepadSetup& setup);

    // From the controller.
    void attach(const QString& name);
    void detach();
    void axisMoved(int axis, double value);      // -1..1; a trigger 0..1
    void buttonChanged(int button, bool down);

    bool attached() const { return m_attached; }
    QString controllerName() const { return m_name; }
    double axisValue(int axis) const;
    bool buttonDown(int button) const;
    // The signed speed steps last asked of the addressed camera.
    int panStep() const { return m_sent.pan; }
    int tiltStep() const { return m_sent.tilt; }
    int zoomStep() const { return m_sent.zoom; }
    int focusStep() const { return m_sent.focus; }

    // Stops every camera the gamepad moved.
    void stopMoved();
    QSet<int> movedCameras() const { return m_moved; }

Q_SIGNALS:
    void attachedChanged(bool attached);
    void inputChanged();   // an axis or button value, for the live view
    // An operation was not done, in the operator's words.
    void refused(const QString& text);

private:
    enum Motion { Pan, Tilt, Zoom, Focus, MotionCount };
    struct Speeds {
        int camera = 0;
        int pan = 0, tilt = 0, zoom = 0, focus = 0;
    };

    double axisFraction(int axis);
    void trigger(GamepadAction action, const QString& input);
    void update();
    void forcedStop();
    int maxStep(const CameraOperations::CameraInfo& info, Motion motion) const;
    void report(CameraOperations::Outcome outcome, const QString& what);

    CameraOperations& m_ops;
    GamepadSetup m_setup = GamepadSetup::defaults();
    bool m_attached = false;
    QString m_name;
    std::array<double, kGamepadAxes> m_axes{};
    std::array<bool, kGamepadButtons> m_buttons{};
    std::array<AxisFeel, kGamepadAxes> m_feel{};
    std::array<double, kGamepadAxes> m_fraction{};
    // Held through a forced stop: ignored until let go.
    std::array<bool, kGamepadAxes> m_axisLatched{};
    std::array<bool, kGamepadButtons> m_buttonLatched{};
    Speeds m_sent;
    QSet<int> m_moved;
};

} // namespace peltro
