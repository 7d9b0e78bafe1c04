#pragma once

#include "camera_session.h"
#include "frm_main.h"
#include "gamepad_control.h"
#include "keyboard_control.h"
#include "panel_settings.h"
#include "panel_view.h"
#include "remote_control.h"
#include "startup.h"
#include "window_set.h"

#include <memory>

namespace peltro {

class MessageService;
class PanTiltController;
class PrivacyWindows;
class SdlGamepad;
class SettingWindows;
struct RemoteOptions;
class TitleEditors;
namespace traffic {
class Session;
}

// The panel put together once, for the program, the tests and the
// benchmarks: the camera session on a port, the main window as its view, the
// windows beside it, the decoded traffic of the session (recorded from
// before start-up's first packet), start-up with its saved settings, and
// the control surfaces on the session: remote control over OSC, gamepad and
// keyboard (off until asked for: startSurfaces(), the Tools items).
class PanelApp {
public:
    PanelApp(PortObject& port, Clock& clock, MessageService& messages, PanelSettings& settings);
    ~PanelApp();

    CameraSession session;
    FrmMain main;
    PanelView view;
    PanTiltFlags panTiltFlags;
    std::unique_ptr<traffic::Session> decodedTraffic;
    WindowContext context;
    WindowSet windows;
    Startup startup;
    RemoteControl remote;
    GamepadControl gamepad;
    KeyboardControl keyboard;
    std::unique_ptr<SdlGamepad> sdlGamepad;   // polled once startSurfaces() ran

    // What the program turns on besides the panel: the remote control as the
    // saved settings and the command line say (once start-up has shown the
    // main window), and the game controllers.
    void startSurfaces(const RemoteOptions& options);
    // Stops every camera a surface moved (the panel closing).
    void stopSurfaces();

    PanTiltController& panTilt() { return windows.panTilt(); }
    PrivacyWindows& privacy() { return windows.privacy(); }
    TitleEditors& titles() { return windows.titles(); }
    SettingWindows& settings() { return windows.settings(); }

private:
    PanelSettings& m_settings;
    KeyboardFilter m_keyboardFilter;
};

} // namespace peltro
