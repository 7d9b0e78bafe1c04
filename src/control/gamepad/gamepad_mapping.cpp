#include "gamepad_mapping.h"

#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace peltro {

namespace {

const char* const kActionKeys[kGamepadActionCount] = {
    "None", "Pan", "Tilt", "Zoom", "Focus", "PreviousCamera", "NextCamera", "Preset0", "Preset1",
    "Preset2", "Preset3", "Preset4", "Preset5", "Preset6", "StopAll", "Home",
};

// SDL's names of the axes and buttons, in its order.
const char* const kAxisKeys[kGamepadAxes] = {"leftx", "lefty", "rightx", "righty", "lefttrigger", "righttrigger"};
const char* const kAxisCaptions[kGamepadAxes] = {"Left stick X", "Left stick Y", "Right stick X",
                                                 "Right stick Y", "Left trigger", "Right trigger"};
const char* const kButtonKeys[kGamepadButtons] = {
    "a", "b", "x", "y", "back", "guide", "start", "leftstick", "rightstick", "leftshoulder", "rightshoulder",
    "dpup", "dpdown", "dpleft", "dpright", "misc1", "paddle1", "paddle2", "paddle3", "paddle4", "touchpad",
};
const char* const kButtonCaptions[kGamepadButtons] = {
    "A", "B", "X", "Y", "Back", "Guide", "Start", "Left stick press", "Right stick press", "Left shoulder",
    "Right shoulder", "D-pad up", "D-pad down", "D-pad left", "D-pad right", "Misc", "Paddle 1", "Paddle 2",
    "Paddle 3", "Paddle 4", "Touchpad",
};

enum Axis { LeftX, LeftY, RightX, RightY };
enum Button { A, B, X, Y, Back, Start = 6, LeftShoulder = 9, RightShoulder = 10 };

const QString kGroup = QStringLiteral("Settings/");
const QLatin1String kInverted("Inverted");

std::optional<double> readNumber(const QSettings& s, const QString& key, double lo, double hi)
{
    const QVariant v = s.value(kGroup + key);
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < lo || d > hi)
        return std::nullopt;
    return d;
}

std::optional<GamepadBinding> parseBinding(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.isEmpty() || parts.size() > 2)
        return std::nullopt;
    const auto action = actionFromKey(parts.first().trimmed());
    if (!action)
        return std::nullopt;
    GamepadBinding b{*action, false};
    if (parts.size() == 2) {
        if (parts[1].trimmed().compare(kInverted, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        b.inverted = true;
    }
    return b;
}

QString bindingText(const GamepadBinding& b)
{
    return b.inverted ? actionKey(b.action) + QLatin1Char(',') + kInverted : actionKey(b.action);
}

} // namespace

bool isMotion(GamepadAction action)
{
    return action == GamepadAction::Pan || action == GamepadAction::Tilt || action == GamepadAction::Zoom
           || action == GamepadAction::Focus;
}

int presetNumber(GamepadAction action)
{
    if (action >= GamepadAction::Preset0 && action <= GamepadAction::Preset6)
        return int(action) - int(GamepadAction::Preset0);
    return -1;
}

QString actionCaption(GamepadAction action)
{
    switch (action) {
    case GamepadAction::None: return QStringLiteral("None");
    case GamepadAction::Pan: return QStringLiteral("Pan");
    case GamepadAction::Tilt: return QStringLiteral("Tilt");
    case GamepadAction::Zoom: return QStringLiteral("Zoom");
    case GamepadAction::Focus: return QStringLiteral("Focus");
    case GamepadAction::PreviousCamera: return QStringLiteral("Previous camera");
    case GamepadAction::NextCamera: return QStringLiteral("Next camera");
    case GamepadAction::StopAll: return QStringLiteral("Stop every camera");
    case GamepadAction::Home: return QStringLiteral("Home");
    default: return QStringLiteral("Preset %1").arg(presetNumber(action));
    }
}

QString actionKey(GamepadAction action)
{
    return QString::fromLatin1(kActionKeys[int(action)]);
}

std::optional<GamepadAction> actionFromKey(const QString& key)
{
    for (int i = 0; i < kGamepadActionCount; ++i) {
        if (key.compare(QLatin1String(kActionKeys[i]), Qt::CaseInsensitive) == 0)
            return GamepadAction(i);
    }
    return std::nullopt;
}

QString axisCaption(int axis)
{
    return axis >= 0 && axis < kGamepadAxes ? QString::fromLatin1(kAxisCaptions[axis]) : QString();
}

QString buttonCaption(int button)
{
    return button >= 0 && button < kGamepadButtons ? QString::fromLatin1(kButtonCaptions[button]) : QString();
}

QString axisKey(int axis)
{
    return axis >= 0 && axis < kGamepadAxes ? QString::fromLatin1(kAxisKeys[axis]) : QString();
}

QString buttonKey(int button)
{
    return button >= 0 && button < kGamepadButtons ? QString::fromLatin1(kButtonKeys[button]) : QString();
}

GamepadSetup GamepadSetup::defaults()
{
    GamepadSetup s;
    s.axes[LeftX] = {GamepadAction::Pan, false};
    // SDL counts a stick pushed up as negative; up is tilt up and zoom tele.
    s.axes[LeftY] = {GamepadAction::Tilt, true};
    s.axes[RightY] = {GamepadAction::Zoom, true};
    s.buttons[LeftShoulder] = {GamepadAction::PreviousCamera, false};
    s.buttons[RightShoulder] = {GamepadAction::NextCamera, false};
    s.buttons[A] = {GamepadAction::Preset1, false};
    s.buttons[B] = {GamepadAction::Preset2, false};
    s.buttons[X] = {GamepadAction::Preset3, false};
    s.buttons[Y] = {GamepadAction::Preset4, false};
    s.buttons[Start] = {GamepadAction::StopAll, false};
    s.buttons[Back] = {GamepadAction::Home, false};
    return s;
}

GamepadSetup GamepadSetup::read(const QSettings& settings)
{
    GamepadSetup s = defaults();
    if (auto v = readNumber(settings, QStringLiteral("GamepadDeadZone"), 5, 50))
        s.deadZone = *v / 100.0;
    if (auto v = readNumber(settings, QStringLiteral("GamepadCurve"), 0, 100))
        s.curve = *v / 100.0;
    for (int c = 0; c < kCameras; ++c) {
        if (auto v = readNumber(settings, QStringLiteral("GamepadMaxSpeed%1").arg(c + 1), 10, 100))
            s.maxSpeedPercent[c] = int(std::lround(*v));
    }
    const QVariant slower = settings.value(kGroup + QStringLiteral("GamepadZoomedSlower"));
    if (slower.isValid()) {
        const QString t = slower.toString().trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            s.slowerWhenZoomed = true;
        else if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            s.slowerWhenZoomed = false;
    }
    for (int a = 0; a < kGamepadAxes; ++a) {
        const QVariant v = settings.value(kGroup + QStringLiteral("GamepadAxis_") + axisKey(a));
        if (v.isValid()) {
            if (auto b = parseBinding(v.toString()))
                s.axes[a] = *b;
        }
    }
    for (int b = 0; b < kGamepadButtons; ++b) {
        const QVariant v = settings.value(kGroup + QStringLiteral("GamepadButton_") + buttonKey(b));
        if (v.isValid()) {
            if (auto binding = parseBinding(v.toString()))
                s.buttons[b] = *binding;
        }
    }
    return s;
}

void GamepadSetup::write(QSettings& settings) const
{
    settings.setValue(kGroup + QStringLiteral("GamepadDeadZone"), QString::number(std::lround(deadZone * 100)));
    settings.setValue(kGroup + QStringLiteral("GamepadCurve"), QString::number(std::lround(curve * 100)));
    for (int c = 0; c < kCameras; ++c)
        settings.setValue(kGroup + QStringLiteral("GamepadMaxSpeed%1").arg(c + 1), QString::number(maxSpeedPercent[c]));
    settings.setValue(kGroup + QStringLiteral("GamepadZoomedSlower"),
                      slowerWhenZoomed ? QStringLiteral("True") : QStringLiteral("False"));
    for (int a = 0; a < kGamepadAxes; ++a)
        settings.setValue(kGroup + QStringLiteral("GamepadAxis_") + axisKey(a), bindingText(axes[a]));
    for (int b = 0; b < kGamepadButtons; ++b)
        settings.setValue(kGroup + QStringLiteral("GamepadButton_") + buttonKey(b), bindingText(buttons[b]));
    settings.sync();
}

} // namespace peltro
