#pragma once

#include "camera_session.h"
#include "frm_main.h"
#include "panel_settings.h"
#include "panel_view.h"
#include "startup.h"
#include "window_set.h"

#include <memory>

namespace peltro {

class MessageService;
class PanTiltController;
class PrivacyWindows;
class SettingWindows;
class TitleEditors;
namespace traffic {
class Session;
}

// The panel put together once, for the program, the tests and the
// benchmarks: the camera session on a port, the main window as its view, the
// windows beside it, the decoded traffic of the session (recorded from
// before start-up's first packet) and start-up with its saved settings.
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

    PanTiltController& panTilt() { return windows.panTilt(); }
    PrivacyWindows& privacy() { return windows.privacy(); }
    TitleEditors& titles() { return windows.titles(); }
    SettingWindows& settings() { return windows.settings(); }
};

} // namespace peltro
