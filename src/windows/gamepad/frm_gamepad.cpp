#include "frm_gamepad.h"

#include "gamepad_control.h"
#include "sdl_gamepad.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace peltro {

namespace {

QComboBox* actionBox(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (int a = 0; a < kGamepadActionCount; ++a)
        box->addItem(actionCaption(GamepadAction(a)), a);
    return box;
}

void selectAction(QComboBox* box, GamepadAction action)
{
    box->setCurrentIndex(box->findData(int(action)));
}

GamepadAction shownAction(const QComboBox* box)
{
    const int a = box->currentData().toInt();
    return a >= 0 && a < kGamepadActionCount ? GamepadAction(a) : GamepadAction::None;
}

} // namespace

FrmGamepad::FrmGamepad(GamepadControl& control, const SdlGamepad* sdl, QSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), m_control(control), m_sdl(sdl), m_settings(settings)
{
    setObjectName(QStringLiteral("FrmGamepad"));
    setWindowTitle(QStringLiteral("Gamepad"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("GamepadStatus"));
    layout->addWidget(status);

    auto* axesBox = new QGroupBox(QStringLiteral("Axes"), this);
    auto* axesGrid = new QGridLayout(axesBox);
    for (int a = 0; a < kGamepadAxes; ++a) {
        axesGrid->addWidget(new QLabel(axisCaption(a), axesBox), a, 0);
        axisValue[a] = new QProgressBar(axesBox);
        axisValue[a]->setObjectName(QStringLiteral("GamepadAxisValue_%1").arg(a));
        axisValue[a]->setRange(-100, 100);
        axisValue[a]->setFormat(QStringLiteral("%v%"));
        axesGrid->addWidget(axisValue[a], a, 1);
        axisAction[a] = actionBox(QStringLiteral("GamepadAxisAction_%1").arg(a), axesBox);
        axesGrid->addWidget(axisAction[a], a, 2);
        axisInvert[a] = new QCheckBox(QStringLiteral("Inverted"), axesBox);
        axisInvert[a]->setObjectName(QStringLiteral("GamepadAxisInvert_%1").arg(a));
        axesGrid->addWidget(axisInvert[a], a, 3);
    }
    layout->addWidget(axesBox);

    auto* buttonsBox = new QGroupBox(QStringLiteral("Buttons"));
    auto* buttonsGrid = new QGridLayout(buttonsBox);
    for (int b = 0; b < kGamepadButtons; ++b) {
        buttonsGrid->addWidget(new QLabel(buttonCaption(b), buttonsBox), b, 0);
        buttonState[b] = new QLabel(buttonsBox);
        buttonState[b]->setObjectName(QStringLiteral("GamepadButtonState_%1").arg(b));
        buttonState[b]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("pressed")));
        buttonsGrid->addWidget(buttonState[b], b, 1);
        buttonAction[b] = actionBox(QStringLiteral("GamepadButtonAction_%1").arg(b), buttonsBox);
        buttonsGrid->addWidget(buttonAction[b], b, 2);
        buttonInvert[b] = new QCheckBox(QStringLiteral("Inverted"), buttonsBox);
        buttonInvert[b]->setObjectName(QStringLiteral("GamepadButtonInvert_%1").arg(b));
        buttonsGrid->addWidget(buttonInvert[b], b, 3);
    }
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(buttonsBox);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll, 1);

    auto* feelBox = new QGroupBox(QStringLiteral("Feel"), this);
    auto* feel = new QGridLayout(feelBox);
    feel->addWidget(new QLabel(QStringLiteral("Dead zone"), feelBox), 0, 0);
    deadZone = new QSpinBox(feelBox);
    deadZone->setObjectName(QStringLiteral("GamepadDeadZone"));
    deadZone->setRange(5, 50);
    deadZone->setSuffix(QStringLiteral(" %"));
    feel->addWidget(deadZone, 0, 1);
    feel->addWidget(new QLabel(QStringLiteral("Response"), feelBox), 1, 0);
    auto* curveRow = new QHBoxLayout;
    curveRow->addWidget(new QLabel(QStringLiteral("Linear"), feelBox));
    curve = new QSlider(Qt::Horizontal, feelBox);
    curve->setObjectName(QStringLiteral("GamepadCurve"));
    curve->setRange(0, 100);
    curveRow->addWidget(curve, 1);
    curveRow->addWidget(new QLabel(QStringLiteral("Cubic"), feelBox));
    feel->addLayout(curveRow, 1, 1, 1, 7);
    zoomedSlower = new QCheckBox(QStringLiteral("Slower pan-tilt the further the camera is zoomed in"), feelBox);
    zoomedSlower->setObjectName(QStringLiteral("GamepadZoomedSlower"));
    feel->addWidget(zoomedSlower, 2, 0, 1, 8);
    feel->addWidget(new QLabel(QStringLiteral("Maximum speed"), feelBox), 3, 0);
    for (int c = 0; c < GamepadSetup::kCameras; ++c) {
        maxSpeed[c] = new QSpinBox(feelBox);
        maxSpeed[c]->setObjectName(QStringLiteral("GamepadMaxSpeed_%1").arg(c + 1));
        maxSpeed[c]->setRange(10, 100);
        maxSpeed[c]->setSuffix(QStringLiteral(" %"));
        maxSpeed[c]->setPrefix(QStringLiteral("Camera %1: ").arg(c + 1));
        feel->addWidget(maxSpeed[c], 4 + c / 4, c % 4 * 2, 1, 2);
    }
    layout->addWidget(feelBox);

    auto* buttons = new QHBoxLayout;
    auto* defaults = new QPushButton(QStringLiteral("Defaults"), this);
    defaults->setObjectName(QStringLiteral("GamepadDefaults"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("GamepadOK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("GamepadCancel"));
    buttons->addWidget(defaults);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(defaults, &QPushButton::clicked, this, [this] { showSetup(GamepadSetup::defaults()); });
    connect(ok, &QPushButton::clicked, this, &FrmGamepad::accept);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(&m_control, &GamepadControl::inputChanged, this, &FrmGamepad::showLive);
    connect(&m_control, &GamepadControl::attachedChanged, this, &FrmGamepad::showLive);

    showSetup(m_control.setup());
    showLive();
}

GamepadSetup FrmGamepad::shownSetup() const
{
    GamepadSetup s;
    for (int a = 0; a < kGamepadAxes; ++a)
        s.axes[a] = {shownAction(axisAction[a]), axisInvert[a]->isChecked()};
    for (int b = 0; b < kGamepadButtons; ++b)
        s.buttons[b] = {shownAction(buttonAction[b]), buttonInvert[b]->isChecked()};
    s.deadZone = deadZone->value() / 100.0;
    s.curve = curve->value() / 100.0;
    s.slowerWhenZoomed = zoomedSlower->isChecked();
    for (int c = 0; c < GamepadSetup::kCameras; ++c)
        s.maxSpeedPercent[c] = maxSpeed[c]->value();
    return s;
}

void FrmGamepad::showSetup(const GamepadSetup& s)
{
    for (int a = 0; a < kGamepadAxes; ++a) {
        selectAction(axisAction[a], s.axes[a].action);
        axisInvert[a]->setChecked(s.axes[a].inverted);
    }
    for (int b = 0; b < kGamepadButtons; ++b) {
        selectAction(buttonAction[b], s.buttons[b].action);
        buttonInvert[b]->setChecked(s.buttons[b].inverted);
    }
    deadZone->setValue(int(std::lround(s.deadZone * 100)));
    curve->setValue(int(std::lround(s.curve * 100)));
    zoomedSlower->setChecked(s.slowerWhenZoomed);
    for (int c = 0; c < GamepadSetup::kCameras; ++c)
        maxSpeed[c]->setValue(s.maxSpeedPercent[c]);
}

void FrmGamepad::showLive()
{
    if (m_sdl && !m_sdl->available())
        status->setText(QStringLiteral("Game controllers unavailable: %1").arg(m_sdl->error()));
    else if (m_control.attached())
        status->setText(QStringLiteral("Controller: %1").arg(m_control.controllerName()));
    else
        status->setText(QStringLiteral("No controller attached"));
    for (int a = 0; a < kGamepadAxes; ++a)
        axisValue[a]->setValue(int(std::lround(m_control.axisValue(a) * 100)));
    for (int b = 0; b < kGamepadButtons; ++b)
        buttonState[b]->setText(m_control.buttonDown(b) ? QStringLiteral("pressed") : QString());
}

void FrmGamepad::accept()
{
    const GamepadSetup s = shownSetup();
    m_control.setSetup(s);
    s.write(m_settings);
    close();
}

FrmGamepad* openGamepadWindow(QWidget* parent, GamepadControl& control, const SdlGamepad* sdl, QSettings& settings)
{
    auto* window = parent ? parent->findChild<FrmGamepad*>(QStringLiteral("FrmGamepad"), Qt::FindDirectChildrenOnly)
                          : nullptr;
    if (!window)
        window = new FrmGamepad(control, sdl, settings, parent);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void installGamepadWindow(QAction& action, QWidget* parent, GamepadControl& control, const SdlGamepad* sdl,
                          QSettings& settings)
{
    QObject::connect(&action, &QAction::triggered, &action, [parent, &control, sdl, &settings] {
        openGamepadWindow(parent, control, sdl, settings);
    });
}

} // namespace peltro
