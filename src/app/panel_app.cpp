#include "panel_app.h"

#include "frm_about.h"
#include "frm_aes.h"
#include "frm_main.h"
#include "frm_md.h"
#include "frm_pan_tilt.h"
#include "frm_power_off.h"
#include "frm_traffic.h"
#include "packet_names.h"
#include "pan_tilt_controller.h"
#include "privacy_windows.h"
#include "setting_windows.h"
#include "title_editors.h"

#include <QLabel>

namespace peltro {

PanelApp::PanelApp(FrmMain& m)
    : main(m), config(m), status(m, config), maintenance(m), reconnection(m, maintenance),
      panTilt(std::make_unique<PanTiltController>(m)), privacy(std::make_unique<PrivacyWindows>(m)),
      titles(std::make_unique<TitleEditors>(m)), settings(std::make_unique<SettingWindows>(m)),
      decodedTraffic(std::make_unique<traffic::Session>(m.link().clock(), &panelPacketNames()))
{
    decodedTraffic->attach(m.link());
    status.checkPanTiltWindow = [this] { panTilt->check_DspPTW(); };
    status.familyChanged = [this] { panTilt->DspPTW(); };
    status.readPanTiltStatus = [this] { return panTilt->ReadPanTiltStatusCore(); };
    status.showMounting = [this](const QString& text) {
        requireChild<QLabel>(panTilt->window(), QStringLiteral("LbMount"))->setText(text);
    };
    status.showEffectLevel = [this](int level) { settings->showEffectLevel(level); };
    status.showCameraId = [this](int id) { settings->showCameraId(id); };
    installAlarmWindow(m);
    installPowerOffDialogs(m);
    installAESpotWindow(m);
    installVersionWindows(m);
    installTrafficView(m, *decodedTraffic);
}

PanelApp::~PanelApp() = default;

StartupHooks PanelApp::startupHooks()
{
    StartupHooks hooks;
    hooks.buildLabelTables = [this] { config.buildLabelTables(); };
    hooks.identifyModel = [this](const QByteArray& v, const std::function<void()>& advance) {
        config.identifyModel(v, advance);
    };
    hooks.readCameraStatus = [this] { status.ReadCameraStatus(); };
    hooks.showPanTiltWindow = [this] { panTilt->DspPTW(); };
    return hooks;
}

} // namespace peltro
