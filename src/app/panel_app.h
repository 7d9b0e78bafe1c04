#pragma once

#include "maintenance.h"
#include "panel_config.h"
#include "reconnection.h"
#include "startup.h"
#include "status_reader.h"

#include <memory>

namespace peltro {

class FrmMain;
class PanTiltController;
class PrivacyWindows;
class TitleEditors;
class SettingWindows;
namespace traffic {
class Session;
}

// Everything that works on the main window, put together once: model
// configuration, status read, chain maintenance, the pan-tilt window, the
// privacy windows, the title editors, the clock, camera-ID, effect-level
// and factory-setting windows, the care of a port that fails, the decoded
// traffic of the session, and the start-up hooks that hand over to them.
class PanelApp {
public:
    explicit PanelApp(FrmMain& main);
    ~PanelApp();

    StartupHooks startupHooks();

    FrmMain& main;
    PanelConfig config;
    StatusReader status;
    Maintenance maintenance;
    Reconnection reconnection;
    std::unique_ptr<PanTiltController> panTilt;
    std::unique_ptr<PrivacyWindows> privacy;
    std::unique_ptr<TitleEditors> titles;
    std::unique_ptr<SettingWindows> settings;
    // Recorded from before start-up's first packet to the end.
    std::unique_ptr<traffic::Session> decodedTraffic;
};

} // namespace peltro
