#include "window_set.h"

#include "frm_about.h"
#include "frm_aes.h"
#include "frm_gamepad.h"
#include "frm_md.h"
#include "frm_power_off.h"
#include "frm_remote.h"
#include "frm_traffic.h"
#include "pan_tilt_controller.h"
#include "frm_pan_tilt.h"
#include "privacy_windows.h"
#include "required_child.h"
#include "setting_windows.h"
#include "title_editors.h"

#include <QAction>

namespace peltro {

const QList<WindowSet::Row>& WindowSet::registry()
{
    using M = Modality;
    using H = HoldKind;
    static const QList<Row> rows{
        {"version", "FrmAbout", M::Modal, H::None, {100, 100},
         [](WindowSet& s, const Row& r) { openVersionWindow(s.m_ctx, r.placement); }},
        {"AESpotMode", "FrmAES", M::Modal, H::TimersOnly, {100, 100},
         [](WindowSet& s, const Row& r) { openAESpotWindow(s.m_ctx, r.hold, r.placement); }},
        {"MotionDetecter", "FrmMD", M::Modal, H::RefreshAndDocking, {100, 100},
         [](WindowSet& s, const Row& r) { openAlarmWindow(s.m_ctx, r.hold, r.placement); }},
        {"AutoPowerOff", "FrmAutoPOff", M::Modal, H::Refresh, {500, 1000},
         [](WindowSet& s, const Row& r) { openAutoPowerOff(s.m_ctx, r.hold, r.placement); }},
        {"NightPowerOff", "FrmNightPOff", M::Modal, H::Refresh, {500, 1000},
         [](WindowSet& s, const Row& r) { openNightPowerOff(s, s.m_ctx, r.hold, r.placement); }},
        {"TitleSet", "FrmTitle_M", M::Modal, H::RefreshAndDocking, {100, 100},
         [](WindowSet& s, const Row&) { s.m_titles->TitleSet(); }},
        {"SetTimeDate", "FrmSetDT", M::Modeless, H::None, {},
         [](WindowSet& s, const Row&) { s.m_settings->SetTimeDate(); }},
        {"IDWrite", "FrmCamID", M::Modal, H::TimersOnly, {500, 1000},
         [](WindowSet& s, const Row&) { s.m_settings->IDWrite(); }},
        {"EffectLevel", "FrmDeffect", M::Modal, H::None, {500, 1000},
         [](WindowSet& s, const Row&) { s.m_settings->EffectLevel(); }},
        {"SettingMenu", "FSet", M::Modeless, H::None, {},
         [](WindowSet& s, const Row&) { s.m_settings->SettingMenu(); }},
        {"SettingZones", "Privacy", M::Modeless, H::None, {},
         [](WindowSet& s, const Row&) { s.m_privacy->SettingZones(); }},
        {"PrivacyAv", "PrivacyA", M::Modeless, H::None, {},
         [](WindowSet& s, const Row&) { s.m_privacy->PrivacyAv(); }},
        {"TrafficView", "FrmTraffic", M::Modeless, H::None, {},
         [](WindowSet& s, const Row&) { openTrafficView(s.m_ctx, s.m_traffic); }},
        {"RemoteControl", "FrmRemote", M::Modeless, H::None, {},
         [](WindowSet& s, const Row&) {
             if (s.m_surfaces.remote)
                 openRemoteControlWindow(*s.m_surfaces.remote, s.m_ctx.messages, &s.m_ctx.main);
         }},
        {"Gamepad", "FrmGamepad", M::Modeless, H::None, {},
         [](WindowSet& s, const Row&) {
             if (s.m_surfaces.gamepad && s.m_surfaces.store)
                 openGamepadWindow(&s.m_ctx.main, *s.m_surfaces.gamepad, s.m_surfaces.sdl, *s.m_surfaces.store);
         }},
    };
    return rows;
}

WindowSet::WindowSet(WindowContext& context, PanTiltFlags& panTilt, traffic::Session& traffic, QObject* parent)
    : QObject(parent), m_ctx(context), m_traffic(traffic),
      m_panTilt(std::make_unique<PanTiltController>(context, panTilt)),
      m_privacy(std::make_unique<PrivacyWindows>(context)), m_titles(std::make_unique<TitleEditors>(context)),
      m_settings(std::make_unique<SettingWindows>(context))
{
    for (const Row& row : registry()) {
        QAction* item = requireChild<QAction>(&m_ctx.main, QString::fromLatin1(row.action));
        connect(item, &QAction::triggered, this, [this, &row] { row.open(*this, row); });
    }
}

WindowSet::~WindowSet() = default;

void WindowSet::open(const char* action)
{
    for (const Row& row : registry())
        if (qstrcmp(row.action, action) == 0)
            row.open(*this, row);
}

void WindowSet::closeAll()
{
    m_settings->closeAll();
}

} // namespace peltro
