#pragma once

#include "panel_app.h"
#include "message_service.h"
#include "rigs.h"

#include <QTemporaryDir>
#include <memory>

namespace peltro::test {

// The whole panel over the simulated chain in virtual time: the session,
// the main window as its view and every window beside it, with settings in
// a file of the rig's own.
struct PanelRig : ChainRig {
    explicit PanelRig(const QStringList& names = {QStringLiteral("quorin-p3")});
    ~PanelRig();
    RecordingMessageService messages;
    QTemporaryDir settingsDir;
    PanelSettings settings;
    std::unique_ptr<PanelApp> app;
    FrmMain* main = nullptr;
    CameraSession& session;
    Link& link() { return session.link(); }
    RefreshMachine& refresh() { return session.refresh(); }

    // Start-up has run as far as identification: camera 1 identified as
    // start-up identifies it (its panel applied), nothing on the line since.
    void identify();
};
using AppRig = PanelRig;

// Start-up as the program runs it, to its end in virtual time: true when it
// showed the main window, false when it ended in the Com Setting dialog (or
// did not end). eachTurn, when given, runs at every turn of the loop
// meanwhile, where the operator may act.
bool runStartup(ManualClock& clock, sim::SimPort& port, Startup& startup,
                const std::function<void()>& eachTurn = {});

// The offscreen platform cannot move or raise windows or pass size hints on,
// and says so on every call: quietPlatform() keeps those lines out of the
// test log until loudPlatform(); the rest of the log goes on as usual.
void quietPlatform();
void loudPlatform();

} // namespace peltro::test
