#include "panel_app.h"

#include "packet_names.h"
#include "frm_pan_tilt.h"
#include "gamepad_mapping.h"
#include "pan_tilt_controller.h"
#include "remote_access.h"
#include "sdl_gamepad.h"
#include "tick_action.h"
#include "traffic_session.h"

namespace peltro {

PanelApp::PanelApp(PortObject& port, Clock& clock, MessageService& messages, PanelSettings& settings)
    : session(port, clock), main(session, messages), view(main),
      decodedTraffic(std::make_unique<traffic::Session>(clock, &panelPacketNames())),
      context{session, messages, main, *main.timer2}, windows(context, panTiltFlags, *decodedTraffic),
      startup(main, settings, panTiltFlags), remote(session, clock), gamepad(session), keyboard(session),
      m_settings(settings), m_keyboardFilter(main, keyboard)
{
    decodedTraffic->attach(session.link());
    QObject::connect(&main, &FrmMain::unloading, &windows, &WindowSet::closeAll);
    QObject::connect(&main, &FrmMain::unloading, &remote, [this] { stopSurfaces(); });

    QObject::connect(&remote, &RemoteControl::accessChanged, &remote,
                     [this](const RemoteAccess& access) { saveRemoteAccess(m_settings, access); });
    gamepad.setSetup(GamepadSetup::read(settings.store()));
    bindKeyboardToggle(*main.tick(QStringLiteral("KeyboardControl")), keyboard, settings.store());
    windows.setSurfaces({&remote, &gamepad, nullptr, &settings.store()});
    // At the end of start-up the pan-tilt window opens as it was left.
    QObject::connect(&startup, &Startup::mainShown, &windows, [this] {
        if (panTiltFlags.shown)
            windows.panTilt().DspPTW();
    });
}

PanelApp::~PanelApp() = default;

void PanelApp::startSurfaces(const RemoteOptions& options)
{
    remote.setHoldMs(options.holdMs);
    const RemoteAccess access = options.over(readRemoteAccess(m_settings));
    QObject::connect(&startup, &Startup::mainShown, &remote, [this, access] { remote.configure(access); },
                     Qt::SingleShotConnection);
    sdlGamepad = std::make_unique<SdlGamepad>(gamepad);
    windows.setSurfaces({&remote, &gamepad, sdlGamepad.get(), &m_settings.store()});
}

void PanelApp::stopSurfaces()
{
    remote.dispatcher().stopMoved(QStringLiteral("panel closing"));
    gamepad.stopMoved();
    keyboard.focusLost();
}

} // namespace peltro
