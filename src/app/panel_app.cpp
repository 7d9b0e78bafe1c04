#include "panel_app.h"

#include "packet_names.h"
#include "frm_pan_tilt.h"
#include "pan_tilt_controller.h"
#include "traffic_session.h"

namespace peltro {

PanelApp::PanelApp(PortObject& port, Clock& clock, MessageService& messages, PanelSettings& settings)
    : session(port, clock), main(session, messages), view(main),
      decodedTraffic(std::make_unique<traffic::Session>(clock, &panelPacketNames())),
      context{session, messages, main, *main.timer2}, windows(context, panTiltFlags, *decodedTraffic),
      startup(main, settings, panTiltFlags)
{
    decodedTraffic->attach(session.link());
    QObject::connect(&main, &FrmMain::unloading, &windows, &WindowSet::closeAll);
    // At the end of start-up the pan-tilt window opens as it was left.
    QObject::connect(&startup, &Startup::mainShown, &windows, [this] {
        if (panTiltFlags.shown)
            windows.panTilt().DspPTW();
    });
}

PanelApp::~PanelApp() = default;

} // namespace peltro
