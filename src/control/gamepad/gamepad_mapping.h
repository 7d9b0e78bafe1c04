#pragma once

#include <QList>
#include <QString>
#include <array>
#include <optional>

class QSettings;

namespace peltro {

// What an axis or a button of the controller does. The motions take an
// axis's deflection as their speed (a button held is a full deflection);
// the others happen once, when the button is pressed or the axis leaves its
// dead zone.
enum class GamepadAction {
    None,
    Pan,
    Tilt,
    Zoom,
    Focus,
    PreviousCamera,
    NextCamera,
    Preset0,
    Preset1,
    Preset2,
    Preset3,
    Preset4,
    Preset5,
    Preset6,
    StopAll,
    Home,
};

constexpr int kGamepadActionCount = int(GamepadAction::Home) + 1;

bool isMotion(GamepadAction action);
// The preset number the panel shows, for Preset0..Preset6; -1 otherwise.
int presetNumber(GamepadAction action);
// "Previous camera", "Preset 1", ...
QString actionCaption(GamepadAction action);
// The word kept in the settings: "PreviousCamera", "Preset1", ...
QString actionKey(GamepadAction action);
std::optional<GamepadAction> actionFromKey(const QString& key);

// The inputs of a game controller, in SDL's order.
constexpr int kGamepadAxes = 6;      // left x/y, right x/y, left and right trigger
constexpr int kGamepadButtons = 21;  // a, b, x, y, back, guide, start, ... touchpad
QString axisCaption(int axis);       // "Left stick X"
QString buttonCaption(int button);   // "A", "Left shoulder"
QString axisKey(int axis);           // SDL's own names: "leftx"
QString buttonKey(int button);       // "a", "leftshoulder"

struct GamepadBinding {
    GamepadAction action = GamepadAction::None;
    bool inverted = false;   // the axis (or the held button) counts the other way
    bool operator==(const GamepadBinding&) const = default;
};

// The mapping and the feel of the controller.
struct GamepadSetup {
    static constexpr int kCameras = 7;
    static constexpr double kDefaultDeadZone = 0.15;

    std::array<GamepadBinding, kGamepadAxes> axes{};
    std::array<GamepadBinding, kGamepadButtons> buttons{};

    double deadZone = kDefaultDeadZone;   // of the full deflection, 0.05 .. 0.5
    double curve = 0.0;                   // 0 linear .. 1 cubic
    std::array<int, kCameras> maxSpeedPercent{100, 100, 100, 100, 100, 100, 100};   // 10 .. 100
    bool slowerWhenZoomed = false;        // pan-tilt slows down the further the camera is zoomed in

    // Left stick pan and tilt, right stick's vertical zoom (up is tele),
    // shoulders previous and next camera, A/B/X/Y presets 1 to 4, Start
    // stops every camera, Back sends the camera home.
    static GamepadSetup defaults();

    // Group "Settings", keys "GamepadDeadZone", "GamepadCurve",
    // "GamepadZoomedSlower", "GamepadMaxSpeed1".."7", "GamepadAxis_<name>",
    // "GamepadButton_<name>". A value that cannot be read keeps the default.
    static GamepadSetup read(const QSettings& settings);
    void write(QSettings& settings) const;

    bool operator==(const GamepadSetup&) const = default;
};

} // namespace peltro
