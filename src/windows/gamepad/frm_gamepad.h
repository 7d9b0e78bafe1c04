#pragma once

#include "gamepad_mapping.h"

#include <QWidget>
#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QSettings;
class QSlider;
class QSpinBox;

namespace peltro {

class GamepadControl;
class SdlGamepad;

// "Gamepad": what each axis and button of the controller does, the feel of
// the sticks and the speed allowed per camera, with each axis's live value.
// OK puts the setup in force and saves it with the other settings; Cancel
// leaves everything as it was. Not modal: the controller keeps working.
class FrmGamepad final : public QWidget {
    Q_OBJECT
public:
    // sdl may be null (no controller support in this build of the rig).
    FrmGamepad(GamepadControl& control, const SdlGamepad* sdl, QSettings& settings, QWidget* parent = nullptr);

    // The setup as the window's controls show it.
    GamepadSetup shownSetup() const;
    void showSetup(const GamepadSetup& setup);

    QLabel* status = nullptr;                                   // GamepadStatus
    std::array<QProgressBar*, kGamepadAxes> axisValue{};        // GamepadAxisValue_i
    std::array<QComboBox*, kGamepadAxes> axisAction{};          // GamepadAxisAction_i
    std::array<QCheckBox*, kGamepadAxes> axisInvert{};          // GamepadAxisInvert_i
    std::array<QLabel*, kGamepadButtons> buttonState{};         // GamepadButtonState_i
    std::array<QComboBox*, kGamepadButtons> buttonAction{};     // GamepadButtonAction_i
    std::array<QCheckBox*, kGamepadButtons> buttonInvert{};     // GamepadButtonInvert_i
    QSpinBox* deadZone = nullptr;                               // GamepadDeadZone, percent
    QSlider* curve = nullptr;                                   // GamepadCurve, 0 linear .. 100 cubic
    QCheckBox* zoomedSlower = nullptr;                          // GamepadZoomedSlower
    std::array<QSpinBox*, GamepadSetup::kCameras> maxSpeed{};   // GamepadMaxSpeed_1..7, percent

    // OK: in force and saved.
    void accept();

private:
    void showLive();

    GamepadControl& m_control;
    const SdlGamepad* m_sdl;
    QSettings& m_settings;
};

// Tools > "Gamepad..." opens the window, or brings it up when it is open.
FrmGamepad* openGamepadWindow(QWidget* parent, GamepadControl& control, const SdlGamepad* sdl, QSettings& settings);
void installGamepadWindow(QAction& action, QWidget* parent, GamepadControl& control, const SdlGamepad* sdl,
                          QSettings& settings);

} // namespace peltro
