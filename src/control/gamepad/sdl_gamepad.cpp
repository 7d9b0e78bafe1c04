#include "sdl_gamepad.h"

#include "gamepad_control.h"

#include <SDL.h>
#include <algorithm>

namespace peltro {

namespace {
double axisFraction(Sint16 value)
{
    return std::clamp(value / 32767.0, -1.0, 1.0);
}
} // namespace

SdlGamepad::SdlGamepad(GamepadControl& control, QObject* parent) : QObject(parent), m_control(control)
{
    // The panel is often not the active window while the operator looks at
    // the picture; the controller must work all the same.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // SDL would otherwise take SIGINT and SIGTERM for an event of its own
    // that nobody reads: the panel could no longer be ended by a signal.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        m_error = QString::fromUtf8(SDL_GetError());
        return;
    }
    m_available = true;
    connect(&m_timer, &QTimer::timeout, this, &SdlGamepad::poll);
    m_timer.start(kDetachedPollMs);
}

SdlGamepad::~SdlGamepad()
{
    if (!m_available)
        return;
    close();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlGamepad::open(int deviceIndex)
{
    if (m_controller || !SDL_IsGameController(deviceIndex))
        return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller)
        return;
    m_controller = controller;
    m_instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    const char* name = SDL_GameControllerName(controller);
    m_control.attach(name ? QString::fromUtf8(name) : QString());
    // Whatever is already held counts from now on.
    for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX && a < kGamepadAxes; ++a)
        m_control.axisMoved(a, axisFraction(SDL_GameControllerGetAxis(controller, SDL_GameControllerAxis(a))));
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX && b < kGamepadButtons; ++b)
        m_control.buttonChanged(b, SDL_GameControllerGetButton(controller, SDL_GameControllerButton(b)) != 0);
    m_timer.setInterval(kAttachedPollMs);
}

void SdlGamepad::close()
{
    if (!m_controller)
        return;
    SDL_GameControllerClose(m_controller);
    m_controller = nullptr;
    m_instance = -1;
    m_control.detach();
    m_timer.setInterval(kDetachedPollMs);
}

void SdlGamepad::poll()
{
    if (!m_available)
        return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            open(e.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            if (e.cdevice.which == m_instance) {
                close();
                for (int i = 0; i < SDL_NumJoysticks() && !m_controller; ++i)
                    open(i);
            }
            break;
        case SDL_CONTROLLERAXISMOTION:
            if (e.caxis.which == m_instance)
                m_control.axisMoved(e.caxis.axis, axisFraction(e.caxis.value));
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (e.cbutton.which == m_instance)
                m_control.buttonChanged(e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        default:
            break;
        }
    }
}

} // namespace peltro
